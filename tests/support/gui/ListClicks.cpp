// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/gui/ListClicks.h"

#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>

void ClickCheckBox(QAbstractItemView* view, int row) {
    QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    QRect box = view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, box.center());
}

void ClickCell(QAbstractItemView* view, int row, int column) {
    QModelIndex index = view->model()->index(row, column);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}
