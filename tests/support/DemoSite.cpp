// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/DemoSite.h"

#include "tests/support/ChildProcess.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kSbinDirs = {"/usr/sbin", "/usr/local/sbin", "/sbin"};

// The repository's server/ folder, as the build was configured (not taken from
// __FILE__, which a compiler cache or a relative build may shorten).
std::string ServerSourceDir() { return CORVANTA_SERVER_SOURCE_DIR; }

std::string Program(const std::string& name, const std::string& alternative = {}) {
    std::string path = FindProgram(name, kSbinDirs);
    if (path.empty() && !alternative.empty())
        path = FindProgram(alternative, kSbinDirs);
    return path;
}

std::string PhpString(const std::string& value) {
    std::string out;
    for (char c : value) {
        if (c == '\\' || c == '"' || c == '$')
            out += '\\';
        out += c;
    }
    return out;
}

std::string SqlString(const std::string& value) {
    std::string out = "'";
    for (char c : value) {
        if (c == '\\' || c == '\'')
            out += '\\';
        out += c;
    }
    return out + "'";
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

} // namespace

std::string DemoSite::MissingPrograms() {
    std::string missing;
    auto need = [&](const std::string& label, bool found) {
        if (!found)
            missing += (missing.empty() ? "" : ", ") + label;
    };
    need("php", !Program("php").empty());
    need("mariadbd", !Program("mariadbd", "mysqld").empty());
    need("mariadb-install-db", !Program("mariadb-install-db", "mysql_install_db").empty());
    need("mariadb", !Program("mariadb", "mysql").empty());
    if (!Program("php").empty() &&
        RunProgram({Program("php"), "-r", "exit(extension_loaded('mysqli') ? 0 : 1);"}, "", 30000) != 0)
        need("php-mysql (mysqli)", false);
    return missing;
}

DemoSite::DemoSite() {
    char pattern[] = "/tmp/corvanta-site-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("cannot make a temporary directory");
    root_ = pattern;
    dataDir_ = root_ + "/data";
    socket_ = root_ + "/mysqld.sock";
    webDir_ = root_ + "/www/";
    try {
        StartDatabase();
        StartWeb();
    } catch (...) {
        web_.Stop(10000);
        db_.Stop(60000);
        fs::remove_all(root_);
        throw;
    }
}

DemoSite::~DemoSite() {
    web_.Stop(10000);
    // A clean shutdown takes InnoDB a moment; the bound is generous.
    db_.Stop(60000);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void DemoSite::Failed(const std::string& what, const std::string& logFile) {
    throw std::runtime_error(what + "\n--- " + logFile + " ---\n" + FileTail(logFile));
}

void DemoSite::StartDatabase() {
    fs::create_directories(dataDir_);
    const bool root = geteuid() == 0;
    // mariadbd refuses to run as root unless told to.
    std::vector<std::string> user;
    if (root)
        user = {"--user=root"};

    std::vector<std::string> install = {Program("mariadb-install-db", "mysql_install_db"), "--no-defaults",
                                        "--auth-root-authentication-method=normal", "--skip-test-db",
                                        "--datadir=" + dataDir_};
    install.insert(install.end(), user.begin(), user.end());
    std::string installLog = root_ + "/install-db.log";
    if (RunProgram(install, installLog, 120000) != 0)
        Failed("mariadb-install-db failed", installLog);

    dbPort_ = FreeLoopbackPort();
    std::vector<std::string> server = {
        Program("mariadbd", "mysqld"), "--no-defaults", "--datadir=" + dataDir_, "--socket=" + socket_,
        "--port=" + std::to_string(dbPort_), "--bind-address=127.0.0.1", "--skip-networking=0",
        "--skip-name-resolve", "--pid-file=" + root_ + "/mysqld.pid", "--log-error=" + root_ + "/mysqld.log",
        "--tmpdir=" + root_,
        // A throw-away database: small and quick, not durable.
        "--innodb-buffer-pool-size=32M", "--innodb-flush-log-at-trx-commit=2", "--skip-innodb-doublewrite",
        "--innodb-flush-method=nosync"};
    server.insert(server.end(), user.begin(), user.end());
    ChildProcess::Options options;
    options.logFile = root_ + "/mysqld.out";
    db_.Start(server, options);
    if (!WaitForPort(dbPort_, db_, 120000))
        Failed("MariaDB did not start", root_ + "/mysqld.log");

    Sql("CREATE DATABASE " + Database() + ";\n"
        "CREATE USER " + SqlString(DbUser()) + "@'127.0.0.1' IDENTIFIED BY " + SqlString(DbPassword()) + ";\n"
        "GRANT ALL ON " + Database() + ".* TO " + SqlString(DbUser()) + "@'127.0.0.1';\n");
}

void DemoSite::StartWeb() {
    fs::create_directories(webDir_);
    fs::copy_file(ServerSourceDir() + "/couponsactions.php", webDir_ + "couponsactions.php");
    webPort_ = FreeLoopbackPort();
    siteURL_ = "http://127.0.0.1:" + std::to_string(webPort_);
    ChildProcess::Options options;
    options.logFile = root_ + "/php.log";
    web_.Start({Program("php"), "-S", "127.0.0.1:" + std::to_string(webPort_), "-t", webDir_},
               options);
    if (!WaitForPort(webPort_, web_, 60000))
        Failed("the PHP web server did not start", options.logFile);
}

std::string DemoSite::SettingsScript(const std::string& host, const std::string& database,
                                     const std::string& user, const std::string& password,
                                     const std::string& invalidPage) {
    return "<?php\r\n"
           "  $hostname=\"" + PhpString(host) + "\";\r\n"
           "  $database=\"" + PhpString(database) + "\";\r\n"
           "  $username=\"" + PhpString(user) + "\";\r\n"
           "  $password=\"" + PhpString(password) + "\";\r\n"
           "  $invalidpage=\"" + PhpString(invalidPage) + "\";\r\n"
           "?>\r\n";
}

void DemoSite::InstallSettings(const std::string& invalidPage) {
    PutFile("coupsettings.php", SettingsScript(DbHost(), Database(), DbUser(), DbPassword(), invalidPage));
}

void DemoSite::PutFile(const std::string& name, const std::string& bytes) const {
    WriteFile(webDir_ + name, bytes);
}

std::string DemoSite::ReadFile(const std::string& name) const {
    std::ifstream in(webDir_ + name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void DemoSite::RemoveFile(const std::string& name) const {
    std::error_code ignored;
    fs::remove(webDir_ + name, ignored);
}

std::string DemoSite::Sql(const std::string& statements) const {
    std::string out = root_ + "/sql.out";
    fs::remove(out);
    int rc = RunProgram({Program("mariadb", "mysql"), "--no-defaults", "--socket=" + socket_, "-uroot", "-N", "-B",
                         "--database=mysql", "-e", statements},
                        out, 60000);
    std::string text = FileTail(out, 1 << 20);
    if (rc != 0)
        throw std::runtime_error("SQL failed: " + statements + "\n" + text);
    return text;
}

void DemoSite::ResetData() const {
    std::string tables = Sql("SELECT table_name FROM information_schema.tables WHERE table_schema = '" + Database() +
                             "' AND table_name LIKE 'couponsactions%'");
    if (tables.empty())
        return;
    // Uses first: they refer to the coupons.
    Sql("DELETE FROM " + Database() + ".couponsactions_uses; DELETE FROM " + Database() +
        ".couponsactions_coupons; ALTER TABLE " + Database() + ".couponsactions_uses AUTO_INCREMENT = 1; ALTER TABLE " +
        Database() + ".couponsactions_coupons AUTO_INCREMENT = 1;");
}
