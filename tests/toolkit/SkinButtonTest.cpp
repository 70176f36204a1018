// SPDX-License-Identifier: GPL-3.0-or-later
// The skinned button takes no focus; keys press it instead, anywhere in its
// window or only in one control, and its tooltip names them.

#include "tests/support/gui/WidgetTest.h"
#include "toolkit/SkinButton.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

TEST(SkinButton, KeysPressItAsAClickDoesAndTheTooltipNamesThem) {
    QWidget window;
    auto* field = new QLineEdit(&window);
    auto* list = new QLineEdit(&window);
    auto* refresh = new TbsSkinButton(QStringLiteral("Refresh"), &window);
    auto* edit = new TbsSkinButton(QStringLiteral("Edit"), &window);
    auto* layout = new QVBoxLayout(&window);
    for (QWidget* w : std::initializer_list<QWidget*>{field, list, refresh, edit})
        layout->addWidget(w);
    refresh->AddShortcut({QKeySequence(Qt::Key_F5)});
    edit->AddShortcut({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}, list, QStringLiteral("on the list"));
    edit->AddHint(QStringLiteral("double-click a row"));
    EXPECT_EQ(refresh->toolTip(), "Refresh (F5)");
    EXPECT_EQ(edit->toolTip(), "Edit (Return on the list, double-click a row)");
    EXPECT_EQ(refresh->text(), "Refresh");
    EXPECT_EQ(refresh->focusPolicy(), Qt::NoFocus);

    window.show();
    ASSERT_TRUE(WaitForActive(&window));
    QSignalSpy refreshed(refresh, &QPushButton::clicked), edited(edit, &QPushButton::clicked);
    field->setFocus();
    Press(Qt::Key_F5);
    Press(Qt::Key_Return);  // not on the list
    EXPECT_EQ(refreshed.count(), 1);
    EXPECT_EQ(edited.count(), 0);
    list->setFocus();
    Press(Qt::Key_F5);
    Press(Qt::Key_Return);
    Press(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(refreshed.count(), 2);
    EXPECT_EQ(edited.count(), 2);
    // A button that cannot be clicked is not pressed by its keys either.
    refresh->setEnabled(false);
    Press(Qt::Key_F5);
    EXPECT_EQ(refreshed.count(), 2);
}

} // namespace
