// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/ApacheServer.h"

#include "tests/support/FileBytes.h"

#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char kModules[] = "/usr/lib/apache2/modules";

std::string ApacheProgram() { return FindServerProgram("apache2"); }

// libapache2-mod-php installs one module per PHP version: libphp8.2.so.
std::string PhpModule() {
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(kModules, ignored)) {
        std::string name = entry.path().filename().string();
        if (name.starts_with("libphp") && name.ends_with(".so"))
            return entry.path().string();
    }
    return {};
}

// "libphp8.2.so" -> "8.2"
std::string PhpVersion(const std::string& module) { return fs::path(module).stem().string().substr(6); }

// PHP's own production php.ini for the module's version, as Debian installs
// it for Apache; empty when the file is not there.
std::string ProductionIni(const std::string& module) {
    const std::string version = PhpVersion(module);
    for (const std::string& path :
         {"/usr/lib/php/" + version + "/php.ini-production", "/etc/php/" + version + "/apache2/php.ini"}) {
        if (fs::exists(path))
            return ReadFileBytes(path);
    }
    return {};
}

} // namespace

std::string ApacheServer::MissingPackages() {
    std::string missing;
    auto need = [&](const std::string& package) { missing += (missing.empty() ? "" : ", ") + package; };
    if (ApacheProgram().empty() || !fs::exists(std::string(kModules) + "/mod_mpm_prefork.so"))
        need("apache2");
    const std::string module = PhpModule();
    if (module.empty()) {
        need("libapache2-mod-php");
    } else {
        // Debian turns mysqli on for each PHP of the machine, Apache's too.
        bool mysqli = false;
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator("/etc/php/" + PhpVersion(module) + "/apache2/conf.d", ignored))
            mysqli = mysqli || entry.path().filename().string().find("mysqli") != std::string::npos;
        if (!mysqli)
            need("php-mysql (mysqli for Apache's PHP)");
    }
    return missing;
}

void ApacheServer::Start(const std::string& dir, const std::string& webDir, int port, const std::string& phpSettings,
                         const std::string& config) {
    const std::string module = PhpModule();
    const std::string m = std::string(kModules) + "/";
    fs::create_directories(dir + "/run");
    errorLog_ = dir + "/error.log";

    std::string ini = ProductionIni(module);
    ini += "\n; What a shop's host has, whatever the file above says.\n"
           "memory_limit = 128M\n"
           "post_max_size = 8M\n"
           "max_execution_time = 30\n"
           "display_errors = Off\n" +
           phpSettings + "\n";
    WriteFileBytes(dir + "/php.ini", ini);

    std::string conf = "ServerRoot \"" + dir + "\"\n"
                       "DefaultRuntimeDir \"" + dir + "/run\"\n"
                       "PidFile \"" + dir + "/run/httpd.pid\"\n"
                       "Listen 127.0.0.1:" + std::to_string(port) + "\n"
                       "ServerName 127.0.0.1\n";
    // Apache refuses to serve as root; a host's workers are www-data.
    if (geteuid() == 0 && getpwnam("www-data"))
        conf += "User www-data\nGroup www-data\n";
    conf += "LoadModule mpm_prefork_module " + m + "mod_mpm_prefork.so\n"
            "LoadModule authz_core_module " + m + "mod_authz_core.so\n"
            "LoadModule mime_module " + m + "mod_mime.so\n"
            "<IfModule !log_config_module>\n  LoadModule log_config_module " + m + "mod_log_config.so\n</IfModule>\n"
            "LoadModule php_module " + module + "\n"
            // Enough workers that every buyer of a concurrent test is served
            // at once; a waiting connection queues, it is not refused.
            "StartServers 8\nMinSpareServers 4\nMaxSpareServers 16\nServerLimit 64\nMaxRequestWorkers 64\n"
            "Timeout 120\n"
            "ErrorLog \"" + errorLog_ + "\"\nLogLevel warn\n"
            "LogFormat \"%h \\\"%r\\\" %>s %B %D\" brief\n"
            "CustomLog \"" + dir + "/access.log\" brief\n"
            "TypesConfig " + (fs::exists("/etc/mime.types") ? "/etc/mime.types" : "/dev/null") + "\n"
            "AddType text/html .html\n"
            "DocumentRoot \"" + webDir + "\"\n"
            "<Directory />\n  Require all denied\n  AllowOverride None\n</Directory>\n"
            "<Directory \"" + webDir + "\">\n  Require all granted\n</Directory>\n"
            "<FilesMatch \"\\.php$\">\n  SetHandler application/x-httpd-php\n</FilesMatch>\n"
            "PHPIniDir \"" + dir + "\"\n" +
            config + "\n";
    WriteFileBytes(dir + "/httpd.conf", conf);

    ChildProcess::Options options;
    options.logFile = dir + "/apache.out";
    process_.Start({ApacheProgram(), "-f", dir + "/httpd.conf", "-DFOREGROUND"}, options);
    AwaitListening(process_, port, 60000, "Apache", {errorLog_, options.logFile});
}

void ApacheServer::Stop() { process_.Stop(10000); }
