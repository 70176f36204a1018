// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/SkinListView.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>

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

int TbsSkinListView::HighlightedRow() const {
    const QModelIndexList selected = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void TbsSkinListView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    // The view's own handling first, so the box still toggles on the
    // second press as it does on the first.
    QTableView::mouseDoubleClickEvent(event);
    if (index.isValid() && event->button() == Qt::LeftButton && !OnCheckBox(index, event->position().toPoint()))
        emit RowDoubleClicked(index);
}

bool TbsSkinListView::OnCheckBox(const QModelIndex& index, const QPoint& at) const {
    if (!index.data(Qt::CheckStateRole).isValid())
        return false;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.index = index;
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box = style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
    return box.contains(at);
}
