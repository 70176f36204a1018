// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/DialogLayout.h"

#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

namespace {

// Centres its dialog on the screen each time it is shown, and keeps Escape
// from closing it: a dialog closes only through its own buttons or its
// title-bar close box, so one stray key never throws away what was typed.
class DialogBehaviour : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
            static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier)
            return true;
        if (event->type() == QEvent::Show) {
            auto* w = static_cast<QWidget*>(watched);
            if (QScreen* screen = QGuiApplication::primaryScreen()) {
                QRect r = w->frameGeometry();
                r.moveCenter(screen->availableGeometry().center());
                w->move(r.topLeft());
            }
        }
        return false;
    }
};

} // namespace

void SetDialogFlags(QDialog* dialog, bool minimise) {
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (minimise)
        flags |= Qt::WindowMinimizeButtonHint;
    dialog->setWindowFlags(flags);
    dialog->setModal(true);
    dialog->installEventFilter(new DialogBehaviour(dialog));
}

QHBoxLayout* CentredButtonRow(std::initializer_list<QWidget*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget* b : buttons)
        row->addWidget(b);
    row->addStretch(1);
    return row;
}

QHBoxLayout* RightButtonRow(std::initializer_list<QWidget*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget* b : buttons)
        row->addWidget(b);
    return row;
}

QLabel* LabelFor(const char* caption, QWidget* control, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setBuddy(control);
    control->setAccessibleName(label->text());
    return label;
}
