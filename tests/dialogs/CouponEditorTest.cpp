// SPDX-License-Identifier: GPL-3.0-or-later
// The coupon editor on its own: layout and defaults, the expiry choices,
// Browse, and Generate against the scripted server.

#include "dialogs/FCoupon.h"
#include "http/IdAntiFreeze.h"
#include "http/IdHTTP.h"
#include "service/CouponService.h"
#include "tests/support/ServiceScript.h"
#include "tests/support/gui/CalendarSkin.h"
#include "tests/support/gui/WidgetTest.h"
#include "toolkit/SkinButton.h"
#include "toolkit/SkinData.h"
#include "toolkit/SkinDateEdit.h"
#include "toolkit/SkinMessage.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <gtest/gtest.h>
#include <functional>
#include <set>

namespace {

class Editor : public ::testing::Test {
protected:
    // The window's events run while a request waits, as in the application.
    Editor() { antiFreeze.Pump = [] { QCoreApplication::processEvents(); }; }
    void Serve(std::vector<ScriptedServer::Exchange> script) {
        server = std::make_unique<ScriptedServer>(std::move(script));
        settings.WebServer = "http://" + server->HostPort();
    }
    TIdHTTP http;
    TServerSettings settings{.ScriptName = "couponsactions.php"};
    TCouponService service{http, settings};
    TbsSkinMessage msg;
    TIdAntiFreeze antiFreeze;
    std::unique_ptr<ScriptedServer> server;
};

TEST_F(Editor, StartsAtItsDefaults) {
    TfrmCoupon f(service, msg);
    EXPECT_EQ(f.windowTitle(), "Add Coupon");
    EXPECT_EQ(f.size(), QSize(510, 415));
    EXPECT_TRUE(f.edtCouponName->text().isEmpty());
    EXPECT_TRUE(f.edtCouponCode->text().isEmpty());
    EXPECT_FALSE(f.chkEpired->isChecked());
    EXPECT_TRUE(f.rbtOneUse->isChecked());
    EXPECT_EQ(f.edtDays->value(), 1);
    EXPECT_EQ(f.edtDays->singleStep(), 1);
    EXPECT_EQ(f.edtDate->date(), QDate::currentDate());
    EXPECT_TRUE(f.edtDate->calendarPopup());
    EXPECT_EQ(f.edtDate->calendarWidget()->firstDayOfWeek(), Qt::Sunday);
    EXPECT_EQ(f.edtCouponName->accessibleName(), "Coupon Name:");
    EXPECT_EQ(f.edtURL->accessibleName(), "Discounted Order Page:");
}

TEST_F(Editor, TheThreeExpiryChoicesExcludeEachOtherAndExpiredIsApart) {
    TfrmCoupon f(service, msg);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    Click(f.rbtByDays);
    EXPECT_TRUE(f.rbtByDays->isChecked());
    EXPECT_FALSE(f.rbtOneUse->isChecked());
    Click(f.chkEpired);
    EXPECT_TRUE(f.chkEpired->isChecked());
    EXPECT_TRUE(f.rbtByDays->isChecked());
    Click(f.rbtByDate);
    EXPECT_FALSE(f.rbtByDays->isChecked());
    EXPECT_TRUE(f.chkEpired->isChecked());
    // A fetched kind that is none of the three leaves all three clear.
    TFetchedCoupon c{.Id = "1", .Kind = "7", .Days = 3, .Year = 2020, .Month = 2, .Day = 29};
    f.Fill(c);
    EXPECT_FALSE(f.rbtOneUse->isChecked() || f.rbtByDays->isChecked() || f.rbtByDate->isChecked());
    c.Kind = "3";
    f.Fill(c);
    EXPECT_TRUE(f.rbtByDate->isChecked());
    EXPECT_FALSE(f.rbtOneUse->isChecked() || f.rbtByDays->isChecked());
}

TEST_F(Editor, EscapeDoesNotCloseItAndFetchedDayCountsStayAsTheyAre) {
    TfrmCoupon f(service, msg);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    QTest::keyClicks(f.edtCouponName, "Typed");
    QTest::keyClick(f.edtCouponName, Qt::Key_Escape);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.edtCouponName->text(), "Typed");
    for (int days : {-5, 0, 1000000, 2147483647}) {
        f.Fill({.Id = "1", .Kind = "2", .Days = days, .Year = 2020, .Month = 1, .Day = 1});
        EXPECT_EQ(f.edtDays->value(), days);
    }
}

TEST_F(Editor, BrowseDoesNothing) {
    TfrmCoupon f(service, msg);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    f.edtURL->setText("http://x");
    ModalAction any([](QWidget* d) { d->close(); });
    Click(f.bsSkinButton2);
    EXPECT_FALSE(any.Ran());
    EXPECT_EQ(f.edtURL->text(), "http://x");
    EXPECT_TRUE(f.isVisible());
}

TEST_F(Editor, GenerateAsksUntilACodeIsFreeAndChangesNothingElse) {
    auto check = [](const char* reply) {
        return ScriptedServer::Exchange{ScriptedServer::Expect::Where([](const std::string& request) -> std::string {
                                            std::string error;
                                            Fields f = FormFields(request, error);
                                            if (!error.empty())
                                                return error;
                                            if (f.size() != 3 || f[0] != Fields::value_type{"action", "8"} ||
                                                f[1].first != "coupcode" || f[2] != Fields::value_type{"end", ""})
                                                return "not an action-8 request";
                                            return {};
                                        }),
                                        Reply(reply), ScriptedServer::Then::Close};
    };
    Serve({check("EXIST RECORD"), check("EXIST RECORD"), check("DON'T EXIST RECORD")});
    TfrmCoupon f(service, msg);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    f.edtCouponName->setText("Name");
    f.edtCouponCode->setText("OLD");
    Click(f.btnGenCode);
    EXPECT_TRUE(server->WaitDone());
    std::string code = f.edtCouponCode->text().toStdString();
    EXPECT_EQ(code.size(), 6u);
    // The code put in is the one the server said was free.
    std::string error;
    EXPECT_EQ(FormFields(server->Received(2), error)[1].second, code);
    EXPECT_EQ(f.edtCouponName->text(), "Name");
}

TEST_F(Editor, GenerateWithAnUnreachableServerFillsInACodeAtOnce) {
    settings.WebServer = "http://127.0.0.1:1";
    TfrmCoupon f(service, msg);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    Click(f.btnGenCode);
    EXPECT_EQ(f.edtCouponCode->text().size(), 6);
}

TEST_F(Editor, GenerateGivesUpWhenEveryCodeIsTaken) {
    std::vector<ScriptedServer::Exchange> taken;
    for (int i = 0; i < TfrmCoupon::kGenerateTries; ++i)
        taken.push_back({ScriptedServer::Expect::Any(), Reply("EXIST RECORD"), ScriptedServer::Then::Close});
    Serve(std::move(taken));
    TfrmCoupon f(service, msg);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    f.edtCouponCode->setText("MINE");
    MessageAnswer told("OK");
    Click(f.btnGenCode);
    EXPECT_TRUE(server->WaitDone());
    EXPECT_EQ(told.Seen().title, "Warning");
    EXPECT_NE(told.Seen().text.find("1000 tries"), std::string::npos) << told.Seen().text;
    EXPECT_EQ(f.edtCouponCode->text(), "MINE");
}

TEST_F(Editor, CancelAndTheCloseBoxWaitForAnOkThatIsUnderWay) {
    ScriptedServer::Exchange post{ScriptedServer::Expect::Any(), Reply("OK"), ScriptedServer::Then::Close};
    post.held = true;
    Serve({{PlainGet(), Reply(""), ScriptedServer::Then::Close}, post});
    TfrmCoupon f(service, msg);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    f.edtCouponName->setText("Name");
    f.edtCouponCode->setText("CODE");
    bool stayed = false;
    // Acts from the window's event processing once the post is waiting.
    WhenReceived during(*server, 1, [&] {
        Click(f.btnCancel);
        f.close();
        stayed = f.isVisible();
        server->Release();
    });
    Click(f.btnOk);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(f.result(), 1);  // the coupon was stored: the dialog ends with OK
    EXPECT_FALSE(f.isVisible());
}

TEST_F(Editor, LongTextsAreKeptWhole) {
    TfrmCoupon f(service, msg);
    const QString longText(40000, QLatin1Char('x'));
    for (QLineEdit* e : {f.edtCouponName, f.edtCouponCode, f.edtURL}) {
        e->setText(longText);
        EXPECT_EQ(e->text().size(), 40000);
    }
}

// At its fixed size, in the built-in skin's font, every control of the
// editor gets at least its minimum size, and the fields of the three groups
// start on one column.
TEST_F(Editor, EveryControlHasItsMinimumSizeAndTheFieldsStandOnOneColumn) {
    TbsSkinData skin;
    TfrmCoupon f(service, msg);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    ASSERT_EQ(f.size(), QSize(510, 415));
    int checked = 0;
    for (QWidget* w : f.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&f))
            continue;
        const std::string name = std::string(w->metaObject()->className()) + " " + w->objectName().toStdString() +
                                 " " + w->accessibleName().toStdString();
        const QSize min = w->minimumSizeHint();
        EXPECT_GE(w->width(), min.width()) << name;
        EXPECT_GE(w->height(), min.height()) << name;
        EXPECT_TRUE(f.rect().contains(QRect(w->mapTo(&f, QPoint(0, 0)), w->size()))) << name;
        ++checked;
    }
    EXPECT_GT(checked, 25);
    auto left = [&](QWidget* w) { return w->mapTo(&f, QPoint(0, 0)).x(); };
    for (QWidget* field : std::initializer_list<QWidget*>{f.edtCouponCode, f.edtDays, f.edtDate, f.edtURL,
                                                          f.memComments})
        EXPECT_EQ(left(field), left(f.edtCouponName)) << field->objectName().toStdString();
    // Every caption stands left of the column.
    for (QLabel* label : f.findChildren<QLabel*>()) {
        if (label->buddy()) {
            EXPECT_LE(left(label) + label->sizeHint().width(), left(f.edtCouponName));
        }
    }
    for (QWidget* choice : {static_cast<QWidget*>(f.rbtByDays), static_cast<QWidget*>(f.rbtByDate)})
        EXPECT_LE(left(choice) + choice->sizeHint().width(), left(f.edtCouponName));
}

TEST_F(Editor, TheCalendarPopUpIsDrawnWithTheSkin) {
    TbsSkinData skin;
    TfrmCoupon f(service, msg);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    EXPECT_EQ(CalendarSkinFaults(f.edtDate), "");
}

// Keys instead of the buttons, which take no focus.
class EditorKeys : public Editor {
protected:
    void SetUp() override {
        f.show();
        ASSERT_TRUE(WaitForActive(&f));
    }
    // Presses the keys with the focus in field; true when that pressed Ok.
    bool PressesOk(QWidget* field, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QSignalSpy ok(f.btnOk, &QPushButton::clicked);
        MessageLog told;  // the empty name is told, and the message closed
        field->setFocus();
        Press(key, modifiers);
        if (ok.count() == 1) {
            EXPECT_EQ(told.Texts(), std::vector<std::string>{"Please provide a Coupon Name."});
        }
        return ok.count() == 1;
    }
    TfrmCoupon f{service, msg};
};

TEST_F(EditorKeys, TheNameHasTheFocusAndTabFollowsTheReadingOrder) {
    EXPECT_EQ(QApplication::focusWidget(), f.edtCouponName);
    const std::vector<QWidget*> reading{f.edtCouponName, f.edtCouponCode, f.chkEpired, f.rbtOneUse,
                                        f.rbtByDays,      f.edtDays,       f.rbtByDate, f.edtDate->LineEdit(),
                                        f.edtURL,         f.memComments};
    EXPECT_EQ(ReadingOrderFaults(TabRound(), reading,
                                 {f.edtCouponName, f.edtCouponCode, f.chkEpired, f.edtDays, f.edtDate->LineEdit(),
                                  f.edtURL, f.memComments}),
              "");
}

TEST_F(EditorKeys, ReturnInEveryOneLineFieldAndCtrlReturnAnywherePressOk) {
    QWidget* oneLine[] = {f.edtCouponName, f.edtCouponCode, f.edtDays, f.edtDate->LineEdit(), f.edtURL};
    for (QWidget* field : oneLine) {
        EXPECT_TRUE(PressesOk(field, Qt::Key_Return)) << field->objectName().toStdString();
        EXPECT_TRUE(PressesOk(field, Qt::Key_Enter, Qt::KeypadModifier)) << field->objectName().toStdString();
    }
    // In the comments Return starts a new line; Ctrl+Return saves.
    EXPECT_FALSE(PressesOk(f.memComments, Qt::Key_Return));
    EXPECT_EQ(f.memComments->toPlainText(), "\n");
    for (QWidget* field : {static_cast<QWidget*>(f.memComments), static_cast<QWidget*>(f.edtCouponName),
                           static_cast<QWidget*>(f.chkEpired)})
        EXPECT_TRUE(PressesOk(field, Qt::Key_Return, Qt::ControlModifier)) << field->objectName().toStdString();
    EXPECT_EQ(f.btnOk->toolTip(), "Ok (Return, Ctrl+Return)");
}

TEST_F(EditorKeys, CtrlGGeneratesACode) {
    settings.WebServer = "http://127.0.0.1:1";
    QSignalSpy generate(f.btnGenCode, &QPushButton::clicked);
    Press(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(generate.count(), 1);
    EXPECT_EQ(f.edtCouponCode->text().size(), 6);
    EXPECT_EQ(f.btnGenCode->toolTip(), "Generate (Ctrl+G)");
}

// Bytes of an older database that are no UTF-8 (Latin-1 here), as the
// server sends them back in a fetched record.
TFetchedCoupon Latin1Coupon() {
    TFetchedCoupon c;
    c.Id = "7";
    c.Code = "CAF\xC9";
    c.Name = "Caf\xE9";
    c.Expired = false;
    c.Kind = "2";
    c.Days = 30;
    c.Year = 2012;
    c.Month = 11;
    c.Day = 30;
    c.OrderURL = "http://shop.example/caf\xE9.html";
    c.Comments = "cr lf\r\nlone lf\n\xE9t\xE9";
    return c;
}

struct UntouchedCase {
    const char* name;
    // What the user does to the filled dialog before OK.
    std::function<void(TfrmCoupon&)> edit;
    // The wire values expected for code, name, order page and comments.
    std::string code, coupName, url, comments;
};

void PrintTo(const UntouchedCase& c, std::ostream* os) { *os << c.name; }

class FetchedText : public Editor, public ::testing::WithParamInterface<UntouchedCase> {};

// What the user did not change goes back as it came; what was edited goes
// out as the field shows it now.
TEST_P(FetchedText, GoesBackByteForByteUnlessEdited) {
    const UntouchedCase& c = GetParam();
    const TFetchedCoupon fetched = Latin1Coupon();
    TCouponRecord expected{fetched.Id, c.code, c.coupName, "0", "2", "30", "2012-11-30", c.url, c.comments,
                           TodayOnTheWire()};
    Serve({Action(SaveFields("3", expected), "OK")});
    TfrmCoupon f(service, msg);
    f.setWindowTitle(QStringLiteral("Edit Coupon"));
    f.Fill(fetched);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    // The bytes that are no UTF-8 show as the Latin-1 letters they were.
    EXPECT_EQ(f.edtCouponName->text(), QString::fromUtf8("Caf\u00E9"));
    c.edit(f);
    Click(f.btnOk);
    EXPECT_TRUE(server->WaitDone());
    EXPECT_EQ(f.result(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, FetchedText,
    ::testing::Values(
        UntouchedCase{"NothingEdited", [](TfrmCoupon&) {}, "CAF\xC9", "Caf\xE9", "http://shop.example/caf\xE9.html",
                      "cr lf\r\nlone lf\n\xE9t\xE9"},
        UntouchedCase{"OnlyTheCommentsEdited",
                      [](TfrmCoupon& f) {
                          f.memComments->setFocus();
                          f.memComments->moveCursor(QTextCursor::End);
                          QTest::keyClicks(f.memComments, "!");
                      },
                      "CAF\xC9", "Caf\xE9", "http://shop.example/caf\xE9.html",
                      "cr lf\r\nlone lf\r\n\xC3\xA9t\xC3\xA9!"},
        UntouchedCase{"OnlyTheNameEdited",
                      [](TfrmCoupon& f) {
                          f.edtCouponName->setFocus();
                          f.edtCouponName->end(false);
                          QTest::keyClicks(f.edtCouponName, "s");
                      },
                      "CAF\xC9", "Caf\xC3\xA9s", "http://shop.example/caf\xE9.html", "cr lf\r\nlone lf\n\xE9t\xE9"},
        UntouchedCase{"EditedAndPutBack",
                      [](TfrmCoupon& f) {
                          f.edtURL->setFocus();
                          f.edtURL->end(false);
                          QTest::keyClicks(f.edtURL, "x");
                          QTest::keyClick(f.edtURL, Qt::Key_Backspace);
                      },
                      "CAF\xC9", "Caf\xE9", "http://shop.example/caf\xE9.html", "cr lf\r\nlone lf\n\xE9t\xE9"},
        UntouchedCase{"CodeGeneratedAnew",
                      [](TfrmCoupon& f) { f.edtCouponCode->setText(QStringLiteral("ABCDEF")); }, "ABCDEF", "Caf\xE9",
                      "http://shop.example/caf\xE9.html", "cr lf\r\nlone lf\n\xE9t\xE9"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RandomLetters, SixCapitalsFromAToYNeverZ) {
    std::set<char> seen;
    for (int i = 0; i < 2000; ++i) {
        std::string code = RandomLetters(5);
        ASSERT_EQ(code.size(), 6u);
        for (char c : code) {
            ASSERT_GE(c, 'A');
            ASSERT_LE(c, 'Y');
            seen.insert(c);
        }
    }
    EXPECT_EQ(seen.size(), 25u);
}

} // namespace
