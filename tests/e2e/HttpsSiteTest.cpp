// SPDX-License-Identifier: GPL-3.0-or-later
// The owner's work over https: the real client window against the real
// server script, with Debian's stunnel4 in front of the test site and a
// certificate from a CA made for this run. The owner has ticked "Allow
// secure https:// sites"; unticked, the site cannot be reached.

#include "tests/e2e/SiteFixture.h"

#include "dialogs/FCoupon.h"
#include "dialogs/FStatistics.h"
#include "tests/support/StunnelFront.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <memory>

namespace {

using Rows = std::vector<std::array<std::string, 3>>;

int PortOf(const std::string& url) {
    return std::stoi(url.substr(url.rfind(':') + 1));
}

class HttpsSiteTest : public SiteTest {
protected:
    void SetUp() override {
        SiteTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ConfigureSite();
    }

    // The site answers over https, and its owner allows that.
    void PrepareClient() override {
        if (StunnelFront::Program().empty())
            GTEST_SKIP() << "needs stunnel4, which scripts/test installs";
        front = std::make_unique<StunnelFront>(PortOf(site->SiteURL()));
        dir.Write("settings.dat", "[Settings]\r\nwebserver=" + front->Url() + "\r\nallowhttps=1\r\n");
    }

    std::unique_ptr<StunnelFront> front;
};

TEST_F(HttpsSiteTest, AddListAndStatisticsOverHttps) {
    ASSERT_EQ(window->ServerSettings.WebServer, front->Url());
    EXPECT_TRUE(window->CheckServer());

    ModalAction add("frmCoupon", [&](QWidget* w) {
        auto* d = static_cast<TfrmCoupon*>(w);
        TypeInto(d->edtCouponName, "Secure sale");
        TypeInto(d->edtCouponCode, "TLS001");
        TypeInto(d->edtURL, OrderPage("TLS001"));
        Click(d->btnOk);
    });
    Click(window->bsSkinButton5);
    ASSERT_TRUE(add.Ran());
    EXPECT_EQ(ListedRows(), (Rows{{"Secure sale", "TLS001", "False"}}));
    EXPECT_EQ(ServerList(), "1\tTLS001\tSecure sale\t0\n");

    // A buyer used the code twice; the statistics window reads the log.
    site->Sql("INSERT INTO " + site->Database() +
              ".couponsactions_uses (coupid, coupcode, usedate, computerip) VALUES "
              "(1, 'TLS001', NOW(), '192.0.2.7'), (1, 'TLS001', NOW(), '192.0.2.8')");
    ModalAction stats("frmStats", [&](QWidget* w) {
        auto* d = static_cast<TfrmStats*>(w);
        [&] {
            ASSERT_EQ(d->cbxCodes->count(), 1);
            EXPECT_EQ(d->cbxCodes->itemText(0), "TLS001");
            ClickBox(d->rbtCodeAll);
            ClickBox(d->rbtDateAll);
            Click(d->btnShow);
            QAbstractItemModel* m = d->lvwItems->model();
            ASSERT_EQ(m->rowCount(), 2);
            EXPECT_EQ(m->data(m->index(0, 0)).toString(), "TLS001");
            EXPECT_EQ(m->data(m->index(0, 2)).toString(), "192.0.2.7");
            EXPECT_EQ(m->data(m->index(1, 2)).toString(), "192.0.2.8");
        }();
        Click(d->btnOk);
    });
    Click(window->btnStats);
    EXPECT_TRUE(stats.Ran());
}

TEST_F(HttpsSiteTest, UntickedTheSecureSiteCannotBeReached) {
    EXPECT_TRUE(window->CheckServer());
    auto tick = [&](bool allowed) {
        ModalAction settings("frmSettings", [&](QWidget* w) {
            auto* d = static_cast<TfrmSettings*>(w);
            d->chkAllowHttps->setChecked(allowed);
            Click(d->btnOk);
        });
        Click(window->bsSkinButton7);
        ASSERT_TRUE(settings.Ran());
    };
    tick(false);
    EXPECT_FALSE(window->CheckServer());
    tick(true);
    EXPECT_TRUE(window->CheckServer());
}

} // namespace
