// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/CrashReporter.h"

#include "platform/ExeDir.h"
#include "platform/ShellOpen.h"
#include "toolkit/ErrorDialog.h"
#include "toolkit/StackTrace.h"

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QUrl>
#include <csignal>
#include <cstring>
#include <execinfo.h>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/utsname.h>
#include <unistd.h>

namespace {

TCrashReporterSettings& CurrentSettings() {
    static TCrashReporterSettings settings;
    return settings;
}

std::string& Last() {
    static std::string report;
    return report;
}

std::string LoadedModules() {
    std::ifstream maps("/proc/self/maps");
    std::set<std::string> seen;
    std::string out, line;
    while (std::getline(maps, line)) {
        std::size_t slash = line.find('/');
        if (slash == std::string::npos)
            continue;
        std::string path = line.substr(slash);
        // Code only: the program and its shared libraries, not fonts or data.
        bool code = path.find(".so") != std::string::npos || line.find(" r-xp ") != std::string::npos;
        if (code && seen.insert(path).second)
            out += "  " + path + "\n";
    }
    return out;
}

std::string OperatingSystem() {
    std::string out;
    utsname u{};
    if (uname(&u) == 0)
        out += std::string("  ") + u.sysname + " " + u.release + " " + u.version + " " + u.machine + "\n";
    std::ifstream release("/etc/os-release");
    std::string line;
    while (std::getline(release, line))
        if (line.rfind("PRETTY_NAME=", 0) == 0)
            out += "  " + line.substr(12) + "\n";
    out += "  Qt " + std::string(qVersion()) + ", locale " + QLocale().name().toStdString() + "\n";
    return out;
}

void AppendToLog(const std::string& report) {
    const std::string& name = CurrentSettings().LogFile;
    if (name.empty())
        return;
    std::ofstream log(ExeDir() + name, std::ios::app | std::ios::binary);
    log << report << "\n";
}

// Async-signal-safe writing for the fatal-signal report.
void WriteErr(const char* s) {
    ssize_t rc = write(STDERR_FILENO, s, std::strlen(s));
    (void)rc;
}

void OnFatalSignal(int sig) {
    WriteErr("\n*** Corvanta crashed: fatal signal ");
    char num[16];
    int n = sig, i = 15;
    num[i] = 0;
    do {
        num[--i] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n > 0 && i > 0);
    WriteErr(num + i);
    WriteErr(" (");
    WriteErr(strsignal(sig));
    WriteErr(")\n\nCall stack:\n");
    void* frames[64];
    int count = backtrace(frames, 64);
    backtrace_symbols_fd(frames, count, STDERR_FILENO);
    WriteErr("\nLoaded modules:\n");
    int fd = open("/proc/self/maps", O_RDONLY);
    if (fd >= 0) {
        char buf[4096];
        ssize_t got;
        while ((got = read(fd, buf, sizeof buf)) > 0) {
            ssize_t rc = write(STDERR_FILENO, buf, static_cast<size_t>(got));
            (void)rc;
        }
        close(fd);
    }
    utsname u{};
    if (uname(&u) == 0) {
        WriteErr("\nOperating system:\n  ");
        WriteErr(u.sysname);
        WriteErr(" ");
        WriteErr(u.release);
        WriteErr(" ");
        WriteErr(u.machine);
        WriteErr("\n");
    }
    signal(sig, SIG_DFL);
    raise(sig);
}

} // namespace

TCrashReporterSettings TCrashReporter::ParseSettings(const std::string& text) {
    TCrashReporterSettings s;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == ';')
            continue;
        std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "MailTo")
            s.MailTo = value;
        else if (key == "Subject")
            s.Subject = value;
        else if (key == "LogFile")
            s.LogFile = value;
    }
    return s;
}

void TCrashReporter::Install() {
    QFile eldata(QStringLiteral(":/ELDATA"));
    if (eldata.open(QIODevice::ReadOnly))
        CurrentSettings() = ParseSettings(qUncompress(eldata.readAll()).toStdString());
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        struct sigaction sa{};
        sa.sa_handler = OnFatalSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESETHAND | SA_NODEFER;
        sigaction(sig, &sa, nullptr);
    }
}

const TCrashReporterSettings& TCrashReporter::Settings() { return CurrentSettings(); }

std::string TCrashReporter::BuildReport(const std::string& className, const std::string& message,
                                        const std::string& stack) {
    std::string r;
    r += "Application: " + QApplication::applicationName().toStdString() + "\n";
    r += "Exception: " + className + "\n";
    r += "Message: " + message + "\n\n";
    r += "Call stack:\n" + stack + "\n";
    r += "Loaded modules:\n" + LoadedModules() + "\n";
    r += "Operating system:\n" + OperatingSystem();
    return r;
}

void TCrashReporter::ReportCurrentException() {
    // Taken before anything else can raise and record another stack.
    std::string className = LastThrowType();
    std::string stack = LastThrowStack();
    std::string message = "Unknown failure";
    try {
        throw;
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
    }
    Last() = BuildReport(className.empty() ? "unknown" : className, message, stack);
    AppendToLog(Last());
    TErrorDialog dialog(message, Last());
    dialog.exec();
}

const std::string& TCrashReporter::LastReport() { return Last(); }

std::string TCrashReporter::MailAddress(const std::string& report) {
    const TCrashReporterSettings& s = CurrentSettings();
    QString address = QStringLiteral("mailto:") + QString::fromStdString(s.MailTo) +
                      QStringLiteral("?subject=") +
                      QString::fromUtf8(QUrl::toPercentEncoding(QString::fromStdString(s.Subject))) +
                      QStringLiteral("&body=") +
                      QString::fromUtf8(QUrl::toPercentEncoding(QString::fromLocal8Bit(report.c_str())));
    return address.toStdString();
}
