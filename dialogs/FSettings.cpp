// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/FSettings.h"

#include "dialogs/DialogLayout.h"
#include "platform/AtomicFile.h"
#include "platform/ExeDir.h"
#include "platform/ProfileFile.h"
#include "toolkit/SkinButton.h"
#include "toolkit/WireText.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <sys/stat.h>

#include <algorithm>

namespace {

std::string PhpString(const std::string& value) {
    std::string out;
    out.reserve(value.size() + 2);
    for (char c : value) {
        if (c == '\\' || c == '"' || c == '$')
            out += '\\';
        out += c;
    }
    return out;
}

// A one-line value: line breaks that came in with pasted text would split
// the value across lines of settings.dat and coupsettings.php, so they go.
std::string Local(const QLineEdit* edit) {
    std::string value = edit->text().toLocal8Bit().toStdString();
    std::erase_if(value, [](char c) { return c == '\r' || c == '\n'; });
    return value;
}

// The edit's value: the bytes it was filled with while it still shows
// them, else what it holds now.
std::string Kept(const QLineEdit* edit, const std::string& filled) {
    return edit->text() == ShownText(filled) ? filled : Local(edit);
}

} // namespace

std::string CoupSettingsScript(const TServerSettings& v) {
    std::string s = "<?php\r\n";
    s += "  $hostname=\"" + PhpString(v.DbHostName) + "\";\r\n";
    s += "  $database=\"" + PhpString(v.DbDatabase) + "\";\r\n";
    s += "  $username=\"" + PhpString(v.DbUserName) + "\";\r\n";
    s += "  $password=\"" + PhpString(v.DbPassword) + "\";\r\n";
    s += "  $invalidpage=\"" + PhpString(v.InvalidPage) + "\";\r\n";
    s += "?>\r\n";
    return s;
}

TfrmSettings::TfrmSettings(TServerSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    SetDialogFlags(this);

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto addEdit = [&](const char* name, const char* caption) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        // settings.dat gives back at most this much of a value.
        edit->setMaxLength(static_cast<int>(kProfileValueLimit));
        form->addRow(LabelFor(caption, edit, this), edit);
        return edit;
    };
    edtSite = addEdit("edtSite", "Site URL:");
    edtHostname = addEdit("edtHostname", "MYSQL Host:");
    edtDatabase = addEdit("edtDatabase", "Coupons Database:");
    edtUsername = addEdit("edtUsername", "Database User:");
    edtPassword = addEdit("edtPassword", "User Password:");
    edtInvalid = addEdit("edtInvalid", "Invalid Page:");
    chkAllowHttps = new QCheckBox(QStringLiteral("Allow secure https:// sites"), this);
    chkAllowHttps->setObjectName(QStringLiteral("chkAllowHttps"));
    chkAllowHttps->setAccessibleName(chkAllowHttps->text());
    form->addRow(QString(), chkAllowHttps);

    btnOk = new TbsSkinButton(QStringLiteral("Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->ModalResult = 1;
    btnCancel = new TbsSkinButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->ModalResult = 2;
    connect(btnOk, &QPushButton::clicked, this, &TfrmSettings::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmSettings::btnCancelClick);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch(1);
    layout->addLayout(CentredButtonRow({btnOk, btnCancel}));
    // The described size, grown by the check box's row below the edits.
    form->activate();
    setFixedSize(409, 217 + chkAllowHttps->sizeHint().height() + std::max(0, form->verticalSpacing()));

    PressOnReturn(btnOk);
    edtSite->setFocus();
}

void TfrmSettings::Fill(const TServerSettings& v) {
    filled_ = v;
    edtSite->setText(ShownText(v.WebServer));
    edtHostname->setText(ShownText(v.DbHostName));
    edtDatabase->setText(ShownText(v.DbDatabase));
    edtUsername->setText(ShownText(v.DbUserName));
    edtPassword->setText(ShownText(v.DbPassword));
    edtInvalid->setText(ShownText(v.InvalidPage));
    chkAllowHttps->setChecked(v.AllowHttps);
}

TServerSettings TfrmSettings::EditedValues() const {
    TServerSettings v = settings_;
    v.WebServer = Kept(edtSite, filled_.WebServer);
    v.DbHostName = Kept(edtHostname, filled_.DbHostName);
    v.DbDatabase = Kept(edtDatabase, filled_.DbDatabase);
    v.DbUserName = Kept(edtUsername, filled_.DbUserName);
    v.DbPassword = Kept(edtPassword, filled_.DbPassword);
    v.InvalidPage = Kept(edtInvalid, filled_.InvalidPage);
    v.AllowHttps = chkAllowHttps->isChecked();
    return v;
}

void TfrmSettings::ApplySettings() {
    TServerSettings v = EditedValues();
    // The file holds the database password: its owner alone may read it. A
    // failure to write it leaves this handler, and the values are not taken.
    WriteFileAtomically(ExeDir() + "coupsettings.php", CoupSettingsScript(v), S_IRUSR | S_IWUSR);
    settings_ = v;
}

void TfrmSettings::btnOkClick() {
    ApplySettings();
    done(1);
}

void TfrmSettings::btnCancelClick() { done(2); }

void TfrmSettings::reject() { done(2); }
