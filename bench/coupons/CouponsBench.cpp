// SPDX-License-Identifier: GPL-3.0-or-later
// Loads a list reply of 100,000 coupons into the real main window through
// Refresh, from a loopback server, and reports the time from the click to
// the rows shown and the extra memory. Targets: under 0.5 s, under 100 MB.

#include "app/FMain.h"
#include "bench/common/BenchSupport.h"
#include "bench/common/BenchWindow.h"
#include "toolkit/Application.h"
#include "toolkit/SkinButton.h"

#include <QTableView>
#include <QTest>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);

    std::string reply;
    reply.reserve(static_cast<std::size_t>(rows) * 60);
    for (int i = 0; i < rows; ++i)
        reply += "\"" + std::to_string(i + 1) + "\",\"CODE" + std::to_string(100000 + i) + "\",\"Coupon number " +
                 std::to_string(i) + "\",\"" + (i % 3 ? "0" : "1") + "\"^";
    reply += "OK";
    OneReplyServer server(reply);

    // The start-up check gets the reply instead of "OK", so nothing is
    // loaded at start; the measured load is the first one.
    BenchWindow bench(server.Port());
    TfrmMain& window = bench.Window();

    const long long before = ResidentBytes();
    auto start = std::chrono::steady_clock::now();
    QTest::mouseClick(window.bsSkinButton8, Qt::LeftButton);
    window.lvwItems->viewport()->repaint();
    double seconds = SecondsSince(start);
    const long long extra = ResidentBytes() - before;

    std::printf("coupon list: %d rows shown\n", window.CouponList->rowCount());
    std::printf("  Refresh, reply to rows shown: %.3f s (target < 0.5 s) %s\n", seconds, seconds < 0.5 ? "MET" : "NOT MET");
    std::printf("  extra memory: %.1f MB (target < 100 MB) %s\n", static_cast<double>(extra) / 1e6,
                extra < 100e6 ? "MET" : "NOT MET");
    return 0;
}
