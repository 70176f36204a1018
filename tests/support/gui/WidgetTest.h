#pragma once
// Helpers for tests that drive real windows: wait for a condition with a
// bound, answer the next modal dialog from a queued callback, find and click
// controls by object name or caption, and read a message dialog.

#include <QPushButton>
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
// window's modal loop. Returns at once. Pending() tells whether it still
// waits; Ran() whether it ran.
class ModalAction {
public:
    explicit ModalAction(std::function<void(QWidget*)> action, int timeoutMs = kWaitBoundMs);
    // Only for a modal window with this object name ("ErrorDialog",
    // "msgMainForm", "frmCoupon", ...), whenever it comes.
    ModalAction(const char* objectName, std::function<void(QWidget*)> action, int timeoutMs = kWaitBoundMs);
    ~ModalAction();
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

// Answers the next message dialog by clicking the button with that caption
// ("OK", "Cancel", ...) and records what it showed.
class MessageAnswer {
public:
    explicit MessageAnswer(const std::string& buttonCaption);
    const SeenMessage& Seen() const { return *seen_; }

private:
    std::shared_ptr<SeenMessage> seen_;
    ModalAction action_;
};

// Answers the next message dialogs in turn, one button caption each, and
// records what each showed.
class MessageAnswers {
public:
    explicit MessageAnswers(std::vector<std::string> buttonCaptions);
    ~MessageAnswers();
    const std::vector<SeenMessage>& Seen() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

QPushButton* FindButton(QWidget* root, const QString& caption);
void Click(QWidget* widget);

template <class T>
T* Child(QWidget* root, const char* name) {
    return root->findChild<T*>(QString::fromLatin1(name));
}
