// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application object. Every event is delivered through it, so a failure
// that leaves any handler of any window is caught here and handed to the
// crash reporter; the program then goes on.

#include <QApplication>

// The program's name on the desktop: of its desktop entry, its icon and its
// AppStream metadata.
inline constexpr char kDesktopId[] = "org.corvanta.Corvanta";

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
