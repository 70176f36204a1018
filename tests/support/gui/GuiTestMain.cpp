// SPDX-License-Identifier: GPL-3.0-or-later
// Main of every widget-test program: the real application object (with the
// crash reporter) on the offscreen platform, a fixed locale, then the tests.

#include "toolkit/Application.h"

#include <QLocale>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A test that leaves a modal window open with nobody to answer it would
// wait for ever. The watchdog turns that into a failure: after a generous
// bound it reports the window and closes it, so the run goes on.
class ModalWatchdog : public ::testing::EmptyTestEventListener {
public:
    ModalWatchdog() {
        timer_.setSingleShot(true);
        timer_.setInterval(120000);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) {
                timer_.start();
                return;
            }
            ADD_FAILURE() << "a modal window was left open with nobody to answer it: "
                          << modal->metaObject()->className() << " \"" << modal->windowTitle().toStdString()
                          << "\"";
            modal->close();
            timer_.start(1000);
        });
    }
    void OnTestStart(const ::testing::TestInfo&) override { timer_.start(120000); }
    void OnTestEnd(const ::testing::TestInfo&) override { timer_.stop(); }

private:
    QTimer timer_;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ModalWatchdog);
    return RUN_ALL_TESTS();
}
