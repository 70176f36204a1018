// SPDX-License-Identifier: GPL-3.0-or-later
// settings.dat as the client writes and reads it.

#include "app/SettingsStore.h"
#include "platform/PlatformError.h"
#include "tests/support/ReadOnlyDir.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TServerSettings Sample() {
    TServerSettings s;
    s.WebServer = "http://shop.example/";
    s.DbHostName = "db.example";
    s.DbDatabase = "coupons";
    s.DbUserName = "owner";
    s.DbPassword = "p\"a$s\\w";
    s.InvalidPage = " http://shop.example/invalid.html ";
    s.ScriptName = "couponsactions.php";
    return s;
}

TEST(SettingsStore, WritesTheSixKeysInOrderReadableByTheOwnerOnly) {
    TempDir dir;
    TServerSettings s = Sample();
    s.InvalidPage = "http://shop.example/invalid.html";
    SaveServerSettings(dir.File("settings.dat"), s);
    EXPECT_EQ(dir.Read("settings.dat"),
              "[Settings]\r\nwebserver=http://shop.example/\r\ndbhostname=db.example\r\ndbdatabase=coupons\r\n"
              "dbusername=owner\r\ndbpassword=p\"a$s\\w\r\ninvalidpage=http://shop.example/invalid.html\r\n");
    struct stat st{};
    ASSERT_EQ(stat(dir.File("settings.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(LoadServerSettings(dir.File("settings.dat")), s);
}

TEST(SettingsStore, EmptyValuesCreateTheSectionWithSixEmptyKeys) {
    TempDir dir;
    SaveServerSettings(dir.File("settings.dat"), TServerSettings{});
    EXPECT_EQ(dir.Read("settings.dat"),
              "[Settings]\r\nwebserver=\r\ndbhostname=\r\ndbdatabase=\r\ndbusername=\r\ndbpassword=\r\ninvalidpage=\r\n");
}

TEST(SettingsStore, RewriteKeepsOtherSectionsAndNeverStoresTheScriptName) {
    TempDir dir;
    dir.Write("settings.dat", "[Window]\r\nleft=10\r\n[Settings]\r\nwebserver=old\r\n");
    SaveServerSettings(dir.File("settings.dat"), Sample());
    std::string text = dir.Read("settings.dat");
    EXPECT_EQ(text.rfind("[Window]\r\nleft=10\r\n[Settings]\r\nwebserver=http://shop.example/\r\n", 0), 0u);
    EXPECT_EQ(text.find("couponsactions"), std::string::npos);
}

TEST(SettingsStore, MissingFileOrKeysReadEmptyWithTheFixedScriptName) {
    TempDir dir;
    TServerSettings none = LoadServerSettings(dir.File("settings.dat"));
    EXPECT_EQ(none.WebServer, "");
    EXPECT_EQ(none.DbPassword, "");
    EXPECT_EQ(none.ScriptName, "couponsactions.php");

    dir.Write("settings.dat", "[Settings]\nwebserver=http://a\ndbhostname=h\n");
    TServerSettings partial = LoadServerSettings(dir.File("settings.dat"));
    EXPECT_EQ(partial.WebServer, "http://a");
    EXPECT_EQ(partial.DbHostName, "h");
    EXPECT_EQ(partial.InvalidPage, "");
}

TEST(SettingsStore, LoadingRemovesTemporariesACrashLeft) {
    TempDir dir;
    dir.Write("settings.dat", "[Settings]\nwebserver=http://a\n");
    dir.Write(".settings.dat.Xy12Z9", "[Settings]\ndbpassword=secret\n");
    dir.Write("settings.dat.backup", "[Settings]\ndbpassword=kept\n");
    EXPECT_EQ(LoadServerSettings(dir.File("settings.dat")).WebServer, "http://a");
    EXPECT_FALSE(dir.Exists(".settings.dat.Xy12Z9"));
    EXPECT_TRUE(dir.Exists("settings.dat.backup"));
}

TEST(SettingsStore, EveryValueReadsBackAsWrittenBlanksAndQuotesIncluded) {
    // Reading trims blanks and removes one pair of quotes; values with such
    // ends are written quoted so that they survive a restart.
    const std::string values[] = {" http://shop.example/ ", "\"Secret\" ", "'a'", "\"", "  ", "plain", "a \"b\" c"};
    for (const std::string& v : values) {
        TempDir dir;
        TServerSettings s = Sample();
        s.DbPassword = v;
        SaveServerSettings(dir.File("settings.dat"), s);
        EXPECT_EQ(LoadServerSettings(dir.File("settings.dat")).DbPassword, v) << "[" << v << "]";
    }
    // Plain values are written as they are.
    TempDir dir;
    TServerSettings s = Sample();
    s.DbPassword = "a \"b\" c";
    SaveServerSettings(dir.File("settings.dat"), s);
    EXPECT_NE(dir.Read("settings.dat").find("\r\ndbpassword=a \"b\" c\r\n"), std::string::npos);
}

TEST(SettingsStore, AllowHttpsComesAfterTheSixKeysAndOnlyOnceTurnedOn) {
    TempDir dir;
    const std::string path = dir.File("settings.dat");
    const std::string six = "[Settings]\r\nwebserver=\r\ndbhostname=\r\ndbdatabase=\r\ndbusername=\r\n"
                            "dbpassword=\r\ninvalidpage=\r\n";
    TServerSettings s;
    s.ScriptName = "couponsactions.php";
    // Never turned on: the file is the one of the six keys alone.
    SaveServerSettings(path, s);
    EXPECT_EQ(dir.Read("settings.dat"), six);
    EXPECT_FALSE(LoadServerSettings(path).AllowHttps);

    s.AllowHttps = true;
    SaveServerSettings(path, s);
    EXPECT_EQ(dir.Read("settings.dat"), six + "allowhttps=1\r\n");
    EXPECT_EQ(LoadServerSettings(path), s);

    // Turned off again, the key says so rather than staying "1".
    s.AllowHttps = false;
    SaveServerSettings(path, s);
    EXPECT_EQ(dir.Read("settings.dat"), six + "allowhttps=0\r\n");
    EXPECT_EQ(LoadServerSettings(path), s);
}

TEST(SettingsStore, AllowHttpsOnlyWhenTheKeyReadsOne) {
    const std::pair<const char*, bool> values[] = {{"1", true}, {" 1 ", true}, {"\"1\"", true}, {"0", false},
                                                   {"yes", false}, {"true", false}, {"", false}, {"11", false}};
    for (const auto& [value, allowed] : values) {
        TempDir dir;
        dir.Write("settings.dat", std::string("[Settings]\r\nwebserver=http://a\r\nALLOWHTTPS=") + value + "\r\n");
        EXPECT_EQ(LoadServerSettings(dir.File("settings.dat")).AllowHttps, allowed) << "[" << value << "]";
    }
}

TEST(SettingsStore, FailedWriteRaisesUnableToWriteAndLeavesTheOldFile) {
    TempDir dir;
    dir.Write("settings.dat", "[Settings]\r\nwebserver=old\r\n");
    const std::string path = dir.File("settings.dat");
    ReadOnlyDir guard(dir.Path());
    try {
        SaveServerSettings(path, Sample());
        FAIL();
    } catch (const EPlatformError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
    EXPECT_EQ(dir.Read("settings.dat"), "[Settings]\r\nwebserver=old\r\n");
}

} // namespace
