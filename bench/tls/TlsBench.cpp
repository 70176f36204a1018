// SPDX-License-Identifier: GPL-3.0-or-later
// The transport over TLS beside curl, in the same run and against the same
// server: a TLS front (OpenSSL, on loopback, with a certificate of a CA made
// for this run) before the scripted server, which answers "OK" and closes.
// 500 sequential POSTs of a small action body, each on a fresh connection,
// so each pays a TCP connect, a TLS handshake and the verification of the
// server's certificate against the test CA; our client with the read
// time-out the service operations set (every connect on the connect
// worker), curl in one process from a config file with --cacert of the same
// CA. curl keeps TLS sessions and resumes them on its next connection; it
// runs both ways, with its session cache and with --no-sessionid, since our
// client does a full handshake every time. Target: our time per request at
// most 1.2 times curl's.
//
// Rounds alternate (ours, curl, curl without sessions, ours, ...) so that a
// burst of load from elsewhere on the machine hits every side alike; the
// ratios compare the medians of the rounds, and the best rounds.
//
//   bench_tls [requests] [rounds]

#include "bench/common/CurlPeer.h"
#include "http/IdHTTP.h"
#include "http/IdMultiPartFormDataStream.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestCertificates.h"
#include "tests/support/TlsFront.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace curl_peer;

int main(int argc, char** argv) {
    const int requests = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    TempDir dir;
    TestCertificates& certificates = TestCertificates::Instance();

    const std::string answer = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nOK";
    ScriptedServer server;
    for (int i = 0; i < 3 * rounds * requests; ++i)
        server.Add({ScriptedServer::Expect::Any(), answer, ScriptedServer::Then::Close});
    TlsFront front(server.Port());
    const std::string url = front.Url("/couponsactions.php");

    auto body = ActionBody();
    const std::string bodyFile = dir.File("body.bin");
    dir.Write("body.bin", BodyBytes(*body));
    const std::string cacert = "cacert = \"" + certificates.CAFile() + "\"";
    dir.Write("curl.cfg", PostConfig(requests, url, bodyFile, body->BodyContentType(), {cacert}));
    dir.Write("curl-nosession.cfg",
              PostConfig(requests, url, bodyFile, body->BodyContentType(), {cacert, "no-sessionid"}));

    TIdHTTP http;
    http.SetReadTimeout(60000);
    http.SetAllowHttps(true);
    std::vector<double> each;
    auto ours = [&] { return PostAll(http, url, requests, each); };
    std::vector<double> oursTimes, curlTimes, plainCurlTimes;
    for (int round = 0; round < rounds; ++round) {
        oursTimes.push_back(ours());
        curlTimes.push_back(RunCurl({"-K", dir.File("curl.cfg")}));
        plainCurlTimes.push_back(RunCurl({"-K", dir.File("curl-nosession.cfg")}));
    }
    Check(server.WaitDone(std::chrono::seconds(30)), "the server did not see every request");
    Check(server.Connections() == 3 * rounds * requests, "a connection was reused");
    Check(front.Handshakes() == 3 * rounds * requests, "a handshake is missing");

    std::sort(each.begin(), each.end());
    auto perRequest = [&](double seconds) { return seconds * 1e6 / requests; };
    std::printf("TLS POSTs: %d requests per round, fresh connection and handshake each, %d rounds\n", requests, rounds);
    for (int r = 0; r < rounds; ++r)
        std::printf("  round %d: ours %7.1f us/request   curl %7.1f us/request   curl --no-sessionid %7.1f us/request\n",
                    r + 1, perRequest(oursTimes[r]), perRequest(curlTimes[r]), perRequest(plainCurlTimes[r]));
    std::printf("  ours, single requests: median %.1f us, 90%% %.1f us, slowest %.1f ms\n",
                each[each.size() / 2] * 1e6, each[each.size() * 9 / 10] * 1e6, each.back() * 1e3);
    std::printf("  ratio ours/curl time per request: median %.2f, best %.2f (target <= 1.20)\n",
                Median(oursTimes) / Median(curlTimes), Best(oursTimes) / Best(curlTimes));
    std::printf("  ratio ours/curl --no-sessionid:   median %.2f, best %.2f\n",
                Median(oursTimes) / Median(plainCurlTimes), Best(oursTimes) / Best(plainCurlTimes));
    return 0;
}
