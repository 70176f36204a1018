#include "app/SettingsStore.h"

#include "platform/AtomicFile.h"
#include "platform/ProfileFile.h"

namespace {
constexpr char kSection[] = "Settings";
}

TServerSettings LoadServerSettings(const std::string& path) {
    TServerSettings s;
    if (FileExists(path)) {
        s.WebServer = ReadProfileString(path, kSection, "webserver");
        s.DbHostName = ReadProfileString(path, kSection, "dbhostname");
        s.DbDatabase = ReadProfileString(path, kSection, "dbdatabase");
        s.DbUserName = ReadProfileString(path, kSection, "dbusername");
        s.DbPassword = ReadProfileString(path, kSection, "dbpassword");
        s.InvalidPage = ReadProfileString(path, kSection, "invalidpage");
    }
    s.ScriptName = kScriptName;
    return s;
}

void SaveServerSettings(const std::string& path, const TServerSettings& s) {
    WriteProfileStrings(path, kSection,
                        {{"webserver", s.WebServer},
                         {"dbhostname", s.DbHostName},
                         {"dbdatabase", s.DbDatabase},
                         {"dbusername", s.DbUserName},
                         {"dbpassword", s.DbPassword},
                         {"invalidpage", s.InvalidPage}});
}
