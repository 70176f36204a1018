// SPDX-License-Identifier: GPL-3.0-or-later
// Installing for one user: cmake --install into a temporary prefix, the
// desktop's own validators on what it installed, and the installed program
// started through its link, offscreen and on a real X server driven by
// keys, finding its own directory. Also the build scripts' handling of a
// build directory made for another checkout.

#include "tests/support/ChildProcess.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/ServiceScript.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <set>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kBoundMs = 60000;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Waits for cond with a generous bound, looking again every 50 ms.
bool Eventually(const std::function<bool()>& cond, int boundMs = kBoundMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    while (!cond()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Runs a program found on the PATH to its end, with env ("NAME=value")
// added to its environment; its exit code, and what it printed in out.
int RunTool(std::vector<std::string> argv, std::string* out = nullptr, const std::vector<std::string>& env = {}) {
    const std::string program = argv[0].front() == '/' ? argv[0] : FindProgram(argv[0]);
    if (program.empty()) {
        ADD_FAILURE() << argv[0] << " is not installed (scripts/test installs it)";
        return -1;
    }
    argv[0] = program;
    if (!env.empty()) {
        argv.insert(argv.begin(), env.begin(), env.end());
        argv.insert(argv.begin(), "/usr/bin/env");
    }
    TempDir logDir;
    const int rc = RunProgram(argv, logDir.File("log"), kBoundMs);
    if (out)
        *out = logDir.Read("log");
    return rc;
}

// The program's files after `cmake --install build --prefix prefix`.
class Installed : public ::testing::Test {
protected:
    static void Install(const std::string& prefix) {
        std::string log;
        ASSERT_EQ(RunTool({CORVANTA_CMAKE, "--install", CORVANTA_BINARY_DIR, "--prefix", prefix, "--component",
                       "corvanta"},
                      &log),
                  0)
            << log;
    }
    static void SetUpTestSuite() {
        prefix_ = new TempDir;
        Install(prefix_->Path());
    }
    static void TearDownTestSuite() {
        delete prefix_;
        prefix_ = nullptr;
    }
    static fs::path P(const std::string& relative) { return fs::path(prefix_->Path()) / relative; }
    static std::string Program() { return P("bin/corvanta").string(); }

    static TempDir* prefix_;
};

TempDir* Installed::prefix_ = nullptr;

TEST_F(Installed, TheProgramLivesInItsOwnDirectoryAndBinLinksToIt) {
    EXPECT_TRUE(fs::is_regular_file(P("lib/corvanta/corvanta")));
    EXPECT_EQ(access(P("lib/corvanta/corvanta").c_str(), X_OK), 0);
    ASSERT_TRUE(fs::is_symlink(P("bin/corvanta")));
    // A relative link: the prefix can move as a whole.
    EXPECT_EQ(fs::read_symlink(P("bin/corvanta")), "../lib/corvanta/corvanta");
    EXPECT_EQ(fs::canonical(P("bin/corvanta")), fs::canonical(P("lib/corvanta/corvanta")));
}

TEST_F(Installed, TheDesktopEntryValidatesAndStartsTheLinkedProgramWithTheIcon) {
    const fs::path entry = P("share/applications/org.corvanta.Corvanta.desktop");
    std::string log;
    EXPECT_EQ(RunTool({"desktop-file-validate", entry.string()}, &log), 0) << log;
    EXPECT_EQ(log, "");  // not even a hint
    const std::string text = ReadFile(entry);
    EXPECT_NE(text.find("\nExec=\"" + Program() + "\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nIcon=org.corvanta.Corvanta\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nStartupWMClass=Corvanta\n"), std::string::npos) << text;
}

TEST_F(Installed, TheIconIsThereInEverySizeAndAsSVG) {
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const std::string dir = std::to_string(size) + "x" + std::to_string(size);
        const std::string png = ReadFile(P("share/icons/hicolor/" + dir + "/apps/org.corvanta.Corvanta.png"));
        ASSERT_GE(png.size(), 24u) << dir;
        EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n") << dir;
        auto be32 = [&](std::size_t at) {
            return (std::uint32_t(std::uint8_t(png[at])) << 24) | (std::uint32_t(std::uint8_t(png[at + 1])) << 16) |
                   (std::uint32_t(std::uint8_t(png[at + 2])) << 8) | std::uint32_t(std::uint8_t(png[at + 3]));
        };
        EXPECT_EQ(png.substr(12, 4), "IHDR");
        EXPECT_EQ(be32(16), std::uint32_t(size)) << dir;
        EXPECT_EQ(be32(20), std::uint32_t(size)) << dir;
    }
    const std::string svg = ReadFile(P("share/icons/hicolor/scalable/apps/org.corvanta.Corvanta.svg"));
    EXPECT_NE(svg.find("<svg"), std::string::npos);
}

TEST_F(Installed, TheAppStreamMetadataValidates) {
    const fs::path metainfo = P("share/metainfo/org.corvanta.Corvanta.metainfo.xml");
    std::string log;
    EXPECT_EQ(RunTool({"appstreamcli", "validate", "--no-net", metainfo.string()}, &log), 0) << log;
    const std::string text = ReadFile(metainfo);
    for (const char* part : {"<id>org.corvanta.Corvanta</id>", "<project_license>GPL-3.0-or-later</project_license>",
                             "<launchable type=\"desktop-id\">org.corvanta.Corvanta.desktop</launchable>",
                             "<release version=\"1.02\"", "<screenshot type=\"default\">", "<image>https://"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
}

TEST_F(Installed, TheManifestListsEveryFileSoItUninstallsCleanly) {
    TempDir prefix;
    Install(prefix.Path());
    std::set<std::string> installed;
    for (const auto& e : fs::recursive_directory_iterator(prefix.Path()))
        if (!e.is_directory() || e.is_symlink())
            installed.insert(e.path().string());
    std::set<std::string> listed;
    std::istringstream manifest(ReadFile(fs::path(CORVANTA_BINARY_DIR) / "install_manifest_corvanta.txt"));
    for (std::string line; std::getline(manifest, line);)
        if (!line.empty())
            listed.insert(line);
    EXPECT_EQ(listed, installed);
    // The README's uninstall: remove what the manifest lists.
    for (const std::string& file : listed)
        fs::remove(file);
    for (const auto& e : fs::recursive_directory_iterator(prefix.Path()))
        EXPECT_TRUE(e.is_directory()) << e.path();
}

// The installed program, started through bin/corvanta from another
// directory, with arguments Qt would act on had it been given them.
std::vector<std::string> StartedElsewhere(const std::string& program, const std::string& cwd) {
    return {"/bin/sh", "-c", "cd \"$0\" && exec \"$1\" -platform nowhere -reverse -style windows", cwd, program};
}

TEST_F(Installed, StartedThroughTheLinkItReadsSettingsFromItsOwnDirectory) {
    const Fields check{{"action", "1"}, {"end", ""}}, list{{"action", "5"}, {"end", ""}};
    ScriptedServer site({Action(check, "OK"), Action(list, "OK")});
    const fs::path settings = P("lib/corvanta/settings.dat");
    std::ofstream(settings) << "[Settings]\r\nwebserver=" << site.Url("") << "\r\n";
    TempDir elsewhere, logDir;
    ChildProcess program;
    program.Start(StartedElsewhere(Program(), elsewhere.Path()),
                  {.logFile = logDir.File("log"), .env = {"QT_QPA_PLATFORM=offscreen"}});
    // It asks the site of that settings.dat: it found its directory, and
    // Qt took none of the arguments (-platform nowhere would have ended it).
    EXPECT_TRUE(site.WaitDone(std::chrono::milliseconds(kBoundMs))) << FileTail(logDir.File("log"));
    EXPECT_TRUE(program.Running()) << FileTail(logDir.File("log"));
    program.Stop(10000);
    fs::remove(settings);
    EXPECT_FALSE(fs::exists(P("bin/settings.dat")));
    EXPECT_TRUE(fs::is_empty(elsewhere.Path()));
}

// An X server of the test's own, on a display number it picks itself.
class XServer {
public:
    XServer() {
        const std::string xvfb = FindProgram("Xvfb");
        if (xvfb.empty()) {
            ADD_FAILURE() << "Xvfb is not installed (scripts/test installs it)";
            return;
        }
        int fds[2];
        if (pipe(fds) != 0)
            return;
        server_.Start({xvfb, "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                      {.logFile = log_.File("xvfb.log"), .fds = {{3, fds[1]}}});
        close(fds[1]);
        pollfd p{fds[0], POLLIN, 0};
        std::string number;
        char c;
        while (poll(&p, 1, kBoundMs) == 1 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (!number.empty())
            display_ = ":" + number;
    }
    const std::string& Display() const { return display_; }
    std::string Log() const { return FileTail(log_.File("xvfb.log")); }

    // Runs xdotool on this display; true when it succeeded.
    bool Tool(std::vector<std::string> args, std::string* out = nullptr) const {
        args.insert(args.begin(), "xdotool");
        return RunTool(args, out, {"DISPLAY=" + display_}) == 0;
    }
    // The id of the window with exactly this title, once there is one.
    std::string Window(const std::string& title) const {
        std::string id;
        Eventually([&] { return Tool({"search", "--onlyvisible", "--name", "^" + title + "$"}, &id); });
        return id.substr(0, id.find('\n'));
    }

private:
    TempDir log_;
    ChildProcess server_;
    std::string display_;
};

TEST_F(Installed, KeysTypedIntoTheInstalledProgramWriteItsSettingsBesideIt) {
    XServer x;
    ASSERT_FALSE(x.Display().empty()) << x.Log();
    const fs::path settings = P("lib/corvanta/settings.dat");
    fs::remove(settings);
    TempDir elsewhere, logDir;
    ChildProcess program;
    program.Start(StartedElsewhere(Program(), elsewhere.Path()),
                  {.logFile = logDir.File("log"), .env = {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + x.Display()}});
    const std::string main = x.Window("Corvanta");
    ASSERT_FALSE(main.empty()) << FileTail(logDir.File("log"));
    // No window manager here: the test gives the window the focus, then
    // only keys: Ctrl+, opens Settings, Return in its first field is Ok.
    ASSERT_TRUE(x.Tool({"windowfocus", "--sync", main}));
    ASSERT_TRUE(x.Tool({"key", "ctrl+comma"}));
    ASSERT_FALSE(x.Window("Settings").empty()) << FileTail(logDir.File("log"));
    ASSERT_TRUE(x.Tool({"type", "--delay", "20", "http://shop.example"}));
    ASSERT_TRUE(x.Tool({"key", "Return"}));
    EXPECT_TRUE(Eventually([&] { return ReadFile(settings).find("\r\ninvalidpage=") != std::string::npos; }))
        << FileTail(logDir.File("log"));
    EXPECT_NE(ReadFile(settings).find("\r\nwebserver=http://shop.example\r\n"), std::string::npos)
        << ReadFile(settings);
    EXPECT_TRUE(fs::exists(P("lib/corvanta/coupsettings.php")));
    EXPECT_TRUE(program.Running());
    program.Stop(10000);
    EXPECT_FALSE(fs::exists(P("bin/settings.dat")));
    EXPECT_TRUE(fs::is_empty(elsewhere.Path()));
    fs::remove(settings);
    fs::remove(P("lib/corvanta/coupsettings.php"));
}

// scripts/lib.sh: a build directory whose cache names another source or
// build path (the checkout was moved or copied) is configured afresh.
TEST(BuildScripts, ACacheMadeForAnotherPathIsForgottenAndOneOfItsOwnKept) {
    TempDir build;
    const std::string source = CORVANTA_SOURCE_DIR;
    const std::string self = fs::canonical(build.Path()).string();
    struct Case {
        const char* what;
        std::string home, cacheDir;
        bool kept;
    };
    const Case cases[] = {
        {"its own", source, self, true},
        {"its own, through a link", source + "/scripts/..", build.Path() + ".", true},
        {"another checkout", "/elsewhere/corvanta", self, false},
        {"moved from another build directory", source, "/elsewhere/build", false},
        {"no paths at all", "", "", false},
    };
    for (const Case& c : cases) {
        fs::create_directories(build.File("CMakeFiles"));
        build.Write("CMakeCache.txt", "CMAKE_HOME_DIRECTORY:INTERNAL=" + c.home + "\nCMAKE_CACHEFILE_DIR:INTERNAL=" +
                                          c.cacheDir + "\n");
        std::string log;
        ASSERT_EQ(RunTool({"bash", "-c",
                       "CORVANTA_BUILD=\"$1\" && source \"$0/scripts/lib.sh\" && corvanta_forget_foreign_cache",
                       source, build.Path()},
                      &log),
                  0)
            << log;
        EXPECT_EQ(build.Exists("CMakeCache.txt"), c.kept) << c.what << "\n" << log;
        EXPECT_EQ(fs::exists(build.File("CMakeFiles")), c.kept) << c.what;
    }
}

} // namespace
