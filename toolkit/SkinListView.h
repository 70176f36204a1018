// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A list view in report style: columns with headers, grid lines, whole-row
// selection of one row at a time, nothing editable in place. Rows have one
// fixed height, so a list of a million rows costs no more to lay out than
// one of ten. A click on a column header asks the model to sort by that
// column, a second click on it the other way round; when the model is
// filled anew its rows stand in their own order again.

#include <QTableView>
#include <initializer_list>

class TbsSkinListView : public QTableView {
    Q_OBJECT
public:
    explicit TbsSkinListView(QWidget* parent = nullptr);

    // Shows the model, its columns at these widths from the left.
    void SetModel(QAbstractItemModel* model, std::initializer_list<int> columnWidths);
    // The highlighted row, or -1 when none is.
    int HighlightedRow() const;

signals:
    // A double-click on a row, but not on its check box: quick clicks on a
    // box are meant for the box and open nothing.
    void RowDoubleClicked(const QModelIndex& index);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool OnCheckBox(const QModelIndex& index, const QPoint& at) const;
};
