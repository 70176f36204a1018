// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A private coupon site for tests: MariaDB in a fresh data directory on a
// free loopback port, with a database and a user made for the test, and a
// web server on another free loopback port serving a copy of server/:
// Apache with PHP as shops host it, or PHP's built-in web server, or both
// serving the same directory. Everything answers before the constructor
// returns and lies in one directory under the build directory. The
// destructor stops the servers and removes it all; should the test program
// die first, the servers die with it, so no process is ever left behind.

#include "tests/support/ApacheServer.h"
#include "tests/support/ChildProcess.h"

#include <map>
#include <string>
#include <vector>

// The web server in front of the script.
enum class WebStack { Apache, PhpBuiltIn };

// "Apache", "PhpBuiltIn": for test names and messages.
const char* WebStackName(WebStack stack);

struct DemoSiteOptions {
    // The web servers to start; the first is the one SiteURL() names until
    // Use() picks another.
    std::vector<WebStack> stacks = {WebStack::Apache};
    // Lines added at the end of php.ini and of the configuration of Apache.
    std::string phpSettings;
    std::string apacheConfig;
    // Further mariadbd options (a larger buffer pool for a benchmark).
    std::vector<std::string> databaseOptions;
};

class DemoSite {
public:
    // The programs a site needs that this machine lacks, joined by ", ";
    // empty when all are there.
    static std::string MissingPrograms(const DemoSiteOptions& options = {});

    // Throws std::runtime_error, with the tail of the failing server's log,
    // when a server does not start or answer within a generous bound.
    explicit DemoSite(const DemoSiteOptions& options = {});
    ~DemoSite();
    DemoSite(const DemoSite&) = delete;
    DemoSite& operator=(const DemoSite&) = delete;

    // "http://127.0.0.1:<port>": the site URL for the client's settings, of
    // the web server in use.
    const std::string& SiteURL() const { return webs_.at(stack_).url; }
    std::string ScriptURL() const { return SiteURL() + "/couponsactions.php"; }
    int WebPort() const { return webs_.at(stack_).port; }
    // Which of the started web servers SiteURL() names.
    void Use(WebStack stack);
    // What the web server in use logged: PHP's messages and the script's
    // own, its failures among them.
    std::string WebLog() const;
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
    struct Web {
        int port = 0;
        std::string url;
        std::string log;
    };

    void StartDatabase(const std::vector<std::string>& extraOptions);
    void StartWeb(const DemoSiteOptions& options);
    void StopAll();

    std::string root_;      // everything of this site, removed at the end
    int lock_ = -1;         // held while the site lives
    std::string dataDir_;
    std::string socket_;
    std::string webDir_;
    int dbPort_ = 0;
    std::map<WebStack, Web> webs_;
    WebStack stack_ = WebStack::Apache;
    ChildProcess db_;
    ApacheServer apache_;
    ChildProcess builtIn_;
};
