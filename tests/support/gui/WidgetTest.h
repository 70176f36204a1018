// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers for tests that drive real windows: wait for a condition with a
// bound, answer the next modal dialog from a queued callback, find and click
// controls by object name or caption, and read a message dialog.

#include "tests/support/ScriptedServer.h"

#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>
#include <string>

constexpr int kWaitBoundMs = 20000;

// Processes events until cond holds or the bound passes; true when it held.
bool WaitFor(const std::function<bool()>& cond, int timeoutMs = kWaitBoundMs);

// Arms a one-time action for the next modal window that opens (one that is
// not modal yet at the time of the call); the action runs inside that
// window's modal loop. Returns at once. Ran() tells whether it ran.
class ModalAction {
public:
    explicit ModalAction(std::function<void(QWidget*)> action, int timeoutMs = kWaitBoundMs);
    // Only for a modal window with this object name ("ErrorDialog",
    // "msgMainForm", "frmCoupon", ...), whenever it comes.
    ModalAction(const char* objectName, std::function<void(QWidget*)> action, int timeoutMs = kWaitBoundMs);
    ~ModalAction();
    ModalAction(const ModalAction&) = delete;
    ModalAction& operator=(const ModalAction&) = delete;
    bool Ran() const;

private:
    struct State;
    State* state_;
};

// What a message dialog showed, and the answer given to it.
struct SeenMessage {
    bool shown = false;
    std::string text;   // the message, byte for byte
    std::string title;  // "Warning", "Information", ...
    std::vector<std::string> buttons;  // captions, in order
};

// What a message dialog shows.
SeenMessage ReadMessage(QWidget* dialog);

// Answers the next message dialog (of any other modal window it takes no
// notice) by clicking the button with that caption ("OK", "Cancel", ...) and
// records what it showed.
class MessageAnswer {
public:
    explicit MessageAnswer(const std::string& buttonCaption);
    // Answers with a key instead (Qt::Key_Return, Qt::Key_Escape), once the
    // dialog is the active window.
    explicit MessageAnswer(Qt::Key key);
    const SeenMessage& Seen() const { return *seen_; }

private:
    // Records what the dialog shows, then answers it.
    explicit MessageAnswer(std::function<void(QWidget*)> answer);

    std::shared_ptr<SeenMessage> seen_;
    ModalAction action_;
};

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


QPushButton* FindButton(QWidget* root, const QString& caption);
void Click(QWidget* widget);

// Waits until the window is the active one, the one keys go to. (A window
// on show counts as active for Qt while the one it belongs to is, before
// its own activation has come through.)
bool WaitForActive(QWidget* window);

// Presses and releases the keys the way the keyboard does: at the widget
// that has the keyboard focus (the active window when none has), through
// the shortcuts first. Fails when no window is active.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Types the text at the focus, key by key.
void Type(const QString& text);

// Presses Tab until the focus is back where it started (at most bound
// presses) and returns where it stopped, from the start on.
std::vector<QWidget*> TabRound(int bound = 40);
// Empty when the stops of a Tab round follow the reading order and reach
// every one of the required controls; else what is wrong.
std::string ReadingOrderFaults(const std::vector<QWidget*>& stops, const std::vector<QWidget*>& readingOrder,
                               const std::vector<QWidget*>& required);

// Counts the mouse presses anywhere in the application while it lives.
class MousePressCounter : public QObject {
public:
    MousePressCounter();
    ~MousePressCounter() override;
    int Count() const { return count_; }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int count_ = 0;
};

template <class T>
T* Child(QWidget* root, const char* name) {
    return root->findChild<T*>(QString::fromLatin1(name));
}
