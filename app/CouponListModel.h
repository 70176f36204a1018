// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rows of the coupon list: name, code and expired flag in three columns,
// the identifier kept with each row but shown in none, and a check box per
// row. Rows live in one contiguous vector so a list of a hundred thousand
// coupons loads and scrolls without delay.

#include "service/CouponRow.h"
#include "toolkit/RowListModel.h"

class TCouponListModel : public TbsRowListModel<TCouponRow> {
    Q_OBJECT
public:
    explicit TCouponListModel(QObject* parent = nullptr);

protected:
    QString Text(int row, int column) const override;
    int CompareRows(int a, int b, int column) const override;
};
