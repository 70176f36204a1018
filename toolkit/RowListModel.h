// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A check list whose rows are values of one type kept in one contiguous
// vector: filled anew as a whole, every check box then clear, and put in a
// new order by a header click. A list built on it says only what text
// stands in each cell and how two rows compare in a column.

#include "toolkit/CheckListModel.h"

#include <vector>

template <class T>
class TbsRowListModel : public TbsCheckListModel {
public:
    using TbsCheckListModel::TbsCheckListModel;

    // Replaces every row; every check box starts clear.
    void SetRows(std::vector<T> rows) {
        beginResetModel();
        rows_ = std::move(rows);
        ClearChecks(rows_.size());
        endResetModel();
    }
    void Clear() { SetRows({}); }

    const std::vector<T>& Rows() const { return rows_; }
    const T& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }

protected:
    void ReorderRows(const std::vector<int>& order) override { Permute(rows_, order); }

private:
    std::vector<T> rows_;
};
