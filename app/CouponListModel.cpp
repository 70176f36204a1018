// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CouponListModel.h"

#include "toolkit/NaturalOrder.h"
#include "toolkit/WireText.h"

TCouponListModel::TCouponListModel(QObject* parent)
    : TbsCheckListModel({QStringLiteral("Coupon Name"), QStringLiteral("Code"), QStringLiteral("Expired")}, parent) {}

void TCouponListModel::SetRows(std::vector<TCouponRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    ClearChecks(rows_.size());
    endResetModel();
}

int TCouponListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

namespace {
const std::string& Cell(const TCouponRow& r, int column) { return column == 0 ? r.Name : column == 1 ? r.Code : r.Expired; }
} // namespace

QString TCouponListModel::Text(int row, int column) const {
    return ShownText(Cell(Row(row), column));
}

int TCouponListModel::CompareRows(int a, int b, int column) const {
    return NaturalCompare(Cell(Row(a), column), Cell(Row(b), column));
}

void TCouponListModel::ReorderRows(const std::vector<int>& order) {
    Permute(rows_, order);
}
