// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/FFormCode.h"

#include "dialogs/DialogLayout.h"
#include "platform/Clipboard.h"
#include "service/CouponProtocol.h"
#include "toolkit/SkinButton.h"
#include "toolkit/WireText.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

std::string AttributeValue(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

} // namespace

std::string OrderFormHTML(const TServerSettings& settings) {
    return "<FORM METHOD=\"POST\" ACTION=\"" + AttributeValue(ScriptURL(settings)) +
           "\"><p>Enter the coupon code <input type=\"text\" name=\"coupcode\" size=\"15\" >"
           "<input name=\"action\" type=\"hidden\" id=\"action\" value=\"7\" /></p><p>"
           "<input type=\"submit\" value=\"Submit\" name=\"send\"></FORM>";
}

TfrmFormCode::TfrmFormCode(const TServerSettings& settings, QWidget* parent)
    : QDialog(parent), html_(OrderFormHTML(settings)) {
    setObjectName(QStringLiteral("frmFormCode"));
    setWindowTitle(QStringLiteral("Form HTML Code"));
    SetDialogFlags(this);

    auto* label = new QLabel(QStringLiteral("Please copy and paste this HTML code into your sales or order page."), this);
    label->setWordWrap(true);
    memForm = new QPlainTextEdit(this);
    memForm->setObjectName(QStringLiteral("memForm"));
    memForm->setReadOnly(true);
    memForm->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memForm->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memForm->setPlainText(ShownText(html_));
    label->setBuddy(memForm);
    memForm->setAccessibleName(label->text());

    btnOk = new TbsSkinButton(QStringLiteral("Copy"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel = new TbsSkinButton(QStringLiteral("Close"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOk, &QPushButton::clicked, this, &TfrmFormCode::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmFormCode::btnCancelClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(memForm, 1);
    layout->addLayout(CentredButtonRow({btnOk, btnCancel}));
    setFixedSize(402, 200);

    btnOk->AddShortcut({QKeySequence(QKeySequence::Copy)});
    memForm->setFocus();
}

void TfrmFormCode::btnOkClick() {
    // The memo only wraps the text on screen; the text itself is one line,
    // and goes to the clipboard exactly as built.
    // A site URL byte that is no UTF-8 goes as the letter the memo shows
    // for it, not as a replacement mark.
    SetClipboardText(ShownText(html_).toLocal8Bit().toStdString());
}

void TfrmFormCode::btnCancelClick() { done(2); }

void TfrmFormCode::reject() { done(2); }
