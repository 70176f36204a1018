// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/common/CurlPeer.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

extern char** environ;

namespace curl_peer {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "%s\n", what);
        std::exit(1);
    }
}

double RunCurl(const std::vector<std::string>& arguments) {
    std::vector<std::string> copies = arguments;
    copies.insert(copies.begin(), "curl");
    std::vector<char*> argv;
    for (auto& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto start = Clock::now();
    pid_t pid;
    Check(posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) == 0, "cannot start curl");
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds = SecondsSince(start);
    Check(WIFEXITED(status) && WEXITSTATUS(status) == 0, "curl failed");
    return seconds;
}

std::unique_ptr<TIdMultiPartFormDataStream> ActionBody() {
    auto body = std::make_unique<TIdMultiPartFormDataStream>();
    body->AddField("action", "5");
    body->AddField("end", "");
    return body;
}

std::string BodyBytes(TIdMultiPartFormDataStream& body) {
    std::string bytes(std::size_t(body.Size()), 0);
    body.Seek(0, TSeekOrigin::soBeginning);
    std::size_t got = 0;
    while (got < bytes.size()) {
        std::size_t n = body.Read(bytes.data() + got, bytes.size() - got);
        if (n == 0)
            break;
        got += n;
    }
    return bytes;
}

std::string PostConfig(int count, const std::string& url, const std::string& bodyFile, const std::string& contentType,
                       const std::vector<std::string>& extra) {
    std::ostringstream config;
    for (int i = 0; i < count; ++i) {
        config << "url = \"" << url << "\"\n"
               << "data-binary = \"@" << bodyFile << "\"\n"
               << "header = \"Content-Type: " << contentType << "\"\n"
               << "output = \"/dev/null\"\n"
               << "silent\nshow-error\n";
        for (const std::string& line : extra)
            config << line << "\n";
        if (i + 1 < count)
            config << "next\n";
    }
    return config.str();
}

double PostAll(TIdHTTP& http, const std::string& url, int count, std::vector<double>& each) {
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        const auto one = Clock::now();
        auto action = ActionBody();
        Check(http.PostForm(url, *action) == "OK", "our POST did not get OK");
        each.push_back(SecondsSince(one));
    }
    return SecondsSince(start);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Best(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

void Alternate(int rounds, const std::function<double()>& ours, const std::function<double()>& curl,
               std::vector<double>& oursTimes, std::vector<double>& curlTimes) {
    for (int round = 0; round < rounds; ++round) {
        oursTimes.push_back(ours());
        curlTimes.push_back(curl());
    }
}

}  // namespace curl_peer
