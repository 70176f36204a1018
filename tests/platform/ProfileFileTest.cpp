// SPDX-License-Identifier: GPL-3.0-or-later
// The profile-file layer that settings.dat, dbconfig.dat and the update
// descriptor are read and written through.

#include "platform/PlatformError.h"
#include "platform/ProfileFile.h"
#include "tests/support/ReadOnlyDir.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

struct ReadCase {
    const char* name;
    std::string file;  // contents; "<none>" for no file at all
    const char* section;
    const char* key;
    std::string expected;
};

const std::string kLong(3000, 'x');

const ReadCase kReads[] = {
    {"plain", "[Settings]\r\nwebserver=http://shop.example\r\n", "Settings", "webserver", "http://shop.example"},
    {"section and key in any case", "[SETTINGS]\nWebServer=a\n", "settings", "WEBSERVER", "a"},
    {"blanks around key and value", "[Settings]\n  webserver \t=  \t a b  \n", "Settings", "webserver", "a b"},
    {"double quotes removed once", "[Settings]\nk=\"\"a\"\"\n", "Settings", "k", "\"a\""},
    {"single quotes removed", "[Settings]\nk='a b'\n", "Settings", "k", "a b"},
    {"unbalanced quote kept", "[Settings]\nk=\"a\n", "Settings", "k", "\"a"},
    {"blanks inside quotes kept", "[Settings]\nk=\" a \"\n", "Settings", "k", " a "},
    {"value holding =", "[Settings]\nk=a=b\n", "Settings", "k", "a=b"},
    {"empty value", "[Settings]\nk=\n", "Settings", "k", ""},
    {"missing key gives default", "[Settings]\nother=1\n", "Settings", "k", "<def>"},
    {"missing section gives default", "[Other]\nk=1\n", "Settings", "k", "<def>"},
    {"missing file gives default", "<none>", "Settings", "k", "<def>"},
    {"key of another section not taken", "[A]\nk=1\n[B]\nk=2\n", "B", "k", "2"},
    {"first of duplicate keys", "[S]\nk=1\nk=2\n", "S", "k", "1"},
    {"comment line is no key", "[S]\n;k=1\nk=2\n", "S", "k", "2"},
    {"last line without line end", "[S]\nk=end", "S", "k", "end"},
    {"long value cut to 2047", "[S]\nk=" + kLong + "\n", "S", "k", std::string(2047, 'x')},
    {"exactly 2047 kept", "[S]\nk=" + std::string(2047, 'y') + "\n", "S", "k", std::string(2047, 'y')},
};

class ProfileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, ReadsAsTheSettingsFilesExpect) {
    const ReadCase& c = GetParam();
    TempDir dir;
    if (c.file != "<none>")
        dir.Write("f.ini", c.file);
    EXPECT_EQ(ReadProfileString(dir.File("f.ini"), c.section, c.key, "<def>"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ProfileRead, ::testing::ValuesIn(kReads),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (char& ch : n)
                                 if (!isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return n;
                         });

TEST(ProfileWrite, CreatesFileSectionAndKeyWithOwnerOnlyRights) {
    TempDir dir;
    WriteProfileString(dir.File("new.ini"), "Settings", "webserver", "http://a");
    EXPECT_EQ(dir.Read("new.ini"), "[Settings]\r\nwebserver=http://a\r\n");
    struct stat st{};
    ASSERT_EQ(stat(dir.File("new.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(ProfileWrite, KeepsOtherSectionsKeysAndLinesByteForByte) {
    TempDir dir;
    const std::string before =
        "; made by hand\n[Other]\nkeep = me \n\n[settings]\nWEBSERVER=old\nextra=1\n\n[Tail]\nz=9";
    dir.Write("f.ini", before);
    WriteProfileStrings(dir.File("f.ini"), "Settings", {{"webserver", "new"}, {"dbhostname", "db"}});
    EXPECT_EQ(dir.Read("f.ini"),
              "; made by hand\n[Other]\nkeep = me \n\n[settings]\nwebserver=new\nextra=1\ndbhostname=db\n\n"
              "[Tail]\nz=9\n");
    EXPECT_EQ(ReadProfileString(dir.File("f.ini"), "Tail", "z"), "9");
    EXPECT_EQ(ReadProfileString(dir.File("f.ini"), "Other", "keep"), "me");
}

TEST(ProfileWrite, AppendsMissingSectionAtTheEnd) {
    TempDir dir;
    dir.Write("f.ini", "[A]\r\nx=1\r\n");
    WriteProfileString(dir.File("f.ini"), "B", "y", "2");
    EXPECT_EQ(dir.Read("f.ini"), "[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
}

TEST(ProfileWrite, ValueReadsBackUnchanged) {
    TempDir dir;
    const std::string value = "p@ss \"word\" $x \\y %s";
    WriteProfileString(dir.File("f.ini"), "S", "k", value);
    EXPECT_EQ(ReadProfileString(dir.File("f.ini"), "S", "k"), value);
}

TEST(ProfileWrite, ReadOnlyDirectoryRaisesUnableToWriteAndLeavesTheFile) {
    TempDir dir;
    dir.Write("f.ini", "[S]\nk=old\n");
    const std::string path = dir.File("f.ini");
    {
        ReadOnlyDir guard(dir.Path());
        try {
            WriteProfileString(path, "S", "k", "new");
            FAIL() << "the write should have failed";
        } catch (const EPlatformError& e) {
            EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
        }
    }
    EXPECT_EQ(dir.Read("f.ini"), "[S]\nk=old\n");
    // No temporary file is left behind either.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

} // namespace
