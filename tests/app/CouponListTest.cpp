// SPDX-License-Identifier: GPL-3.0-or-later
// The coupon list on the real main window: start-up loading, marking rows,
// deleting, refreshing, and the editor opened to add and to edit, against
// the scripted loopback server.

#include "dialogs/FCoupon.h"
#include "tests/support/ServiceScript.h"
#include "tests/support/gui/ListClicks.h"
#include "tests/support/gui/MainWindowFixture.h"
#include "toolkit/SkinDateEdit.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QAccessible>
#include <QApplication>
#include <QShortcut>
#include <QTest>
#include <tuple>

namespace {

using Then = ScriptedServer::Then;

const Fields kCheck{{"action", "1"}, {"end", ""}};
const Fields kList{{"action", "5"}, {"end", ""}};
const std::string kThreeRows =
    "\"4\",\"AAAAAA\",\"First\",\"0\"^\"9\",\"BBBBBB\",\"Second\",\"1\"^\"12\",\"CCCCCC\",\"Third\",\"0\"^OK";

Fields Delete(const std::string& ids) { return {{"action", "4"}, {"coupdeleteids", ids}, {"end", ""}}; }

class CouponList : public MainWindowTest {
protected:
    // The site answers the start-up check with OK and lists these rows.
    TfrmMain& StartWith(const std::string& listReply = kThreeRows) {
        server = std::make_unique<ScriptedServer>(
            std::vector<ScriptedServer::Exchange>{Action(kCheck, "OK"), Action(kList, listReply)});
        PrepareSite("http://" + server->HostPort());
        TfrmMain& w = Start();
        EXPECT_TRUE(server->WaitDone());
        return w;
    }
    void Then(const Fields& fields, const std::string& reply) { server->Add(Action(fields, reply)); }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int r = 0; r < window->CouponList->rowCount(); ++r)
            names.push_back(window->CouponList->Row(r).Name);
        return names;
    }
    int Checked() const {
        int n = 0;
        for (int r = 0; r < window->CouponList->rowCount(); ++r)
            n += window->CouponList->IsChecked(r);
        return n;
    }
    // Nothing more was asked of the server than its script.
    void ExpectServed(int exchanges) {
        EXPECT_TRUE(server->WaitDone());
        EXPECT_EQ(server->ServedCount(), exchanges);
        EXPECT_TRUE(server->Failures().empty()) << server->Failures().front();
    }

    std::unique_ptr<ScriptedServer> server;
};

TEST_F(CouponList, StartUpLoadsTheListOnlyWhenTheServerAnswersExactlyOK) {
    TfrmMain& w = StartWith();
    EXPECT_EQ(Names(), (std::vector<std::string>{"First", "Second", "Third"}));
    EXPECT_EQ(w.CouponList->Row(1).Expired, "True");
    EXPECT_EQ(w.CouponList->Row(2).Id, "12");
    EXPECT_EQ(Checked(), 0);
    EXPECT_FALSE(w.lvwItems->selectionModel()->hasSelection());
}

TEST_F(CouponList, AServerNotReadyLeavesTheListEmptyWithoutAMessage) {
    for (const char* reply : {"OK\n", "BAD", "<html>Not here</html>"}) {
        server = std::make_unique<ScriptedServer>(std::vector<ScriptedServer::Exchange>{Action(kCheck, reply)});
        PrepareSite("http://" + server->HostPort());
        ModalAction anyMessage([](QWidget* w) { w->close(); });
        TfrmMain& w = Start();
        ExpectServed(1);
        EXPECT_EQ(w.CouponList->rowCount(), 0);
        EXPECT_FALSE(anyMessage.Ran()) << reply;
        window.reset();
    }
}

TEST_F(CouponList, NoSettingsFileMeansNoRequestAndNoMessage) {
    ModalAction anyMessage([](QWidget* w) { w->close(); });
    TfrmMain& w = Start();
    EXPECT_EQ(w.CouponList->rowCount(), 0);
    EXPECT_FALSE(anyMessage.Ran());
}

TEST_F(CouponList, SelectAllAndClearSelectionMarkEveryRow) {
    TfrmMain& w = StartWith();
    ClickCheckBox(w.lvwItems, 1);
    EXPECT_EQ(Checked(), 1);
    Click(w.bsSkinButton1);
    EXPECT_EQ(Checked(), 3);
    Click(w.bsSkinButton2);
    EXPECT_EQ(Checked(), 0);
    ExpectServed(2);
}

TEST_F(CouponList, DeleteSelectedWithNothingCheckedDoesNothingAtAll) {
    TfrmMain& w = StartWith();
    ModalAction anyMessage([](QWidget* m) { m->close(); });
    ClickCell(w.lvwItems, 0, 1);  // selected, but not checked
    Click(w.bsSkinButton3);
    EXPECT_FALSE(anyMessage.Ran());
    ExpectServed(2);
}

TEST_F(CouponList, DeleteSelectedAsksFirstAndCancelSendsNothing) {
    TfrmMain& w = StartWith();
    ClickCheckBox(w.lvwItems, 0);
    MessageAnswer cancel("Cancel");
    Click(w.bsSkinButton3);
    ASSERT_TRUE(cancel.Seen().shown);
    EXPECT_EQ(cancel.Seen().title, "Warning");
    EXPECT_EQ(cancel.Seen().text,
              "Are you sure do you want to delete the selected coupons?\n\rThis action will remove also the statistics "
              "related these coupons.");
    EXPECT_EQ(cancel.Seen().buttons, (std::vector<std::string>{"OK", "Cancel"}));
    EXPECT_EQ(Checked(), 1);
    ExpectServed(2);
}

TEST_F(CouponList, DeleteSelectedSendsTheCheckedIdentifiersThenReloads) {
    TfrmMain& w = StartWith();
    ClickCheckBox(w.lvwItems, 0);
    ClickCheckBox(w.lvwItems, 2);
    Then(Delete("4,12"), "OK");
    Then(kList, "\"9\",\"BBBBBB\",\"Second\",\"1\"^OK");
    MessageAnswer ok("OK");
    Click(w.bsSkinButton3);
    EXPECT_TRUE(ok.Seen().shown);
    ExpectServed(4);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Second"}));
    EXPECT_EQ(Checked(), 0);
}

TEST_F(CouponList, AnEmptyIdentifierStillCountsAsACheckedRow) {
    TfrmMain& w = StartWith("\"\",\"AAAAAA\",\"No id\",\"0\"^\"9\",\"BBBBBB\",\"Second\",\"1\"^OK");
    Click(w.bsSkinButton1);
    Then(Delete(",9"), "OK");
    Then(kList, "OK");
    MessageAnswer ok("OK");
    Click(w.bsSkinButton3);
    ExpectServed(4);
}

TEST_F(CouponList, AFailedDeleteIsToldAndTheListStays) {
    TfrmMain& w = StartWith();
    Click(w.bsSkinButton1);
    Then(Delete("4,9,12"), "BAD");
    MessageLog answers({"OK", "OK"});
    Click(w.bsSkinButton3);
    ASSERT_EQ(answers.Seen().size(), 2u);
    EXPECT_EQ(answers.Seen()[1].text,
              "There is a trouble deleting coupons, please check your settings and your internet connection.");
    EXPECT_EQ(answers.Seen()[1].buttons, (std::vector<std::string>{"OK"}));
    EXPECT_EQ(Names().size(), 3u);
    EXPECT_EQ(Checked(), 3);
    ExpectServed(3);
}

TEST_F(CouponList, DeleteAllOnAnEmptyListDoesNothingAtAll) {
    TfrmMain& w = StartWith("OK");
    ModalAction anyMessage([](QWidget* m) { m->close(); });
    Click(w.bsSkinButton4);
    EXPECT_FALSE(anyMessage.Ran());
    ExpectServed(2);
}

TEST_F(CouponList, DeleteAllAsksThenSendsAllAndReloads) {
    TfrmMain& w = StartWith();
    {
        MessageAnswer cancel("Cancel");
        Click(w.bsSkinButton4);
        EXPECT_EQ(cancel.Seen().text,
                  "Are you sure do you want to delete all?.\n\r This action will remove also the statistics related "
                  "these coupons.");
    }
    ExpectServed(2);
    Then(Delete("all"), "OK");
    Then(kList, "OK");
    MessageAnswer ok("OK");
    Click(w.bsSkinButton4);
    ExpectServed(4);
    EXPECT_TRUE(Names().empty());
}

TEST_F(CouponList, RefreshFailureIsToldAndTheRowsStay) {
    TfrmMain& w = StartWith();
    Then(kList, "<html>Service Unavailable</html>");
    MessageAnswer told("OK");
    Click(w.bsSkinButton8);
    EXPECT_EQ(told.Seen().text,
              "There is a trouble adding coupons, please check your settings and your internet connection.");
    EXPECT_EQ(told.Seen().title, "Warning");
    EXPECT_EQ(Names().size(), 3u);
    ExpectServed(3);
}

TEST_F(CouponList, RefreshWithAShortLineKeepsTheRowsBeforeItAndTellsOfTrouble) {
    TfrmMain& w = StartWith();
    Then(kList, "\"1\",\"A\",\"Only\",\"0\"^\"2\",\"B\"^OK");
    MessageAnswer told("OK");
    Click(w.bsSkinButton8);
    EXPECT_TRUE(told.Seen().shown);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Only"}));
}

// Fills the editor of an add and presses Ok, answering the warning that may follow.
struct AddResult {
    bool closedWithOk = false;
    SeenMessage warning;
    std::string nameAfter;
};

class AddAndEdit : public CouponList {
protected:
    AddResult AddCouponThroughTheDialog(const std::string& name, const std::string& code) {
        AddResult result;
        ModalAction dialog("frmCoupon", [&](QWidget* d) {
            auto* f = static_cast<TfrmCoupon*>(d);
            EXPECT_EQ(f->windowTitle(), "Add Coupon");
            QTest::keyClicks(f->edtCouponName, QString::fromStdString(name));
            QTest::keyClicks(f->edtCouponCode, QString::fromStdString(code));
            MessageAnswer warning("OK");
            Click(f->btnOk);
            result.warning = warning.Seen();
            result.closedWithOk = !f->isVisible() && f->result() == 1;
            result.nameAfter = f->edtCouponName->text().toStdString();
            if (f->isVisible())
                Click(f->btnCancel);
        });
        Click(window->bsSkinButton5);
        EXPECT_TRUE(dialog.Ran());
        return result;
    }

    // Adds a list reply that is held back, and runs action from the window's
    // event processing once the reload asking for it has reached the server.
    std::unique_ptr<WhenReceived> WhileAHeldReloadWaits(std::function<void()> action) {
        ScriptedServer::Exchange held = Action(kList, kThreeRows);
        held.held = true;
        server->Add(held);
        return std::make_unique<WhenReceived>(*server, server->ServedCount(), std::move(action));
    }

    // A new coupon's wire values at the editor's defaults: one time use,
    // one day, today's date as the expiry date.
    static TCouponRecord Defaults(const std::string& name, const std::string& code) {
        return {"", code, name, "0", "1", "1", TodayOnTheWire(), "", "", TodayOnTheWire()};
    }
};

TEST_F(AddAndEdit, AddStoredClosesTheEditorAndReloads) {
    StartWith("OK");
    server->Add({PlainGet(), Reply("<html></html>"), Then::Close});
    Then(SaveFields("2", Defaults("Summer", "SUMMER")), "OK");
    Then(kList, "\"1\",\"SUMMER\",\"Summer\",\"0\"^OK");
    AddResult r = AddCouponThroughTheDialog("Summer", "SUMMER");
    EXPECT_TRUE(r.closedWithOk);
    EXPECT_FALSE(r.warning.shown);
    ExpectServed(5);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Summer"}));
}

TEST_F(AddAndEdit, AddOutcomesOtherThanStoredWarnAndKeepEveryValue) {
    const std::pair<std::string, std::string> cases[] = {
        {"EXIST RECORD", "This coupon code already exists. Please enter a new code."},
        {"BAD", "There is a trouble adding this coupon, please check your settings and your internet connection."},
    };
    StartWith("OK");
    int served = 2;
    for (const auto& [reply, text] : cases) {
        server->Add({PlainGet(), Reply(""), Then::Close});
        Then(SaveFields("2", Defaults("Summer", "SUMMER")), reply);
        AddResult r = AddCouponThroughTheDialog("Summer", "SUMMER");
        EXPECT_FALSE(r.closedWithOk);
        EXPECT_EQ(r.warning.text, text);
        EXPECT_EQ(r.nameAfter, "Summer");
        ExpectServed(served += 2);
    }
}

TEST_F(AddAndEdit, NameAndCodeAreRequiredNameFirst) {
    StartWith("OK");
    AddResult none = AddCouponThroughTheDialog("", "");
    EXPECT_EQ(none.warning.text, "Please provide a Coupon Name.");
    AddResult noCode = AddCouponThroughTheDialog("Summer", "");
    EXPECT_EQ(noCode.warning.text, "Please provide a Coupon Code.");
    ExpectServed(2);
}

TEST_F(AddAndEdit, ValuesTheRepliesCannotCarryAreRefusedBeforeAnythingIsSent) {
    StartWith("OK");
    AddResult comma = AddCouponThroughTheDialog("Spring, sale", "SPRING");
    EXPECT_FALSE(comma.closedWithOk);
    EXPECT_NE(comma.warning.text.find("Coupon Name"), std::string::npos) << comma.warning.text;
    EXPECT_NE(comma.warning.text.find("comma"), std::string::npos);
    EXPECT_EQ(comma.nameAfter, "Spring, sale");
    AddResult caret = AddCouponThroughTheDialog("Spring", "SP^RING");
    EXPECT_NE(caret.warning.text.find("Coupon Code"), std::string::npos);
    EXPECT_NE(caret.warning.text.find("caret"), std::string::npos);
    ExpectServed(2);
}

TEST_F(AddAndEdit, BlanksPassTheChecksAndLineBreaksInCommentsTravel) {
    StartWith("OK");
    TCouponRecord r = Defaults("  ", "AB CD");
    r.couponcomments = "first line\r\nsecond\xC2\xA0line";
    server->Add({PlainGet(), Reply(""), Then::Close});
    Then(SaveFields("2", r), "OK");
    Then(kList, "OK");
    ModalAction dialog("frmCoupon", [&](QWidget* d) {
        auto* f = static_cast<TfrmCoupon*>(d);
        QTest::keyClicks(f->edtCouponName, "  ");
        QTest::keyClicks(f->edtCouponCode, "AB CD");
        f->memComments->setPlainText(QString::fromUtf8("first line\nsecond\u00A0line"));
        Click(f->btnOk);
    });
    Click(window->bsSkinButton5);
    ExpectServed(5);
}

TEST_F(AddAndEdit, ClosingTheEditorWithItsCloseBoxIsCancelWithoutReload) {
    TfrmMain& w = StartWith();
    ClickCheckBox(w.lvwItems, 1);
    ModalAction dialog("frmCoupon", [&](QWidget* d) { d->close(); });
    Click(w.bsSkinButton5);
    EXPECT_TRUE(dialog.Ran());
    EXPECT_EQ(Checked(), 1);
    ExpectServed(2);
}

const std::string kFetched =
    "\"9\",\"BBBBBB\",\"Second\",\"1\",\"2\",\"30\",\"2012-11-30\",\"http://shop.example/o\",\"a note\",\"2012-1-1\"^OK";

TEST_F(AddAndEdit, EditFillsTheEditorFromTheFetchedRecordAndUpdates) {
    TfrmMain& w = StartWith();
    ClickCell(w.lvwItems, 1, 1);
    Then({{"action", "9"}, {"coupid", "9"}, {"end", ""}}, kFetched);
    TCouponRecord expected{"9", "BBBBBB", "Second", "1", "2", "30", "2012-11-30", "http://shop.example/o", "a note",
                           TodayOnTheWire()};
    Then(SaveFields("3", expected), "OK");
    Then(kList, kThreeRows);
    ModalAction dialog("frmCoupon", [&](QWidget* d) {
        auto* f = static_cast<TfrmCoupon*>(d);
        EXPECT_EQ(f->windowTitle(), "Edit Coupon");
        EXPECT_EQ(f->CouponId(), "9");
        EXPECT_EQ(f->edtCouponCode->text(), "BBBBBB");
        EXPECT_EQ(f->edtCouponName->text(), "Second");
        EXPECT_TRUE(f->chkEpired->isChecked());
        EXPECT_FALSE(f->rbtOneUse->isChecked());
        EXPECT_TRUE(f->rbtByDays->isChecked());
        EXPECT_FALSE(f->rbtByDate->isChecked());
        EXPECT_EQ(f->edtDays->value(), 30);
        EXPECT_EQ(f->edtDate->date(), QDate(2012, 11, 30));
        EXPECT_EQ(f->edtDate->text(), "11/30/2012");
        EXPECT_EQ(f->edtURL->text(), "http://shop.example/o");
        EXPECT_EQ(f->memComments->toPlainText(), "a note");
        Click(f->btnOk);
    });
    Click(w.bsSkinButton6);
    EXPECT_TRUE(dialog.Ran());
    ExpectServed(5);
}

TEST_F(AddAndEdit, EditOfAVanishedCouponWarnsAndKeepsTheEditorOpen) {
    TfrmMain& w = StartWith();
    ClickCell(w.lvwItems, 1, 0);
    Then({{"action", "9"}, {"coupid", "9"}, {"end", ""}}, kFetched);
    TCouponRecord expected{"9", "BBBBBB", "Second", "1", "2", "30", "2012-11-30", "http://shop.example/o", "a note",
                           TodayOnTheWire()};
    Then(SaveFields("3", expected), "DON'T EXIST RECORD");
    std::string warning;
    ModalAction dialog("frmCoupon", [&](QWidget* d) {
        auto* f = static_cast<TfrmCoupon*>(d);
        MessageAnswer told("OK");
        Click(f->btnOk);
        warning = told.Seen().text;
        EXPECT_TRUE(f->isVisible());
        Click(f->btnCancel);
    });
    Click(w.bsSkinButton6);
    EXPECT_EQ(warning, "This coupon code don't exists. Please close the edit windows and try again.");
    ExpectServed(4);  // no reload after Cancel
}

TEST_F(AddAndEdit, EditWithRowsCheckedButNoneSelectedDoesNothing) {
    TfrmMain& w = StartWith();
    Click(w.bsSkinButton1);
    ModalAction any([](QWidget* d) { d->close(); });
    Click(w.bsSkinButton6);
    EXPECT_FALSE(any.Ran());
    ExpectServed(2);
}

TEST_F(AddAndEdit, EditWhenTheFetchFindsNothingIsSilent) {
    TfrmMain& w = StartWith();
    ClickCell(w.lvwItems, 0, 1);
    Then({{"action", "9"}, {"coupid", "4"}, {"end", ""}}, "^OK");
    ModalAction any([](QWidget* d) { d->close(); });
    Click(w.bsSkinButton6);
    EXPECT_FALSE(any.Ran());
    ExpectServed(3);
}

TEST_F(AddAndEdit, ARecordThatCannotFillTheEditorIsToldAndNothingOpens) {
    TfrmMain& w = StartWith();
    const char* bad[] = {
        "\"4\",\"AAAAAA\",\"First\",\"0\",\"2\",\"30\",\"2012-11-30\",\"u\"^OK",
        "\"4\",\"AAAAAA\",\"First\",\"0\",\"2\",\"x\",\"2012-11-30\",\"u\",\"c\",\"d\"^OK",
        "\"4\",\"AAAAAA\",\"First\",\"0\",\"2\",\"30\",\"2012/11/30\",\"u\",\"c\",\"d\"^OK",
        "\"4\",\"AAAAAA\",\"First\",\"0\",\"2\",\"30\",\"2012-13-30\",\"u\",\"c\",\"d\"^OK",
    };
    int served = 2;
    ClickCell(w.lvwItems, 0, 1);
    for (const char* reply : bad) {
        Then({{"action", "9"}, {"coupid", "4"}, {"end", ""}}, reply);
        MessageAnswer told("OK");
        Click(w.bsSkinButton6);
        EXPECT_EQ(told.Seen().title, "Warning") << reply;
        EXPECT_EQ(told.Seen().text.rfind("This coupon cannot be edited: ", 0), 0u) << told.Seen().text;
        ExpectServed(++served);
    }
}

TEST_F(AddAndEdit, TheFetchedDateHoldsWhateverTheLocaleDateOrder) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TfrmMain& w = StartWith();
    ClickCell(w.lvwItems, 1, 1);
    Then({{"action", "9"}, {"coupid", "9"}, {"end", ""}}, kFetched);
    QDate shown;
    ModalAction dialog("frmCoupon", [&](QWidget* d) {
        shown = static_cast<TfrmCoupon*>(d)->edtDate->date();
        Click(static_cast<TfrmCoupon*>(d)->btnCancel);
    });
    Click(w.bsSkinButton6);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(shown, QDate(2012, 11, 30));
}

TEST_F(AddAndEdit, ASecondExchangeIsRefusedWhileOneIsInFlight) {
    TfrmMain& w = StartWith();
    bool clickedDuringTheRequest = false;
    auto during = WhileAHeldReloadWaits([&] {
        ModalAction any([](QWidget* d) { d->close(); });
        Click(w.bsSkinButton8);
        Click(w.bsSkinButton4);
        Click(w.bsSkinButton5);
        Click(w.btnStats);
        Click(w.btnUpdate);
        clickedDuringTheRequest = true;
        EXPECT_FALSE(any.Ran());
        server->Release();
    });
    Click(w.bsSkinButton8);
    EXPECT_TRUE(clickedDuringTheRequest);
    ExpectServed(3);
    EXPECT_EQ(Names().size(), 3u);
}

TEST_F(AddAndEdit, ClosingTheWindowDuringARequestAbandonsItAtOnceWithoutAMessage) {
    TfrmMain& w = StartWith();
    bool closedFromTheWait = false;
    auto during = WhileAHeldReloadWaits([&] {
        ModalAction any([](QWidget* d) { d->close(); });
        w.close();
        // The request's connection is dropped there and then.
        closedFromTheWait = !w.IdHTTP1.Connected();
        EXPECT_FALSE(any.Ran());
    });
    ModalAction later([](QWidget* d) { d->close(); });
    Click(w.bsSkinButton8);
    EXPECT_TRUE(closedFromTheWait);
    EXPECT_FALSE(w.IdHTTP1.Busy());
    EXPECT_FALSE(later.Ran());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(Names().size(), 3u);
}

// From the keyboard alone. The buttons take no focus: the list has it, and
// keys press the buttons.
class Keyboard : public AddAndEdit {
protected:
    TfrmMain& StartFocused(const std::string& listReply = kThreeRows) {
        TfrmMain& w = StartWith(listReply);
        EXPECT_TRUE(WaitForActive(&w));
        EXPECT_EQ(QApplication::focusWidget(), w.lvwItems);
        return w;
    }
    MousePressCounter mouse;
};

TEST_F(Keyboard, EveryButtonNamesItsKeysInItsTooltip) {
    TfrmMain& w = StartWith();
    const std::pair<TbsSkinButton*, const char*> tips[] = {
        {w.btnLoad, "Generate HTML Form Code (Ctrl+H)"},
        {w.btnStats, "Statistics (Ctrl+I)"},
        {w.bsSkinButton7, "Settings (Ctrl+,)"},
        {w.btnHelp, "Help (F1)"},
        {w.btnUpdate, "Check Updates (Ctrl+U)"},
        {w.btnMakeMoney, "Make Money (Ctrl+M)"},
        {w.bsSkinButton1, "Select All (Ctrl+A)"},
        {w.bsSkinButton2, "Clear Selection (Ctrl+Shift+A)"},
        {w.bsSkinButton5, "Add Coupon (Ctrl+N)"},
        {w.bsSkinButton6, "Edit Coupon (Return on the list, double-click a row)"},
        {w.bsSkinButton3, "Delete Selected (Del)"},
        {w.bsSkinButton4, "Delete All (Shift+Del)"},
        {w.bsSkinButton8, "Refresh (F5)"},
    };
    for (auto [button, tip] : tips) {
        EXPECT_EQ(button->toolTip().toStdString(), tip);
        // Screen readers still name the button by its caption.
        EXPECT_EQ(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name), button->text());
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    }
    // Ctrl+C and Ctrl+Shift+N are left to the list's own menu.
    for (QShortcut* s : w.findChildren<QShortcut*>())
        for (const QKeySequence& keys : s->keys())
            EXPECT_TRUE(keys != QKeySequence(Qt::CTRL | Qt::Key_C) &&
                        keys != QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N))
                << keys.toString().toStdString();
}

TEST_F(Keyboard, ACouponIsAddedAndSavedWithoutTheMouse) {
    StartFocused("OK");
    server->Add({PlainGet(), Reply("<html></html>"), Then::Close});
    Then(SaveFields("2", Defaults("Summer", "SUMMER")), "OK");
    Then(kList, "\"1\",\"SUMMER\",\"Summer\",\"0\"^OK");
    ModalAction dialog("frmCoupon", [&](QWidget* d) {
        auto* f = static_cast<TfrmCoupon*>(d);
        ASSERT_TRUE(WaitForActive(f));
        // The name has the focus as the editor opens.
        EXPECT_EQ(QApplication::focusWidget(), f->edtCouponName);
        Type("Summer");
        Press(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), f->edtCouponCode);
        Type("SUMMER");
        Press(Qt::Key_Return);
    });
    Press(Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(dialog.Ran());
    ExpectServed(5);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Summer"}));
    EXPECT_EQ(mouse.Count(), 0);
}

TEST_F(Keyboard, ReturnOnTheListEditsTheHighlightedRowAndSoDoesADoubleClick) {
    TfrmMain& w = StartFocused();
    const Fields fetch{{"action", "9"}, {"coupid", "9"}, {"end", ""}};
    std::vector<std::string> opened;
    auto editor = [&] {
        return std::make_unique<ModalAction>("frmCoupon", [&](QWidget* d) {
            auto* f = static_cast<TfrmCoupon*>(d);
            opened.push_back(f->windowTitle().toStdString() + " " + f->edtCouponCode->text().toStdString());
            f->close();
        });
    };
    // Down, Down: the second row is highlighted.
    Press(Qt::Key_Down);
    Press(Qt::Key_Down);
    ASSERT_EQ(w.lvwItems->selectionModel()->selectedRows().value(0).row(), 1);
    Then(fetch, kFetched);
    {
        auto e = editor();
        Press(Qt::Key_Return);
    }
    ExpectServed(3);
    EXPECT_EQ(mouse.Count(), 0);
    Then(fetch, kFetched);
    {
        auto e = editor();
        // Through the window, as the platform delivers it: press, release,
        // press, release.
        const QPoint cell = w.lvwItems->visualRect(w.CouponList->index(1, 1)).center();
        QTest::mouseDClick(w.windowHandle(), Qt::LeftButton, {}, w.lvwItems->viewport()->mapTo(&w, cell));
    }
    ExpectServed(4);
    EXPECT_EQ(opened, (std::vector<std::string>{"Edit Coupon BBBBBB", "Edit Coupon BBBBBB"}));
}

TEST_F(Keyboard, ADoubleClickOnACheckBoxOpensNoEditor) {
    TfrmMain& w = StartFocused();
    // The row is highlighted, so Edit Coupon would go ahead if it ran.
    Press(Qt::Key_Down);
    Press(Qt::Key_Down);
    ASSERT_EQ(w.lvwItems->selectionModel()->selectedRows().value(0).row(), 1);
    const QPoint box = CheckBoxCentre(w.lvwItems, 1);
    ASSERT_TRUE(w.lvwItems->visualRect(w.CouponList->index(1, 0)).contains(box));
    ModalAction editor("frmCoupon", [](QWidget* d) { d->close(); });
    QTest::mouseDClick(w.windowHandle(), Qt::LeftButton, {}, w.lvwItems->viewport()->mapTo(&w, box));
    QApplication::processEvents();
    // The box takes the clicks as the item view always does; no fetch, no
    // editor.
    EXPECT_FALSE(editor.Ran());
    ExpectServed(2);
}

TEST_F(Keyboard, DeleteAndShiftDeleteAskFirstAsTheirButtonsDo) {
    StartFocused();
    Press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Checked(), 3);
    Then(Delete("4,9,12"), "OK");
    Then(kList, "\"9\",\"BBBBBB\",\"Second\",\"1\"^OK");
    {
        MessageAnswer ok(Qt::Key_Return);
        Press(Qt::Key_Delete);
        EXPECT_EQ(ok.Seen().text.rfind("Are you sure do you want to delete the selected coupons?", 0), 0u);
    }
    ExpectServed(4);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Second"}));
    {
        MessageAnswer cancel(Qt::Key_Escape);
        Press(Qt::Key_Delete, Qt::ShiftModifier);
        EXPECT_EQ(cancel.Seen().text.rfind("Are you sure do you want to delete all?.", 0), 0u);
    }
    ExpectServed(4);
    EXPECT_EQ(mouse.Count(), 0);
}

TEST_F(Keyboard, F5RefreshesAndCtrlShiftAClearsTheMarks) {
    StartFocused();
    Press(Qt::Key_A, Qt::ControlModifier);
    Press(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Checked(), 0);
    Then(kList, "\"9\",\"BBBBBB\",\"Second\",\"1\"^OK");
    Press(Qt::Key_F5);
    ExpectServed(3);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Second"}));
    // A failed refresh is told, as on the button.
    Then(kList, "BAD");
    MessageAnswer told(Qt::Key_Return);
    Press(Qt::Key_F5);
    EXPECT_EQ(told.Seen().text,
              "There is a trouble adding coupons, please check your settings and your internet connection.");
    EXPECT_EQ(mouse.Count(), 0);
}

TEST_F(Keyboard, TheToolBarKeysOpenTheirWindowsWithTheFirstFieldFocused) {
    StartFocused();
    Then({{"action", "6"}, {"end", ""}}, "OK");
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, const char*, const char*> keys[] = {
        {Qt::Key_H, Qt::ControlModifier, "frmFormCode", "memForm"},
        {Qt::Key_I, Qt::ControlModifier, "frmStats", "cbxCodes"},
        {Qt::Key_Comma, Qt::ControlModifier, "frmSettings", "edtSite"},
    };
    for (auto [key, modifiers, window, first] : keys) {
        std::string focused;
        ModalAction opened(window, [&](QWidget* d) {
            EXPECT_TRUE(WaitForActive(d));
            if (QWidget* f = QApplication::focusWidget())
                focused = f->objectName().toStdString();
            d->close();
        });
        Press(key, modifiers);
        EXPECT_TRUE(opened.Ran()) << window;
        EXPECT_EQ(focused, first) << window;
    }
    ExpectServed(3);
    EXPECT_EQ(mouse.Count(), 0);
}

} // namespace
