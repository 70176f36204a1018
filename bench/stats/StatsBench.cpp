// SPDX-License-Identifier: GPL-3.0-or-later
// Opens the statistics window on a log of 1,000,000 uses served from a
// loopback server, then shows all of them, one code, and one day.
// Targets: parse under 1.5 s, each Show under 0.3 s, under 250 MB extra.
// Then Show with the three tabs: the click that fills the list, the Per
// Code table and the Per Day chart, and each tab drawn once. Target: under
// 0.5 s, the median of five.

#include "app/FMain.h"
#include "bench/common/BenchSupport.h"
#include "bench/common/BenchWindow.h"
#include "dialogs/FStatistics.h"
#include "dialogs/StatisticsParser.h"
#include "dialogs/UsesChart.h"
#include "toolkit/Application.h"
#include "toolkit/SkinButton.h"
#include "toolkit/SkinDateEdit.h"

#include <QComboBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <algorithm>
#include <vector>
#include <QTest>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int uses = argc > 1 ? std::atoi(argv[1]) : 1000000;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);

    // 200 codes, uses spread over 400 days, addresses varied.
    std::string reply;
    reply.reserve(static_cast<std::size_t>(uses) * 64);
    char line[128];
    for (int i = 0; i < uses; ++i) {
        int day = i % 400, month = 1 + (day / 28) % 12, dom = 1 + day % 28;
        std::snprintf(line, sizeof line, "\"%d\",\"CODE%03d\",\"%d-%02d-%02d %02d:%02d:%02d\",\"10.%d.%d.%d\"^", i + 1,
                      i % 200, 2008 + day / 336, month, dom, i % 24, i % 60, (i / 7) % 60, i % 256, (i / 256) % 256,
                      i % 97);
        reply += line;
    }
    reply += "OK";

    // The parse alone, apart from any window.
    {
        std::vector<TTrace> traces;
        auto start = std::chrono::steady_clock::now();
        ParseStatisticsReply(reply, traces, [](const std::string&) {});
        std::printf("parse alone: %zu uses in %.3f s\n", traces.size(), SecondsSince(start));
    }

    OneReplyServer server(reply);
    // The start-up check gets the reply instead of "OK", so nothing is
    // loaded at start; the measured load is the first one.
    BenchWindow bench(server.Port());
    TfrmMain& window = bench.Window();

    const long long before = ResidentBytes();
    auto start = std::chrono::steady_clock::now();
    TfrmStats stats(window.CouponService(), &window);
    double load = SecondsSince(start);
    stats.show();
    (void)QTest::qWaitForWindowExposed(&stats);

    auto show = [&](const char* what) {
        auto t = std::chrono::steady_clock::now();
        QTest::mouseClick(stats.btnShow, Qt::LeftButton);
        stats.lvwItems->viewport()->repaint();
        double s = SecondsSince(t);
        std::printf("  Show %-22s %8d rows in %.3f s (target < 0.3 s) %s\n", what, stats.lvwItems->model()->rowCount(),
                    s, s < 0.3 ? "MET" : "NOT MET");
    };
    std::printf("statistics window: %zu uses, %d codes\n", stats.Traces().size(), stats.cbxCodes->count());
    std::printf("  download and parse while the window is created: %.3f s (target < 1.5 s) %s\n", load,
                load < 1.5 ? "MET" : "NOT MET");
    show("all:");
    stats.cbxCodes->setCurrentIndex(17);
    stats.rbtCodeSel->setChecked(true);
    show("one code:");
    stats.rbtCodeAll->setChecked(true);
    stats.edtDateFixed->setDate(QDate(2008, 3, 5));
    stats.rbtDateSel->setChecked(true);
    show("one day:");

    // Show with the three tabs, all uses and all days: each tab drawn.
    stats.rbtDateAll->setChecked(true);
    std::vector<double> tabs;
    for (int round = 0; round < 5; ++round) {
        auto t = std::chrono::steady_clock::now();
        QTest::mouseClick(stats.btnShow, Qt::LeftButton);
        for (int tab = 0; tab < stats.pgcUses->count(); ++tab) {
            stats.pgcUses->setCurrentIndex(tab);
            stats.pgcUses->currentWidget()->repaint();
            if (auto* view = qobject_cast<QAbstractScrollArea*>(stats.pgcUses->currentWidget()))
                view->viewport()->repaint();
        }
        tabs.push_back(SecondsSince(t));
        stats.pgcUses->setCurrentIndex(0);
    }
    std::sort(tabs.begin(), tabs.end());
    std::printf("  Show with the three tabs, %d uses, %d codes, %d bars: median %.3f s, best %.3f s (target < 0.5 s) %s\n",
                stats.lvwItems->model()->rowCount(), stats.lvwCodes->model()->rowCount(),
                static_cast<int>(stats.chtDays->Figures().Periods.size()), tabs[2], tabs[0],
                tabs[2] < 0.5 ? "MET" : "NOT MET");
    const long long extra = ResidentBytes() - before;
    std::printf("  extra memory: %.1f MB (target < 250 MB) %s\n", static_cast<double>(extra) / 1e6,
                extra < 250e6 ? "MET" : "NOT MET");
    return 0;
}
