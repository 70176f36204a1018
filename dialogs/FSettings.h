// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings dialog: the site URL and the five values for the server side
// (MySQL host, database, user, password, invalid page), and below them the
// owner's choice to allow https sites. "Ok" writes the server's settings
// script coupsettings.php next to the executable and only then takes the
// values; "Cancel" takes nothing.

#include "service/ServerSettings.h"

#include <QDialog>
#include <string>

class QCheckBox;
class QLineEdit;
class TbsSkinButton;

// The text of coupsettings.php for the five server values: seven lines,
// each ended by CR LF. Each value stands in a double-quoted PHP string, with
// backslash, double quote and dollar sign escaped so PHP reads back exactly
// the typed value; other bytes pass unchanged.
std::string CoupSettingsScript(const TServerSettings& values);

class TfrmSettings : public QDialog {
    Q_OBJECT
public:
    // settings is the main window's ServerSettings, changed only by "Ok".
    explicit TfrmSettings(TServerSettings& settings, QWidget* parent = nullptr);

    // Puts the values into the six edits and the check box.
    void Fill(const TServerSettings& values);

    QLineEdit* edtSite = nullptr;
    QLineEdit* edtHostname = nullptr;
    QLineEdit* edtDatabase = nullptr;
    QLineEdit* edtUsername = nullptr;
    QLineEdit* edtPassword = nullptr;
    QLineEdit* edtInvalid = nullptr;
    QCheckBox* chkAllowHttps = nullptr;
    TbsSkinButton* btnOk = nullptr;
    TbsSkinButton* btnCancel = nullptr;

public slots:
    void reject() override;

private:
    void btnOkClick();
    void btnCancelClick();
    void ApplySettings();
    TServerSettings EditedValues() const;

    TServerSettings& settings_;
    // What Fill put into the edits: an edit still showing its value gives
    // back these bytes, so a value that is no UTF-8 is not altered unseen.
    TServerSettings filled_;
};
