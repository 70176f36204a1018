// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rows of the coupon list: name, code and expired flag in three columns,
// the identifier kept with each row but shown in none, and a check box per
// row. Rows live in one contiguous vector so a list of a hundred thousand
// coupons loads and scrolls without delay.

#include "service/CouponRow.h"
#include "toolkit/CheckListModel.h"

#include <vector>

class TCouponListModel : public TbsCheckListModel {
    Q_OBJECT
public:
    explicit TCouponListModel(QObject* parent = nullptr);

    // Replaces every row; every check box starts clear.
    void SetRows(std::vector<TCouponRow> rows);
    void Clear() { SetRows({}); }

    const TCouponRow& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;

protected:
    QString Text(int row, int column) const override;
    int CompareRows(int a, int b, int column) const override;
    void ReorderRows(const std::vector<int>& order) override;

private:
    std::vector<TCouponRow> rows_;
};
