// SPDX-License-Identifier: GPL-3.0-or-later
// Failures that leave a handler reach the crash reporter, which shows them
// and lets the program go on.

#include "tests/support/gui/WidgetTest.h"
#include "toolkit/CrashReporter.h"
#include "toolkit/SkinButton.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <gtest/gtest.h>
#include <csignal>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

// Outside the anonymous namespace so its name is in the symbol table.
[[noreturn]] __attribute__((noinline)) void RaiseFromDeepInside() {
    throw std::runtime_error("Unable to write to /ro/settings.dat");
}

namespace {

TEST(CrashReporter, FailureFromAHandlerIsReportedAndTheProgramGoesOn) {
    QWidget window;
    auto* failing = new TbsSkinButton("Fail", &window);
    auto* working = new TbsSkinButton("Work", &window);
    working->move(0, 40);
    int worked = 0;
    QObject::connect(failing, &QPushButton::clicked, [] { RaiseFromDeepInside(); });
    QObject::connect(working, &QPushButton::clicked, [&] { ++worked; });
    window.show();

    std::string shownMessage, details, clipboard, tips;
    ModalAction answer([&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Error");
        shownMessage = Child<QLabel>(dialog, "message")->text().toStdString();
        details = Child<QPlainTextEdit>(dialog, "details")->toPlainText().toStdString();
        // From the keyboard: Ctrl+C is "Copy Report", Return "Continue".
        ASSERT_TRUE(WaitForActive(dialog));
        Press(Qt::Key_C, Qt::ControlModifier);
        clipboard = QApplication::clipboard()->text().toStdString();
        tips = Child<QPushButton>(dialog, "btnCopy")->toolTip().toStdString() + ", " +
               Child<QPushButton>(dialog, "btnSend")->toolTip().toStdString() + ", " +
               Child<QPushButton>(dialog, "btnContinue")->toolTip().toStdString();
        Press(Qt::Key_Return);
    });
    Click(failing);
    ASSERT_TRUE(WaitFor([&] { return answer.Ran(); }));

    EXPECT_EQ(shownMessage, "Unable to write to /ro/settings.dat");
    EXPECT_NE(details.find("Exception: std::runtime_error"), std::string::npos);
    // The stack is the one of the place that raised the failure.
    EXPECT_NE(details.find("RaiseFromDeepInside"), std::string::npos) << details;
    EXPECT_NE(details.find("Loaded modules:"), std::string::npos);
    EXPECT_NE(details.find("libQt6Core"), std::string::npos);
    EXPECT_NE(details.find("Operating system:"), std::string::npos);
    EXPECT_NE(details.find("Linux"), std::string::npos);
    EXPECT_EQ(clipboard, details);
    EXPECT_EQ(tips, "Copy Report (Ctrl+C), Send Report (Ctrl+E), Continue (Return)");

    Click(working);
    EXPECT_EQ(worked, 1);
}

TEST(CrashReporter, FatalSignalWritesTheReportToStandardErrorAndEnds) {
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(pipeFds[1], STDERR_FILENO);
        close(pipeFds[0]);
        raise(SIGSEGV);
        _exit(0);  // not reached: the signal ends the process
    }
    close(pipeFds[1]);
    std::string err;
    char buf[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buf, sizeof buf)) > 0)
        err.append(buf, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
    EXPECT_NE(err.find("fatal signal 11"), std::string::npos) << err;
    EXPECT_NE(err.find("Call stack:"), std::string::npos);
    EXPECT_NE(err.find("Loaded modules:"), std::string::npos);
    EXPECT_NE(err.find("Operating system:"), std::string::npos);
}

TEST(CrashReporter, SettingsComeFromTheCompressedResource) {
    EXPECT_FALSE(TCrashReporter::Settings().MailTo.empty());
    std::string mail = TCrashReporter::MailAddress("a b&c\n");
    EXPECT_EQ(mail.rfind("mailto:" + TCrashReporter::Settings().MailTo + "?subject=", 0), 0u);
    EXPECT_NE(mail.find("&body=a%20b%26c%0A"), std::string::npos) << mail;
}

TEST(CrashReporter, ParsesItsSettingsText) {
    TCrashReporterSettings s =
        TCrashReporter::ParseSettings("; comment\r\nMailTo=x@y\r\nSubject=S t\r\nLogFile=\r\nUnknown=1\r\n");
    EXPECT_EQ(s.MailTo, "x@y");
    EXPECT_EQ(s.Subject, "S t");
    EXPECT_EQ(s.LogFile, "");
}

} // namespace
