// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics window on the real main window's "Statistics" button,
// against the scripted server: loading, parsing, the combo box of codes, the
// filters, and what "Date Used" shows.

#include "dialogs/FStatistics.h"
#include "dialogs/TraceListModel.h"
#include "http/IdException.h"
#include "tests/support/ServiceScript.h"
#include "tests/support/gui/CalendarSkin.h"
#include "tests/support/gui/MainWindowFixture.h"
#include "toolkit/SkinDateEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

namespace {

const Fields kCheck{{"action", "1"}, {"end", ""}};
const Fields kStats{{"action", "6"}, {"end", ""}};

std::string Use(const std::string& code, const std::string& when, const std::string& ip) {
    return "\"1\",\"" + code + "\",\"" + when + "\",\"" + ip + "\"^";
}

class Statistics : public MainWindowTest {
protected:
    // Opens the window on this reply and runs inside() on it.
    void Open(const std::string& reply, const std::function<void(TfrmStats*)>& inside) {
        server = std::make_unique<ScriptedServer>(
            std::vector<ScriptedServer::Exchange>{Action(kCheck, "BAD"), Action(kStats, reply)});
        PrepareSite("http://" + server->HostPort());
        Start();
        ModalAction action("frmStats", [&](QWidget* w) {
            auto* s = static_cast<TfrmStats*>(w);
            // The list waits for "Show" (the codes, filled while the window was
            // created, are checked by the tests).
            EXPECT_EQ(s->lvwItems->model()->rowCount(), 0);
            EXPECT_TRUE(s->rbtCodeAll->isChecked());
            EXPECT_TRUE(s->rbtDateAll->isChecked());
            inside(s);
            Click(s->btnOk);
        });
        Click(window->btnStats);
        ASSERT_TRUE(action.Ran());
        EXPECT_TRUE(server->WaitDone());
    }

    static std::vector<std::string> Shown(TfrmStats* s, int column = 0) {
        std::vector<std::string> out;
        auto* m = s->lvwItems->model();
        for (int r = 0; r < m->rowCount(); ++r)
            out.push_back(m->data(m->index(r, column)).toString().toStdString());
        return out;
    }
    static std::vector<std::string> Codes(TfrmStats* s) {
        std::vector<std::string> out;
        for (int i = 0; i < s->cbxCodes->count(); ++i)
            out.push_back(s->cbxCodes->itemText(i).toStdString());
        return out;
    }
    static void Choose(TfrmStats* s, const QString& code) {
        // The way a user picks it: open the list, choose the entry.
        s->cbxCodes->showPopup();
        int i = s->cbxCodes->findText(code);
        s->cbxCodes->setCurrentIndex(i);
        emit s->cbxCodes->activated(i);
        s->cbxCodes->hidePopup();
    }
    static void TypeDate(TbsSkinDateEdit* e, const QString& text) {
        QLineEdit* field = e->LineEdit();
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, text);
    }

    std::unique_ptr<ScriptedServer> server;
};

const std::string kLog = Use("ABCDE", "2008-05-18 14:03:09", "10.0.0.1") + Use("QWERTY", "2008-05-18 00:00:00", "10.0.0.2") +
                         Use("abcde", "2008-05-19 23:59:59", "10.0.0.3") + Use("ABCDE", "2008-05-20 00:00:01", "10.0.0.4") +
                         "OK";

TEST_F(Statistics, BothAllListEveryUseInReplyOrderAndCodesOnceEachWhateverTheCase) {
    Open(kLog, [](TfrmStats* s) {
        EXPECT_EQ(s->windowTitle(), "Statistics");
        EXPECT_EQ(Codes(s), (std::vector<std::string>{"ABCDE", "QWERTY"}));
        Click(s->btnShow);
        EXPECT_EQ(Shown(s), (std::vector<std::string>{"ABCDE", "QWERTY", "abcde", "ABCDE"}));
        EXPECT_EQ(Shown(s, 2), (std::vector<std::string>{"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4"}));
        // Short date, and the long time unless it is exactly midnight.
        EXPECT_EQ(Shown(s, 1), (std::vector<std::string>{"5/18/08 2:03:09 PM", "5/18/08", "5/19/08 11:59:59 PM",
                                                         "5/20/08 12:00:01 AM"}));
        EXPECT_TRUE(s->isVisible());
    });
}

TEST_F(Statistics, AChosenCodeMatchesExactlyAndATypedOneToo) {
    Open(kLog, [](TfrmStats* s) {
        Choose(s, "ABCDE");
        EXPECT_TRUE(s->rbtCodeSel->isChecked());
        EXPECT_TRUE(s->rbtDateAll->isChecked());  // the other group is left alone
        Click(s->btnShow);
        EXPECT_EQ(Shown(s, 2), (std::vector<std::string>{"10.0.0.1", "10.0.0.4"}));
        QTest::keyClicks(s->edtCode, "abcde");
        EXPECT_TRUE(s->rbtCodeType->isChecked());
        EXPECT_FALSE(s->rbtCodeSel->isChecked());
        Click(s->btnShow);
        EXPECT_EQ(Shown(s, 2), (std::vector<std::string>{"10.0.0.3"}));
        for (const char* miss : {"Abcde", "abcde "}) {
            s->edtCode->setText(miss);
            Click(s->btnShow);
            EXPECT_TRUE(Shown(s).empty()) << miss;
        }
    });
}

// Codes whose bytes are no UTF-8 (Latin-1 from an older database) are
// compared by their bytes and show the letters those bytes stand for in
// Latin-1: two codes that differ in a byte are two entries, each listing its
// own uses, even the Latin-1 and the UTF-8 spelling of one word; the same
// letters in another case are one entry, as with any code.
TEST_F(Statistics, CodesThatAreNoUtf8StayApartByTheirBytes) {
    const std::string log = Use("CAF\xE9", "2008-05-18 14:03:09", "10.0.0.1") +
                            Use("CAF\xE8", "2008-05-18 14:03:10", "10.0.0.2") +
                            Use("caf\xE9", "2008-05-18 14:03:11", "10.0.0.3") +
                            Use("CAF\xC3\xA9", "2008-05-18 14:03:12", "10.0.0.4") +
                            Use("CAF\xE9", "2008-05-18 14:03:13", "10.0.0.5") + "OK";
    Open(log, [](TfrmStats* s) {
        EXPECT_EQ(Codes(s), (std::vector<std::string>{"CAF\u00E9", "CAF\u00E8", "CAF\u00E9"}));
        Click(s->btnShow);
        EXPECT_EQ(Shown(s), (std::vector<std::string>{"CAF\u00E9", "CAF\u00E8", "caf\u00E9", "CAF\u00E9", "CAF\u00E9"}));
        const std::vector<std::vector<std::string>> listed = {{"10.0.0.1", "10.0.0.5"}, {"10.0.0.2"}, {"10.0.0.4"}};
        for (int entry = 0; entry < 3; ++entry) {
            s->cbxCodes->setCurrentIndex(entry);
            emit s->cbxCodes->activated(entry);
            Click(s->btnShow);
            EXPECT_EQ(Shown(s, 2), listed[std::size_t(entry)]) << entry;
        }
    });
}

TEST_F(Statistics, TheCodeRadioWithoutAChosenCodeListsNothing) {
    Open(kLog, [](TfrmStats* s) {
        EXPECT_EQ(s->cbxCodes->currentIndex(), -1);
        EXPECT_EQ(s->cbxCodes->currentText(), "");
        Click(s->rbtCodeSel);
        Click(s->btnShow);
        EXPECT_TRUE(Shown(s).empty());
    });
}

TEST_F(Statistics, OneDayAndARangeCompareWholeDaysWithBothEndsIncluded) {
    Open(kLog, [](TfrmStats* s) {
        TypeDate(s->edtDateFixed, "5/18/2008");
        EXPECT_TRUE(s->rbtDateSel->isChecked());
        Click(s->btnShow);
        EXPECT_EQ(Shown(s, 2), (std::vector<std::string>{"10.0.0.1", "10.0.0.2"}));

        TypeDate(s->edtDateIni, "5/18/2008");
        EXPECT_TRUE(s->rbtDateRange->isChecked());
        EXPECT_FALSE(s->rbtDateSel->isChecked());
        TypeDate(s->edtDateEnd, "5/19/2008");
        Click(s->btnShow);
        EXPECT_EQ(Shown(s, 2), (std::vector<std::string>{"10.0.0.1", "10.0.0.2", "10.0.0.3"}));

        // "From:" after "To:" lists nothing.
        TypeDate(s->edtDateIni, "5/20/2008");
        Click(s->btnShow);
        EXPECT_TRUE(Shown(s).empty());
    });
}

TEST_F(Statistics, TypingInADateEditSelectsItsRadioAtOnceAndKeepsTheLastValidDate) {
    Open(kLog, [](TfrmStats* s) {
        TypeDate(s->edtDateFixed, "5/18/2008");
        Click(s->rbtDateAll);
        s->edtDateFixed->LineEdit()->setFocus();
        QTest::keyClick(s->edtDateFixed->LineEdit(), Qt::Key_Backspace);
        EXPECT_TRUE(s->rbtDateSel->isChecked());
        EXPECT_EQ(s->edtDateFixed->date(), QDate(2008, 5, 18));
        Click(s->btnShow);
        EXPECT_EQ(Shown(s).size(), 2u);
    });
}

TEST_F(Statistics, ShowAloneRebuildsTheList) {
    Open(kLog, [](TfrmStats* s) {
        Click(s->btnShow);
        EXPECT_EQ(Shown(s).size(), 4u);
        QTest::keyClicks(s->edtCode, "QWERTY");
        EXPECT_EQ(Shown(s).size(), 4u);
        Click(s->btnShow);
        EXPECT_EQ(Shown(s).size(), 1u);
    });
}

struct ParseCase {
    const char* name;
    std::string reply;
    std::vector<std::string> codes;  // in the combo box
    std::size_t uses;
};

TEST_F(Statistics, RepliesAreParsedUpToTheFirstBadRecord) {
    const ParseCase cases[] = {
        {"OK alone", "OK", {}, 0},
        {"no OK at all", Use("ABCDE", "2008-05-18 14:03:09", "ip"), {}, 0},
        {"records without the final ^OK, OK inside a code",
         Use("OKAY", "2008-05-18 14:03:09", "ip") + Use("B", "2008-05-18 14:03:09", "ip"), {"OKAY", "B"}, 2},
        {"a zero date ends the parse",
         Use("A", "2008-05-18 14:03:09", "ip") + Use("B", "0000-00-00 00:00:00", "ip") + Use("C", "2008-05-18 14:03:09", "ip") + "OK",
         {"A"}, 1},
        {"a month without its leading zero ends the parse",
         Use("A", "2008-05-18 14:03:09", "ip") + Use("B", "2008-5-18 14:03:09", "ip") + "OK", {"A"}, 1},
        {"other separators read the same", Use("A", "2008/05/18T14.03.09", "ip") + "OK", {"A"}, 1},
        {"codes differing in the case of any letter are one entry",
         Use("CAFÉ", "2008-05-18 14:03:09", "ip") + Use("café", "2008-05-18 14:03:09", "ip") + "OK", {"CAFÉ"}, 2},
        {"a short record ends the parse", Use("A", "2008-05-18 14:03:09", "ip") + "\"1\",\"B\"^OK", {"A"}, 1},
    };
    for (const ParseCase& c : cases) {
        Open(c.reply, [&](TfrmStats* s) {
            EXPECT_EQ(Codes(s), c.codes) << c.name;
            EXPECT_EQ(s->Traces().size(), c.uses) << c.name;
            Click(s->btnShow);
            EXPECT_EQ(Shown(s).size(), c.uses) << c.name;
        });
        window.reset();
    }
}

TEST_F(Statistics, AFailedRequestOpensAnEmptyWindowWithoutAMessage) {
    Start();
    ModalAction action("frmStats", [](QWidget* w) {
        auto* s = static_cast<TfrmStats*>(w);
        EXPECT_EQ(s->cbxCodes->count(), 0);
        Click(s->btnShow);
        EXPECT_EQ(s->lvwItems->model()->rowCount(), 0);
        Click(s->btnOk);
    });
    Click(window->btnStats);
    EXPECT_TRUE(action.Ran());
}

TEST(ServerDateTime, ReadsByPositionAndRefusesWhatIsNoDateTime) {
    TDateTime t = ParseServerDateTime("2008-05-18 14:03:09 and more");
    EXPECT_EQ(t.Day, QDate(2008, 5, 18).toJulianDay());
    EXPECT_EQ(t.Seconds, 14 * 3600 + 3 * 60 + 9);
    EXPECT_EQ(ParseServerDateTime("2008x05x18x14x03x09").Seconds, t.Seconds);
    for (const char* bad : {"0000-00-00 00:00:00", "2008-5-18 14:03:09", "2008-02-30 00:00:00", "2008-05-18 24:00:00",
                            "2008-05-18 23:60:00", "2008-05-18 14:03", "", "abcd-05-18 14:03:09"})
        EXPECT_THROW(ParseServerDateTime(bad), EConvertError) << bad;
}

// Each number is two decimal digits (four for the year) at its place:
// nothing trimmed, no sign.
TEST(ServerDateTime, TakesDigitsOnlyAtEachPosition) {
    for (const char* bad : {"2008-05-18 14:03:9 ", "2008-5 -18 14:03:09", "2008-05-18 14:03:+9", "2008-05-18 14: 3:09",
                            " 208-05-18 14:03:09", "+208-05-18 14:03:09", "2008-05-18 14:03:-1", "2008-05-18\t14:03:0\t",
                            "2008-05-18 14:03:0\n", "2008-05-18 1\r:03:09", "2008-05-18 14:03:0x"})
        EXPECT_THROW(ParseServerDateTime(bad), EConvertError) << bad;
    EXPECT_EQ(ParseServerDateTime("0001-01-01 00:00:00").Day, QDate(1, 1, 1).toJulianDay());
    EXPECT_EQ(ParseServerDateTime("9999-12-31 23:59:59").Seconds, 86399);
}

// The long time without its zone, in every locale Qt has: no empty brackets
// and no separator left over where the zone was, and the seconds shown.
TEST(DateUsed, LongTimeWithoutZoneLeavesNothingOverInAnyLocale) {
    // The test's locale comes back however the loop ends: an ASSERT below
    // must not leave the tests after this one in another locale.
    struct KeptLocale {
        const QLocale saved;
        ~KeptLocale() { QLocale::setDefault(saved); }
    } kept;
    const qint64 day = QDate(2008, 5, 18).toJulianDay();
    const QString leftovers[] = {QStringLiteral("()"), QStringLiteral("[]"), QStringLiteral("\uFF08\uFF09"),
                                 QStringLiteral("\u3010\u3011"), QStringLiteral("  ")};
    const QString separators = QStringLiteral(" \u00A0\u202F,;:-/\u060C\u3001\uFF0C");
    int checked = 0;
    for (const QLocale& locale :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        QLocale::setDefault(locale);
        const QString text = DateUsedText({day, 14 * 3600 + 3 * 60 + 9});
        const QString date = locale.toString(QDate::fromJulianDay(day), QLocale::ShortFormat);
        const std::string where = locale.name().toStdString() + ": \"" + text.toStdString() + "\"";
        ASSERT_TRUE(text.startsWith(date + QLatin1Char(' '))) << where;
        const QString time = text.mid(date.size() + 1);
        ASSERT_FALSE(time.isEmpty()) << where;
        for (const QString& leftover : leftovers)
            EXPECT_FALSE(time.contains(leftover)) << where;
        EXPECT_FALSE(separators.contains(time.front())) << where;
        EXPECT_FALSE(separators.contains(time.back())) << where;
        EXPECT_NE(text, DateUsedText({day, 14 * 3600 + 3 * 60 + 8})) << where << " shows no seconds";
        ++checked;
    }
    EXPECT_GT(checked, 300);
}

// Every time format of Qt's locales has its zone at one end; one with the
// zone inside, quoted text that looks like a zone, or brackets of another
// script come out clean as well.
TEST(DateUsed, ZoneAnywhereInTheFormatLeavesNoGap) {
    struct Case {
        const char* format;
        const char* shown;
    };
    for (const Case& c : {Case{"HH:mm:ss t 'Uhr'", "14:03:09 Uhr"}, Case{"HH:mm:ss (t) AP", "14:03:09 PM"},
                          Case{"'kl'. t HH:mm:ss", "kl. 14:03:09"}, Case{"HH:mm:ss\uFF08t\uFF09", "14:03:09"},
                          Case{"HH:mm:ss 'it''s t'", "14:03:09 it's t"}, Case{"tttt, HH:mm:ss", "14:03:09"}}) {
        const QString format = LongTimeWithoutZone(QString::fromUtf8(c.format));
        EXPECT_EQ(QLocale::c().toString(QTime(14, 3, 9), format).toStdString(), c.shown) << c.format;
    }
}

TEST(DateUsed, MidnightShowsTheDateOnly) {
    const qint64 day = QDate(2008, 5, 18).toJulianDay();
    EXPECT_EQ(DateUsedText({day, 0}).toStdString(), "5/18/08");
    EXPECT_EQ(DateUsedText({day, 1}).toStdString(), "5/18/08 12:00:01 AM");
}

TEST_F(Statistics, FromTheKeyboardTheCodesComeFirstAndReturnShows) {
    const std::string reply = Use("AAAAAA", "2008-05-18 14:03:09", "1.1.1.1") +
                              Use("BBBBBB", "2008-05-19 10:00:00", "2.2.2.2") + "OK";
    Open(reply, [&](TfrmStats* s) {
        ASSERT_TRUE(WaitForActive(s));
        EXPECT_EQ(QApplication::focusWidget(), s->cbxCodes);
        // Reading order, group by group, then the list. Of the choices of a
        // group, Tab stops at one; the arrow keys move among them.
        const std::vector<QWidget*> reading{s->rbtCodeSel,  s->cbxCodes,   s->rbtCodeType, s->edtCode,
                                            s->rbtCodeAll,  s->rbtDateSel, s->edtDateFixed->LineEdit(),
                                            s->rbtDateRange, s->edtDateIni->LineEdit(),
                                            s->edtDateEnd->LineEdit(), s->rbtDateAll, s->pgcUses->tabBar(),
                                            s->lvwItems};
        EXPECT_EQ(ReadingOrderFaults(TabRound(), reading,
                                     {s->cbxCodes, s->edtCode, s->edtDateFixed->LineEdit(),
                                      s->edtDateIni->LineEdit(), s->edtDateEnd->LineEdit(), s->pgcUses->tabBar(),
                                      s->lvwItems}),
                  "");
        ASSERT_EQ(QApplication::focusWidget(), s->cbxCodes);
        // Down picks the first code, which chooses its filter; Return shows.
        Press(Qt::Key_Down);
        EXPECT_TRUE(s->rbtCodeSel->isChecked());
        Press(Qt::Key_Return);
        EXPECT_EQ(Shown(s), std::vector<std::string>{"AAAAAA"});
        EXPECT_EQ(s->btnShow->toolTip(), "Show (Return)");
        EXPECT_EQ(s->btnExport->toolTip(), "Export CSV... (Ctrl+E)");
    });
}

TEST_F(Statistics, TheCalendarsOfTheThreeDateEditsAreDrawnWithTheSkin) {
    Open("OK", [&](TfrmStats* s) {
        for (TbsSkinDateEdit* e : {s->edtDateFixed, s->edtDateIni, s->edtDateEnd})
            EXPECT_EQ(CalendarSkinFaults(e), "") << e->objectName().toStdString();
    });
}

} // namespace
