// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/SkinListView.h"

#include <QHeaderView>

TbsSkinListView::TbsSkinListView(QWidget* parent) : QTableView(parent) {
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    connect(horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, [this](int column, Qt::SortOrder order) {
        if (model())
            model()->sort(column, order);
    });
}

void TbsSkinListView::SetModel(QAbstractItemModel* model, std::initializer_list<int> columnWidths) {
    setModel(model);
    connect(model, &QAbstractItemModel::modelReset, this,
            [this] { horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder); });
    int column = 0;
    for (int width : columnWidths)
        setColumnWidth(column++, width);
}
