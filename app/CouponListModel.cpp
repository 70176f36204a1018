// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CouponListModel.h"

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

QString TCouponListModel::Text(int row, int column) const {
    const TCouponRow& r = Row(row);
    const std::string& text = column == 0 ? r.Name : column == 1 ? r.Code : r.Expired;
    return ShownText(text);
}
