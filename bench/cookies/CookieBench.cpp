// SPDX-License-Identifier: GPL-3.0-or-later
// What storing many cookies costs, for n = 10,000, 40,000 and 160,000
// Set-Cookie lines with distinct names. Target: 40,000 lines stored in under
// 0.5 s, and the time growing linearly (about 4 times for 4 times the lines).
//
//   1. Through the client as the application runs it: GetText on one
//      kept-alive connection to the scripted loopback server, the lines
//      spread over responses of 999 Set-Cookie headers (a head holds at most
//      1,000 lines); the store keeps the first 180 and drops the rest, each
//      after looking its name up. The peer in the same run is the same
//      exchanges with cookies off (the client reads the same heads and
//      stores nothing); the difference is the cost of the store.
//   2. The store alone with its caps lifted, so that every line is a new
//      cookie to find and keep: n new cookies, then n replacements of them
//      (names in another case). This is the lookup's worst case. (Through
//      the client the caps cannot be lifted sensibly: every request would
//      then carry all n cookies back.)
//
// Each figure is the median of the rounds; the sides of case 1 alternate,
// so that load from elsewhere on the machine hits both alike.
//
//   bench_cookies [rounds]

#include "bench/common/CurlPeer.h"
#include "http/IdCookieManager.h"
#include "http/IdHTTP.h"
#include "tests/support/ScriptedServer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using curl_peer::Check;
using curl_peer::Clock;
using curl_peer::Median;

namespace {

std::string Line(std::size_t i, const char* value) {
    return "Set-Cookie: session" + std::to_string(i) + "=" + value + "; path=/\r\n";
}

// The responses carrying n Set-Cookie lines, 999 to a head.
std::vector<std::string> Responses(std::size_t n) {
    std::vector<std::string> responses;
    for (std::size_t i = 0; i < n;) {
        std::string head = "HTTP/1.1 200 OK\r\n";
        for (std::size_t k = 0; k < 999 && i < n; ++k, ++i)
            head += Line(i, "0123456789abcdef");
        responses.push_back(head + "Content-Length: 2\r\n\r\nOK");
    }
    return responses;
}

// Seconds for the client to fetch all responses (the first request, which
// only makes the store, is not counted).
double ThroughTheClient(const std::vector<std::string>& responses, bool cookies) {
    std::vector<ScriptedServer::Exchange> script{
        {ScriptedServer::Expect::Any(), "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK"}};
    for (const std::string& r : responses)
        script.push_back({ScriptedServer::Expect::Any(), r});
    ScriptedServer server(script);
    TIdHTTP http;
    http.SetReadTimeout(60000);
    http.SetAllowCookies(cookies);
    Check(http.GetText(server.Url("/")) == "OK", "first request failed");
    const auto start = Clock::now();
    for (std::size_t i = 0; i < responses.size(); ++i)
        Check(http.GetText(server.Url("/")) == "OK", "a request failed");
    const double seconds = SecondsSince(start);
    Check(server.Connections() == 1, "the connection was not kept");
    Check(!cookies || http.CookieManager()->Count() == 180, "the client's store holds the wrong number of cookies");
    return seconds;
}

double StoreAlone(std::size_t n) {
    TIdCookieManager store;
    store.SetMaxCookiesPerDomain(std::size_t(-1));
    store.SetMaxCookies(std::size_t(-1));
    std::vector<std::string> first, second;
    for (std::size_t i = 0; i < n; ++i) {
        first.push_back("session" + std::to_string(i) + "=0123456789abcdef; path=/");
        second.push_back("SESSION" + std::to_string(i) + "=fedcba9876543210; path=/");
    }
    const auto start = Clock::now();
    for (const std::string& value : first)
        store.StoreSetCookie(value, "shop.example");
    for (const std::string& value : second)
        store.StoreSetCookie(value, "shop.example");
    const double seconds = SecondsSince(start);
    Check(store.Count() == n, "the store holds the wrong number of cookies");
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::size_t sizes[] = {10000, 40000, 160000};
    std::printf("median of %d rounds; times in seconds\n\n", rounds);
    std::printf("%8s  %12s %12s %12s %9s %8s  %15s %9s %8s\n", "lines", "client+store", "cookies off", "store part",
                "growth", "us/line", "store, no caps", "growth", "us/line");
    double previousClient = 0, previousStore = 0;
    auto growth = [](double now, double before) {
        return before > 0 ? "x" + std::to_string(now / before).substr(0, 4) : std::string();
    };
    for (const std::size_t n : sizes) {
        const std::vector<std::string> responses = Responses(n);
        std::vector<double> with, without, alone;
        for (int r = 0; r < rounds; ++r) {
            with.push_back(ThroughTheClient(responses, true));
            without.push_back(ThroughTheClient(responses, false));
            alone.push_back(StoreAlone(n));
        }
        const double client = Median(with), store = Median(alone);
        std::printf("%8zu  %12.4f %12.4f %12.4f %9s %8.2f  %15.4f %9s %8.2f\n", n, client, Median(without),
                    client - Median(without), growth(client, previousClient).c_str(), client / double(n) * 1e6, store,
                    growth(store, previousStore).c_str(), store / double(2 * n) * 1e6);
        previousClient = client;
        previousStore = store;
    }
    std::printf("\n(growth: against the row before, for 4 times the lines; linear is x4. The store alone\n"
                " stores 2n lines; its cost per line levels off once its tables outgrow the caches.)\n");
    return 0;
}
