// SPDX-License-Identifier: GPL-3.0-or-later
// A real buyer: headless Chromium opens a shop page holding the form that
// the client produced, types a code and submits it; the browser lands on
// the coupon's order page or on the invalid page, and the client's
// statistics window then shows the use for that code and day.

#include "tests/e2e/SiteFixture.h"

#include "dialogs/FFormCode.h"
#include "dialogs/FStatistics.h"
#include "platform/Clipboard.h"
#include "tests/support/HeadlessBrowser.h"
#include "toolkit/SkinDateEdit.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QRadioButton>

namespace {

class BuyerTest : public SiteTest {
protected:
    void SetUp() override {
        SiteTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        if (HeadlessBrowser::Program().empty())
            GTEST_SKIP() << "needs chromium, which scripts/test installs";
        ConfigureSite();
    }

    // The snippet from the client's "Generate HTML Form Code" dialog, as
    // copied to the clipboard.
    std::string FormSnippet() {
        std::string shown, copied;
        ModalAction formCode("frmFormCode", [&](QWidget* w) {
            auto* d = static_cast<TfrmFormCode*>(w);
            shown = d->memForm->toPlainText().toLocal8Bit().toStdString();
            Click(d->btnOk);
            copied = ClipboardText();
            Click(d->btnCancel);
        });
        Click(window->btnLoad);
        EXPECT_TRUE(formCode.Ran());
        EXPECT_EQ(copied, shown);
        return copied;
    }

    // Where the browser lands after the buyer typed the code and submitted.
    std::string Submit(HeadlessBrowser& browser, const std::string& code, const std::string& expectedPage) {
        browser.Open(site->SiteURL() + "/shop.html");
        browser.Type("input[name=coupcode]", code);
        browser.Click("input[type=submit]");
        browser.WaitForPage(expectedPage);
        return browser.CurrentURL();
    }
};

// The rows of the statistics list: code, date used, address.
std::vector<std::array<std::string, 3>> StatsRows(TfrmStats* stats) {
    std::vector<std::array<std::string, 3>> rows;
    QAbstractItemModel* m = stats->lvwItems->model();
    for (int r = 0; r < m->rowCount(); ++r)
        rows.push_back({m->data(m->index(r, 0)).toString().toStdString(),
                        m->data(m->index(r, 1)).toString().toStdString(),
                        m->data(m->index(r, 2)).toString().toStdString()});
    return rows;
}

TEST_F(BuyerTest, ACodeTypedIntoTheOrderPageFormLeadsToItsOrderPageAndShowsInTheStatistics) {
    TCouponRecord oneUse = Coupon("BUY001", "One use");
    TCouponRecord outdated = Coupon("OLD001", "Out of date", "3");
    outdated.coupexpirdate = DbDate("CURDATE() - INTERVAL 1 DAY");
    TCouponRecord days = Coupon("DAYS01", "Ten days", "2");
    for (const TCouponRecord& r : {oneUse, outdated, days})
        ASSERT_EQ(window->AddCoupon(r), SaveOutcome::Done) << r.coupcode;

    const std::string snippet = FormSnippet();
    ASSERT_NE(snippet.find("ACTION=\"" + site->ScriptURL() + "\""), std::string::npos) << snippet;
    site->PutFile("shop.html", "<!DOCTYPE html>\n<html><head><title>Shop</title></head><body>\n" + snippet +
                                   "\n</body></html>\n");
    for (const char* code : {"BUY001", "DAYS01"})
        site->PutFile(std::string("order-") + code + ".html",
                      std::string("<!DOCTYPE html><title>Order</title><h1>Order with ") + code + "</h1>\n");
    site->PutFile("invalid.html", "<!DOCTYPE html><title>Invalid</title><h1>This coupon code is not valid</h1>\n");

    HeadlessBrowser browser;
    struct Case {
        const char* what;
        std::string typed;
        std::string lands;
    };
    const std::vector<Case> cases = {
        {"a one-time code, first use", "BUY001", OrderPage("BUY001")},
        {"the one-time code again", "BUY001", InvalidPage()},
        {"a code valid for days", "DAYS01", OrderPage("DAYS01")},
        {"a code past its date", "OLD001", InvalidPage()},
        {"an unknown code", "NOSUCH", InvalidPage()},
        {"a code in other letter case", "days01", InvalidPage()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Submit(browser, c.typed, c.lands), c.lands) << c.what;
        if (c.lands == InvalidPage())
            EXPECT_EQ(browser.BodyText(), "This coupon code is not valid") << c.what;
        else
            EXPECT_EQ(browser.BodyText(), "Order with " + c.typed) << c.what;
    }

    // The one-time coupon is now listed as expired.
    Click(window->bsSkinButton8);
    EXPECT_EQ(ListedRows()[0][2], "True");

    const QString today = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    ModalAction stats("frmStats", [&](QWidget* w) {
        auto* d = static_cast<TfrmStats*>(w);
        // The checks run in a function of their own, so a failed assertion
        // still lets the window close below.
        [&] {
            ASSERT_EQ(d->cbxCodes->count(), 2);
            EXPECT_EQ(d->cbxCodes->itemText(0), "BUY001");
            EXPECT_EQ(d->cbxCodes->itemText(1), "DAYS01");

            // By code and day: typing the code and choosing the day.
            QTest::keyClicks(d->edtCode, "BUY001");
            EXPECT_TRUE(d->rbtCodeType->isChecked());
            ClickBox(d->rbtDateSel);
            Click(d->btnShow);
            auto rows = StatsRows(d);
            ASSERT_EQ(rows.size(), 1u);
            EXPECT_EQ(rows[0][0], "BUY001");
            EXPECT_EQ(QString::fromStdString(rows[0][1]).left(today.size()), today) << rows[0][1];
            EXPECT_EQ(rows[0][2], "127.0.0.1");

            // Another day lists nothing.
            d->edtDateFixed->setDate(QDate::currentDate().addDays(-1));
            Click(d->btnShow);
            EXPECT_EQ(StatsRows(d).size(), 0u);

            // Every use, in order.
            ClickBox(d->rbtCodeAll);
            ClickBox(d->rbtDateAll);
            Click(d->btnShow);
            rows = StatsRows(d);
            ASSERT_EQ(rows.size(), 2u);
            EXPECT_EQ(rows[0][0], "BUY001");
            EXPECT_EQ(rows[1][0], "DAYS01");
        }();
        Click(d->btnOk);
    });
    Click(window->btnStats);
    EXPECT_TRUE(stats.Ran());
}

} // namespace
