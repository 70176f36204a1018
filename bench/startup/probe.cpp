// SPDX-License-Identifier: GPL-3.0-or-later
// Shows the window and prints the nanoseconds from the moment the runner
// spawned this process (passed as the first argument, CLOCK_MONOTONIC) to
// the first paint of the window, then ends.

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#ifndef EMPTY_WINDOW
#include "app/FMain.h"
#include "platform/ExeDir.h"
#include "toolkit/Application.h"
#endif

namespace {
long long Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

class FirstPaint : public QObject {
public:
    explicit FirstPaint(long long spawned) : spawned_(spawned) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && o->isWidgetType() && static_cast<QWidget*>(o)->isWindow() && !done_) {
            done_ = true;
            std::printf("%lld\n", Now() - spawned_);
            std::fflush(stdout);
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return false;
    }

private:
    long long spawned_;
    bool done_ = false;
};
} // namespace

int main(int argc, char** argv) {
    long long spawned = argc > 1 ? std::atoll(argv[1]) : Now();
#ifdef EMPTY_WINDOW
    QApplication app(argc, argv);
    QWidget window;
    window.resize(775, 516);
#ifdef WITH_TEXT
    QLabel text(QStringLiteral("Corvanta"), &window);
#endif
#else
    // A directory of its own, so no settings or branding of a real install count.
    if (argc > 2)
        SetExeDirOverride(argv[2]);
    TApplication app(argc, argv);
    TfrmMain window;
#endif
    FirstPaint filter(spawned);
    window.installEventFilter(&filter);
    window.show();
    return app.exec();
}
