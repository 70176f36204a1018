// SPDX-License-Identifier: GPL-3.0-or-later
// Where windows open: centred on the screen's available area, with the
// title bar of a window larger than that area still on it.

#include "tests/support/gui/WidgetTest.h"
#include "toolkit/SkinMessage.h"
#include "toolkit/WindowPlacement.h"

#include <QApplication>
#include <QScreen>
#include <gtest/gtest.h>
#include <string>

namespace {

struct PlacementCase {
    const char* what;
    QRect frame;
    QRect available;
    QPoint expected;
};

const PlacementCase kPlacements[] = {
    {"fits: centred", {0, 0, 787, 546}, {0, 0, 1280, 1024}, {246, 239}},
    {"exactly the area", {0, 0, 1280, 1024}, {0, 0, 1280, 1024}, {0, 0}},
    // The main window at a scale factor of 2 on 1280 by 1024.
    {"wider and taller", {0, 0, 787, 546}, {0, 0, 640, 512}, {0, 0}},
    {"taller, below a top panel", {0, 0, 400, 600}, {0, 24, 1024, 476}, {312, 24}},
    {"wider, on a second screen", {0, 0, 2000, 300}, {1280, 0, 1280, 1024}, {1280, 362}},
    {"where it stood before plays no part", {900, -300, 400, 300}, {0, 0, 1280, 1024}, {440, 362}},
};

TEST(WindowPlacement, CentredButNeverWithTheTitleBarOffTheArea) {
    for (const PlacementCase& c : kPlacements)
        EXPECT_EQ(CentredPosition(c.frame, c.available), c.expected) << c.what;
}

TEST(WindowPlacement, AMessageTallerThanTheScreenOpensWithItsTopOnIt) {
    std::string text;
    for (int line = 0; line < 120; ++line)
        text += "A line of a long message\n";
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    QRect placed;
    ModalAction look([&](QWidget* w) {
        placed = w->frameGeometry();
        Click(FindButton(w, "OK"));
    });
    TbsSkinMessage().MessageDlg(text, mtWarning, {mbOK}, 0);
    ASSERT_TRUE(look.Ran());
    ASSERT_GT(placed.height(), screen.height());
    EXPECT_EQ(placed.top(), screen.top());
    EXPECT_GE(placed.left(), screen.left());
}

} // namespace
