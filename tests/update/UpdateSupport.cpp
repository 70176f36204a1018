#include "tests/update/UpdateSupport.h"

#include <QApplication>
#include <arpa/inet.h>
#include <filesystem>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

RefusedPort::RefusedPort() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot bind a loopback port");
    port_ = ntohs(address.sin_port);
}

RefusedPort::~RefusedPort() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::string RefusedPort::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string DescriptorText(const std::string& version) {
    return "[APPLICATION]\r\nName=Corvanta\r\nVersion=" + version + "\r\n";
}

std::string Ok(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

ScriptedServer::Expect DescriptorGet() {
    return ScriptedServer::Expect::Pattern("GET /liveupdate/corvanta/mainappupdate.inf HTTP/1.1\r\n{ANY}");
}

ScriptedServer::Exchange DescriptorExchange(const std::string& version) {
    return {DescriptorGet(), Ok(DescriptorText(version))};
}

void WriteStandInUpdater(const TempDir& dir) {
    dir.Write("Updater.exe",
              "#!/bin/sh\n"
              "here=$(dirname \"$0\")\n"
              "printf '%s\\n' \"$#\" \"$@\" > \"$here/args.tmp\" && mv \"$here/args.tmp\" \"$here/args.txt\"\n");
    std::filesystem::permissions(dir.File("Updater.exe"), std::filesystem::perms(0755));
}

std::string ArgsRecord(const std::vector<std::string>& args) {
    std::string record = std::to_string(args.size()) + "\n";
    for (const std::string& a : args)
        record += a + "\n";
    return record;
}

MessageLog::MessageLog(std::vector<std::string> answers, std::function<void(std::size_t)> onShown)
    : answers_(std::move(answers)), onShown_(std::move(onShown)) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == last_ || !modal->isVisible() || modal->objectName() != "msgMainForm")
            return;
        last_ = modal;
        SeenMessage seen;
        seen.shown = true;
        seen.text = modal->property("messageText").toByteArray().toStdString();
        seen.title = modal->windowTitle().toStdString();
        for (QPushButton* b : modal->findChildren<QPushButton*>())
            seen.buttons.push_back(b->text().toStdString());
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
