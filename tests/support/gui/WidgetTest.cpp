#include "tests/support/gui/WidgetTest.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
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
    : seen_(std::make_shared<SeenMessage>()),
      action_([seen = seen_, caption = QString::fromStdString(buttonCaption)](QWidget* w) {
          seen->shown = true;
          seen->text = w->property("messageText").toByteArray().toStdString();
          seen->title = w->windowTitle().toStdString();
          for (QPushButton* b : w->findChildren<QPushButton*>())
              seen->buttons.push_back(b->text().toStdString());
          if (QPushButton* b = FindButton(w, caption))
              Click(b);
      }) {}

namespace {
SeenMessage Read(QWidget* w) {
    SeenMessage seen;
    seen.shown = true;
    seen.text = w->property("messageText").toByteArray().toStdString();
    seen.title = w->windowTitle().toStdString();
    for (QPushButton* b : w->findChildren<QPushButton*>())
        seen.buttons.push_back(b->text().toStdString());
    return seen;
}
} // namespace

struct MessageAnswers::State {
    std::vector<std::string> captions;
    std::vector<SeenMessage> seen;
    QPointer<QWidget> answered;
    QTimer timer;
};

MessageAnswers::MessageAnswers(std::vector<std::string> buttonCaptions) : state_(std::make_unique<State>()) {
    state_->captions = std::move(buttonCaptions);
    State* s = state_.get();
    state_->timer.setInterval(5);
    QObject::connect(&state_->timer, &QTimer::timeout, [s] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != QLatin1String("msgMainForm") || !modal->isVisible() ||
            modal == s->answered)
            return;
        s->answered = modal;
        s->seen.push_back(Read(modal));
        const std::string& caption = s->captions[s->seen.size() - 1];
        if (s->seen.size() == s->captions.size())
            s->timer.stop();
        if (QPushButton* b = FindButton(modal, QString::fromStdString(caption)))
            Click(b);
    });
    state_->timer.start();
}

MessageAnswers::~MessageAnswers() = default;

const std::vector<SeenMessage>& MessageAnswers::Seen() const { return state_->seen; }

QPushButton* FindButton(QWidget* root, const QString& caption) {
    for (QPushButton* b : root->findChildren<QPushButton*>())
        if (b->text() == caption)
            return b;
    return nullptr;
}

void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
