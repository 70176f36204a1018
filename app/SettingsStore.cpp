// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SettingsStore.h"

#include "platform/AtomicFile.h"
#include "platform/ProfileFile.h"
#include "platform/ProfileReader.h"

namespace {
constexpr char kSection[] = "Settings";
constexpr char kAllowHttps[] = "allowhttps";
}

TServerSettings LoadServerSettings(const std::string& path) {
    // A crash while the file was rewritten may have left a temporary with
    // the password in it; it goes at the start rather than at the next save.
    RemoveStaleTemporaries(path);
    TServerSettings s;
    if (FileExists(path)) {
        const TProfileReader file(path);
        s.WebServer = file.Read(kSection, "webserver");
        s.DbHostName = file.Read(kSection, "dbhostname");
        s.DbDatabase = file.Read(kSection, "dbdatabase");
        s.DbUserName = file.Read(kSection, "dbusername");
        s.DbPassword = file.Read(kSection, "dbpassword");
        s.InvalidPage = file.Read(kSection, "invalidpage");
        s.AllowHttps = file.Read(kSection, kAllowHttps) == "1";
    }
    s.ScriptName = kScriptName;
    return s;
}

void SaveServerSettings(const std::string& path, const TServerSettings& s) {
    std::vector<std::pair<std::string, std::string>> values = {{"webserver", s.WebServer},
                                                               {"dbhostname", s.DbHostName},
                                                               {"dbdatabase", s.DbDatabase},
                                                               {"dbusername", s.DbUserName},
                                                               {"dbpassword", s.DbPassword},
                                                               {"invalidpage", s.InvalidPage}};
    if (s.AllowHttps || (FileExists(path) && TProfileReader(path).Read(kSection, kAllowHttps) == "1"))
        values.emplace_back(kAllowHttps, s.AllowHttps ? "1" : "0");
    WriteProfileStrings(path, kSection, values);
}
