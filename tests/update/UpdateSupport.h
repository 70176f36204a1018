#pragma once
// Helpers shared by the update tests: a loopback port that refuses
// connections, the update descriptor as the update site serves it, a
// stand-in updater that writes down its arguments, a log that answers the
// message dialogs in turn, and a hook that acts from inside the client's
// network wait once a request has reached the scripted server.

#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/gui/WidgetTest.h"

#include <QLocale>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

// A loopback port with a socket bound to it that never listens: connects to
// it are refused, and no other program can take the port while it lives.
class RefusedPort {
public:
    RefusedPort();
    ~RefusedPort();
    RefusedPort(const RefusedPort&) = delete;
    RefusedPort& operator=(const RefusedPort&) = delete;
    int Port() const { return port_; }
    std::string Url(const std::string& path = "") const;

private:
    int fd_ = -1;
    int port_ = 0;
};

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

// Answers each message dialog that opens with the next caption of answers
// and records what it showed. A dialog beyond the answers is recorded and
// closed (the answer Cancel), so an unexpected message fails an assertion
// instead of hanging the test. onShown, when given, runs for each dialog
// (with its turn, from 0) before it is answered.
class MessageLog {
public:
    explicit MessageLog(std::vector<std::string> answers = {}, std::function<void(std::size_t)> onShown = {});
    const std::vector<SeenMessage>& Seen() const { return seen_; }
    std::vector<std::string> Texts() const;

private:
    std::vector<std::string> answers_;
    std::function<void(std::size_t)> onShown_;
    std::vector<SeenMessage> seen_;
    QPointer<QWidget> last_;
    QTimer timer_;
};

// Runs action once, from the event processing inside the client's waits,
// as soon as the server has received the request of exchange index.
class WhenReceived {
public:
    WhenReceived(const ScriptedServer& server, std::size_t index, std::function<void()> action);
    bool Ran() const { return ran_; }

private:
    QTimer timer_;
    bool ran_ = false;
};

// Sets a default locale for the test's lifetime and puts the previous one back.
class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale& locale) : previous_(QLocale()) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(previous_); }

private:
    QLocale previous_;
};
