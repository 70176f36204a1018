// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The crash reporter's window: the failure's message, the full report
// below it, and buttons to copy the report, send it by e-mail, or go on.

#include <QDialog>
#include <string>

class TErrorDialog : public QDialog {
    Q_OBJECT
public:
    TErrorDialog(const std::string& message, const std::string& report, QWidget* parent = nullptr);

private:
    std::string report_;
};
