// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The order-page form snippet: the one-line HTML form through which a buyer
// sends a coupon code straight to the site's script, shown read-only and
// copied to the clipboard on request.

#include "service/ServerSettings.h"

#include <QDialog>
#include <string>

class QPlainTextEdit;
class TbsSkinButton;

// The HTML form for the site in the settings. The script address is
// escaped for an HTML attribute (&, ", <, >), so no site URL can end the
// ACTION value early; a plain URL passes unchanged.
std::string OrderFormHTML(const TServerSettings& settings);

class TfrmFormCode : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFormCode(const TServerSettings& settings, QWidget* parent = nullptr);

    QPlainTextEdit* memForm = nullptr;
    TbsSkinButton* btnOk = nullptr;      // "Copy"
    TbsSkinButton* btnCancel = nullptr;  // "Close"

public slots:
    void reject() override;

private:
    void btnOkClick();
    void btnCancelClick();

    std::string html_;
};
