// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The crash reporter: every failure that no handler of the application
// catches ends here. It is shown in an error dialog with the failure's
// message, the call stack of the place that raised it, the loaded modules
// and the operating system's data; the user can copy the report or send it
// by e-mail, and the program then goes on. A fatal signal writes the same
// kind of report to standard error before the process ends.
//
// Its settings (where reports are mailed, an optional log file) travel in
// the compressed resource "ELDATA".

#include <exception>
#include <functional>
#include <string>

struct TCrashReporterSettings {
    std::string MailTo;
    std::string Subject;
    std::string LogFile;  // a file name in the executable directory; empty: no log
};

class TCrashReporter {
public:
    // Reads ELDATA and installs the handlers for fatal signals.
    static void Install();

    static const TCrashReporterSettings& Settings();

    // Reports the failure that is being handled (call from a catch block).
    static void ReportCurrentException();

    // The full text of a report on a failure with this class and message.
    static std::string BuildReport(const std::string& className, const std::string& message,
                                   const std::string& stack);

    // The last report made, for the curious and for tests.
    static const std::string& LastReport();

    // The mailto: address that sends a report.
    static std::string MailAddress(const std::string& report);

    // Parses the text held in ELDATA ("key=value" lines, ";" comments).
    static TCrashReporterSettings ParseSettings(const std::string& text);
};
