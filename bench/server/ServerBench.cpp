// SPDX-License-Identifier: GPL-3.0-or-later
// The server script at a real shop's size, under Apache with mod_php and
// PHP's production settings (memory_limit=128M): the list (action 5) of
// 100,000 and 1,000,000 coupons and the log (action 6) of 1,000,000 and
// 5,000,000 uses, the tables filled with SQL; then deletes (action 4) of
// 10,000 and of 890,000 identifiers in one request, and of "all" on the
// 5,000,000-use log.
//
// For each: the time from sending the request to the last byte (median of
// several runs, read by a plain socket) and PHP's peak memory
// (memory_get_peak_usage) when the request ended. A PHP file prepended by
// this benchmark's php.ini hands the peak to Apache's log as a request note,
// so the reply stays byte for byte the script's. Peers in the same run: the
// same bytes as a static file from the same Apache, and the script's query
// through the mariadb client over the same loopback TCP.
//
// Targets: every request answers; PHP peak under 16 MB at every size; the log
// of 1,000,000 uses answered within 2 s.
//
//     build/bench/server/bench_server [runs]

#include "tests/support/DemoSite.h"
#include "tests/support/FileBytes.h"
#include "tests/support/LoopbackExchange.h"
#include "tests/support/SiteData.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr long long kPeakTarget = 16LL << 20;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

struct Reply {
    int status = 0;
    std::string body;
    double seconds = 0;
};

Reply Exchange(int port, const std::string& request) {
    Reply r;
    LoopbackOptions options;
    options.boundSeconds = 600;
    auto start = Clock::now();
    std::string response = LoopbackExchange(port, request, options);
    r.seconds = Seconds(start);
    std::size_t head = response.find("\r\n\r\n");
    if (response.size() > 12)
        r.status = std::atoi(response.c_str() + 9);
    if (head != std::string::npos)
        r.body = response.substr(head + 4);
    return r;
}

class Bench {
public:
    Bench(DemoSite& site, const std::string& peakLog) : site_(site), peakLog_(peakLog) {}

    Reply Post(const std::vector<std::pair<std::string, std::string>>& fields) {
        std::string body = FormDataBody(fields, "BenchBoundary");
        std::string request = "POST /couponsactions.php HTTP/1.0\r\nHost: 127.0.0.1\r\n"
                              "Content-Type: multipart/form-data; boundary=BenchBoundary\r\n"
                              "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        return Exchange(site_.WebPort(), request);
    }

    struct Peak {
        long long peak = -1, real = -1, beforeScript = -1;
    };

    // The peaks of the last request, as Apache logged them.
    Peak LastPeak() {
        // Apache writes the line as the request ends, around the moment the
        // connection closes; wait for it with a generous bound.
        auto until = Clock::now() + std::chrono::seconds(30);
        for (;;) {
            std::string log = ReadFileBytes(peakLog_);
            std::size_t lines = static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n'));
            if (lines > seenLines_) {
                seenLines_ = lines;
                std::size_t end = log.rfind('\n');
                std::size_t start = log.rfind('\n', end - 1);
                std::istringstream line(log.substr(start == std::string::npos ? 0 : start + 1));
                Peak p;
                line >> p.peak >> p.real >> p.beforeScript;
                return p;
            }
            if (Clock::now() > until)
                return {};
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // Runs the action, checks the reply, prints time and memory and the
    // peers for the same bytes.
    void Measure(const char* what, const std::string& action, int runs, const std::string& expect,
                 const std::string& peerQuery, double timeTarget = 0) {
        std::vector<double> times;
        long long peak = 0, real = 0;
        Reply last;
        bool answered = true;
        for (int i = 0; i < runs; ++i) {
            last = Post({{"action", action}, {"end", ""}});
            Peak p = LastPeak();
            peak = std::max(peak, p.peak);
            real = std::max(real, p.real);
            times.push_back(last.seconds);
            answered = answered && last.status == 200 && last.body.ends_with("^OK");
        }
        if (!expect.empty())
            answered = answered && last.body == expect;
        const double t = Median(times);
        std::printf("%-34s %9.1f MB reply  %7.3f s (median of %d, %.3f..%.3f)  PHP peak %6.2f MB (real %6.2f MB)"
                    "  %s\n",
                    what, last.body.size() / 1e6, t, runs, *std::min_element(times.begin(), times.end()),
                    *std::max_element(times.begin(), times.end()), peak / 1048576.0, real / 1048576.0,
                    answered ? "answers" : "DID NOT ANSWER");
        std::printf("    peak < 16 MB: %s", peak >= 0 && peak < kPeakTarget ? "MET" : "NOT MET");
        if (timeTarget > 0)
            std::printf("   within %.0f s: %s", timeTarget, t < timeTarget ? "MET" : "NOT MET");
        std::printf("\n");

        // Peer 1: the same bytes as a static file of the same Apache.
        site_.PutFile("peer.txt", last.body);
        std::vector<double> file;
        for (int i = 0; i < runs; ++i)
            file.push_back(
                Exchange(site_.WebPort(), "GET /peer.txt HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n").seconds);
        site_.RemoveFile("peer.txt");
        // Peer 2: the script's query through the mariadb client, streamed.
        std::vector<double> client;
        std::string host = site_.DbHost();
        for (int i = 0; i < runs; ++i) {
            auto start = Clock::now();
            RunProgram({FindServerProgram("mariadb", "mysql"),
                        "--no-defaults", "-h" + host.substr(0, host.find(':')), "-P" + host.substr(host.find(':') + 1),
                        "-u" + site_.DbUser(), "-p" + site_.DbPassword(), "--quick", "-N", "-B",
                        "--database=" + site_.Database(), "-e", peerQuery},
                       "/dev/null", 600000);
            client.push_back(Seconds(start));
        }
        std::printf("    peers: static file %.3f s (script %.1fx), mariadb client %.3f s (script %.1fx)\n",
                    Median(file), t / Median(file), Median(client), t / Median(client));
        std::fflush(stdout);
    }

    void MeasureDelete(const char* what, const std::string& ids) {
        Reply r = Post({{"action", "4"}, {"coupdeleteids", ids}, {"end", ""}});
        Peak p = LastPeak();
        std::printf("%-34s %9.1f MB request %7.3f s  PHP peak %6.2f MB (real %6.2f MB)  reply \"%s\"\n", what,
                    ids.size() / 1e6, r.seconds, p.peak / 1048576.0, p.real / 1048576.0, r.body.substr(0, 60).c_str());
        std::printf("    of it, PHP's reading of the request before the script ran: %.2f MB; peak < 16 MB: %s\n",
                    p.beforeScript / 1048576.0, r.body == "OK" && p.peak >= 0 && p.peak < kPeakTarget ? "MET" : "NOT MET");
        std::fflush(stdout);
    }

private:
    DemoSite& site_;
    std::string peakLog_;
    std::size_t seenLines_ = 0;
};

void Filled(const char* what, Clock::time_point since) { std::printf("  (%s filled in %.1f s)\n", what, Seconds(since)); }

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    if (std::string missing = DemoSite::MissingPrograms(); !missing.empty()) {
        std::fprintf(stderr, "bench_server needs %s\n", missing.c_str());
        return 1;
    }
    // The prepended file is read by Apache's workers (www-data when run as root).
    char pattern[] = "/tmp/corvanta-bench-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const std::string dir = pattern;
    fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
    WriteFileBytes(dir + "/peak.php",
                   "<?php\n// The request's peak memory, for the benchmark's log; nothing is printed.\n"
                   "// Before the script runs: what PHP took to read the request.\n"
                   "apache_note('corvanta_peak_start', (string)memory_get_peak_usage());\n"
                   "register_shutdown_function(static function (): void {\n"
                   "    apache_note('corvanta_peak', (string)memory_get_peak_usage());\n"
                   "    apache_note('corvanta_peak_real', (string)memory_get_peak_usage(true));\n"
                   "});\n");
    DemoSiteOptions options;
    options.phpSettings = "auto_prepend_file = " + dir + "/peak.php\n";
    options.apacheConfig = "LogFormat \"%{corvanta_peak}n %{corvanta_peak_real}n %{corvanta_peak_start}n %D %>s \\\"%r\\\"\" peak\n"
                           "CustomLog \"" + dir + "/peak.log\" peak\n";
    // A database server that keeps the tables in memory, as one for a shop
    // of this size would.
    options.databaseOptions = {"--innodb-buffer-pool-size=1G"};

    int rc = 0;
    try {
        DemoSite site(options);
        site.InstallSettings("http://shop.example/invalid.html");
        Bench bench(site, dir + "/peak.log");
        if (bench.Post({{"action", "1"}, {"end", ""}}).body != "OK")
            throw std::runtime_error("the script does not answer");
        bench.LastPeak();
        std::printf("Apache with mod_php, memory_limit=128M; %d runs each\n", runs);

        const std::string list = "SELECT coupid, coupcode, coupname, coupexpired FROM couponsactions_coupons ORDER BY coupid";
        const std::string log = "SELECT useid, coupcode, usedate, computerip FROM couponsactions_uses ORDER BY useid";
        auto start = Clock::now();
        FillCoupons(site, 100000);
        Filled("100,000 coupons", start);
        bench.Measure("action 5, 100,000 coupons", "5", runs, ListReply(100000), list);
        start = Clock::now();
        FillCoupons(site, 1000000, 100001);
        Filled("1,000,000 coupons", start);
        bench.Measure("action 5, 1,000,000 coupons", "5", runs, ListReply(1000000), list);

        start = Clock::now();
        FillUses(site, 1000000, 1000);
        Filled("1,000,000 uses", start);
        bench.Measure("action 6, 1,000,000 uses", "6", runs, LogReply(1000000, 1000), log, 2.0);
        start = Clock::now();
        FillUses(site, 5000000, 1000, 1000001);
        Filled("5,000,000 uses", start);
        bench.Measure("action 6, 5,000,000 uses", "6", std::min(runs, 3), LogReply(5000000, 1000), log);

        auto idList = [](int first, int last) {
            std::string ids;
            for (int id = first; id <= last; ++id)
                ids += (ids.empty() ? "" : ",") + std::to_string(id);
            return ids;
        };
        bench.MeasureDelete("action 4, 10,000 identifiers", idList(990001, 1000000));
        bench.MeasureDelete("action 4, 890,000 identifiers", idList(100001, 990000));
        bench.MeasureDelete("action 4, all, 5,000,000 uses", "all");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_server: %s\n", e.what());
        rc = 1;
    }
    fs::remove_all(dir);
    return rc;
}
