// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The CSV files the owner saves for a spreadsheet or a mailing tool: the
// coupon list (or the coupons a bulk run added) and the uses the statistics
// list shows, and the saving itself: a file dialog proposing a name with
// today's date, then an atomic write, or a warning saying why it failed.

#include "dialogs/Trace.h"
#include "service/CouponRow.h"

#include <QString>
#include <functional>
#include <string>
#include <vector>

class QWidget;
class TbsSkinMessage;

// "Coupon Name","Code","Expired","Id", a row per coupon in the given order.
std::string CouponsCsv(const std::vector<TCouponRow>& rows);
// "Coupon Code","Date Used","Computer IP", a row per use; the date-time
// as "yyyy-MM-dd HH:mm:ss" whatever the locale.
std::string UsesCsv(std::size_t count, const std::function<const TTrace&(std::size_t)>& use);

// "coupons-2026-12-11.csv" for the prefix "coupons" on that day.
QString DatedFileName(const QString& prefix);

// Asks for a file with the proposed name and writes bytes to it at once
// (the old file stays whole should the write fail). False when the owner
// cancelled or the file could not be written; the latter is told as a
// warning through msg.
bool SaveCsvFile(QWidget* parent, TbsSkinMessage& msg, const QString& proposedName, const std::string& bytes);
