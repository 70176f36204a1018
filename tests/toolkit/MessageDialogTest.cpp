// SPDX-License-Identifier: GPL-3.0-or-later
// The one message dialog: buttons, results, keys, and closing it otherwise.

#include "tests/support/gui/WidgetTest.h"
#include "toolkit/SkinButton.h"
#include "toolkit/SkinMessage.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

int Ask(TMsgDlgButtons buttons, const std::function<void(QWidget*)>& answer,
        TMsgDlgType type = mtWarning, const std::string& text = "Text") {
    TbsSkinMessage msg;
    ModalAction action(answer);
    int result = msg.MessageDlg(text, type, buttons, 0);
    EXPECT_TRUE(action.Ran());
    return result;
}

std::vector<QString> Captions(QWidget* w) {
    std::vector<std::pair<int, QString>> byX;
    for (QPushButton* b : w->findChildren<QPushButton*>())
        byX.emplace_back(b->geometry().x(), b->text());
    std::sort(byX.begin(), byX.end());
    std::vector<QString> out;
    for (auto& [x, text] : byX)
        out.push_back(text);
    return out;
}

TEST(MessageDialog, EveryButtonStandsInItsOrderAndGivesItsResult) {
    const TMsgDlgButtons all{mbHelp, mbYesToAll, mbNoToAll, mbAll, mbIgnore, mbRetry,
                             mbAbort, mbCancel, mbOK, mbNo, mbYes};
    const std::vector<QString> order{"&Yes", "&No", "OK", "Cancel", "&Abort", "&Retry",
                                     "&Ignore", "&All", "N&oToAll", "&YesToAll", "&Help"};
    const std::pair<QString, int> results[] = {
        {"&Yes", 6}, {"&No", 7}, {"OK", 1}, {"Cancel", 2}, {"&Abort", 3}, {"&Retry", 4},
        {"&Ignore", 5}, {"&All", 8}, {"N&oToAll", 9}, {"&YesToAll", 10}};
    for (const auto& [caption, expected] : results) {
        std::vector<QString> seen;
        int result = Ask(all, [&](QWidget* w) {
            seen = Captions(w);
            Click(FindButton(w, caption));
        });
        EXPECT_EQ(result, expected) << caption.toStdString();
        EXPECT_EQ(seen, order);
    }
}

TEST(MessageDialog, ButtonsAre70WideAnd10ApartCentredAlongTheBottom) {
    Ask({mbOK, mbCancel}, [](QWidget* w) {
        QPushButton* ok = FindButton(w, "OK");
        QPushButton* cancel = FindButton(w, "Cancel");
        EXPECT_EQ(ok->width(), 70);
        EXPECT_EQ(cancel->width(), 70);
        EXPECT_EQ(cancel->x() - (ok->x() + ok->width()), 10);
        int left = ok->x(), right = w->width() - (cancel->x() + cancel->width());
        EXPECT_LE(std::abs(left - right), 1);
        EXPECT_GT(ok->y(), w->height() / 2);
        EXPECT_EQ(ok->focusPolicy(), Qt::NoFocus);
        Click(ok);
    });
}

TEST(MessageDialog, TitleIconTextAndPlaceFollowTheKind) {
    const std::pair<TMsgDlgType, std::string> kinds[] = {
        {mtWarning, "Warning"}, {mtError, "Error"}, {mtInformation, "Information"}, {mtConfirmation, "Confirm"}};
    for (const auto& [type, title] : kinds) {
        Ask({mbOK}, [&, t = title](QWidget* w) {
            EXPECT_EQ(w->windowTitle().toStdString(), t);
            EXPECT_EQ(w->property("messageText").toByteArray().toStdString(), "Line one\n\rLine two");
            QRect screen = QApplication::primaryScreen()->availableGeometry();
            EXPECT_LE((w->frameGeometry().center() - screen.center()).manhattanLength(), 2);
            EXPECT_FALSE(w->windowFlags() & Qt::WindowCloseButtonHint);
            Click(FindButton(w, "OK"));
        }, type, "Line one\n\rLine two");
    }
}

struct KeyCase {
    const char* name;
    TMsgDlgButtons buttons;
    int key;
    int expected;  // mrNone: the key leaves the dialog open
};

const KeyCase kKeys[] = {
    {"Enter on OK", {mbOK}, Qt::Key_Return, mrOk},
    {"Escape on OK only gives OK", {mbOK}, Qt::Key_Escape, mrOk},
    {"Enter on OK Cancel", {mbOK, mbCancel}, Qt::Key_Return, mrOk},
    {"Keypad Enter on OK Cancel", {mbOK, mbCancel}, Qt::Key_Enter, mrOk},
    {"Escape on OK Cancel", {mbOK, mbCancel}, Qt::Key_Escape, mrCancel},
    {"Enter on Yes No", {mbYes, mbNo}, Qt::Key_Return, mrYes},
    {"Escape on Yes No", {mbYes, mbNo}, Qt::Key_Escape, mrNo},
    {"Enter on Retry Cancel", {mbRetry, mbCancel}, Qt::Key_Return, mrRetry},
    {"Enter on Abort Ignore does nothing", {mbAbort, mbIgnore}, Qt::Key_Return, mrNone},
    {"Escape on Abort Ignore does nothing", {mbAbort, mbIgnore}, Qt::Key_Escape, mrNone},
};

TEST(MessageDialog, EnterAndEscapeFollowTheButtonSet) {
    for (const KeyCase& c : kKeys) {
        bool stillOpen = false;
        int result = Ask(c.buttons, [&](QWidget* w) {
            QTest::keyClick(w, static_cast<Qt::Key>(c.key));
            stillOpen = w->isVisible();
            if (stillOpen)
                Click(w->findChildren<QPushButton*>().first());
        });
        if (c.expected == mrNone)
            EXPECT_TRUE(stillOpen) << c.name;
        else
            EXPECT_EQ(result, c.expected) << c.name;
    }
}

TEST(MessageDialog, ClosingWithoutAButtonGivesCancel) {
    for (TMsgDlgButtons set : {TMsgDlgButtons{mbOK}, TMsgDlgButtons{mbOK, mbCancel}, TMsgDlgButtons{mbYes, mbNo}}) {
        int result = Ask(set, [](QWidget* w) { w->close(); });
        EXPECT_EQ(result, mrCancel);
    }
}

} // namespace
