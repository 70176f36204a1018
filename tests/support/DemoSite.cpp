// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/DemoSite.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/FileBytes.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The repository's server/ folder, as the build was configured (not taken from
// __FILE__, which a compiler cache or a relative build may shorten).
std::string ServerSourceDir() { return CORVANTA_SERVER_SOURCE_DIR; }

// True when every directory on the way to path lets others pass.
bool OthersMayReach(const fs::path& path) {
    for (fs::path p = path; !p.empty(); p = p.parent_path()) {
        struct stat st {};
        if (stat(p.c_str(), &st) != 0 || (st.st_mode & S_IXOTH) == 0)
            return false;
        if (p == p.root_path())
            break;
    }
    return true;
}

// Where the sites go: under the build directory. Apache's workers run as
// www-data when the tests run as root, so they must be able to reach the
// served files; a build directory that they cannot reach (one in root's
// home) sends the sites to /tmp instead.
std::string SitesDir() {
    fs::path dir = fs::path(CORVANTA_BUILD_DIR) / "test-sites";
    fs::create_directories(dir);
    if (geteuid() == 0 && !OthersMayReach(dir))
        return "/tmp";
    return dir.string();
}

// Each site holds a lock on a file of its own for as long as it lives. A site
// directory whose lock is free was left by a test program that died; it
// goes when the next site starts.
int LockSite(const std::string& root) {
    int fd = open((root + "/.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0 || flock(fd, LOCK_EX) != 0)
        throw std::runtime_error("cannot lock " + root);
    return fd;
}

void RemoveAbandonedSites(const std::string& sitesDir, const std::string& own) {
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(sitesDir, ignored)) {
        std::string name = entry.path().filename().string();
        if (!name.starts_with("corvanta-site-") || entry.path() == own || !entry.is_directory(ignored))
            continue;
        int fd = open((entry.path() / ".lock").c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            continue;  // just made, not locked yet
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            fs::remove_all(entry.path(), ignored);
            fs::remove("/tmp/" + name + ".sock", ignored);
        }
        close(fd);
    }
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

} // namespace

const char* WebStackName(WebStack stack) { return stack == WebStack::Apache ? "Apache" : "PhpBuiltIn"; }

std::string DemoSite::MissingPrograms(const DemoSiteOptions& options) {
    std::string missing;
    auto need = [&](const std::string& label, bool found) {
        if (!found)
            missing += (missing.empty() ? "" : ", ") + label;
    };
    for (WebStack stack : options.stacks)
        if (stack == WebStack::Apache) {
            std::string apache = ApacheServer::MissingPackages();
            need(apache, apache.empty());
        }
    need("php", !FindServerProgram("php").empty());
    need("mariadbd", !FindServerProgram("mariadbd", "mysqld").empty());
    need("mariadb-install-db", !FindServerProgram("mariadb-install-db", "mysql_install_db").empty());
    need("mariadb", !FindServerProgram("mariadb", "mysql").empty());
    if (!FindServerProgram("php").empty() &&
        RunProgram({FindServerProgram("php"), "-r", "exit(extension_loaded('mysqli') ? 0 : 1);"}, "", 30000) != 0)
        need("php-mysql (mysqli)", false);
    return missing;
}

DemoSite::DemoSite(const DemoSiteOptions& options) {
    if (options.stacks.empty())
        throw std::invalid_argument("a demo site needs a web server");
    std::string pattern = SitesDir() + "/corvanta-site-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a directory in " + SitesDir());
    root_ = pattern;
    lock_ = LockSite(root_);
    RemoveAbandonedSites(SitesDir(), root_);
    dataDir_ = root_ + "/data";
    socket_ = root_ + "/mysqld.sock";
    // A socket path has room for about a hundred bytes only.
    if (socket_.size() > 100)
        socket_ = "/tmp/" + fs::path(root_).filename().string() + ".sock";
    webDir_ = root_ + "/www/";
    stack_ = options.stacks.front();
    try {
        StartDatabase(options.databaseOptions);
        StartWeb(options);
    } catch (...) {
        StopAll();
        throw;
    }
}

DemoSite::~DemoSite() { StopAll(); }

void DemoSite::StopAll() {
    apache_.Stop();
    builtIn_.Stop(10000);
    // A clean shutdown takes InnoDB a moment; the bound is generous.
    db_.Stop(60000);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
    fs::remove(socket_, ignored);
    if (lock_ >= 0)
        close(lock_);
    lock_ = -1;
}

void DemoSite::Use(WebStack stack) {
    if (!webs_.count(stack))
        throw std::invalid_argument(std::string("this site has no ") + WebStackName(stack) + " web server");
    stack_ = stack;
}

std::string DemoSite::WebLog() const { return FileTail(webs_.at(stack_).log, 1 << 20); }

void DemoSite::StartDatabase(const std::vector<std::string>& extraOptions) {
    fs::create_directories(dataDir_);
    const bool root = geteuid() == 0;
    // mariadbd refuses to run as root unless told to.
    std::vector<std::string> user;
    if (root)
        user = {"--user=root"};

    std::vector<std::string> install = {FindServerProgram("mariadb-install-db", "mysql_install_db"), "--no-defaults",
                                        "--auth-root-authentication-method=normal", "--skip-test-db",
                                        "--datadir=" + dataDir_};
    install.insert(install.end(), user.begin(), user.end());
    std::string installLog = root_ + "/install-db.log";
    if (RunProgram(install, installLog, 120000) != 0)
        throw std::runtime_error(WithLogTails("mariadb-install-db failed", {installLog}));

    dbPort_ = FreeLoopbackPort();
    std::vector<std::string> server = {
        FindServerProgram("mariadbd", "mysqld"), "--no-defaults", "--datadir=" + dataDir_, "--socket=" + socket_,
        "--port=" + std::to_string(dbPort_), "--bind-address=127.0.0.1", "--skip-networking=0",
        "--skip-name-resolve", "--pid-file=" + root_ + "/mysqld.pid", "--log-error=" + root_ + "/mysqld.log",
        "--tmpdir=" + root_,
        // A throw-away database: small and quick, not durable.
        "--innodb-buffer-pool-size=32M", "--innodb-flush-log-at-trx-commit=2", "--skip-innodb-doublewrite",
        "--innodb-flush-method=nosync"};
    server.insert(server.end(), user.begin(), user.end());
    server.insert(server.end(), extraOptions.begin(), extraOptions.end());
    ChildProcess::Options options;
    options.logFile = root_ + "/mysqld.out";
    db_.Start(server, options);
    AwaitListening(db_, dbPort_, 120000, "MariaDB", {root_ + "/mysqld.log"});

    Sql("CREATE DATABASE " + Database() + ";\n"
        "CREATE USER " + SqlString(DbUser()) + "@'127.0.0.1' IDENTIFIED BY " + SqlString(DbPassword()) + ";\n"
        "GRANT ALL ON " + Database() + ".* TO " + SqlString(DbUser()) + "@'127.0.0.1';\n");
}

void DemoSite::StartWeb(const DemoSiteOptions& options) {
    fs::create_directories(webDir_);
    fs::copy_file(ServerSourceDir() + "/couponsactions.php", webDir_ + "couponsactions.php");
    // Apache's workers read the served files as www-data; the rest of the
    // site stays closed to them.
    fs::permissions(root_, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(webDir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
    for (WebStack stack : options.stacks) {
        if (webs_.count(stack))
            continue;
        Web& web = webs_[stack];
        web.port = FreeLoopbackPort();
        web.url = "http://127.0.0.1:" + std::to_string(web.port);
        if (stack == WebStack::Apache) {
            std::string dir = root_ + "/apache";
            fs::create_directories(dir);
            apache_.Start(dir, webDir_, web.port, options.phpSettings, options.apacheConfig);
            web.log = apache_.ErrorLogPath();
        } else {
            ChildProcess::Options run;
            run.logFile = web.log = root_ + "/php.log";
            builtIn_.Start({FindServerProgram("php"), "-S", "127.0.0.1:" + std::to_string(web.port), "-t", webDir_},
                           run);
            AwaitListening(builtIn_, web.port, 60000, "the PHP web server", {run.logFile});
        }
    }
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
    WriteFileBytes(webDir_ + name, bytes);
}

std::string DemoSite::ReadFile(const std::string& name) const { return ReadFileBytes(webDir_ + name); }

void DemoSite::RemoveFile(const std::string& name) const {
    std::error_code ignored;
    fs::remove(webDir_ + name, ignored);
}

std::string DemoSite::Sql(const std::string& statements) const {
    std::string out = root_ + "/sql.out";
    fs::remove(out);
    int rc = RunProgram({FindServerProgram("mariadb", "mysql"), "--no-defaults", "--socket=" + socket_, "-uroot", "-N",
                         "-B", "--database=mysql", "-e", statements},
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
