// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the start-up probe of the client and of an empty Qt window in turn,
// offscreen, and prints the median time from process start to the window
// shown for each, with their ratio. Target: the client within 1.5 times the
// empty window.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
long long Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

double RunOnce(const std::string& probe, const std::string& dir) {
    std::string cmd = probe + " " + std::to_string(Now()) + " " + dir;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return -1;
    long long ns = -1;
    if (std::fscanf(p, "%lld", &ns) != 1)
        ns = -1;
    pclose(p);
    return ns / 1e6;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::atoi(argv[1]) : 21;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string self = argv[0];
    std::string here = self.substr(0, self.rfind('/') + 1);
    char tmpl[] = "/tmp/corvanta-bench-XXXXXX";
    std::string dir = mkdtemp(tmpl);
    std::vector<double> app, floor, text;
    for (int i = 0; i < runs; ++i) {
        floor.push_back(RunOnce(here + "bench_startup_floor", dir));
        text.push_back(RunOnce(here + "bench_startup_text_floor", dir));
        app.push_back(RunOnce(here + "bench_startup_probe", dir));
    }
    rmdir(dir.c_str());
    double a = Median(app), f = Median(floor), t = Median(text);
    std::printf("start-up to window shown, median of %d runs (offscreen):\n", runs);
    std::printf("  corvanta main window:           %8.1f ms\n", a);
    std::printf("  empty Qt window:                %8.1f ms (floor)\n", f);
    std::printf("  empty Qt window with one label: %8.1f ms (the font set-up any text costs)\n", t);
    std::printf("  ratio to the empty window: %.2f (target <= 1.50) %s\n", a / f, a / f <= 1.5 ? "MET" : "NOT MET");
    std::printf("  ratio to the window with a label: %.2f\n", a / t);
    return 0;
}
