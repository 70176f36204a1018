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
//   bench_http [requests] [megabytes]

#include "http/IdFileStream.h"
#include "http/IdHTTP.h"
#include "http/IdMultiPartFormDataStream.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDir.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs curl with the arguments; returns its wall time in seconds.
double RunCurl(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    std::string program = "curl";
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (auto& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto start = Clock::now();
    pid_t pid;
    if (posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start curl\n");
        std::exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds = SecondsSince(start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "curl failed (status %d)\n", status);
        std::exit(1);
    }
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

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "%s\n", what);
        std::exit(1);
    }
}

void BenchPosts(int requests, const TempDir& dir) {
    const std::string answer = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nOK";
    ScriptedServer server;
    for (int i = 0; i < 2 * requests; ++i)
        server.Add({ScriptedServer::Expect::Any(), answer, ScriptedServer::Then::Close});
    const std::string url = server.Url("/couponsactions.php");

    TIdHTTP http;
    http.SetReadTimeout(60000);
    std::vector<double> each;
    auto start = Clock::now();
    for (int i = 0; i < requests; ++i) {
        const auto one = Clock::now();
        auto body = ActionBody();
        Check(http.PostForm(url, *body) == "OK", "our POST did not get OK");
        each.push_back(SecondsSince(one));
    }
    const double ours = SecondsSince(start);
    std::sort(each.begin(), each.end());

    auto body = ActionBody();
    const std::string bodyFile = dir.File("body.bin");
    dir.Write("body.bin", BodyBytes(*body));
    std::ofstream config(dir.File("curl.cfg"));
    for (int i = 0; i < requests; ++i) {
        config << "url = \"" << url << "\"\n"
               << "data-binary = \"@" << bodyFile << "\"\n"
               << "header = \"Content-Type: " << body->BodyContentType() << "\"\n"
               << "output = \"/dev/null\"\n"
               << "silent\nshow-error\n";
        if (i + 1 < requests)
            config << "next\n";
    }
    config.close();
    const double curl = RunCurl({"-K", dir.File("curl.cfg")});
    Check(server.WaitDone(std::chrono::seconds(30)), "the server did not see every request");
    Check(server.Connections() == 2 * requests, "a connection was reused");

    std::printf("POSTs:    %d requests, fresh connection each\n", requests);
    std::printf("  ours:   %8.3f s  %7.1f us/request (median %.1f us, 90%% %.1f us, slowest %.1f ms)\n", ours,
                ours * 1e6 / requests, each[each.size() / 2] * 1e6, each[each.size() * 9 / 10] * 1e6,
                each.back() * 1e3);
    std::printf("  curl:   %8.3f s  %7.1f us/request\n", curl, curl * 1e6 / requests);
    std::printf("  ratio ours/curl time per request: %.2f (target <= 1.20)\n", ours / curl);
}

void BenchDownload(int megabytes, const TempDir& dir) {
    const std::uint64_t size = std::uint64_t(megabytes) << 20;
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n";
    ScriptedServer server;
    for (int i = 0; i < 2; ++i) {
        ScriptedServer::Exchange e{ScriptedServer::Expect::Any(), head, ScriptedServer::Then::Close};
        e.generatedBytes = size;
        server.Add(e);
    }
    const std::string url = server.Url("/big.bin");

    TIdHTTP http;
    http.SetReadTimeout(60000);
    auto start = Clock::now();
    {
        TIdFileStream file(dir.File("ours.bin"), TIdFileMode::fmCreate);
        http.GetToStream(url, file);
        Check(file.Size() == std::int64_t(size), "our file has the wrong size");
    }
    const double ours = SecondsSince(start);
    const double curl = RunCurl({"-s", "-S", "-o", dir.File("curl.bin"), url});
    Check(server.WaitDone(std::chrono::seconds(30)), "the server did not serve both downloads");

    const double mb = double(size) / (1 << 20);
    std::printf("Download: %d MB into a file\n", megabytes);
    std::printf("  ours:   %8.3f s  %7.1f MB/s\n", ours, mb / ours);
    std::printf("  curl:   %8.3f s  %7.1f MB/s\n", curl, mb / curl);
    std::printf("  ratio ours/curl throughput: %.2f (target >= 0.80)\n", curl / ours);
}

}  // namespace

int main(int argc, char** argv) {
    const int requests = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int megabytes = argc > 2 ? std::atoi(argv[2]) : 200;
    TempDir dir;
    BenchPosts(requests, dir);
    BenchDownload(megabytes, dir);
    return 0;
}
