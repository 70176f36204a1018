// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/FStatistics.h"

#include "dialogs/CodeFiguresModel.h"
#include "dialogs/CsvExport.h"
#include "dialogs/DialogLayout.h"
#include "dialogs/TraceListModel.h"
#include "dialogs/UseFigures.h"
#include "dialogs/UsesChart.h"
#include "service/CouponService.h"
#include "toolkit/SkinButton.h"
#include "toolkit/SkinDateEdit.h"
#include "toolkit/SkinListView.h"
#include "toolkit/WireText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QRadioButton* Radio(const char* name, const char* caption, const char* accessible, QWidget* parent) {
    auto* r = new QRadioButton(QString::fromLatin1(caption), parent);
    r->setObjectName(QString::fromLatin1(name));
    r->setAccessibleName(QString::fromLatin1(accessible));
    return r;
}

} // namespace

TfrmStats::TfrmStats(TCouponService& service, QWidget* parent) : QDialog(parent), service_(service) {
    setObjectName(QStringLiteral("frmStats"));
    setWindowTitle(QStringLiteral("Statistics"));
    SetDialogFlags(this);
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    // Each group box holds its own radio buttons, which exclude each other
    // within the group only.
    auto* byCode = new QGroupBox(QStringLiteral("By Code"), this);
    rbtCodeSel = Radio("rbtCodeSel", "", "Code chosen from the list", byCode);
    cbxCodes = new QComboBox(byCode);
    cbxCodes->setObjectName(QStringLiteral("cbxCodes"));
    cbxCodes->setEditable(false);
    cbxCodes->setAccessibleName(QStringLiteral("Codes"));
    rbtCodeType = Radio("rbtCodeType", "", "Code typed", byCode);
    edtCode = new QLineEdit(byCode);
    edtCode->setObjectName(QStringLiteral("edtCode"));
    edtCode->setAccessibleName(QStringLiteral("Code"));
    rbtCodeAll = Radio("rbtCodeAll", "All", "All", byCode);
    rbtCodeAll->setChecked(true);
    auto* c = new QGridLayout(byCode);
    c->addWidget(rbtCodeSel, 0, 0);
    c->addWidget(cbxCodes, 0, 1);
    c->addWidget(rbtCodeType, 1, 0);
    c->addWidget(edtCode, 1, 1);
    c->addWidget(rbtCodeAll, 2, 0, 1, 2, Qt::AlignLeft);
    c->setColumnStretch(1, 1);

    auto* byDate = new QGroupBox(QStringLiteral("By Date"), this);
    rbtDateSel = Radio("rbtDateSel", "", "Day", byDate);
    edtDateFixed = new TbsSkinDateEdit(byDate);
    edtDateFixed->setObjectName(QStringLiteral("edtDateFixed"));
    edtDateFixed->SetAccessibleName(QStringLiteral("Day"));
    rbtDateRange = Radio("rbtDateRange", "Range", "Range", byDate);
    edtDateIni = new TbsSkinDateEdit(byDate);
    edtDateIni->setObjectName(QStringLiteral("edtDateIni"));
    edtDateEnd = new TbsSkinDateEdit(byDate);
    edtDateEnd->setObjectName(QStringLiteral("edtDateEnd"));
    auto* from = new QLabel(QStringLiteral("From:"), byDate);
    from->setBuddy(edtDateIni);
    edtDateIni->SetAccessibleName(from->text());
    auto* to = new QLabel(QStringLiteral("To:"), byDate);
    to->setBuddy(edtDateEnd);
    edtDateEnd->SetAccessibleName(to->text());
    rbtDateAll = Radio("rbtDateAll", "All", "All", byDate);
    rbtDateAll->setChecked(true);
    auto* d = new QGridLayout(byDate);
    d->addWidget(rbtDateSel, 0, 0);
    d->addWidget(edtDateFixed, 0, 1, 1, 2);
    d->addWidget(rbtDateRange, 1, 0, 1, 3, Qt::AlignLeft);
    d->addWidget(from, 2, 1);
    d->addWidget(edtDateIni, 2, 2);
    d->addWidget(to, 3, 1);
    d->addWidget(edtDateEnd, 3, 2);
    d->addWidget(rbtDateAll, 4, 0, 1, 3, Qt::AlignLeft);
    d->setColumnStretch(2, 1);

    btnShow = new TbsSkinButton(QStringLiteral("Show"), this);
    btnShow->setObjectName(QStringLiteral("btnShow"));
    btnOk = new TbsSkinButton(QStringLiteral("Close"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));

    list_ = new TTraceListModel(traces_, this);
    lvwItems = new TbsSkinListView(this);
    lvwItems->setObjectName(QStringLiteral("lvwItems"));
    lvwItems->setAccessibleName(QStringLiteral("Uses"));
    lvwItems->SetModel(list_, {132, 150, 150});

    auto* left = new QVBoxLayout;
    left->addWidget(byCode);
    left->addWidget(byDate);
    left->addWidget(btnShow, 0, Qt::AlignLeft);
    left->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addLayout(left);
    body->addWidget(BuildFigureTabs(), 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(btnExport);
    bottom->addStretch(1);
    bottom->addWidget(btnOk);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(bottom);
    resize(725, 444);

    // The starting dates are set before the change handlers are connected:
    // they are no change of the user's and select nothing.
    for (TbsSkinDateEdit* e : {edtDateFixed, edtDateIni, edtDateEnd})
        e->SetStartDate(QDate::currentDate());
    connect(btnShow, &QPushButton::clicked, this, &TfrmStats::btnShowClick);
    PressOnReturn(btnShow);
    btnExport->AddShortcut({QKeySequence(Qt::CTRL | Qt::Key_E)});
    // Reading order, group by group, then the tabs and the list; the code
    // list first.
    SetTabOrder({rbtCodeSel, cbxCodes, rbtCodeType, edtCode, rbtCodeAll, rbtDateSel, edtDateFixed, rbtDateRange,
                 edtDateIni, edtDateEnd, rbtDateAll, pgcUses, lvwItems});
    cbxCodes->setFocus();
    connect(btnOk, &QPushButton::clicked, this, &TfrmStats::btnOkClick);
    connect(cbxCodes, &QComboBox::activated, this, [this] { rbtCodeSel->setChecked(true); });
    connect(edtCode, &QLineEdit::textChanged, this, [this] { rbtCodeType->setChecked(true); });
    connect(edtDateFixed, &TbsSkinDateEdit::Change, this, [this] { rbtDateSel->setChecked(true); });
    connect(edtDateIni, &TbsSkinDateEdit::Change, this, [this] { rbtDateRange->setChecked(true); });
    connect(edtDateEnd, &TbsSkinDateEdit::Change, this, [this] { rbtDateRange->setChecked(true); });

    FormCreate();
}

TfrmStats::~TfrmStats() = default;

void TfrmStats::FormCreate() { LoadStatistics(); }

void TfrmStats::LoadStatistics() {
    ServiceReply reply = service_.Post(StatisticsFields(), kBadReply);
    if (!ReplyHasOK(reply))
        return;
    try {
        ParseStatistics(reply);
    } catch (...) {
        // A record that cannot be read ends the loading; what came before stays.
    }
}

void TfrmStats::ParseStatistics(const std::string& reply) {
    list_->Clear();
    try {
        ParseStatisticsReply(reply, traces_, [this](const std::string& code) {
            // The entry keeps the code's bytes: what it shows may stand for
            // bytes that are no text of the code page.
            cbxCodes->addItem(ShownText(code), QByteArray(code.data(), qsizetype(code.size())));
        });
    } catch (...) {
        // No code is chosen until the user picks one, also after a bad record.
        cbxCodes->setCurrentIndex(-1);
        throw;
    }
    cbxCodes->setCurrentIndex(-1);
}

void TfrmStats::ShowFiltered() {
    // The filters as they stand when "Show" is pressed.
    const bool bySel = rbtCodeSel->isChecked(), byType = rbtCodeType->isChecked();
    const std::string code = bySel ? cbxCodes->currentData().toByteArray().toStdString()
                                   : edtCode->text().toLocal8Bit().toStdString();
    // One day is the range from that day to itself.
    std::optional<TDayRange> days;
    if (rbtDateSel->isChecked())
        days = TDayRange{edtDateFixed->date().toJulianDay(), edtDateFixed->date().toJulianDay()};
    else if (rbtDateRange->isChecked())
        days = TDayRange{edtDateIni->date().toJulianDay(), edtDateEnd->date().toJulianDay()};

    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < traces_.size(); ++i) {
        const TTrace& t = traces_[i];
        if ((bySel || byType) && t.CouponCode != code)
            continue;
        if (days && (t.DateUsed.Day < days->First || t.DateUsed.Day > days->Last))
            continue;
        rows.push_back(i);
    }
    ShowFigures(rows, days);
    list_->SetRows(std::move(rows));
}

void TfrmStats::btnShowClick() { ShowFiltered(); }

void TfrmStats::btnOkClick() { done(1); }

void TfrmStats::reject() { done(2); }

// The described list stands on the first tab as it is; the figures of the
// same uses stand beside it.
QWidget* TfrmStats::BuildFigureTabs() {
    pgcUses = new QTabWidget(this);
    pgcUses->setObjectName(QStringLiteral("pgcUses"));
    pgcUses->addTab(lvwItems, QStringLiteral("Uses"));
    codes_ = new TCodeFiguresModel(this);
    lvwCodes = new TbsSkinListView(pgcUses);
    lvwCodes->setObjectName(QStringLiteral("lvwCodes"));
    lvwCodes->setAccessibleName(QStringLiteral("Per Code"));
    // Narrower than the uses list's columns, so all four fit the tab at
    // the window's own size without a scroll bar.
    lvwCodes->SetModel(codes_, {116, 46, 146, 146});
    pgcUses->addTab(lvwCodes, QStringLiteral("Per Code"));
    chtDays = new TUsesChart(pgcUses);
    lvwItems->ensurePolished();
    chtDays->ApplySkin(lvwItems->palette());
    pgcUses->addTab(chtDays, QStringLiteral("Per Day"));
    btnExport = new TbsSkinButton(QStringLiteral("Export CSV..."), this);
    btnExport->setObjectName(QStringLiteral("btnExport"));
    connect(btnExport, &QPushButton::clicked, this, &TfrmStats::btnExportClick);
    return pgcUses;
}

void TfrmStats::ShowFigures(const std::vector<std::size_t>& rows, std::optional<TDayRange> days) {
    // The traces no longer change once loaded: their codes are numbered at
    // the first Show, which keeps that work out of the window's opening.
    if (!figures_)
        figures_ = std::make_unique<TUseFigures>(traces_);
    codes_->SetRows(figures_->PerCode(rows));
    chtDays->SetFigures(figures_->PerPeriod(rows, days, QLocale().firstDayOfWeek()));
}

void TfrmStats::btnExportClick() {
    // The rows of "Uses" as the list shows them, in its order.
    const std::string csv = UsesCsv(static_cast<std::size_t>(list_->rowCount()),
                                    [this](std::size_t i) -> const TTrace& { return list_->Trace(static_cast<int>(i)); });
    SaveCsvFile(this, Messages ? *Messages : ownMessages_, DatedFileName(QStringLiteral("uses")), csv);
}
