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
}

void TbsSkinListView::SetModel(QAbstractItemModel* model, std::initializer_list<int> columnWidths) {
    setModel(model);
    int column = 0;
    for (int width : columnWidths)
        setColumnWidth(column++, width);
}
