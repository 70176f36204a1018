// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real main window against the real server script and a real MariaDB.
// Each test starts from empty tables and a fresh executable directory, opens
// the window, and sets the site up the way an owner does: the Settings
// dialog writes coupsettings.php next to the executable, and that very file
// is uploaded beside the script on the site.

#include "dialogs/FSettings.h"
#include "tests/support/DemoSiteEnvironment.h"
#include "tests/support/gui/MainWindowFixture.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QStyle>
#include <QTableView>
#include <QtTest/QTest>
#include <array>
#include <string>
#include <vector>

class SiteTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        REQUIRE_DEMO_SITE();
        site = DemoSiteEnvironment::Site();
        site->RemoveFile("coupaccess.php");
        site->RemoveFile("coupsettings.php");
        site->ResetData();
        PrepareClient();
        if (IsSkipped() || HasFatalFailure())
            return;
        Start();
    }

    // The executable directory before the window opens: a settings.dat
    // pointing at the site.
    virtual void PrepareClient() { PrepareSite(site->SiteURL()); }

    // Types into an edit as a user does: empties it, then key by key.
    static void TypeInto(QLineEdit* edit, const std::string& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, QString::fromLocal8Bit(text.c_str()));
    }

    // A click on a check box's or radio button's indicator, where a user
    // aims (the middle of a wide control may lie past its caption).
    static void ClickBox(QAbstractButton* box) {
        int x = box->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) / 2 + 1;
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(x, box->height() / 2));
    }

    // The Settings dialog filled in and confirmed, and the script it wrote
    // uploaded to the site.
    void ConfigureSite() {
        ModalAction settings("frmSettings", [&](QWidget* w) {
            auto* d = static_cast<TfrmSettings*>(w);
            TypeInto(d->edtHostname, site->DbHost());
            TypeInto(d->edtDatabase, site->Database());
            TypeInto(d->edtUsername, site->DbUser());
            TypeInto(d->edtPassword, site->DbPassword());
            TypeInto(d->edtInvalid, InvalidPage());
            Click(d->btnOk);
        });
        Click(window->bsSkinButton7);
        ASSERT_TRUE(settings.Ran());
        ASSERT_TRUE(dir.Exists("coupsettings.php"));
        site->PutFile("coupsettings.php", dir.Read("coupsettings.php"));
    }

    std::string InvalidPage() const { return site->SiteURL() + "/invalid.html"; }
    std::string OrderPage(const std::string& code) const { return site->SiteURL() + "/order-" + code + ".html"; }

    // A coupon as the editor sends it, through the window's own operation.
    TCouponRecord Coupon(const std::string& code, const std::string& name, const std::string& kind = "1") const {
        TCouponRecord r;
        r.coupcode = code;
        r.coupname = name;
        r.coupexpired = "0";
        r.coupexpirtype = kind;
        r.coupexpirdays = "10";
        r.coupexpirdate = "2030-7-5";
        r.couponorderurl = OrderPage(code);
        r.couponcomments = "Made by the test";
        r.coupcreatedate = DbDate("CURDATE()");
        return r;
    }

    // A date of the database's clock, "yyyy-m-d".
    std::string DbDate(const std::string& expression) const {
        std::string text = site->Sql("SELECT DATE_FORMAT(" + expression + ", '%Y-%c-%e')");
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        return text;
    }

    // The rows the list shows: name, code and expired flag.
    std::vector<std::array<std::string, 3>> ListedRows() const {
        std::vector<std::array<std::string, 3>> rows;
        QAbstractItemModel* m = window->lvwItems->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            std::array<std::string, 3> row;
            for (int c = 0; c < 3; ++c)
                row[c] = m->data(m->index(r, c)).toString().toLocal8Bit().toStdString();
            rows.push_back(row);
        }
        return rows;
    }

    // A click on a row's code cell, which selects the row.
    void SelectRow(int row) {
        QTableView* view = window->lvwItems;
        QRect cell = view->visualRect(view->model()->index(row, 1));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    }

    void CheckRow(int row) {
        QAbstractItemModel* m = window->lvwItems->model();
        m->setData(m->index(row, 0), Qt::Checked, Qt::CheckStateRole);
    }

    // The coupons the server holds, as its list reply has them.
    std::string ServerList() const {
        return site->Sql("SELECT coupid, coupcode, coupname, coupexpired FROM " + site->Database() +
                         ".couponsactions_coupons ORDER BY coupid");
    }

    DemoSite* site = nullptr;
};
