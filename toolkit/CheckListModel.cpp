// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/CheckListModel.h"

#include <algorithm>
#include <numeric>

TbsCheckListModel::TbsCheckListModel(QStringList headers, QObject* parent, bool checkBoxes)
    : QAbstractTableModel(parent), headers_(std::move(headers)), checkBoxes_(checkBoxes) {}

void TbsCheckListModel::SetAllChecked(bool checked) {
    checked_.assign(checked_.size(), checked);
    if (!checked_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

int TbsCheckListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant TbsCheckListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return Text(index.row(), index.column());
    if (role == Qt::CheckStateRole && index.column() == 0 && checkBoxes_)
        return IsChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool TbsCheckListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole || !checkBoxes_)
        return false;
    checked_[static_cast<std::size_t>(index.row())] = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags TbsCheckListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0 && checkBoxes_)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant TbsCheckListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < headers_.size())
        return headers_[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

void TbsCheckListModel::sort(int column, Qt::SortOrder order) {
    const int rows = rowCount();
    if (column < 0 || column >= columnCount() || rows < 2)
        return;
    std::vector<int> sorted(static_cast<std::size_t>(rows));
    std::iota(sorted.begin(), sorted.end(), 0);
    std::stable_sort(sorted.begin(), sorted.end(), [&](int a, int b) {
        const int c = CompareRows(a, b, column);
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    });
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRow(sorted.size());
    for (std::size_t i = 0; i < sorted.size(); ++i)
        newRow[static_cast<std::size_t>(sorted[i])] = static_cast<int>(i);
    ReorderRows(sorted);
    Permute(checked_, sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& i : before)
        after.append(index(newRow[static_cast<std::size_t>(i.row())], i.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
