// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the desktop's default http handler the way the desktop does:
// mimeapps.list files by importance, installed desktop entries only, then
// the added associations and what the applications declare.

#include "platform/DefaultBrowser.h"
#include "tests/branding/StandIns.h"

#include <gtest/gtest.h>

namespace {

const std::string kHttp = "x-scheme-handler/http";
const std::string kDefaults = "[Default Applications]\n" + kHttp + "=";

struct LookupCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;  // below the fake desktop's root
    std::vector<std::pair<std::string, std::optional<std::string>>> env;  // changes on top of it
    std::string expected;  // the entry found, below the root; empty for none
};

std::vector<LookupCase> LookupCases() {
    const std::string a = DesktopEntry("browser-a %u");
    const std::string b = DesktopEntry("browser-b %u");
    return {
        {"nothing registered", {}, {}, ""},
        {"the user's default",
         {{"config/mimeapps.list", kDefaults + "a.desktop\n"}, {"data/applications/a.desktop", a}},
         {},
         "data/applications/a.desktop"},
        {"an entry in a system data directory",
         {{"config/mimeapps.list", kDefaults + "a.desktop;\n"}, {"share2/applications/a.desktop", a}},
         {},
         "share2/applications/a.desktop"},
        {"the first installed entry of the list",
         {{"config/mimeapps.list", kDefaults + "gone.desktop;b.desktop;a.desktop\n"},
          {"share1/applications/a.desktop", a},
          {"share1/applications/b.desktop", b}},
         {},
         "share1/applications/b.desktop"},
        {"the user's list before the system's",
         {{"config/mimeapps.list", kDefaults + "a.desktop\n"},
          {"xdg/mimeapps.list", kDefaults + "b.desktop\n"},
          {"share1/applications/a.desktop", a},
          {"share1/applications/b.desktop", b}},
         {},
         "share1/applications/a.desktop"},
        {"the system's list when the user's names nothing installed",
         {{"config/mimeapps.list", kDefaults + "gone.desktop\n"},
          {"xdg/mimeapps.list", kDefaults + "b.desktop\n"},
          {"share1/applications/b.desktop", b}},
         {},
         "share1/applications/b.desktop"},
        {"config lists before the data directories' lists",
         {{"xdg/mimeapps.list", kDefaults + "a.desktop\n"},
          {"data/applications/mimeapps.list", kDefaults + "b.desktop\n"},
          {"share1/applications/a.desktop", a},
          {"share1/applications/b.desktop", b}},
         {},
         "share1/applications/a.desktop"},
        {"a list in a data directory",
         {{"share1/applications/mimeapps.list", kDefaults + "b.desktop\n"}, {"share2/applications/b.desktop", b}},
         {},
         "share2/applications/b.desktop"},
        {"the current desktop's own list first",
         {{"config/mimeapps.list", kDefaults + "a.desktop\n"},
          {"config/gnome-mimeapps.list", kDefaults + "b.desktop\n"},
          {"share1/applications/a.desktop", a},
          {"share1/applications/b.desktop", b}},
         {{"XDG_CURRENT_DESKTOP", "X-Cinnamon:GNOME"}},
         "share1/applications/b.desktop"},
        {"another desktop's list is not read",
         {{"config/mimeapps.list", kDefaults + "a.desktop\n"},
          {"config/kde-mimeapps.list", kDefaults + "b.desktop\n"},
          {"share1/applications/a.desktop", a},
          {"share1/applications/b.desktop", b}},
         {{"XDG_CURRENT_DESKTOP", "GNOME"}},
         "share1/applications/a.desktop"},
        {"the MIME type in any letter case, blanks around",
         {{"config/mimeapps.list", "[Default Applications]\n  X-Scheme-Handler/HTTP = a.desktop \n"},
          {"share1/applications/a.desktop", a}},
         {},
         "share1/applications/a.desktop"},
        {"other types and groups do not count",
         {{"config/mimeapps.list",
           "[Default Applications]\nx-scheme-handler/https=a.desktop\n[Other]\n" + kHttp + "=a.desktop\n"},
          {"share1/applications/a.desktop", a}},
         {},
         ""},
        {"a hidden user entry masks the system one",
         {{"config/mimeapps.list", kDefaults + "a.desktop;b.desktop\n"},
          {"data/applications/a.desktop", a + "Hidden=true\n"},
          {"share1/applications/a.desktop", a},
          {"share1/applications/b.desktop", b}},
         {},
         "share1/applications/b.desktop"},
        {"an entry without Exec does not count",
         {{"config/mimeapps.list", kDefaults + "a.desktop;b.desktop\n"},
          {"share1/applications/a.desktop", "[Desktop Entry]\nType=Application\nName=A\n"},
          {"share1/applications/b.desktop", b}},
         {},
         "share1/applications/b.desktop"},
        {"an entry in a vendor subdirectory",
         {{"config/mimeapps.list", kDefaults + "vendor-web.desktop\n"},
          {"share1/applications/vendor/web.desktop", a}},
         {},
         "share1/applications/vendor/web.desktop"},
        {"added associations when there is no default",
         {{"config/mimeapps.list", "[Added Associations]\n" + kHttp + "=a.desktop;\n"},
          {"share1/applications/a.desktop", a}},
         {},
         "share1/applications/a.desktop"},
        {"an association removed by a more important list",
         {{"config/mimeapps.list", "[Removed Associations]\n" + kHttp + "=a.desktop;\n"},
          {"xdg/mimeapps.list", "[Added Associations]\n" + kHttp + "=a.desktop;b.desktop;\n"},
          {"share1/applications/a.desktop", a},
          {"share1/applications/b.desktop", b}},
         {},
         "share1/applications/b.desktop"},
        {"what the applications declare",
         {{"share1/applications/mimeinfo.cache", "[MIME Cache]\n" + kHttp + "=b.desktop;\n"},
          {"share1/applications/b.desktop", b}},
         {},
         "share1/applications/b.desktop"},
        {"the older defaults.list",
         {{"share2/applications/defaults.list", kDefaults + "a.desktop\n"}, {"share2/applications/a.desktop", a}},
         {},
         "share2/applications/a.desktop"},
        {"a default beats what the applications declare",
         {{"share1/applications/mimeinfo.cache", "[MIME Cache]\n" + kHttp + "=b.desktop;\n"},
          {"xdg/mimeapps.list", kDefaults + "a.desktop\n"},
          {"share1/applications/a.desktop", a},
          {"share1/applications/b.desktop", b}},
         {},
         "share1/applications/a.desktop"},
        {"the user's directories under HOME when XDG does not name them",
         {{"home/.config/mimeapps.list", kDefaults + "a.desktop\n"}, {"home/.local/share/applications/a.desktop", a}},
         {{"XDG_CONFIG_HOME", std::nullopt}, {"XDG_DATA_HOME", std::nullopt}},
         "home/.local/share/applications/a.desktop"},
        {"a relative XDG directory is ignored",
         {{"home/.config/mimeapps.list", kDefaults + "a.desktop\n"}, {"share1/applications/a.desktop", a}},
         {{"XDG_CONFIG_HOME", "relative/config"}},
         "share1/applications/a.desktop"},
    };
}

TEST(DefaultBrowser, FindsTheHandlerTheWayTheDesktopDoes) {
    for (const LookupCase& c : LookupCases()) {
        SCOPED_TRACE(c.name);
        FakeDesktop desktop;
        for (const auto& [file, contents] : c.files)
            desktop.Write(file, contents);
        std::vector<std::unique_ptr<ScopedEnv>> env;
        for (const auto& [name, value] : c.env)
            env.push_back(std::make_unique<ScopedEnv>(name, value));
        const std::string found = FindDefaultHandlerEntry(kHttp);
        EXPECT_EQ(found, c.expected.empty() ? std::string() : desktop.Path(c.expected));
        while (!env.empty())
            env.pop_back();
    }
}

TEST(DefaultBrowser, ProgramIsTheFirstWordOfExec) {
    const std::pair<std::string, std::string> cases[] = {
        {"firefox %u", "firefox"},
        {"/usr/bin/chromium --incognito %U", "/usr/bin/chromium"},
        {"  /opt/web/run", "/opt/web/run"},
        {"\"/opt/My Browser/run\" --new-window %u", "/opt/My Browser/run"},
        // Key-file escape \\ first, then the quoting's \" inside the word.
        {"\"/opt/a\\\\\"b/run\" %u", "/opt/a\"b/run"},
        {"\"/opt/cost\\\\$/run\" %u", "/opt/cost$/run"},
        {"", ""},
    };
    for (const auto& [exec, program] : cases) {
        FakeDesktop desktop;
        desktop.Write("entry.desktop", DesktopEntry(exec));
        EXPECT_EQ(DesktopEntryProgram(desktop.Path("entry.desktop")), program) << exec;
    }
    FakeDesktop desktop;
    desktop.Write("action-only.desktop",
                  "[Desktop Entry]\nName=X\n[Desktop Action new]\nExec=/usr/bin/other %u\n");
    EXPECT_EQ(DesktopEntryProgram(desktop.Path("action-only.desktop")), "");
    EXPECT_EQ(DesktopEntryProgram(desktop.Path("missing.desktop")), "");
}

TEST(DefaultBrowser, CommandPutsTheAddressWhereTheEntrySays) {
    const std::string a = "http://x/?q=1&r=%75 $HOME";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"firefox %u", {"firefox", a}},
        {"/usr/bin/chromium --incognito %U", {"/usr/bin/chromium", "--incognito", a}},
        {"/opt/web/run", {"/opt/web/run", a}},  // no field code: the address goes last
        {"env BAMF_DESKTOP_FILE_HINT=/x.desktop /snap/bin/firefox %u", {"env", "BAMF_DESKTOP_FILE_HINT=/x.desktop", "/snap/bin/firefox", a}},
        {"/usr/bin/flatpak run --branch=stable org.mozilla.firefox @@u %u @@", {"/usr/bin/flatpak", "run", "--branch=stable", "org.mozilla.firefox", "@@u", a, "@@"}},
        {"\"/opt/My Browser/run\" --url=%u %i %c %k", {"/opt/My Browser/run", "--url=" + a}},
        {"web --discount=50%% %F", {"web", "--discount=50%", a}},
        {"", {}},
    };
    for (const auto& [exec, command] : cases) {
        FakeDesktop desktop;
        desktop.Write("entry.desktop", DesktopEntry(exec));
        EXPECT_EQ(DesktopEntryCommand(desktop.Path("entry.desktop"), a), command) << exec;
    }
}

TEST(DefaultBrowser, CommandOfTheHttpHandler) {
    FakeDesktop desktop;
    EXPECT_TRUE(DefaultBrowserCommand("http://a/").empty());
    desktop.SetDefaultBrowser("\"/opt/The Browser/bin/web\" --private %u");
    EXPECT_EQ(DefaultBrowserCommand("http://a/"),
              (std::vector<std::string>{"/opt/The Browser/bin/web", "--private", "http://a/"}));
}

} // namespace
