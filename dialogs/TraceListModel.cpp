// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/TraceListModel.h"

#include "toolkit/NaturalOrder.h"

#include <QDate>
#include <QLocale>
#include <QTime>

namespace {

// The locale's long time without a zone: these times carry none.
QString LongTimeFormat() {
    QString f = QLocale().timeFormat(QLocale::LongFormat);
    f.remove(QLatin1Char('t'));
    return f.trimmed();
}

} // namespace

QString DateUsedText(const TDateTime& when) {
    QLocale locale;
    QString text = locale.toString(QDate::fromJulianDay(when.Day), QLocale::ShortFormat);
    if (when.Seconds != 0) {
        text += QLatin1Char(' ') + locale.toString(QTime(0, 0).addSecs(when.Seconds), LongTimeFormat());
    }
    return text;
}

TTraceListModel::TTraceListModel(const std::vector<TTrace>& traces, QObject* parent)
    : TbsCheckListModel({QStringLiteral("Coupon Code"), QStringLiteral("Date Used"), QStringLiteral("Computer IP")},
                        parent),
      traces_(traces) {}

void TTraceListModel::SetRows(std::vector<std::size_t> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    ClearChecks(rows_.size());
    endResetModel();
}

int TTraceListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QString TTraceListModel::Text(int row, int column) const {
    const TTrace& t = Trace(row);
    switch (column) {
    case 0: return QString::fromLocal8Bit(t.CouponCode.c_str());
    case 1: return DateUsedText(t.DateUsed);
    default: return QString::fromLocal8Bit(t.ComputerIP.c_str());
    }
}

int CompareDates(const TDateTime& a, const TDateTime& b) {
    if (a.Day != b.Day)
        return a.Day < b.Day ? -1 : 1;
    return a.Seconds < b.Seconds ? -1 : a.Seconds > b.Seconds ? 1 : 0;
}

int TTraceListModel::CompareRows(int a, int b, int column) const {
    const TTrace& x = Trace(a);
    const TTrace& y = Trace(b);
    switch (column) {
    case 0: return NaturalCompare(x.CouponCode, y.CouponCode);
    case 1: return CompareDates(x.DateUsed, y.DateUsed);
    default: return NaturalCompare(x.ComputerIP, y.ComputerIP);
    }
}

void TTraceListModel::ReorderRows(const std::vector<int>& order) {
    Permute(rows_, order);
}
