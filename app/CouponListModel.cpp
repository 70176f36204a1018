// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CouponListModel.h"

#include "toolkit/NaturalOrder.h"
#include "toolkit/WireText.h"

TCouponListModel::TCouponListModel(QObject* parent)
    : TbsRowListModel({QStringLiteral("Coupon Name"), QStringLiteral("Code"), QStringLiteral("Expired")}, parent) {}

namespace {
const std::string& Cell(const TCouponRow& r, int column) { return column == 0 ? r.Name : column == 1 ? r.Code : r.Expired; }
} // namespace

QString TCouponListModel::Text(int row, int column) const {
    return ShownText(Cell(Row(row), column));
}

int TCouponListModel::CompareRows(int a, int b, int column) const {
    return NaturalCompare(Cell(Row(a), column), Cell(Row(b), column));
}
