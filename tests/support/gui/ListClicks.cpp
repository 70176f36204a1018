// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/gui/ListClicks.h"

#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>

QPoint CheckBoxCentre(QAbstractItemView* view, int row) {
    QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view).center();
}

void ClickCheckBox(QAbstractItemView* view, int row) {
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, CheckBoxCentre(view, row));
}

void ClickCell(QAbstractItemView* view, int row, int column) {
    QModelIndex index = view->model()->index(row, column);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}
