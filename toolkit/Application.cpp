// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/Application.h"

#include "toolkit/CrashReporter.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Corvanta"));
    // Desktops match the windows to the installed desktop entry by this name.
    setDesktopFileName(QLatin1String(kDesktopId));
    TCrashReporter::Install();
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        TCrashReporter::ReportCurrentException();
    }
    return false;
}
