// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/DialogLayout.h"

#include "toolkit/SkinButton.h"
#include "toolkit/WindowPlacement.h"

#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>

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
        if (event->type() == QEvent::Show)
            CentreOnScreen(static_cast<QWidget*>(watched));
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

void PressOnReturn(TbsSkinButton* button, bool ctrlReturnToo) {
    button->AddShortcut({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    if (ctrlReturnToo)
        button->AddShortcut({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
}

void SetTabOrder(std::initializer_list<QWidget*> controls) {
    QWidget* previous = nullptr;
    for (QWidget* control : controls) {
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
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
