// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/CsvExport.h"

#include "platform/AtomicFile.h"
#include "service/CsvWriter.h"
#include "toolkit/SkinMessage.h"
#include "toolkit/WireText.h"

#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>
#include <cstdio>
#include <exception>

namespace {

// Where the next file dialog opens: the folder of the last file saved in
// this run, else the owner's documents.
QString& LastFolder() {
    static QString folder;
    return folder;
}

// Wire text in UTF-8 as the lists show it: a byte that is no UTF-8 (Latin-1
// from an older database) is the letter it stands for there, not a
// replacement mark that would make two codes one.
std::string Utf8(const std::string& local) {
    return ShownText(local).toUtf8().toStdString();
}

// "yyyy-MM-dd HH:mm:ss".
std::string CsvDateTime(const TDateTime& when) {
    const QString date = QDate::fromJulianDay(when.Day).toString(QStringLiteral("yyyy-MM-dd"));
    char time[32];
    std::snprintf(time, sizeof time, " %02d:%02d:%02d", when.Seconds / 3600, when.Seconds / 60 % 60,
                  when.Seconds % 60);
    return date.toStdString() + time;
}

} // namespace

std::string CouponsCsv(const std::vector<TCouponRow>& rows) {
    TCsvWriter csv({"Coupon Name", "Code", "Expired", "Id"});
    for (const TCouponRow& r : rows)
        csv.AddRow({Utf8(r.Name), Utf8(r.Code), Utf8(r.Expired), Utf8(r.Id)});
    return csv.Text();
}

std::string UsesCsv(std::size_t count, const std::function<const TTrace&(std::size_t)>& use) {
    TCsvWriter csv({"Coupon Code", "Date Used", "Computer IP"});
    csv.Reserve(count * 48);
    for (std::size_t i = 0; i < count; ++i) {
        const TTrace& t = use(i);
        csv.AddRow({Utf8(t.CouponCode), CsvDateTime(t.DateUsed), Utf8(t.ComputerIP)});
    }
    return csv.Text();
}

QString DatedFileName(const QString& prefix) {
    return prefix + QLatin1Char('-') + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) +
           QStringLiteral(".csv");
}

bool SaveCsvFile(QWidget* parent, TbsSkinMessage& msg, const QString& proposedName, const std::string& bytes) {
    QString folder = LastFolder();
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    QFileDialog dialog(parent, QStringLiteral("Save as CSV"), folder,
                       QStringLiteral("CSV files (*.csv);;All files (*)"));
    dialog.setObjectName(QStringLiteral("dlgSaveCsv"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    const QString path = dialog.selectedFiles().first();
    try {
        WriteFileAtomically(path.toLocal8Bit().toStdString(), bytes, 0644);
    } catch (const std::exception& e) {
        msg.MessageDlg(std::string("The CSV file could not be saved. ") + e.what(), mtWarning, {mbOK}, 0);
        return false;
    }
    LastFolder() = QFileInfo(path).absolutePath();
    return true;
}
