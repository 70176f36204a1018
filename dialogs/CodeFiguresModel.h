// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rows of the "Per Code" table: each code of the filtered uses with how
// often it was used and its first and last use.

#include "dialogs/UseFigures.h"
#include "toolkit/CheckListModel.h"

#include <vector>

class TCodeFiguresModel : public TbsCheckListModel {
    Q_OBJECT
public:
    explicit TCodeFiguresModel(QObject* parent = nullptr);

    void SetRows(std::vector<TCodeFigure> rows);
    const TCodeFigure& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

protected:
    QString Text(int row, int column) const override;
    int CompareRows(int a, int b, int column) const override;
    void ReorderRows(const std::vector<int>& order) override;

private:
    std::vector<TCodeFigure> rows_;
};
