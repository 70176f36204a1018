#include "app/CouponListModel.h"

namespace {
const char* const kHeaders[] = {"Coupon Name", "Code", "Expired"};
}

void TCouponListModel::SetRows(std::vector<TCouponRow> rows) {
    beginResetModel();
    rows_.clear();
    rows_.reserve(rows.size());
    for (TCouponRow& r : rows)
        rows_.push_back({std::move(r), false});
    endResetModel();
}

void TCouponListModel::SetAllChecked(bool checked) {
    for (Entry& e : rows_)
        e.checked = checked;
    if (!rows_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

int TCouponListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TCouponListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant TCouponListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const Entry& e = rows_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        const std::string& text = index.column() == 0 ? e.data.Name
                                  : index.column() == 1 ? e.data.Code
                                                        : e.data.Expired;
        return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
    }
    if (role == Qt::CheckStateRole && index.column() == 0)
        return e.checked ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool TCouponListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole)
        return false;
    rows_[static_cast<std::size_t>(index.row())].checked =
        value.value<Qt::CheckState>() == Qt::Checked || value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags TCouponListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant TCouponListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 3)
        return QString::fromLatin1(kHeaders[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}
