// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A private coupon site for tests: MariaDB in a fresh data directory on a
// free loopback port, with a database and a user made for the test, and
// PHP's built-in web server on another free loopback port serving a copy of
// server/. Both answer before the constructor returns. The destructor stops
// them and removes everything; should the test program die first, the
// servers die with it, so no process is ever left behind.

#include "tests/support/ChildProcess.h"

#include <string>

class DemoSite {
public:
    // The programs a site needs that this machine lacks, joined by ", ";
    // empty when all are there.
    static std::string MissingPrograms();

    // Throws std::runtime_error, with the tail of the failing server's log,
    // when a server does not start or answer within a generous bound.
    DemoSite();
    ~DemoSite();
    DemoSite(const DemoSite&) = delete;
    DemoSite& operator=(const DemoSite&) = delete;

    // "http://127.0.0.1:<port>": the site URL for the client's settings.
    const std::string& SiteURL() const { return siteURL_; }
    std::string ScriptURL() const { return siteURL_ + "/couponsactions.php"; }
    // The served directory, with a trailing "/".
    const std::string& WebDir() const { return webDir_; }

    // The values a shop owner types into the Settings dialog. The password
    // holds a double quote, a dollar sign and a backslash, which PHP would
    // misread in a settings script written without escaping.
    std::string DbHost() const { return "127.0.0.1:" + std::to_string(dbPort_); }
    std::string Database() const { return "corvanta_shop"; }
    std::string DbUser() const { return "shopowner"; }
    std::string DbPassword() const { return "s3cr\"t$pa\\ss"; }

    // coupsettings.php for this site's database, as the client writes it
    // (each value escaped for a double-quoted PHP string).
    static std::string SettingsScript(const std::string& host, const std::string& database,
                                      const std::string& user, const std::string& password,
                                      const std::string& invalidPage);
    void InstallSettings(const std::string& invalidPage);

    // Files in the served directory, as an owner uploads them.
    void PutFile(const std::string& name, const std::string& bytes) const;
    std::string ReadFile(const std::string& name) const;
    void RemoveFile(const std::string& name) const;

    // Runs SQL as the database's administrator and returns what it prints
    // (tab-separated rows, no column names). Throws on any SQL failure.
    std::string Sql(const std::string& statements) const;
    // Empties both tables and restarts their identifiers at 1, when the
    // tables exist.
    void ResetData() const;

private:
    void StartDatabase();
    void StartWeb();
    [[noreturn]] void Failed(const std::string& what, const std::string& logFile);

    std::string root_;      // everything of this site, removed at the end
    std::string dataDir_;
    std::string socket_;
    std::string webDir_;
    std::string siteURL_;
    int dbPort_ = 0;
    int webPort_ = 0;
    ChildProcess db_;
    ChildProcess web_;
};
