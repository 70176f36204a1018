// SPDX-License-Identifier: GPL-3.0-or-later
// A bulk run of 1,000 coupons through the real bulk dialog of the real main
// window, against the real server script and MariaDB on loopback (the test
// site), and the time per coupon. The peer is curl sending the same
// exchanges for 1,000 coupons from one process (for each: action 8, the
// GET, action 2, each on a fresh HTTP/1.0 connection, as the client does),
// so the ratio shows what the client adds to the server's own time.
// Rounds alternate (ours, curl, ours, ...) from empty tables; the medians
// and the best rounds are compared.
//
//   bench_bulk [coupons] [rounds]

#include "app/FMain.h"
#include "bench/common/CurlPeer.h"
#include "dialogs/FBulk.h"
#include "platform/ExeDir.h"
#include "service/SplitByChar.h"
#include "tests/support/DemoSite.h"
#include "tests/support/TempDir.h"
#include "toolkit/Application.h"
#include "toolkit/SkinButton.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace curl_peer;

int Count(const DemoSite& site) {
    return std::atoi(site.Sql("SELECT COUNT(*) FROM " + site.Database() + ".couponsactions_coupons").c_str());
}

// Six letters from A to Y for a number, so every peer code differs.
std::string Letters(int n) {
    std::string s(6, 'A');
    for (int i = 5; i >= 0; --i, n /= 25)
        s[static_cast<std::size_t>(i)] = static_cast<char>('A' + n % 25);
    return s;
}

// The bulk dialog, filled in and run; seconds from Ok to the final message.
double Ours(TfrmMain& window, int coupons) {
    TfrmBulk bulk(window.CouponService(), window.msgMain, &window);
    bulk.show();
    (void)QTest::qWaitForWindowExposed(&bulk);
    bulk.edtCount->setValue(coupons);
    bulk.edtPrefix->setText("BENCH");
    bulk.edtCouponName->setText("Bench flyer");
    bulk.edtURL->setText("http://shop.example/order.html");
    double seconds = -1;
    Clock::time_point start;
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != "msgMainForm")
            return;
        if (seconds < 0)
            seconds = SecondsSince(start);
        for (QPushButton* b : modal->findChildren<QPushButton*>())
            if (b->text() == "OK")
                QTest::mouseClick(b, Qt::LeftButton);
    });
    answer.start();
    start = Clock::now();
    QTest::mouseClick(bulk.btnOk, Qt::LeftButton);
    return seconds;
}

// curl with the same exchanges for coupons coupons, from one config file.
double Curl(const DemoSite& site, const TempDir& dir, int coupons, int round) {
    const std::string url = site.ScriptURL();
    const std::string today = WireDateToday();
    {
        std::ofstream config(dir.File("curl.cfg"));
        auto next = [&](bool more) {
            config << "output = \"/dev/null\"\nsilent\nshow-error\nhttp1.0\n";
            if (more)
                config << "next\n";
        };
        for (int i = 0; i < coupons; ++i) {
            const std::string code = "PEER" + Letters(round * coupons + i);
            config << "url = \"" << url << "\"\nform-string = \"action=8\"\nform-string = \"coupcode=" << code
                   << "\"\nform-string = \"end=\"\n";
            next(true);
            config << "url = \"" << url << "\"\n";
            next(true);
            config << "url = \"" << url << "\"\n";
            for (const std::string& field :
                 {std::string("action=2"), std::string("coupid="), "coupcode=" + code, std::string("coupname=Bench flyer"),
                  std::string("coupexpired=0"), std::string("coupexpirtype=1"), std::string("coupexpirdays=1"),
                  "coupexpirdate=" + today, std::string("couponorderurl=http://shop.example/order.html"),
                  std::string("couponcomments="), "coupcreatedate=" + today, std::string("end=")})
                config << "form-string = \"" << field << "\"\n";
            next(i + 1 < coupons);
        }
    }
    return RunCurl({"-K", dir.File("curl.cfg")});
}

} // namespace

int main(int argc, char** argv) {
    const int coupons = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    if (!DemoSite::MissingPrograms().empty()) {
        std::fprintf(stderr, "needs %s\n", DemoSite::MissingPrograms().c_str());
        return 1;
    }
    DemoSite site;
    site.InstallSettings(site.SiteURL() + "/invalid.html");

    TempDir exe;
    SetExeDirOverride(exe.Path());
    exe.Write("settings.dat", "[Settings]\r\nwebserver=" + site.SiteURL() + "\r\n");
    TfrmMain window;
    QSignalSpy started(&window, &TfrmMain::StartupFinished);
    window.show();
    Check(QTest::qWaitFor([&] { return started.count() == 1; }, 60000),
          "the main window did not finish its start-up within a minute");

    TempDir work;
    std::vector<double> ours, curl;
    for (int round = 0; round < rounds; ++round) {
        site.ResetData();
        ours.push_back(Ours(window, coupons));
        if (Count(site) != coupons) {
            std::fprintf(stderr, "the bulk run added %d coupons, not %d\n", Count(site), coupons);
            return 1;
        }
        site.ResetData();
        curl.push_back(Curl(site, work, coupons, round));
        if (Count(site) != coupons) {
            std::fprintf(stderr, "curl added %d coupons, not %d\n", Count(site), coupons);
            return 1;
        }
    }
    const double perOurs = Median(ours) / coupons * 1000, perCurl = Median(curl) / coupons * 1000;
    std::printf("bulk run of %d coupons against the real server on loopback, %d rounds\n", coupons, rounds);
    std::printf("  bulk dialog: median %.2f ms per coupon (best %.2f ms), %.1f s in all\n", perOurs,
                Best(ours) / coupons * 1000, Median(ours));
    std::printf("  curl, same exchanges: median %.2f ms per coupon (best %.2f ms)\n", perCurl,
                Best(curl) / coupons * 1000);
    std::printf("  ratio bulk dialog / curl: %.2f (medians), %.2f (best rounds)\n", perOurs / perCurl,
                Best(ours) / Best(curl));
    SetExeDirOverride("");
    return 0;
}
