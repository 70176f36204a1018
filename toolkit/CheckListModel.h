// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rows of a report-style list view with a check box on each row: the
// column headers, the check states and their editing. A list says only how
// many rows it has and what text stands in each cell; the texts are asked
// for only when a row is drawn. A click on a column header sorts the rows
// by that column, each row keeping its check box.

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

class TbsCheckListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Without checkBoxes the rows carry none (a table of figures).
    TbsCheckListModel(QStringList headers, QObject* parent = nullptr, bool checkBoxes = true);

    bool IsChecked(int row) const { return checked_[static_cast<std::size_t>(row)]; }
    void SetAllChecked(bool checked);

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Sorts the rows by a column, each with its check box; a selected row
    // stays selected. Rows that compare equal keep their order. A column
    // out of range (-1: no column) leaves the order as it is.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

protected:
    // The text of a cell.
    virtual QString Text(int row, int column) const = 0;
    // How two rows compare in a column: negative, zero or positive.
    virtual int CompareRows(int a, int b, int column) const = 0;
    // Puts the rows in this order: the row now at i is the one that was at
    // order[i].
    virtual void ReorderRows(const std::vector<int>& order) = 0;
    // ReorderRows for rows kept in a vector.
    template <class T>
    static void Permute(std::vector<T>& rows, const std::vector<int>& order) {
        std::vector<T> sorted;
        sorted.reserve(rows.size());
        for (int i : order)
            sorted.push_back(std::move(rows[static_cast<std::size_t>(i)]));
        rows.swap(sorted);
    }
    // To be called between beginResetModel and endResetModel: every check
    // box of the rows clear.
    void ClearChecks(std::size_t rows) { checked_.assign(rows, false); }

private:
    QStringList headers_;
    bool checkBoxes_ = true;
    std::vector<bool> checked_;
};
