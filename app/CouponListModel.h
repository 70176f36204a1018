#pragma once
// The rows of the coupon list: name, code and expired flag in three columns,
// the identifier kept with each row but shown in none, and a check box per
// row. Rows live in one contiguous vector so a list of a hundred thousand
// coupons loads and scrolls without delay.

#include "service/CouponRow.h"

#include <QAbstractTableModel>
#include <vector>

class TCouponListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Replaces every row; every check box starts clear.
    void SetRows(std::vector<TCouponRow> rows);
    void Clear() { SetRows({}); }

    const TCouponRow& Row(int row) const { return rows_[static_cast<std::size_t>(row)].data; }
    bool IsChecked(int row) const { return rows_[static_cast<std::size_t>(row)].checked; }
    void SetAllChecked(bool checked);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Entry {
        TCouponRow data;
        bool checked = false;
    };
    std::vector<Entry> rows_;
};
