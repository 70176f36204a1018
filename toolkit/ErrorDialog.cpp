// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/ErrorDialog.h"

#include "platform/ShellOpen.h"
#include "toolkit/CrashReporter.h"
#include "toolkit/SkinButton.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStyle>
#include <QVBoxLayout>

TErrorDialog::TErrorDialog(const std::string& message, const std::string& report, QWidget* parent)
    : QDialog(parent ? parent : QApplication::activeWindow()), report_(report) {
    setObjectName(QStringLiteral("ErrorDialog"));
    setWindowTitle(QStringLiteral("Error"));
    setModal(true);

    auto* icon = new QLabel(this);
    int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, this).pixmap(side, side));
    icon->setAlignment(Qt::AlignTop);

    auto* text = new QLabel(QString::fromLocal8Bit(message.c_str()), this);
    text->setObjectName(QStringLiteral("message"));
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* detailsLabel = new QLabel(QStringLiteral("Details:"), this);
    auto* details = new QPlainTextEdit(QString::fromLocal8Bit(report.c_str()), this);
    details->setObjectName(QStringLiteral("details"));
    details->setReadOnly(true);
    details->setLineWrapMode(QPlainTextEdit::NoWrap);
    detailsLabel->setBuddy(details);

    auto* copy = new TbsSkinButton(QStringLiteral("Copy Report"), this);
    copy->setObjectName(QStringLiteral("btnCopy"));
    auto* send = new TbsSkinButton(QStringLiteral("Send Report"), this);
    send->setObjectName(QStringLiteral("btnSend"));
    auto* go = new TbsSkinButton(QStringLiteral("Continue"), this);
    go->setObjectName(QStringLiteral("btnContinue"));
    connect(copy, &QPushButton::clicked, this, [this] {
        QApplication::clipboard()->setText(QString::fromLocal8Bit(report_.c_str()));
    });
    connect(send, &QPushButton::clicked, this,
            [this] { ShellOpenDocument(TCrashReporter::MailAddress(report_)); });
    connect(go, &QPushButton::clicked, this, &QDialog::accept);
    // The buttons take no focus: keys press them.
    copy->AddShortcut({QKeySequence(QKeySequence::Copy)});
    send->AddShortcut({QKeySequence(Qt::CTRL | Qt::Key_E)});
    go->AddShortcut({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    details->setFocus();

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addWidget(send);
    buttons->addWidget(go);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(detailsLabel);
    layout->addWidget(details, 1);
    layout->addLayout(buttons);
    resize(640, 420);
}
