// SPDX-License-Identifier: GPL-3.0-or-later
// New coupons in bulk, through the real main window against the scripted
// server: the context menu and shortcut that open the dialog, its checks,
// the wire order of each coupon (action 8 until the code is free, the GET,
// action 2), Cancel in the middle, a failed add, and the CSV of the new
// coupons read back by Python's csv module.

#include "app/CouponListMenu.h"
#include "dialogs/BulkRun.h"
#include "dialogs/FBulk.h"
#include "dialogs/FBulkProgress.h"
#include "tests/support/CsvReadBack.h"
#include "tests/support/ServiceScript.h"
#include "tests/support/gui/FileDialogAnswer.h"
#include "tests/support/gui/MainWindowFixture.h"
#include "toolkit/SkinDateEdit.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTest>
#include <functional>
#include <mutex>
#include <regex>
#include <set>

namespace {

using Exchange = ScriptedServer::Exchange;

const Fields kCheck{{"action", "1"}, {"end", ""}};
const Fields kList{{"action", "5"}, {"end", ""}};

// What the test types into the dialog, and the record every coupon must
// carry on the wire (its code aside).
const std::string kName = "No\xC3\xABl \"XMAS\" mailing";
TCouponRecord Values() {
    TCouponRecord r;
    r.coupname = kName;
    r.coupexpired = "0";
    r.coupexpirtype = "2";
    r.coupexpirdays = "14";
    r.coupexpirdate = "2026-12-31";
    r.couponorderurl = "http://shop.example/xmas";
    r.couponcomments = "Line one\r\nline two";
    r.coupcreatedate = TodayOnTheWire();
    return r;
}

// The codes the client checked, in order, as the server saw them.
struct Codes {
    std::mutex lock;
    std::vector<std::string> checked;
    std::string Last() {
        std::lock_guard<std::mutex> g(lock);
        return checked.empty() ? std::string() : checked.back();
    }
};

// Action 8 for a code of prefix + six letters from A to Y.
Exchange CodeCheck(std::shared_ptr<Codes> codes, const std::string& prefix, const std::string& reply) {
    return {ScriptedServer::Expect::Where([codes, prefix](const std::string& request) -> std::string {
                std::string error;
                Fields f = FormFields(request, error);
                if (!error.empty())
                    return error;
                if (f.size() != 3 || f[0] != Fields::value_type{"action", "8"} || f[1].first != "coupcode" ||
                    f[2] != Fields::value_type{"end", ""})
                    return "not an action-8 request";
                if (!std::regex_match(f[1].second, std::regex(prefix + "[A-Y]{6}")))
                    return "code " + f[1].second + " is not " + prefix + " and six letters from A to Y";
                std::lock_guard<std::mutex> g(codes->lock);
                codes->checked.push_back(f[1].second);
                return ActionPost(f).check(request);
            }),
            Reply(reply), ScriptedServer::Then::Close};
}

// Action 2 with the values and the code checked last.
Exchange Add(std::shared_ptr<Codes> codes, const std::string& reply) {
    return {ScriptedServer::Expect::Where([codes](const std::string& request) {
                TCouponRecord r = Values();
                r.coupcode = codes->Last();
                return ActionPost(SaveFields("2", r)).check(request);
            }),
            Reply(reply), ScriptedServer::Then::Close};
}

class BulkCoupons : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        server = std::make_unique<ScriptedServer>(std::vector<Exchange>{Action(kCheck, "OK"), Action(kList, "OK")});
        PrepareSite("http://" + server->HostPort());
        Start();
        ASSERT_TRUE(server->WaitDone());
    }

    // One coupon as the editor adds it: the code check(s), the GET, the add.
    void ExpectCoupon(const std::vector<std::string>& checks = {"DON'T EXIST RECORD"},
                      const std::string& addReply = "OK") {
        for (const std::string& reply : checks)
            server->Add(CodeCheck(codes, "XMAS", reply));
        server->Add({PlainGet(), Reply("Coupon service"), ScriptedServer::Then::Close});
        server->Add(Add(codes, addReply));
    }

    // The list reply holding a coupon for each of the first codes checked
    // (a taken code's coupon too), identifiers 101, 102, ... in that order.
    std::string ListReply(std::size_t count) {
        std::string reply;
        std::lock_guard<std::mutex> g(codes->lock);
        for (std::size_t i = 0; i < count && i < codes->checked.size(); ++i)
            reply += "\"" + std::to_string(101 + i) + "\",\"" + codes->checked[i] + "\",\"" + kName + "\",\"0\"^";
        return reply + "OK";
    }

    // For the answers to the messages after a run: when the first (the
    // run's outcome) shows, the reload that follows lists the first
    // listed codes checked.
    std::function<void(std::size_t)> ReloadListing(std::size_t listed) {
        return [this, listed](std::size_t turn) {
            if (turn == 0)
                server->Add(Action(kList, ListReply(listed)));
        };
    }

    // Asks for 25 coupons of the prefix XMAS as a user does, and presses Ok.
    void RunTwentyFive() {
        Bulk([](TfrmBulk* d) {
            Fill(d, 25, "XMAS");
            Click(d->btnOk);
        });
    }

    // Runs 25 coupons and stops the run by press while the tenth is under way.
    void RunCancelledInFlight(const std::function<void(TfrmBulkProgress*)>& press);

    // Fills the dialog as a user does.
    static void Fill(TfrmBulk* d, int count, const std::string& prefix) {
        d->edtCount->selectAll();
        QTest::keyClicks(d->edtCount, QString::number(count));
        QTest::keyClicks(d->edtPrefix, QString::fromStdString(prefix));
        // As if pasted: key clicks carry no letters beyond ASCII.
        d->edtCouponName->insert(QString::fromUtf8(kName.c_str()));
        // On the indicator, where a user aims: the button is wider than its caption.
        const int x = d->rbtByDays->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, d->rbtByDays) / 2 + 1;
        QTest::mouseClick(d->rbtByDays, Qt::LeftButton, {}, QPoint(x, d->rbtByDays->height() / 2));
        d->edtDays->selectAll();
        QTest::keyClicks(d->edtDays, "14");
        d->edtDate->setDate(QDate(2026, 12, 31));
        QTest::keyClicks(d->edtURL, "http://shop.example/xmas");
        d->memComments->setFocus();
        QTest::keyClicks(d->memComments, "Line one");
        QTest::keyClick(d->memComments, Qt::Key_Return);
        QTest::keyClicks(d->memComments, "line two");
    }

    // Opens the dialog with Ctrl+Shift+N and runs inside() in it.
    void Bulk(const std::function<void(TfrmBulk*)>& inside) {
        ModalAction bulk("frmBulk", [&](QWidget* w) { inside(static_cast<TfrmBulk*>(w)); });
        QTest::keyClick(window.get(), Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
        ASSERT_TRUE(bulk.Ran());
    }

    std::unique_ptr<ScriptedServer> server;
    std::shared_ptr<Codes> codes = std::make_shared<Codes>();
};

TEST_F(BulkCoupons, TheDialogStartsAtItsDefaultsEveryControlNamed) {
    Bulk([](TfrmBulk* d) {
        EXPECT_EQ(d->windowTitle(), "New Coupons in Bulk");
        EXPECT_TRUE(d->isModal());
        EXPECT_EQ(d->edtCount->value(), 10);
        EXPECT_EQ(d->edtCount->minimum(), 1);
        EXPECT_EQ(d->edtCount->maximum(), 10000);
        EXPECT_EQ(d->edtLetters->value(), 6);
        EXPECT_EQ(d->edtLetters->minimum(), 4);
        EXPECT_EQ(d->edtLetters->maximum(), 16);
        EXPECT_TRUE(d->edtPrefix->text().isEmpty());
        EXPECT_FALSE(d->chkEpired->isChecked());
        EXPECT_TRUE(d->rbtOneUse->isChecked());
        EXPECT_EQ(d->edtDays->value(), 1);
        EXPECT_EQ(d->edtDate->date(), QDate::currentDate());
        const std::pair<QWidget*, const char*> names[] = {
            {d->edtCount, "Number of Coupons:"}, {d->edtPrefix, "Code Prefix:"},
            {d->edtLetters, "Random Letters:"},  {d->edtCouponName, "Coupon Name:"},
            {d->edtURL, "Discounted Order Page:"}, {d->memComments, "Comments:"},
            {d->chkEpired, "Expired"},           {d->rbtOneUse, "One Time Use"},
            {d->edtDays, "day(s)"},              {d->btnOk, "Ok"},
            {d->btnCancel, "Cancel"},
        };
        for (const auto& [control, name] : names) {
            QString accessible = control->accessibleName();
            if (accessible.isEmpty())
                if (auto* b = qobject_cast<QAbstractButton*>(control))
                    accessible = b->text();
            EXPECT_EQ(accessible, name);
        }
        Click(d->btnCancel);
    });
    EXPECT_TRUE(server->Check());
    EXPECT_EQ(server->ServedCount(), 2);
}

TEST_F(BulkCoupons, OkRefusesWhatTheEditorRefusesAndABadPrefixSendingNothing) {
    struct Case {
        const char* prefix;
        const char* name;
        const char* url;
        std::string message;
    };
    const Case cases[] = {
        {"XMAS", "", "", "Please provide a Coupon Name."},
        {"XM-AS", "n", "", "The Code Prefix can hold only the letters A to Z and the digits 0 to 9, not \"-\"."},
        {"XM AS", "n", "", "The Code Prefix can hold only the letters A to Z and the digits 0 to 9, not a blank."},
        {"XM\xC3\x89", "n", "", "The Code Prefix can hold only the letters A to Z and the digits 0 to 9, not \"\xC3\x89\"."},
        {"ABCDEFGHIJKLM", "n", "", "The Code Prefix can hold at most 12 characters."},
        {"XMAS", "a,b", "",
         "The Coupon Name cannot hold a comma (,): the server could not give it back correctly. Please remove it."},
        {"XMAS", "n", "http://x/^",
         "The Discounted Order Page cannot hold a caret (^): the server could not give it back correctly. Please "
         "remove it."},
    };
    Bulk([&](TfrmBulk* d) {
        for (const Case& c : cases) {
            d->edtPrefix->setText(QString::fromUtf8(c.prefix));
            d->edtCouponName->setText(QString::fromUtf8(c.name));
            d->edtURL->setText(QString::fromUtf8(c.url));
            MessageAnswer told("OK");
            Click(d->btnOk);
            EXPECT_EQ(told.Seen().text, c.message) << c.prefix << " / " << c.name;
            EXPECT_EQ(told.Seen().title, "Warning");
            EXPECT_TRUE(d->isVisible());
        }
        // Twelve letters and digits pass the prefix check.
        d->edtPrefix->setText("Ab3456789012");
        d->edtCouponName->clear();
        MessageAnswer told("OK");
        Click(d->btnOk);
        EXPECT_EQ(told.Seen().text, "Please provide a Coupon Name.");
        Click(d->btnCancel);
    });
    EXPECT_TRUE(server->Check());
    EXPECT_EQ(server->ServedCount(), 2);
}

TEST_F(BulkCoupons, FromTheKeyboardTheCountComesFirstAndReturnIsOk) {
    Bulk([](TfrmBulk* d) {
        ASSERT_TRUE(WaitForActive(d));
        EXPECT_EQ(QApplication::focusWidget(), d->edtCount);
        // Ok's handler runs (the empty name is told, Return answers it).
        for (auto [field, modifiers] : {std::pair<QWidget*, Qt::KeyboardModifiers>{d->edtPrefix, Qt::NoModifier},
                                        {d->memComments, Qt::ControlModifier}}) {
            field->setFocus();
            MessageAnswer told(Qt::Key_Return);
            Press(Qt::Key_Return, modifiers);
            EXPECT_EQ(told.Seen().text, "Please provide a Coupon Name.");
        }
        EXPECT_EQ(d->btnOk->toolTip(), "Ok (Return, Ctrl+Return)");
        d->close();
    });
    EXPECT_TRUE(server->Check());
    EXPECT_EQ(server->ServedCount(), 2);
}

TEST_F(BulkCoupons, TwentyFiveCouponsEachAsTheEditorAddsOneThenTheListAndTheirCsv) {
    // The seventh code drawn is taken: the client draws another.
    for (int k = 1; k <= 25; ++k)
        ExpectCoupon(k == 7 ? std::vector<std::string>{"EXIST RECORD", "DON'T EXIST RECORD"}
                            : std::vector<std::string>{"DON'T EXIST RECORD"});
    TempDir out;
    FileDialogAnswer save("dlgSaveCsv", out.File("xmas.csv"));
    MessageLog messages({"OK", "&Yes"}, ReloadListing(26));
    RunTwentyFive();
    ASSERT_TRUE(server->WaitDone());
    ASSERT_EQ(messages.Seen().size(), 2u);
    EXPECT_EQ(messages.Seen()[0].title, "Information");
    EXPECT_EQ(messages.Seen()[0].text, "Added 25 coupons.");
    EXPECT_EQ(messages.Seen()[1].text, "Do you want to save the codes of the 25 new coupons as a CSV file?");

    // 26 checks for 25 codes; each new, prefix and six letters from A to Y.
    const std::vector<std::string> checked = codes->checked;
    ASSERT_EQ(checked.size(), 26u);
    EXPECT_EQ(std::set<std::string>(checked.begin(), checked.end()).size(), 26u);
    EXPECT_EQ(window->CouponList->rowCount(), 26);

    ASSERT_TRUE(save.Ran());
    EXPECT_EQ(save.Proposed(), "coupons-" + QDate::currentDate().toString("yyyy-MM-dd").toStdString() + ".csv");
    const std::string bytes = out.Read("xmas.csv");
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    std::string error;
    CsvRows rows = ReadCsvWithPython(out.File("xmas.csv"), error);
    ASSERT_EQ(rows.size(), 26u) << error;
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Coupon Name", "Code", "Expired", "Id"}));
    // The added ones, in the order added, with the identifiers of the reload;
    // the seventh code checked was taken and is not among them.
    for (std::size_t i = 0, row = 1; i < checked.size(); ++i) {
        if (i != 6) {
            EXPECT_EQ(rows[row++], (std::vector<std::string>{kName, checked[i], "False", std::to_string(101 + i)}));
        }
    }
    // Every line, the last too, ends with CR LF.
    std::size_t crlf = 0;
    for (std::size_t at = 0; (at = bytes.find("\r\n", at)) != std::string::npos; at += 2)
        ++crlf;
    EXPECT_EQ(crlf, 26u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
}

TEST_F(BulkCoupons, CancelStopsAfterTheCouponInFlight) {
    RunCancelledInFlight([](TfrmBulkProgress* p) { Click(p->btnCancel); });
}

TEST_F(BulkCoupons, EscapeInTheProgressWindowCancelsAsItsButtonDoes) {
    RunCancelledInFlight([](TfrmBulkProgress* p) { QTest::keyClick(p, Qt::Key_Escape); });
}

void BulkCoupons::RunCancelledInFlight(const std::function<void(TfrmBulkProgress*)>& press) {
    for (int k = 1; k <= 9; ++k)
        ExpectCoupon();
    // The tenth coupon's add waits for the test: Cancel is pressed while it
    // is under way, and the run stops once it is added.
    server->Add(CodeCheck(codes, "XMAS", "DON'T EXIST RECORD"));
    server->Add({PlainGet(), Reply("Coupon service"), ScriptedServer::Then::Close});
    Exchange tenth = Add(codes, "OK");
    tenth.held = true;
    server->Add(tenth);
    WhenReceived cancel(*server, 2 + 10 * 3 - 1, [&] {
        TfrmBulkProgress* p = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->objectName() == "frmBulkProgress")
                p = static_cast<TfrmBulkProgress*>(w);
        if (p) {
            EXPECT_EQ(p->lblProgress->text().toStdString(), "Adding coupon 10 of 25");
            press(p);
            EXPECT_EQ(p->lblProgress->text().toStdString(), "Stopping after coupon 10 of 25...");
        }
        EXPECT_NE(p, nullptr);
        server->Release();
    });
    MessageLog messages({"OK", "&No"}, ReloadListing(10));
    RunTwentyFive();
    EXPECT_TRUE(cancel.Ran());
    ASSERT_TRUE(server->WaitDone());
    ASSERT_EQ(messages.Texts().size(), 2u);
    EXPECT_EQ(messages.Seen()[0].title, "Information");
    EXPECT_EQ(messages.Texts()[0], "Added 10 coupons. The run was cancelled: 15 of the 25 were not added.");
    EXPECT_EQ(window->CouponList->rowCount(), 10);
    EXPECT_EQ(server->ServedCount(), 2 + 30 + 1);
}

TEST_F(BulkCoupons, AFailedAddStopsTheRunAndSaysHowManyWereAdded) {
    for (int k = 1; k <= 4; ++k)
        ExpectCoupon();
    ExpectCoupon({"DON'T EXIST RECORD"}, "BAD");
    MessageLog messages({"OK", "&No"}, ReloadListing(4));
    RunTwentyFive();
    ASSERT_TRUE(server->WaitDone());
    ASSERT_EQ(messages.Texts().size(), 2u);
    EXPECT_EQ(messages.Seen()[0].title, "Warning");
    EXPECT_EQ(messages.Texts()[0], "Added 4 coupons. Adding coupon 5 of 25 failed, so the run stopped there. Please "
                                   "check your settings and your internet connection.");
    EXPECT_EQ(window->CouponList->rowCount(), 4);
}

TEST_F(BulkCoupons, AThousandTakenCodesInARowStopTheRunWithAWarningAndTheDialogStays) {
    std::vector<std::string> taken(TBulkRun::kMaxTries, "EXIST RECORD");
    for (const std::string& reply : taken)
        server->Add(CodeCheck(codes, "", reply));
    SeenMessage seen;
    Bulk([&](TfrmBulk* d) {
        d->edtCount->setValue(1);
        d->edtCouponName->setText("One");
        MessageAnswer told("OK");
        Click(d->btnOk);
        seen = told.Seen();
        EXPECT_TRUE(d->isVisible());
        Click(d->btnCancel);
    });
    EXPECT_TRUE(server->WaitDone());
    EXPECT_EQ(seen.title, "Warning");
    EXPECT_EQ(seen.text, "Added 0 coupons. No free code was found for coupon 1 of 1 after 1000 tries, so the run "
                         "stopped there. Please choose more random letters or another prefix.");
}

TEST_F(BulkCoupons, TheContextMenuOffersItByMouseAndByTheMenuKey) {
    server->Add(Action(kList, "\"7\",\"ABCDEF\",\"Spring sale\",\"0\"^OK"));
    Click(window->bsSkinButton8);
    ASSERT_TRUE(server->WaitDone());
    QTableView* list = window->lvwItems;
    QMenu* menu = window->CouponListMenu->Menu();

    // A right click on a row highlights it and opens the menu there.
    const QPoint cell = list->visualRect(list->model()->index(0, 1)).center();
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, cell);
    QContextMenuEvent mouse(QContextMenuEvent::Mouse, cell, list->viewport()->mapToGlobal(cell));
    QApplication::sendEvent(list->viewport(), &mouse);
    ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); }));
    QStringList captions;
    for (QAction* a : menu->actions())
        captions << a->text();
    EXPECT_EQ(captions, (QStringList{"New Coupons in Bulk...", "Copy Code", "Export List as CSV..."}));
    EXPECT_EQ(window->CouponListMenu->actBulk->shortcut(), QKeySequence("Ctrl+Shift+N"));
    EXPECT_EQ(window->CouponListMenu->actCopyCode->shortcut(), QKeySequence("Ctrl+C"));
    EXPECT_TRUE(window->CouponListMenu->actCopyCode->isEnabled());
    ModalAction bulk("frmBulk", [](QWidget* w) { Click(static_cast<TfrmBulk*>(w)->btnCancel); });
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(window->CouponListMenu->actBulk).center());
    EXPECT_TRUE(bulk.Ran());

    // The menu key opens it at the highlighted row. The platform hands the
    // key to the window, which passes it on to the widget with the focus:
    // the list itself, not its viewport.
    window->activateWindow();
    ASSERT_TRUE(WaitForActive(window.get()));
    list->setFocus();
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0), window->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(window->windowHandle(), &key);
    ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); }));
    const QRect row = list->visualRect(list->model()->index(0, 0));
    EXPECT_EQ(menu->pos(), list->viewport()->mapToGlobal(row.bottomLeft()));
    QTest::keyClick(menu, Qt::Key_Escape);
    EXPECT_TRUE(WaitFor([&] { return !menu->isVisible(); }));
    EXPECT_TRUE(server->Check());
}

} // namespace
