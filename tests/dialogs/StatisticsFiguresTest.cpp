// SPDX-License-Identifier: GPL-3.0-or-later
// The uses at a glance beside the statistics list, through the real
// window against the scripted server: the Per Code table and the Per Day
// chart for a fixed log, following the filters on Show only; sorting by a
// header click; and Export CSV of the listed uses read back by Python.

#include "dialogs/FStatistics.h"
#include "dialogs/UseFigures.h"
#include "dialogs/UsesChart.h"
#include "tests/support/CsvReadBack.h"
#include "tests/support/ServiceScript.h"
#include "tests/support/gui/FileDialogAnswer.h"
#include "tests/support/gui/ListClicks.h"
#include "tests/support/gui/MainWindowFixture.h"
#include "toolkit/SkinDateEdit.h"
#include "toolkit/SkinListView.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QValueAxis>

namespace {

using Table = std::vector<std::vector<std::string>>;

// A log of six uses over five days: a code with a quote, one with a letter
// beyond ASCII, a day in between without uses, and uses out of time order.
const std::string kCafe = "CAF\xC3\x89";
std::string Use(const std::string& code, const std::string& when, const std::string& ip) {
    return "\"1\",\"" + code + "\",\"" + when + "\",\"" + ip + "\"^";
}
const std::string kLog = Use("XMAS", "2008-05-18 14:03:09", "10.0.0.10") + Use("AB\"C", "2008-05-09 09:00:00", "10.0.0.2") +
                         Use("XMAS", "2008-05-10 00:00:00", "10.0.0.3") + Use(kCafe, "2008-05-12 23:59:59", "10.0.0.4") +
                         Use("XMAS", "2008-05-09 08:00:00", "10.0.0.5") + Use(kCafe, "2008-05-12 10:00:00", "10.0.0.6") +
                         "OK";

class StatisticsFigures : public MainWindowTest {
protected:
    void Open(const std::string& reply, const std::function<void(TfrmStats*)>& inside) {
        server = std::make_unique<ScriptedServer>(std::vector<ScriptedServer::Exchange>{
            Action({{"action", "1"}, {"end", ""}}, "BAD"), Action({{"action", "6"}, {"end", ""}}, reply)});
        PrepareSite("http://" + server->HostPort());
        Start();
        ModalAction stats("frmStats", [&](QWidget* w) {
            auto* s = static_cast<TfrmStats*>(w);
            inside(s);
            Click(s->btnOk);
        });
        Click(window->btnStats);
        ASSERT_TRUE(stats.Ran());
        EXPECT_TRUE(server->WaitDone());
    }

    static Table Cells(QAbstractItemView* view) {
        Table out;
        QAbstractItemModel* m = view->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            out.emplace_back();
            for (int c = 0; c < m->columnCount(); ++c)
                out.back().push_back(m->data(m->index(r, c)).toString().toStdString());
        }
        return out;
    }
    static std::vector<std::size_t> Bars(TfrmStats* s) {
        std::vector<std::size_t> out;
        for (const TPeriodFigure& p : s->chtDays->Figures().Periods)
            out.push_back(p.Uses);
        return out;
    }
    static void ClickHeader(QTableView* view, int column) {
        QHeaderView* h = view->horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2));
    }
    static void TypeDate(TbsSkinDateEdit* e, const QString& text) {
        e->LineEdit()->setFocus();
        QTest::keyClick(e->LineEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(e->LineEdit(), text);
    }

    std::unique_ptr<ScriptedServer> server;
};

TEST_F(StatisticsFigures, TabsBesideTheListAndAnExportButtonAtTheBottomLeft) {
    Open(kLog, [](TfrmStats* s) {
        ASSERT_EQ(s->pgcUses->count(), 3);
        EXPECT_EQ(s->pgcUses->tabText(0), "Uses");
        EXPECT_EQ(s->pgcUses->tabText(1), "Per Code");
        EXPECT_EQ(s->pgcUses->tabText(2), "Per Day");
        // The described list, as it is, on the first tab.
        EXPECT_EQ(s->pgcUses->widget(0), s->lvwItems);
        EXPECT_EQ(s->pgcUses->currentIndex(), 0);
        EXPECT_EQ(s->lvwItems->model()->headerData(1, Qt::Horizontal).toString(), "Date Used");
        EXPECT_EQ(s->lvwItems->columnWidth(0), 132);
        EXPECT_EQ(s->btnExport->text(), "Export CSV...");
        // Left of everything at the bottom, level with Close.
        EXPECT_LT(s->btnExport->x(), s->btnOk->x());
        EXPECT_LT(s->btnExport->x(), s->btnShow->x() + s->btnShow->width());
        EXPECT_EQ(s->btnExport->y(), s->btnOk->y());
        EXPECT_EQ(s->lvwCodes->accessibleName(), "Per Code");
        // Nothing until Show.
        EXPECT_EQ(s->lvwCodes->model()->rowCount(), 0);
        EXPECT_TRUE(s->chtDays->Figures().Periods.empty());
    });
}

TEST_F(StatisticsFigures, PerCodeFitsItsTabAtTheWindowsOwnSize) {
    Open(kLog, [](TfrmStats* s) {
        Click(s->btnShow);
        s->pgcUses->setCurrentIndex(1);
        QApplication::processEvents();
        int total = 0;
        for (int c = 0; c < s->lvwCodes->model()->columnCount(); ++c) {
            total += s->lvwCodes->columnWidth(c);
            // No figure or date is cut short.
            for (int r = 0; r < s->lvwCodes->model()->rowCount(); ++r)
                EXPECT_GE(s->lvwCodes->columnWidth(c),
                          s->lvwCodes->sizeHintForIndex(s->lvwCodes->model()->index(r, c)).width())
                    << "row " << r << " column " << c;
        }
        EXPECT_LE(total, s->lvwCodes->viewport()->width());
        EXPECT_EQ(s->lvwCodes->horizontalScrollBar()->maximum(), 0);
    });
}

TEST_F(StatisticsFigures, PerCodeAndPerDayForAFixedLog) {
    Open(kLog, [](TfrmStats* s) {
        Click(s->btnShow);
        EXPECT_EQ(Cells(s->lvwCodes), (Table{
                                          {"XMAS", "3", "5/9/08 8:00:00 AM", "5/18/08 2:03:09 PM"},
                                          {"CAF\xC3\x89", "2", "5/12/08 10:00:00 AM", "5/12/08 11:59:59 PM"},
                                          {"AB\"C", "1", "5/9/08 9:00:00 AM", "5/9/08 9:00:00 AM"},
                                      }));
        // From the first day with a use to the last, the empty days as zero.
        const TPeriodFigures& days = s->chtDays->Figures();
        EXPECT_FALSE(days.Weekly);
        ASSERT_EQ(days.Periods.size(), 10u);
        EXPECT_EQ(days.Periods.front().FirstDay, QDate(2008, 5, 9).toJulianDay());
        EXPECT_EQ(days.Periods.back().FirstDay, QDate(2008, 5, 18).toJulianDay());
        EXPECT_EQ(Bars(s), (std::vector<std::size_t>{2, 1, 0, 2, 0, 0, 0, 0, 0, 1}));
        // Drawn: one bar per day, labelled axes, a tool tip per bar.
        QBarSet* bars = s->chtDays->Bars();
        ASSERT_EQ(bars->count(), 10);
        EXPECT_EQ(bars->at(0), 2);
        EXPECT_EQ(s->chtDays->AxisX()->titleText(), "Day");
        EXPECT_EQ(s->chtDays->AxisY()->titleText(), "Uses");
        EXPECT_EQ(s->chtDays->AxisX()->categoriesLabels().first(), "5/9/08");
        EXPECT_EQ(s->chtDays->BarToolTip(0).toStdString(), "5/9/08: 2 uses");
        EXPECT_EQ(s->chtDays->BarToolTip(9).toStdString(), "5/18/08: 1 use");
        EXPECT_EQ(s->chtDays->BarToolTip(2).toStdString(), "5/11/08: 0 uses");
        // In the skin's colours: the bars in its selection colour.
        EXPECT_EQ(bars->brush().color(), s->lvwItems->palette().color(QPalette::Highlight));
        EXPECT_EQ(bars->brush().color(), QColor("#3d6fb0"));
    });
}

TEST_F(StatisticsFigures, ABarShowsItsToolTipUnderTheMouse) {
    Open(kLog, [](TfrmStats* s) {
        Click(s->btnShow);
        s->pgcUses->setCurrentIndex(2);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(s));
        // The mouse moves to the middle of the fourth bar (5/12, two uses)
        // once the chart has laid itself out on its tab; the move goes to
        // the chart as the platform sends it.
        QChart* chart = s->chtDays->chart();
        QWidget* viewport = s->chtDays->viewport();
        EXPECT_TRUE(WaitFor([&] {
            const QPoint at = s->chtDays->mapFromScene(chart->mapToPosition(QPointF(3, 1), s->chtDays->Series()));
            QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QApplication::sendEvent(viewport, &move);
            return QToolTip::isVisible();
        }));
        EXPECT_EQ(QToolTip::text().toStdString(), "5/12/08: 2 uses");
    });
}

TEST_F(StatisticsFigures, TheFiguresFollowTheFiltersWhenShowIsPressedOnly) {
    Open(kLog, [](TfrmStats* s) {
        Click(s->btnShow);
        QTest::keyClicks(s->edtCode, "XMAS");
        TypeDate(s->edtDateIni, "5/8/2008");
        TypeDate(s->edtDateEnd, "5/11/2008");
        EXPECT_EQ(s->lvwCodes->model()->rowCount(), 3);
        EXPECT_EQ(Bars(s).size(), 10u);
        Click(s->btnShow);
        EXPECT_EQ(Cells(s->lvwCodes), (Table{{"XMAS", "2", "5/9/08 8:00:00 AM", "5/10/08"}}));
        // The whole range, its ends without uses too.
        EXPECT_EQ(Bars(s), (std::vector<std::size_t>{0, 1, 1, 0}));
        EXPECT_EQ(s->chtDays->Figures().Periods.front().FirstDay, QDate(2008, 5, 8).toJulianDay());

        // One day: one bar.
        TypeDate(s->edtDateFixed, "5/12/2008");
        s->edtCode->clear();
        Click(s->rbtCodeAll);
        Click(s->btnShow);
        EXPECT_EQ(Cells(s->lvwCodes), (Table{{"CAF\xC3\x89", "2", "5/12/08 10:00:00 AM", "5/12/08 11:59:59 PM"}}));
        EXPECT_EQ(Bars(s), (std::vector<std::size_t>{2}));

        // More than 90 days: a bar a week, weeks from Sunday in this locale,
        // the first and last cut to the range.
        TypeDate(s->edtDateIni, "5/1/2008");
        TypeDate(s->edtDateEnd, "8/31/2008");
        Click(s->btnShow);
        const TPeriodFigures& weeks = s->chtDays->Figures();
        EXPECT_TRUE(weeks.Weekly);
        EXPECT_EQ(s->chtDays->AxisX()->titleText(), "Week");
        ASSERT_EQ(weeks.Periods.size(), 19u);
        EXPECT_EQ(weeks.Periods[0].FirstDay, QDate(2008, 5, 1).toJulianDay());
        EXPECT_EQ(weeks.Periods[0].LastDay, QDate(2008, 5, 3).toJulianDay());
        EXPECT_EQ(weeks.Periods[1].FirstDay, QDate(2008, 5, 4).toJulianDay());
        // 8/31/2008 is a Sunday: a week of its own.
        EXPECT_EQ(weeks.Periods.back().FirstDay, QDate(2008, 8, 31).toJulianDay());
        EXPECT_EQ(weeks.Periods.back().LastDay, QDate(2008, 8, 31).toJulianDay());
        EXPECT_EQ(Bars(s)[1], 3u);  // 5/4 to 5/10
        EXPECT_EQ(Bars(s)[2], 2u);  // 5/11 to 5/17
        EXPECT_EQ(Bars(s)[3], 1u);  // 5/18 to 5/24
        EXPECT_EQ(s->chtDays->BarToolTip(1).toStdString(), "Week of 5/4/08 to 5/10/08: 3 uses");

        // "From:" after "To:": nothing anywhere.
        TypeDate(s->edtDateIni, "9/1/2008");
        Click(s->btnShow);
        EXPECT_EQ(s->lvwCodes->model()->rowCount(), 0);
        EXPECT_TRUE(Bars(s).empty());
    });
}

TEST_F(StatisticsFigures, HeaderClicksSortDatesAsDatesRowsKeepingTheirCheckBoxes) {
    Open(kLog, [](TfrmStats* s) {
        Click(s->btnShow);
        // The use from 10.0.0.2 is checked; it stays checked wherever it goes.
        ClickCheckBox(s->lvwItems, 1);
        ClickHeader(s->lvwItems, 1);
        std::vector<std::string> ips;
        for (const auto& row : Cells(s->lvwItems))
            ips.push_back(row[2]);
        EXPECT_EQ(ips, (std::vector<std::string>{"10.0.0.5", "10.0.0.2", "10.0.0.3", "10.0.0.6", "10.0.0.4",
                                                 "10.0.0.10"}));
        QAbstractItemModel* m = s->lvwItems->model();
        EXPECT_EQ(m->data(m->index(1, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
        EXPECT_EQ(m->data(m->index(0, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
        // Again: the other way round.
        ClickHeader(s->lvwItems, 1);
        EXPECT_EQ(Cells(s->lvwItems).front()[2], "10.0.0.10");
        EXPECT_EQ(m->data(m->index(4, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
        // Addresses by their numbers.
        ClickHeader(s->lvwItems, 2);
        EXPECT_EQ(Cells(s->lvwItems).back()[2], "10.0.0.10");

        // Per Code: by uses, fewest first, then by code.
        ClickHeader(s->lvwCodes, 1);
        EXPECT_EQ(Cells(s->lvwCodes).front()[0], "AB\"C");
        ClickHeader(s->lvwCodes, 0);
        EXPECT_EQ(Cells(s->lvwCodes).front()[0], "AB\"C");
        EXPECT_EQ(Cells(s->lvwCodes).back()[0], "XMAS");
        ClickHeader(s->lvwCodes, 3);
        EXPECT_EQ(Cells(s->lvwCodes).front()[0], "AB\"C");  // last use 5/9
        EXPECT_EQ(Cells(s->lvwCodes).back()[0], "XMAS");   // last use 5/18

        // Show lists in the reply's order again.
        Click(s->btnShow);
        EXPECT_EQ(Cells(s->lvwItems).front()[2], "10.0.0.10");
        EXPECT_EQ(s->lvwItems->horizontalHeader()->sortIndicatorSection(), -1);
    });
}

TEST_F(StatisticsFigures, ExportWritesTheListedUsesInTheirOrderForAnotherParser) {
    TempDir out;
    std::string proposed;
    Open(kLog, [&](TfrmStats* s) {
        QTest::keyClicks(s->edtCode, "XMAS");
        Click(s->btnShow);
        QTest::keyClicks(s->edtCode, "x");  // no Show: the export takes what is listed
        ClickHeader(s->lvwItems, 1);
        FileDialogAnswer save("dlgSaveCsv", out.File("uses.csv"));
        Click(s->btnExport);
        EXPECT_TRUE(save.Ran());
        proposed = save.Proposed();
    });
    EXPECT_EQ(proposed, "uses-" + QDate::currentDate().toString("yyyy-MM-dd").toStdString() + ".csv");
    std::string error;
    EXPECT_EQ(ReadCsvWithPython(out.File("uses.csv"), error), (Table{
                                                                  {"Coupon Code", "Date Used", "Computer IP"},
                                                                  {"XMAS", "2008-05-09 08:00:00", "10.0.0.5"},
                                                                  {"XMAS", "2008-05-10 00:00:00", "10.0.0.3"},
                                                                  {"XMAS", "2008-05-18 14:03:09", "10.0.0.10"},
                                                              }))
        << error;

    // A code with a quote and one beyond ASCII, quoted as they need.
    window.reset();
    Open(kLog, [&](TfrmStats* s) {
        Click(s->btnShow);
        FileDialogAnswer save("dlgSaveCsv", out.File("all.csv"));
        Click(s->btnExport);
    });
    const Table all = ReadCsvWithPython(out.File("all.csv"), error);
    ASSERT_EQ(all.size(), 7u) << error;
    EXPECT_EQ(all[2], (std::vector<std::string>{"AB\"C", "2008-05-09 09:00:00", "10.0.0.2"}));
    EXPECT_EQ(all[4], (std::vector<std::string>{kCafe, "2008-05-12 23:59:59", "10.0.0.4"}));
    EXPECT_NE(out.Read("all.csv").find("\r\n\"AB\"\"C\",2008-05-09 09:00:00,10.0.0.2\r\n"), std::string::npos);
}

TEST_F(StatisticsFigures, BytesThatAreNoUtf8GoIntoTheCsvAsTheListShowsThem) {
    // Two codes and an address from an older database, in Latin-1.
    const std::string log = Use("CAF\xE9", "2008-05-18 14:03:09", "caf\xE9-pc") +
                            Use("CAF\xE8", "2008-05-18 14:03:10", "10.0.0.2") + "OK";
    TempDir out;
    Table shown;
    Open(log, [&](TfrmStats* s) {
        Click(s->btnShow);
        shown = Cells(s->lvwItems);
        FileDialogAnswer save("dlgSaveCsv", out.File("uses.csv"));
        Click(s->btnExport);
    });
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0][0], "CAF\xC3\xA9");
    EXPECT_EQ(out.Read("uses.csv"), "\xEF\xBB\xBF" "Coupon Code,Date Used,Computer IP\r\n"
                                    "CAF\xC3\xA9,2008-05-18 14:03:09,caf\xC3\xA9-pc\r\n"
                                    "CAF\xC3\xA8,2008-05-18 14:03:10,10.0.0.2\r\n");
}

TEST_F(StatisticsFigures, AFileThatCannotBeWrittenIsToldAsAWarning) {
    Open(kLog, [&](TfrmStats* s) {
        Click(s->btnShow);
        FileDialogAnswer save("dlgSaveCsv", dir.File("no-such-folder/uses.csv"));
        MessageAnswer told("OK");
        Click(s->btnExport);
        EXPECT_EQ(told.Seen().title, "Warning");
        EXPECT_EQ(told.Seen().text.rfind("The CSV file could not be saved. Cannot create file", 0), 0u)
            << told.Seen().text;
    });
}

} // namespace
