// SPDX-License-Identifier: GPL-3.0-or-later
// New coupons in bulk against the real server: 200 coupons through the
// bulk dialog, the list then shows them, and a buyer redeems one of them
// through the order-page form in a real browser.

#include "tests/e2e/SiteFixture.h"

#include "dialogs/FBulk.h"
#include "dialogs/FFormCode.h"
#include "tests/support/HeadlessBrowser.h"

#include <QSpinBox>
#include <regex>
#include <set>

namespace {

TEST_F(SiteTest, TwoHundredCouponsInBulkAreListedAndABuyerRedeemsOne) {
    ConfigureSite();
    const std::string order = site->SiteURL() + "/order-flyer.html";
    MessageLog messages({"OK", "&No"});
    ModalAction bulk("frmBulk", [&](QWidget* w) {
        auto* d = static_cast<TfrmBulk*>(w);
        d->edtCount->setValue(200);
        TypeInto(d->edtPrefix, "FLYER");
        TypeInto(d->edtCouponName, "Spring flyer");
        TypeInto(d->edtURL, order);
        Click(d->btnOk);
    });
    // The main window is active again after the Settings dialog, then the
    // shortcut.
    window->activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == window.get(); }));
    QTest::keyClick(window.get(), Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(bulk.Ran());
    ASSERT_EQ(messages.Texts().size(), 2u);
    EXPECT_EQ(messages.Texts()[0], "Added 200 coupons.");

    // The list shows them all, each with its own code.
    const auto rows = ListedRows();
    ASSERT_EQ(rows.size(), 200u);
    std::set<std::string> codes;
    for (const auto& row : rows) {
        EXPECT_EQ(row[0], "Spring flyer");
        EXPECT_TRUE(std::regex_match(row[1], std::regex("FLYER[A-Y]{6}"))) << row[1];
        EXPECT_EQ(row[2], "False");
        codes.insert(row[1]);
    }
    EXPECT_EQ(codes.size(), 200u);
    EXPECT_EQ(site->Sql("SELECT COUNT(*) FROM " + site->Database() + ".couponsactions_coupons"), "200\n");

    if (HeadlessBrowser::Program().empty())
        GTEST_SKIP() << "needs chromium for the buyer, which scripts/test installs";
    // A buyer types one of the codes into the order-page form.
    const std::string code = rows[137][1];
    site->PutFile("shop.html", "<!DOCTYPE html>\n<html><head><title>Shop</title></head><body>\n" +
                                   OrderFormHTML(window->ServerSettings) + "\n</body></html>\n");
    site->PutFile("order-flyer.html", "<!DOCTYPE html><title>Order</title><h1>Flyer order</h1>\n");
    site->PutFile("invalid.html", "<!DOCTYPE html><title>Invalid</title><h1>This coupon code is not valid</h1>\n");
    HeadlessBrowser browser;
    browser.Open(site->SiteURL() + "/shop.html");
    browser.Type("input[name=coupcode]", code);
    browser.Click("input[type=submit]");
    ASSERT_TRUE(browser.WaitForPage(order));
    EXPECT_EQ(browser.BodyText(), "Flyer order");

    // It is used up: a one-time coupon, now expired, and the use is logged.
    Click(window->bsSkinButton8);
    const auto after = ListedRows();
    ASSERT_EQ(after.size(), 200u);
    EXPECT_EQ(after[137][1], code);
    EXPECT_EQ(after[137][2], "True");
    EXPECT_EQ(after[136][2], "False");
    EXPECT_EQ(site->Sql("SELECT coupcode FROM " + site->Database() + ".couponsactions_uses"), code + "\n");
}

} // namespace
