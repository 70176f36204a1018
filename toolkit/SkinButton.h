// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The button of every window: drawn by the skin, never takes the keyboard
// focus. Like every control of the layout it may carry a modal result, which
// has no effect by itself: a dialog closes only where a handler closes it.
// Since the button takes no focus, the keyboard reaches it through
// shortcuts, which its tooltip names.

#include <QKeySequence>
#include <QList>
#include <QPushButton>
#include <QStringList>

class TbsSkinButton : public QPushButton {
    Q_OBJECT
public:
    explicit TbsSkinButton(const QString& caption, QWidget* parent = nullptr);

    int ModalResult = 0;

    // Keys that press the button: anywhere in its window, or, with a widget
    // given, only while that widget has the focus (where then says so in the
    // tooltip, "on the list"). A press runs what a click runs. The tooltip
    // names the first of the keys.
    void AddShortcut(const QList<QKeySequence>& keys, QWidget* onlyIn = nullptr, const QString& where = {});
    // One more way in that the tooltip names ("double-click a row").
    void AddHint(const QString& hint);

private:
    QStringList hints_;
};
