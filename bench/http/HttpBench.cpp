// SPDX-License-Identifier: GPL-3.0-or-later
// The transport beside curl, in the same run and against the same scripted
// loopback server:
//   1. 2,000 sequential POSTs of a small action body, each on a fresh
//      connection (the server closes after every answer "OK"), with the read
//      time-out the service operations set (so every connect runs on the
//      connect worker). curl does the same 2,000 POSTs in one process from a
//      config file. Target: our time per request at most 1.2 times curl's.
//   2. GetToStream of a 200 MB body into a file against curl -o.
//      Target: at least 0.8 times curl's throughput.
//
// Each measurement runs in alternating rounds (ours, curl, ours, curl, ...)
// so that a burst of load from elsewhere on the machine hits both sides
// alike; the ratios compare the best round of each side, and the medians.
//
//   bench_http [requests] [megabytes] [rounds]

#include "bench/common/CurlPeer.h"
#include "http/IdFileStream.h"
#include "http/IdHTTP.h"
#include "http/IdMultiPartFormDataStream.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace curl_peer;

namespace {

void BenchPosts(int requests, int rounds, const TempDir& dir) {
    const std::string answer = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nOK";
    ScriptedServer server;
    for (int i = 0; i < 2 * rounds * requests; ++i)
        server.Add({ScriptedServer::Expect::Any(), answer, ScriptedServer::Then::Close});
    const std::string url = server.Url("/couponsactions.php");

    auto body = ActionBody();
    const std::string bodyFile = dir.File("body.bin");
    dir.Write("body.bin", BodyBytes(*body));
    dir.Write("curl.cfg", PostConfig(requests, url, bodyFile, body->BodyContentType()));

    std::vector<double> each;
    TIdHTTP http;
    http.SetReadTimeout(60000);
    auto ours = [&] { return PostAll(http, url, requests, each); };
    auto curl = [&] { return RunCurl({"-K", dir.File("curl.cfg")}); };
    std::vector<double> oursTimes, curlTimes;
    Alternate(rounds, ours, curl, oursTimes, curlTimes);
    Check(server.WaitDone(std::chrono::seconds(30)), "the server did not see every request");
    Check(server.Connections() == 2 * rounds * requests, "a connection was reused");

    std::sort(each.begin(), each.end());
    std::printf("POSTs: %d requests per round, fresh connection each, %d rounds\n", requests, rounds);
    for (int r = 0; r < rounds; ++r)
        std::printf("  round %d: ours %7.1f us/request   curl %7.1f us/request\n", r + 1,
                    oursTimes[r] * 1e6 / requests, curlTimes[r] * 1e6 / requests);
    std::printf("  ours, single requests: median %.1f us, 90%% %.1f us, slowest %.1f ms\n",
                each[each.size() / 2] * 1e6, each[each.size() * 9 / 10] * 1e6, each.back() * 1e3);
    std::printf("  ratio ours/curl time per request: best %.2f, median %.2f (target <= 1.20)\n",
                Best(oursTimes) / Best(curlTimes), Median(oursTimes) / Median(curlTimes));
}

void BenchDownload(int megabytes, int rounds, const TempDir& dir) {
    const std::uint64_t size = std::uint64_t(megabytes) << 20;
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n";
    ScriptedServer server;
    for (int i = 0; i < 2 * rounds; ++i) {
        ScriptedServer::Exchange e{ScriptedServer::Expect::Any(), head, ScriptedServer::Then::Close};
        e.generatedBytes = size;
        server.Add(e);
    }
    const std::string url = server.Url("/big.bin");

    TIdHTTP http;
    http.SetReadTimeout(60000);
    auto ours = [&] {
        const auto start = Clock::now();
        TIdFileStream file(dir.File("ours.bin"), TIdFileMode::fmCreate);
        http.GetToStream(url, file);
        Check(file.Size() == std::int64_t(size), "our file has the wrong size");
        return SecondsSince(start);
    };
    auto curl = [&] { return RunCurl({"-s", "-S", "-o", dir.File("curl.bin"), url}); };
    std::vector<double> oursTimes, curlTimes;
    Alternate(rounds, ours, curl, oursTimes, curlTimes);
    Check(server.WaitDone(std::chrono::seconds(30)), "the server did not serve every download");

    const double mb = double(size) / (1 << 20);
    std::printf("Download: %d MB into a file, %d rounds\n", megabytes, rounds);
    for (int r = 0; r < rounds; ++r)
        std::printf("  round %d: ours %7.1f MB/s   curl %7.1f MB/s\n", r + 1, mb / oursTimes[r], mb / curlTimes[r]);
    std::printf("  ratio ours/curl throughput: best %.2f, median %.2f (target >= 0.80)\n",
                Best(curlTimes) / Best(oursTimes), Median(curlTimes) / Median(oursTimes));
}

}  // namespace

int main(int argc, char** argv) {
    const int requests = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int megabytes = argc > 2 ? std::atoi(argv[2]) : 200;
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    TempDir dir;
    BenchPosts(requests, rounds, dir);
    if (megabytes > 0)
        BenchDownload(megabytes, rounds, dir);
    return 0;
}
