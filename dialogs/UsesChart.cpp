// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/UsesChart.h"

#include <QCursor>
#include <QDate>
#include <QLocale>
#include <QToolTip>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

QString ShortDate(std::int64_t day) { return QLocale().toString(QDate::fromJulianDay(day), QLocale::ShortFormat); }

QString UsesText(std::size_t uses) {
    return uses == 1 ? QStringLiteral("1 use") : QStringLiteral("%1 uses").arg(uses);
}

// A step of 1, 2 or 5 times a power of ten that divides the count axis
// into at most five whole-number parts.
double TickStep(double top) {
    double step = 1;
    for (double scale = 1;; scale *= 10)
        for (double m : {1.0, 2.0, 5.0})
            if ((step = m * scale) * 5 >= top)
                return step;
}

} // namespace

TUsesChart::TUsesChart(QWidget* parent) : QChartView(parent) {
    setObjectName(QStringLiteral("chtDays"));
    setAccessibleName(QStringLiteral("Uses per day"));
    setRenderHint(QPainter::Antialiasing);
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(4, 4, 4, 4));
    bars_ = new QBarSet(QStringLiteral("Uses"));
    series_ = new QBarSeries;
    series_->append(bars_);
    series_->setBarWidth(0.8);
    chart->addSeries(series_);
    axisX_ = new QCategoryAxis;
    axisX_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axisX_->setGridLineVisible(false);
    axisX_->setLabelsAngle(-90);
    axisY_ = new QValueAxis;
    axisY_->setTitleText(QStringLiteral("Uses"));
    axisY_->setLabelFormat(QStringLiteral("%.0f"));
    axisY_->setTickType(QValueAxis::TicksDynamic);
    axisY_->setTickAnchor(0);
    chart->addAxis(axisX_, Qt::AlignBottom);
    chart->addAxis(axisY_, Qt::AlignLeft);
    series_->attachAxis(axisX_);
    series_->attachAxis(axisY_);
    setChart(chart);
    connect(bars_, &QBarSet::hovered, this, [this](bool on, int bar) {
        if (on)
            QToolTip::showText(QCursor::pos(), BarToolTip(bar), this);
        else
            QToolTip::hideText();
    });
    SetFigures({});
}

void TUsesChart::SetFigures(TPeriodFigures figures) {
    figures_ = std::move(figures);
    const auto& periods = figures_.Periods;
    QList<qreal> values;
    values.reserve(static_cast<qsizetype>(periods.size()));
    std::size_t most = 0, total = 0;
    for (const TPeriodFigure& p : periods) {
        values.append(static_cast<qreal>(p.Uses));
        most = std::max(most, p.Uses);
        total += p.Uses;
    }
    bars_->remove(0, bars_->count());
    bars_->append(values);

    // Bar i stands at x = i; a date under every few bars.
    const int count = static_cast<int>(periods.size());
    for (const QString& label : axisX_->categoriesLabels())
        axisX_->remove(label);
    axisX_->setStartValue(-0.5);
    axisX_->setRange(-0.5, std::max(count, 1) - 0.5);
    const int every = std::max(1, (count + kMaxLabels - 1) / kMaxLabels);
    for (int i = 0; i < count; i += every)
        axisX_->append(ShortDate(periods[static_cast<std::size_t>(i)].FirstDay), i);
    axisX_->setTitleText(figures_.Weekly ? QStringLiteral("Week") : QStringLiteral("Day"));

    const double step = TickStep(static_cast<double>(std::max<std::size_t>(most, 1)));
    axisY_->setTickInterval(step);
    axisY_->setRange(0, std::ceil(static_cast<double>(std::max<std::size_t>(most, 1)) / step) * step);

    setAccessibleDescription(periods.empty() ? QStringLiteral("No uses")
                                             : QStringLiteral("%1 from %2 to %3, %4 a %5 at the most")
                                                   .arg(UsesText(total), ShortDate(periods.front().FirstDay),
                                                        ShortDate(periods.back().LastDay), UsesText(most),
                                                        figures_.Weekly ? QStringLiteral("week") : QStringLiteral("day")));
}

void TUsesChart::ApplySkin(const QPalette& list) {
    const QColor bar = list.color(QPalette::Highlight);
    bars_->setBrush(bar);
    bars_->setPen(QPen(bar.darker(120)));
    QChart* c = chart();
    c->setBackgroundBrush(list.base());
    c->setBackgroundPen(Qt::NoPen);
    for (QAbstractAxis* axis : {static_cast<QAbstractAxis*>(axisX_), static_cast<QAbstractAxis*>(axisY_)}) {
        axis->setLabelsBrush(list.text());
        axis->setTitleBrush(list.text());
        axis->setLinePenColor(list.color(QPalette::Mid));
        axis->setGridLineColor(list.color(QPalette::Midlight));
    }
}

QString TUsesChart::PeriodText(const TPeriodFigure& p) const {
    if (!figures_.Weekly)
        return ShortDate(p.FirstDay);
    return QStringLiteral("Week of %1 to %2").arg(ShortDate(p.FirstDay), ShortDate(p.LastDay));
}

QString TUsesChart::BarToolTip(int bar) const {
    if (bar < 0 || bar >= static_cast<int>(figures_.Periods.size()))
        return {};
    const TPeriodFigure& p = figures_.Periods[static_cast<std::size_t>(bar)];
    return PeriodText(p) + QStringLiteral(": ") + UsesText(p.Uses);
}
