// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/SkinButton.h"

#include <QShortcut>

TbsSkinButton::TbsSkinButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setFocusPolicy(Qt::NoFocus);
    setAutoDefault(false);
    setDefault(false);
}

void TbsSkinButton::AddShortcut(const QList<QKeySequence>& keys, QWidget* onlyIn, const QString& where) {
    // Owned by the window rather than the button, so the keys work wherever
    // in the window the button sits, on a page on show or not.
    auto* shortcut = new QShortcut(onlyIn ? onlyIn : window());
    shortcut->setKeys(keys);
    shortcut->setContext(onlyIn ? Qt::WidgetShortcut : Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, &QAbstractButton::click);
    QString hint = keys.value(0).toString(QKeySequence::NativeText);
    if (!where.isEmpty())
        hint += QLatin1Char(' ') + where;
    AddHint(hint);
}

void TbsSkinButton::AddHint(const QString& hint) {
    hints_ << hint;
    setToolTip(text() + QStringLiteral(" (") + hints_.join(QStringLiteral(", ")) + QLatin1Char(')'));
}
