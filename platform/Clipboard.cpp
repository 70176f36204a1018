// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

void SetClipboardText(const std::string& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())));
}

std::string ClipboardText() {
    return QGuiApplication::clipboard()->text().toLocal8Bit().toStdString();
}
