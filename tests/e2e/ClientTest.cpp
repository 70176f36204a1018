// SPDX-License-Identifier: GPL-3.0-or-later
// The owner's work with the real client window against the real server:
// set the site up, add, list, generate, edit, delete.

#include "tests/e2e/SiteFixture.h"

#include "dialogs/FCoupon.h"
#include "toolkit/SkinDateEdit.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>

static ::testing::Environment* const kSite = ::testing::AddGlobalTestEnvironment(new DemoSiteEnvironment);

namespace {

using Rows = std::vector<std::array<std::string, 3>>;

TEST_F(SiteTest, TheSettingsDialogWritesTheScriptThatTheServerThenUses) {
    // No settings on the site yet: the server cannot answer.
    EXPECT_FALSE(window->CheckServer());
    {
        MessageAnswer warning("OK");
        Click(window->bsSkinButton8);
        EXPECT_TRUE(warning.Seen().shown);
    }

    ConfigureSite();
    // The password holds a double quote, a dollar sign and a backslash: the
    // database only lets the script in when PHP read it back exactly.
    EXPECT_TRUE(window->CheckServer());
    EXPECT_EQ(site->ReadFile("coupsettings.php"),
              DemoSite::SettingsScript(site->DbHost(), site->Database(), site->DbUser(), site->DbPassword(),
                                       InvalidPage()));
    EXPECT_EQ(window->ServerSettings.DbPassword, site->DbPassword());

    ASSERT_EQ(window->AddCoupon(Coupon("SETUP1", "After set-up")), SaveOutcome::Done);
    MessageAnswer none("OK");
    Click(window->bsSkinButton8);
    EXPECT_FALSE(none.Seen().shown);
    EXPECT_EQ(ListedRows(), (Rows{{"After set-up", "SETUP1", "False"}}));
}

TEST_F(SiteTest, AddStoresTheCouponAndAnAddOfATakenCodeIsRefused) {
    ConfigureSite();
    ModalAction add("frmCoupon", [&](QWidget* w) {
        auto* d = static_cast<TfrmCoupon*>(w);
        TypeInto(d->edtCouponName, "Spring sale");
        TypeInto(d->edtCouponCode, "SPRING");
        ClickBox(d->rbtByDays);
        d->edtDays->setValue(14);
        TypeInto(d->edtURL, OrderPage("SPRING"));
        d->memComments->setFocus();
        QTest::keyClicks(d->memComments, "Two weeks");
        QTest::keyClick(d->memComments, Qt::Key_Return);
        QTest::keyClicks(d->memComments, "from today");
        Click(d->btnOk);
    });
    Click(window->bsSkinButton5);
    ASSERT_TRUE(add.Ran());
    EXPECT_EQ(ListedRows(), (Rows{{"Spring sale", "SPRING", "False"}}));
    EXPECT_EQ(ServerList(), "1\tSPRING\tSpring sale\t0\n");
    std::string record;
    ASSERT_TRUE(window->FetchCoupon("1", record));
    EXPECT_NE(record.find("\"2\",\"14\","), std::string::npos) << record;
    // The memo's line breaks travel as CR LF.
    EXPECT_NE(record.find("Two weeks\r\nfrom today"), std::string::npos) << record;

    // The same code again: a warning, and the dialog stays with its values.
    SeenMessage seen;
    ModalAction again("frmCoupon", [&](QWidget* w) {
        auto* d = static_cast<TfrmCoupon*>(w);
        TypeInto(d->edtCouponName, "Another");
        TypeInto(d->edtCouponCode, "SPRING");
        MessageAnswer warning("OK");
        Click(d->btnOk);
        seen = warning.Seen();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(d->edtCouponName->text(), "Another");
        Click(d->btnCancel);
    });
    Click(window->bsSkinButton5);
    ASSERT_TRUE(again.Ran());
    EXPECT_TRUE(seen.shown);
    EXPECT_EQ(seen.text, "This coupon code already exists. Please enter a new code.");
    EXPECT_EQ(ListedRows(), (Rows{{"Spring sale", "SPRING", "False"}}));
    EXPECT_EQ(ServerList(), "1\tSPRING\tSpring sale\t0\n");
}

TEST_F(SiteTest, TheListShowsWhatTheServerHoldsInItsOrder) {
    ConfigureSite();
    TCouponRecord expired = Coupon("OLD001", "Old one");
    expired.coupexpired = "1";
    ASSERT_EQ(window->AddCoupon(Coupon("AAA001", "First")), SaveOutcome::Done);
    ASSERT_EQ(window->AddCoupon(expired), SaveOutcome::Done);
    ASSERT_EQ(window->AddCoupon(Coupon("<b>x</b>", "It's \"quoted\"")), SaveOutcome::Done);
    Click(window->bsSkinButton8);
    EXPECT_EQ(ListedRows(), (Rows{{"First", "AAA001", "False"},
                                  {"Old one", "OLD001", "True"},
                                  {"It's \"quoted\"", "<b>x</b>", "False"}}));
}

TEST_F(SiteTest, GenerateFindsAFreeCodeThatIsThenStored) {
    ConfigureSite();
    ASSERT_EQ(window->AddCoupon(Coupon("TAKEN1", "Taken")), SaveOutcome::Done);
    std::string generated;
    ModalAction add("frmCoupon", [&](QWidget* w) {
        auto* d = static_cast<TfrmCoupon*>(w);
        TypeInto(d->edtCouponName, "Generated");
        Click(d->btnGenCode);
        generated = d->edtCouponCode->text().toStdString();
        Click(d->btnOk);
    });
    Click(window->bsSkinButton5);
    ASSERT_TRUE(add.Ran());
    ASSERT_EQ(generated.size(), 6u);
    for (char c : generated)
        EXPECT_TRUE(c >= 'A' && c <= 'Y') << generated;
    EXPECT_EQ(ListedRows(), (Rows{{"Taken", "TAKEN1", "False"}, {"Generated", generated, "False"}}));
}

TEST_F(SiteTest, EditShowsTheStoredCouponAndStoresTheChanges) {
    ConfigureSite();
    TCouponRecord byDate = Coupon("DATE01", "By date", "3");
    byDate.coupexpirdate = "2031-2-28";
    byDate.couponcomments = "line one\r\nline two";
    ASSERT_EQ(window->AddCoupon(Coupon("OTHER1", "Other")), SaveOutcome::Done);
    ASSERT_EQ(window->AddCoupon(byDate), SaveOutcome::Done);
    Click(window->bsSkinButton8);
    SelectRow(1);

    ModalAction edit("frmCoupon", [&](QWidget* w) {
        auto* d = static_cast<TfrmCoupon*>(w);
        EXPECT_EQ(d->windowTitle(), "Edit Coupon");
        EXPECT_EQ(d->edtCouponName->text(), "By date");
        EXPECT_EQ(d->edtCouponCode->text(), "DATE01");
        EXPECT_TRUE(d->rbtByDate->isChecked());
        EXPECT_EQ(d->edtDate->date(), QDate(2031, 2, 28));
        EXPECT_EQ(d->edtURL->text().toStdString(), OrderPage("DATE01"));
        EXPECT_EQ(d->memComments->toPlainText(), "line one\nline two");
        TypeInto(d->edtCouponName, "Renamed");
        ClickBox(d->chkEpired);
        Click(d->btnOk);
    });
    Click(window->bsSkinButton6);
    ASSERT_TRUE(edit.Ran());
    EXPECT_EQ(ListedRows(), (Rows{{"Other", "OTHER1", "False"}, {"Renamed", "DATE01", "True"}}));
    std::string record;
    ASSERT_TRUE(window->FetchCoupon("2", record));
    EXPECT_NE(record.find("\"2\",\"DATE01\",\"Renamed\",\"1\",\"3\",\"10\",\"2031-2-28\""), std::string::npos)
        << record;
}

TEST_F(SiteTest, EditOfACouponDeletedMeanwhileIsToldAndStoresNothing) {
    ConfigureSite();
    ASSERT_EQ(window->AddCoupon(Coupon("GONE01", "Going")), SaveOutcome::Done);
    Click(window->bsSkinButton8);
    SelectRow(0);

    // Deleted while the editor is open: saving reports it.
    SeenMessage seen;
    ModalAction edit("frmCoupon", [&](QWidget* w) {
        auto* d = static_cast<TfrmCoupon*>(w);
        site->Sql("DELETE FROM " + site->Database() + ".couponsactions_coupons");
        TypeInto(d->edtCouponName, "Too late");
        MessageAnswer warning("OK");
        Click(d->btnOk);
        seen = warning.Seen();
        EXPECT_TRUE(d->isVisible());
        Click(d->btnCancel);
    });
    Click(window->bsSkinButton6);
    ASSERT_TRUE(edit.Ran());
    EXPECT_EQ(seen.text, "This coupon code don't exists. Please close the edit windows and try again.");
    EXPECT_EQ(ServerList(), "");

    // Deleted before Edit is pressed: the fetch finds nothing and no editor opens.
    ModalAction noEditor([](QWidget* w) { w->close(); });
    Click(window->bsSkinButton6);
    EXPECT_FALSE(noEditor.Ran());
    EXPECT_EQ(ServerList(), "");
}

TEST_F(SiteTest, DeleteSelectedRemovesOnlyTheCheckedCoupons) {
    ConfigureSite();
    for (const char* code : {"DEL001", "KEEP01", "DEL002"})
        ASSERT_EQ(window->AddCoupon(Coupon(code, std::string("Coupon ") + code)), SaveOutcome::Done);
    Click(window->bsSkinButton8);
    CheckRow(0);
    CheckRow(2);
    MessageAnswer confirm("OK");
    Click(window->bsSkinButton3);
    EXPECT_TRUE(confirm.Seen().shown);
    EXPECT_EQ(ListedRows(), (Rows{{"Coupon KEEP01", "KEEP01", "False"}}));
    EXPECT_EQ(ServerList(), "2\tKEEP01\tCoupon KEEP01\t0\n");
}

TEST_F(SiteTest, DeleteAllRemovesEveryCoupon) {
    ConfigureSite();
    for (const char* code : {"ALL001", "ALL002", "ALL003"})
        ASSERT_EQ(window->AddCoupon(Coupon(code, code)), SaveOutcome::Done);
    Click(window->bsSkinButton8);
    ASSERT_EQ(ListedRows().size(), 3u);
    MessageAnswer confirm("OK");
    Click(window->bsSkinButton4);
    EXPECT_TRUE(confirm.Seen().shown);
    EXPECT_EQ(ListedRows(), Rows{});
    EXPECT_EQ(ServerList(), "");
}

} // namespace
