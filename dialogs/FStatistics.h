// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The statistics window: the log of code uses, downloaded once while the
// window is created, then listed by "Show" under a code filter and a date
// filter. Nothing here changes anything on the server.

#include "dialogs/StatisticsParser.h"
#include "dialogs/Trace.h"
#include "dialogs/UseFigures.h"
#include "toolkit/SkinMessage.h"

#include <QDialog>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QLineEdit;
class QRadioButton;
class QTabWidget;
class TCodeFiguresModel;
class TCouponService;
class TTraceListModel;
class TUsesChart;
class TbsSkinButton;
class TbsSkinDateEdit;
class TbsSkinListView;

class TfrmStats : public QDialog {
    Q_OBJECT
public:
    explicit TfrmStats(TCouponService& service, QWidget* parent = nullptr);
    ~TfrmStats() override;

    // The uses, in the order of the server's reply; filled once.
    const std::vector<TTrace>& Traces() const { return traces_; }

    QRadioButton* rbtCodeSel = nullptr;
    QComboBox* cbxCodes = nullptr;
    QRadioButton* rbtCodeType = nullptr;
    QLineEdit* edtCode = nullptr;
    QRadioButton* rbtCodeAll = nullptr;
    QRadioButton* rbtDateSel = nullptr;
    TbsSkinDateEdit* edtDateFixed = nullptr;
    QRadioButton* rbtDateRange = nullptr;
    TbsSkinDateEdit* edtDateIni = nullptr;
    TbsSkinDateEdit* edtDateEnd = nullptr;
    QRadioButton* rbtDateAll = nullptr;
    TbsSkinButton* btnShow = nullptr;
    TbsSkinListView* lvwItems = nullptr;
    TbsSkinButton* btnOk = nullptr;
    // Beside the list: the uses at a glance, and their export.
    QTabWidget* pgcUses = nullptr;  // "Uses" (lvwItems), "Per Code", "Per Day"
    TbsSkinListView* lvwCodes = nullptr;
    TUsesChart* chtDays = nullptr;
    TbsSkinButton* btnExport = nullptr;  // "Export CSV..."
    // The message dialog for what the export has to say; the window's own
    // when none is given.
    TbsSkinMessage* Messages = nullptr;

    // Rebuilds the list from the traces and the filters.
    void ShowFiltered();

public slots:
    void reject() override;

private:
    void FormCreate();
    void LoadStatistics();
    void ParseStatistics(const std::string& reply);
    void btnShowClick();
    void btnOkClick();
    QWidget* BuildFigureTabs();
    // The figures of the listed rows; days is the date filter's range, none
    // for all dates.
    void ShowFigures(const std::vector<std::size_t>& rows, std::optional<TDayRange> days);
    void btnExportClick();

    TCouponService& service_;
    std::vector<TTrace> traces_;
    TTraceListModel* list_ = nullptr;
    std::unique_ptr<TUseFigures> figures_;
    TCodeFiguresModel* codes_ = nullptr;
    TbsSkinMessage ownMessages_;
};
