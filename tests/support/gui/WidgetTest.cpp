// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/gui/WidgetTest.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

bool WaitFor(const std::function<bool()>& cond, int timeoutMs) {
    return QTest::qWaitFor(cond, timeoutMs);
}

struct ModalAction::State {
    std::function<void(QWidget*)> action;
    QString objectName;
    QPointer<QWidget> before;
    QTimer timer;
    QElapsedTimer clock;
    int timeoutMs = 0;
    bool ran = false;
};

ModalAction::ModalAction(std::function<void(QWidget*)> action, int timeoutMs)
    : ModalAction(nullptr, std::move(action), timeoutMs) {}

ModalAction::ModalAction(const char* objectName, std::function<void(QWidget*)> action, int timeoutMs)
    : state_(new State) {
    state_->action = std::move(action);
    if (objectName)
        state_->objectName = QString::fromLatin1(objectName);
    state_->before = QApplication::activeModalWidget();
    state_->timeoutMs = timeoutMs;
    state_->clock.start();
    // A short poll of the modal stack from the event loop: the dialog's own
    // modal loop keeps running it, so the action runs inside that loop.
    state_->timer.setInterval(5);
    State* s = state_;
    QObject::connect(&state_->timer, &QTimer::timeout, [s] {
        QWidget* modal = QApplication::activeModalWidget();
        bool wanted = s->objectName.isEmpty() ? modal != s->before : modal && modal->objectName() == s->objectName;
        if (modal && wanted && modal->isVisible()) {
            s->timer.stop();
            s->ran = true;
            s->action(modal);
        } else if (s->clock.elapsed() > s->timeoutMs) {
            s->timer.stop();
        }
    });
    state_->timer.start();
}

ModalAction::~ModalAction() { delete state_; }

bool ModalAction::Ran() const { return state_->ran; }

MessageAnswer::MessageAnswer(const std::string& buttonCaption)
    : MessageAnswer(std::function<void(QWidget*)>([caption = QString::fromStdString(buttonCaption)](QWidget* w) {
          if (QPushButton* b = FindButton(w, caption))
              Click(b);
      })) {}

MessageAnswer::MessageAnswer(Qt::Key key)
    : MessageAnswer(std::function<void(QWidget*)>([key](QWidget* w) {
          if (WaitForActive(w))
              Press(key);
      })) {}

MessageAnswer::MessageAnswer(std::function<void(QWidget*)> answer)
    : seen_(std::make_shared<SeenMessage>()),
      action_("msgMainForm", [seen = seen_, answer = std::move(answer)](QWidget* w) {
          *seen = ReadMessage(w);
          answer(w);
      }) {}

SeenMessage ReadMessage(QWidget* w) {
    SeenMessage seen;
    seen.shown = true;
    seen.text = w->property("messageText").toByteArray().toStdString();
    seen.title = w->windowTitle().toStdString();
    for (QPushButton* b : w->findChildren<QPushButton*>())
        seen.buttons.push_back(b->text().toStdString());
    return seen;
}

MessageLog::MessageLog(std::vector<std::string> answers, std::function<void(std::size_t)> onShown)
    : answers_(std::move(answers)), onShown_(std::move(onShown)) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == last_ || !modal->isVisible() || modal->objectName() != "msgMainForm")
            return;
        last_ = modal;
        SeenMessage seen = ReadMessage(modal);
        const std::size_t turn = seen_.size();
        seen_.push_back(seen);
        QPointer<QWidget> dialog = modal;
        if (onShown_)
            onShown_(turn);
        if (!dialog)
            return;
        QPushButton* answer =
            turn < answers_.size() ? FindButton(modal, QString::fromStdString(answers_[turn])) : nullptr;
        if (answer)
            Click(answer);
        else
            modal->close();
    });
    timer_.start();
}

std::vector<std::string> MessageLog::Texts() const {
    std::vector<std::string> texts;
    for (const SeenMessage& m : seen_)
        texts.push_back(m.text);
    return texts;
}

WhenReceived::WhenReceived(const ScriptedServer& server, std::size_t index, std::function<void()> action) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this, &server, index, action = std::move(action)] {
        if (server.Received(index).empty())
            return;
        timer_.stop();
        ran_ = true;
        action();
    });
    timer_.start();
}

QPushButton* FindButton(QWidget* root, const QString& caption) {
    for (QPushButton* b : root->findChildren<QPushButton*>())
        if (b->text() == caption)
            return b;
    return nullptr;
}

void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

namespace {
// The platform of the tests has no window manager: when a window closes,
// nothing activates the one beneath. This does, as a window manager would:
// the modal window on top, else the window that is still on show.
void ActivateAsAWindowManagerWould() {
    if (QApplication::activeWindow())
        return;
    QWidget* next = QApplication::activeModalWidget();
    if (!next)
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && (w->windowType() == Qt::Window || w->windowType() == Qt::Dialog))
                next = w;
    if (!next)
        return;
    next->activateWindow();
    EXPECT_TRUE(WaitForActive(next));
}

QWidget* KeyboardTarget() {
    ActivateAsAWindowManagerWould();
    QWidget* target = QApplication::focusWidget();
    if (!target)
        target = QApplication::activeWindow();
    EXPECT_NE(target, nullptr) << "no window is active to take the keys";
    return target;
}
} // namespace

bool WaitForActive(QWidget* window) {
    return WaitFor([window] { return QApplication::activeWindow() == window->window(); });
}

void Press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    if (QWidget* target = KeyboardTarget())
        QTest::keyClick(target, key, modifiers);
}

void Type(const QString& text) {
    if (QWidget* target = KeyboardTarget())
        QTest::keyClicks(target, text);
}

std::vector<QWidget*> TabRound(int bound) {
    std::vector<QWidget*> stops;
    QWidget* start = QApplication::focusWidget();
    if (!start)
        return stops;
    stops.push_back(start);
    for (int i = 0; i < bound; ++i) {
        Press(Qt::Key_Tab);
        if (QApplication::focusWidget() == start)
            break;
        stops.push_back(QApplication::focusWidget());
    }
    return stops;
}

namespace {
std::string Describe(QWidget* w) {
    if (!w)
        return "nothing";
    return std::string(w->metaObject()->className()) + " \"" +
           (w->objectName().isEmpty() ? w->accessibleName() : w->objectName()).toStdString() + "\"";
}
} // namespace

std::string ReadingOrderFaults(const std::vector<QWidget*>& stops, const std::vector<QWidget*>& readingOrder,
                               const std::vector<QWidget*>& required) {
    std::string faults;
    auto place = [&](QWidget* w) {
        auto it = std::find(readingOrder.begin(), readingOrder.end(), w);
        return it == readingOrder.end() ? -1 : int(it - readingOrder.begin());
    };
    for (std::size_t i = 0; i < stops.size(); ++i) {
        if (place(stops[i]) < 0)
            faults += "Tab stops at " + Describe(stops[i]) + "; ";
        else if (i > 0 && place(stops[i]) < place(stops[i - 1]) && place(stops[i]) != 0)
            faults += Describe(stops[i]) + " comes after " + Describe(stops[i - 1]) + "; ";
    }
    // One wrap at most: from the last control back to the first.
    int wraps = 0;
    for (std::size_t i = 1; i < stops.size(); ++i)
        wraps += place(stops[i]) < place(stops[i - 1]);
    if (wraps > 1)
        faults += "Tab goes round more than once; ";
    for (QWidget* w : required)
        if (std::find(stops.begin(), stops.end(), w) == stops.end())
            faults += "Tab never reaches " + Describe(w) + "; ";
    return faults;
}

MousePressCounter::MousePressCounter() { qApp->installEventFilter(this); }

MousePressCounter::~MousePressCounter() { qApp->removeEventFilter(this); }

bool MousePressCounter::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
        ++count_;
    return false;
}
