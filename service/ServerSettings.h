// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the shop owner's site is and how its server script reaches the
// database. The client itself uses only the site URL and the script name;
// the database values are kept for the settings dialog, which writes them
// into the server's own settings script.

#include <string>

struct TServerSettings {
    std::string WebServer;    // site URL; key "webserver"
    std::string DbHostName;   // MySQL host; key "dbhostname"
    std::string DbDatabase;   // database; key "dbdatabase"
    std::string DbUserName;   // database user; key "dbusername"
    std::string DbPassword;   // database password, in clear; key "dbpassword"
    std::string InvalidPage;  // page for an invalid code; key "invalidpage"
    std::string ScriptName;   // always "couponsactions.php"; never stored
    // The owner lets the client reach https:// sites; key "allowhttps",
    // "1" for allowed. Not a server value: coupsettings.php never has it.
    bool AllowHttps = false;

    bool operator==(const TServerSettings&) const = default;
};

inline constexpr const char* kScriptName = "couponsactions.php";
