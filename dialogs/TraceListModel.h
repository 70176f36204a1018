// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rows of the statistics list: the uses that passed the filters, as
// positions into the window's traces, so even a million rows cost one
// integer each; their texts are made only when a row is drawn.

#include "dialogs/Trace.h"

#include "toolkit/CheckListModel.h"

#include <vector>

class TTraceListModel : public TbsCheckListModel {
    Q_OBJECT
public:
    explicit TTraceListModel(const std::vector<TTrace>& traces, QObject* parent = nullptr);

    void SetRows(std::vector<std::size_t> rows);
    void Clear() { SetRows({}); }
    const TTrace& Trace(int row) const { return traces_[rows_[static_cast<std::size_t>(row)]]; }

    int rowCount(const QModelIndex& parent = {}) const override;

protected:
    QString Text(int row, int column) const override;
    // Codes and addresses in the natural order, dates as dates.
    int CompareRows(int a, int b, int column) const override;
    void ReorderRows(const std::vector<int>& order) override;

private:
    const std::vector<TTrace>& traces_;
    std::vector<std::size_t> rows_;
};

// "Date Used": the locale's short date, then, unless the time is exactly
// midnight, a blank and the locale's long time without its zone.
QString DateUsedText(const TDateTime& when);

// A Qt time format without its zone (these times carry none), and without
// the brackets and separators that surrounded the zone: Catalan
// "H:mm:ss (t)" gives "H:mm:ss", Belarusian "HH:mm:ss, t" "HH:mm:ss".
QString LongTimeWithoutZone(const QString& timeFormat);
