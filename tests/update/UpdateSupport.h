// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers shared by the update tests: the update descriptor as the update
// site serves it, and a stand-in updater that writes down its arguments.

#include "tests/support/RefusedPort.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/gui/WidgetTest.h"

#include <QLocale>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>


// The descriptor text with a Version line holding exactly version.
std::string DescriptorText(const std::string& version);
// An HTTP/1.1 200 response carrying body with its Content-Length.
std::string Ok(const std::string& body);
// The update site answering the descriptor's GET with a descriptor.
ScriptedServer::Exchange DescriptorExchange(const std::string& version);
// A GET of the descriptor, whatever the request's header lines.
ScriptedServer::Expect DescriptorGet();

// Writes Updater.exe into dir: a shell script that writes its argument
// count and arguments, one a line, to args.txt (renamed into place whole).
void WriteStandInUpdater(const TempDir& dir);
// The updater's record as WriteStandInUpdater's script writes it.
std::string ArgsRecord(const std::vector<std::string>& args);


// Sets a default locale for the test's lifetime and puts the previous one back.
class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale& locale) : previous_(QLocale()) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(previous_); }

private:
    QLocale previous_;
};
