// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/CodeFiguresModel.h"

#include "dialogs/TraceListModel.h"
#include "toolkit/NaturalOrder.h"
#include "toolkit/WireText.h"

TCodeFiguresModel::TCodeFiguresModel(QObject* parent)
    : TbsCheckListModel({QStringLiteral("Coupon Code"), QStringLiteral("Uses"), QStringLiteral("First Use"),
                         QStringLiteral("Last Use")},
                        parent, false) {}

void TCodeFiguresModel::SetRows(std::vector<TCodeFigure> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    ClearChecks(rows_.size());
    endResetModel();
}

int TCodeFiguresModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant TCodeFiguresModel::data(const QModelIndex& index, int role) const {
    // Counts line up on the right, as numbers do.
    if (role == Qt::TextAlignmentRole && index.isValid() && index.column() == 1)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return TbsCheckListModel::data(index, role);
}

QString TCodeFiguresModel::Text(int row, int column) const {
    const TCodeFigure& f = Row(row);
    switch (column) {
    case 0: return ShownText(f.Code);
    case 1: return QString::number(f.Uses);
    case 2: return DateUsedText(f.FirstUse);
    default: return DateUsedText(f.LastUse);
    }
}

int TCodeFiguresModel::CompareRows(int a, int b, int column) const {
    const TCodeFigure& x = Row(a);
    const TCodeFigure& y = Row(b);
    switch (column) {
    case 0: return NaturalCompare(x.Code, y.Code);
    case 1: return x.Uses < y.Uses ? -1 : x.Uses > y.Uses ? 1 : 0;
    case 2: return CompareDates(x.FirstUse, y.FirstUse);
    default: return CompareDates(x.LastUse, y.LastUse);
    }
}

void TCodeFiguresModel::ReorderRows(const std::vector<int>& order) {
    Permute(rows_, order);
}
