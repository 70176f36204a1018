// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "Per Day" chart: a bar of uses for each day of the filtered range (or
// each week, for a long range), days without uses as zero, with labelled
// axes and a tool tip per bar, drawn in the skin's colours.

#include "dialogs/UseFigures.h"

#include <QtCharts/QChartView>

QT_BEGIN_NAMESPACE
class QBarSet;
class QBarSeries;
class QCategoryAxis;
class QValueAxis;
QT_END_NAMESPACE

class TUsesChart : public QChartView {
    Q_OBJECT
public:
    // At most this many dates stand under the bars; the others are left out.
    static constexpr int kMaxLabels = 8;

    explicit TUsesChart(QWidget* parent = nullptr);

    void SetFigures(TPeriodFigures figures);
    // Bars in the skin's selection colour, on the colours of its lists.
    void ApplySkin(const QPalette& list);

    const TPeriodFigures& Figures() const { return figures_; }
    // "5/18/08: 3 uses", "Week of 5/12/08 to 5/18/08: 10 uses".
    QString BarToolTip(int bar) const;
    QBarSet* Bars() const { return bars_; }
    QBarSeries* Series() const { return series_; }
    QCategoryAxis* AxisX() const { return axisX_; }
    QValueAxis* AxisY() const { return axisY_; }

private:
    QString PeriodText(const TPeriodFigure& p) const;

    TPeriodFigures figures_;
    QBarSet* bars_ = nullptr;
    QBarSeries* series_ = nullptr;
    QCategoryAxis* axisX_ = nullptr;
    QValueAxis* axisY_ = nullptr;
};
