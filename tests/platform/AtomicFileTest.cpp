// SPDX-License-Identifier: GPL-3.0-or-later
// Replacing a settings file whole: a child process rewriting settings.dat is
// killed in the middle of its writes, again and again, and the directory
// must then hold the old or the new file, complete, and no temporary file
// with the password in it beyond the next write.

#include "platform/AtomicFile.h"
#include "platform/ProfileFile.h"
#include "tests/support/TempDir.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

// The names in dir other than the given one.
std::vector<std::string> OthersIn(const std::string& dir, const std::string& name) {
    std::vector<std::string> others;
    DIR* d = opendir(dir.c_str());
    while (const dirent* e = d ? readdir(d) : nullptr) {
        const std::string entry = e->d_name;
        if (entry != "." && entry != ".." && entry != name)
            others.push_back(entry);
    }
    if (d)
        closedir(d);
    return others;
}

// A settings file with a long section of another program's after the
// owner's, so that every rewrite takes a while.
std::string SettingsFile(const std::string& password) {
    std::string text = "[Settings]\r\nwebserver=http://shop.example\r\ndbpassword=" + password + "\r\n[Other]\r\n";
    for (int i = 0; i < 40000; ++i)
        text += "key" + std::to_string(i) + "=a value that makes the file long\r\n";
    return text;
}

struct Writer {
    const char* name;
    // Writes the file with the password given.
    void (*write)(const std::string& path, const std::string& password);
};

void PrintTo(const Writer& w, std::ostream* os) { *os << w.name; }

void ThroughTheProfileFile(const std::string& path, const std::string& password) {
    WriteProfileStrings(path, "Settings", {{"dbpassword", password}});
}

void NamedFromTheStart(const std::string& path, const std::string& password) {
    WriteFileAtomically(path, SettingsFile(password), S_IRUSR | S_IWUSR, TAtomicStaging::Named);
}

class CrashDuringWrite : public ::testing::TestWithParam<Writer> {};

TEST_P(CrashDuringWrite, LeavesTheOldOrTheNewFileAndNoTemporaryBeyondTheNextWrite) {
    TempDir dir;
    const std::string path = dir.File("settings.dat");
    const std::string oldFile = SettingsFile("old-secret"), newFile = SettingsFile("new-secret");
    dir.Write("settings.dat", oldFile);

    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delayUs(0, 30000);
    int killedWithTemporary = 0;
    for (int kill = 0; kill < 100; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Rewrites the file over and over, old and new in turn.
            for (int i = 0;; ++i)
                GetParam().write(path, i % 2 ? "old-secret" : "new-secret");
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself";

        const std::string now = dir.Read("settings.dat");
        ASSERT_TRUE(now == oldFile || now == newFile) << "kill " << kill << " left " << now.size() << " bytes";
        const std::vector<std::string> others = OthersIn(dir.Path(), "settings.dat");
        // Each write removes what an earlier crash left before it starts.
        ASSERT_LE(others.size(), 1u) << others[0] << " and more after kill " << kill;
        for (const std::string& other : others)
            EXPECT_TRUE(IsTemporaryNameOf(other, "settings.dat")) << other;
        killedWithTemporary += int(others.size());
    }
    GetParam().write(path, "final");
    EXPECT_TRUE(OthersIn(dir.Path(), "settings.dat").empty());
    // An unnamed temporary has a name only between linkat and rename, so a
    // kill very seldom finds one there; a named one is there for the whole
    // write.
    if (std::string(GetParam().name) == "ThroughTheProfileFile") {
        EXPECT_LE(killedWithTemporary, 10);
    }
    RecordProperty("KillsLeavingATemporary", killedWithTemporary);
}

INSTANTIATE_TEST_SUITE_P(Staging, CrashDuringWrite,
                         ::testing::Values(Writer{"ThroughTheProfileFile", ThroughTheProfileFile},
                                           Writer{"NamedFromTheStart", NamedFromTheStart}),
                         [](const auto& info) { return std::string(info.param.name); });

// Only temporaries of the file being written are removed, whatever else lies
// beside it.
TEST(AtomicFile, RemovesTheTemporariesOfThatFileOnly) {
    TempDir dir;
    const std::vector<std::string> stale = {".settings.dat.AbC123", ".settings.dat.zzzzzz", ".settings.dat.000000"};
    const std::vector<std::string> kept = {"settings.dat.backup", ".settings.dat.AbC12",   ".settings.dat.AbC1234",
                                           ".settings.dat.AbC-23", ".dbconfig.dat.AbC123", "settings.dat.AbC123"};
    for (const auto& name : stale)
        dir.Write(name, "dbpassword=stale");
    for (const auto& name : kept)
        dir.Write(name, "keep");
    WriteFileAtomically(dir.File("settings.dat"), "new", S_IRUSR | S_IWUSR);
    for (const auto& name : stale)
        EXPECT_FALSE(dir.Exists(name)) << name;
    for (const auto& name : kept)
        EXPECT_EQ(dir.Read(name), "keep") << name;
    EXPECT_EQ(dir.Read("settings.dat"), "new");
}

struct ModeCase {
    TAtomicStaging staging;
    mode_t mode;
};

class StagedWrite : public ::testing::TestWithParam<ModeCase> {};

TEST_P(StagedWrite, ReplacesTheFileWithTheModeAskedFor) {
    TempDir dir;
    dir.Write("coupsettings.php", "old");
    WriteFileAtomically(dir.File("coupsettings.php"), "<?php new", GetParam().mode, GetParam().staging);
    EXPECT_EQ(dir.Read("coupsettings.php"), "<?php new");
    struct stat st {};
    ASSERT_EQ(stat(dir.File("coupsettings.php").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, GetParam().mode);
    EXPECT_TRUE(OthersIn(dir.Path(), "coupsettings.php").empty());
}

INSTANTIATE_TEST_SUITE_P(Modes, StagedWrite,
                         ::testing::Values(ModeCase{TAtomicStaging::Unnamed, 0600},
                                           ModeCase{TAtomicStaging::Unnamed, 0644},
                                           ModeCase{TAtomicStaging::Named, 0600},
                                           ModeCase{TAtomicStaging::Named, 0640}));

}  // namespace
