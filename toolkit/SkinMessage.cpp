// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/SkinMessage.h"

#include "toolkit/SkinButton.h"
#include "toolkit/WindowPlacement.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace {

struct ButtonInfo {
    TMsgDlgBtn button;
    const char* caption;
    int result;
};

// Fixed order, captions and results. Help closes nothing: help contexts are
// not used by this application.
constexpr ButtonInfo kButtons[] = {
    {mbYes, "&Yes", mrYes},          {mbNo, "&No", mrNo},
    {mbOK, "OK", mrOk},              {mbCancel, "Cancel", mrCancel},
    {mbAbort, "&Abort", mrAbort},    {mbRetry, "&Retry", mrRetry},
    {mbIgnore, "&Ignore", mrIgnore}, {mbAll, "&All", mrAll},
    {mbNoToAll, "N&oToAll", mrNoToAll}, {mbYesToAll, "&YesToAll", mrYesToAll},
    {mbHelp, "&Help", mrNone},
};

constexpr int kButtonWidth = 70;
constexpr int kButtonGap = 10;

QStyle::StandardPixmap IconOf(TMsgDlgType type) {
    switch (type) {
    case mtWarning: return QStyle::SP_MessageBoxWarning;
    case mtError: return QStyle::SP_MessageBoxCritical;
    case mtInformation: return QStyle::SP_MessageBoxInformation;
    case mtConfirmation: return QStyle::SP_MessageBoxQuestion;
    }
    return QStyle::SP_MessageBoxInformation;
}

// The messages carry their line breaks as LF CR (and sometimes CR LF); on
// screen each such pair is one line break.
QString DisplayText(const std::string& text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\n' || c == '\r') {
            char next = i + 1 < text.size() ? text[i + 1] : 0;
            if ((next == '\n' || next == '\r') && next != c)
                ++i;
            shown += '\n';
        } else {
            shown += c;
        }
    }
    return QString::fromLocal8Bit(shown.c_str());
}

} // namespace

const char* MessageTitle(TMsgDlgType type) {
    switch (type) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    }
    return "";
}

TbsSkinMessageForm::TbsSkinMessageForm(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons)
    : QDialog(QApplication::activeWindow(),
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("msgMainForm"));
    setWindowTitle(QString::fromLatin1(MessageTitle(type)));
    setProperty("messageText", QByteArray::fromStdString(text));
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(IconOf(type), nullptr, this).pixmap(side, side));
    icon->setAlignment(Qt::AlignTop);
    icon->setAccessibleName(QString::fromLatin1(MessageTitle(type)));

    auto* message = new QLabel(DisplayText(text), this);
    message->setObjectName(QStringLiteral("message"));
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(false);
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* top = new QHBoxLayout;
    top->setSpacing(12);
    top->addWidget(icon);
    top->addWidget(message, 1);

    auto* row = new QHBoxLayout;
    row->setSpacing(kButtonGap);
    row->addStretch(1);
    for (const ButtonInfo& info : kButtons) {
        if (!buttons.Has(info.button))
            continue;
        auto* b = new TbsSkinButton(QString::fromLatin1(info.caption), this);
        b->setFixedWidth(kButtonWidth);
        b->ModalResult = info.result;
        int result = info.result;
        if (result != mrNone)
            connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
        row->addWidget(b);
    }
    row->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(16);
    layout->addLayout(top);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto has = [&](TMsgDlgBtn b) { return buttons.Has(b); };
    enterResult_ = has(mbOK) ? mrOk : has(mbYes) ? mrYes : has(mbRetry) ? mrRetry : mrNone;
    escapeResult_ = has(mbCancel) ? mrCancel : has(mbNo) ? mrNo : has(mbOK) ? mrOk : mrNone;
}

void TbsSkinMessageForm::reject() {
    // Closing the dialog without a button (the window manager, Alt+F4) is Cancel.
    done(mrCancel);
}

void TbsSkinMessageForm::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (enterResult_ != mrNone)
            done(enterResult_);
        return;
    case Qt::Key_Escape:
        if (escapeResult_ != mrNone)
            done(escapeResult_);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TbsSkinMessageForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
}

int TbsSkinMessage::MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons,
                               int /*helpContext*/) {
    if (Silenced)
        return mrCancel;
    TbsSkinMessageForm form(text, type, buttons);
    return form.exec();
}
