#include "dialogs/TraceListModel.h"

#include <QDate>
#include <QLocale>
#include <QTime>

namespace {

const char* const kHeaders[] = {"Coupon Code", "Date Used", "Computer IP"};

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
        static const QString timeFormat = LongTimeFormat();
        text += QLatin1Char(' ') + locale.toString(QTime(0, 0).addSecs(when.Seconds), timeFormat);
    }
    return text;
}

TTraceListModel::TTraceListModel(const std::vector<TTrace>& traces, QObject* parent)
    : QAbstractTableModel(parent), traces_(traces) {}

void TTraceListModel::SetRows(std::vector<std::size_t> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    checked_.assign(rows_.size(), false);
    endResetModel();
}

int TTraceListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TTraceListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant TTraceListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const TTrace& t = Trace(index.row());
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        switch (index.column()) {
        case 0: return QString::fromLocal8Bit(t.CouponCode.c_str());
        case 1: return DateUsedText(t.DateUsed);
        default: return QString::fromLocal8Bit(t.ComputerIP.c_str());
        }
    }
    if (role == Qt::CheckStateRole && index.column() == 0)
        return checked_[static_cast<std::size_t>(index.row())] ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool TTraceListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole)
        return false;
    checked_[static_cast<std::size_t>(index.row())] = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags TTraceListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant TTraceListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 3)
        return QString::fromLatin1(kHeaders[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}
