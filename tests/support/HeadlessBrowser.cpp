// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/HeadlessBrowser.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <stdexcept>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kReplyBoundMs = 60000;

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

void AppendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The string value of the first "key":"..." in a message; false when the
// key is not there with a string value.
bool JsonField(const std::string& message, const std::string& key, std::string& value) {
    std::string marker = "\"" + key + "\":\"";
    std::size_t at = message.find(marker);
    if (at == std::string::npos)
        return false;
    value.clear();
    for (std::size_t i = at + marker.size(); i < message.size(); ++i) {
        char c = message[i];
        if (c == '"')
            return true;
        if (c != '\\') {
            value += c;
            continue;
        }
        if (++i >= message.size())
            return false;
        switch (message[i]) {
        case 'n': value += '\n'; break;
        case 'r': value += '\r'; break;
        case 't': value += '\t'; break;
        case 'b': value += '\b'; break;
        case 'f': value += '\f'; break;
        case 'u':
            if (i + 4 < message.size()) {
                AppendUtf8(value, static_cast<unsigned>(std::stoul(message.substr(i + 1, 4), nullptr, 16)));
                i += 4;
            }
            break;
        default: value += message[i];
        }
    }
    return false;
}

} // namespace

std::string HeadlessBrowser::Program() {
    std::string path = FindProgram("chromium");
    if (path.empty())
        path = FindProgram("chromium-browser");
    return path;
}

HeadlessBrowser::HeadlessBrowser() {
    char pattern[] = "/tmp/corvanta-browser-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("cannot make a browser profile directory");
    profileDir_ = pattern;
    int commands[2], replies[2];
    if (pipe2(commands, O_CLOEXEC) != 0 || pipe2(replies, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot make the browser's pipes");
    ChildProcess::Options options;
    options.logFile = profileDir_ + "/browser.log";
    // The browser looks in its home for settings of its own; it gets the
    // throw-away profile instead of the tester's.
    options.env = {"HOME=" + profileDir_};
    options.fds = {{3, commands[0]}, {4, replies[1]}};
    browser_.Start({Program(), "--headless", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                    "--no-first-run", "--no-default-browser-check", "--disable-background-networking",
                    "--disable-component-update", "--disable-sync", "--disable-extensions",
                    "--remote-debugging-pipe", "--user-data-dir=" + profileDir_, "about:blank"},
                   options);
    close(commands[0]);
    close(replies[1]);
    toBrowser_ = commands[1];
    fromBrowser_ = replies[0];

    std::string target;
    if (!JsonField(Command("Target.createTarget", "{\"url\":\"about:blank\"}", false), "targetId", target))
        throw std::runtime_error("the browser opened no page");
    if (!JsonField(Command("Target.attachToTarget", "{\"targetId\":" + JsonString(target) + ",\"flatten\":true}",
                           false),
                   "sessionId", sessionId_))
        throw std::runtime_error("the browser gave no session for its page");
}

HeadlessBrowser::~HeadlessBrowser() {
    if (toBrowser_ >= 0) {
        std::string close = "{\"id\":" + std::to_string(nextId_++) + ",\"method\":\"Browser.close\"}";
        close += '\0';
        [[maybe_unused]] ssize_t ignored = write(toBrowser_, close.data(), close.size());
        ::close(toBrowser_);
    }
    if (fromBrowser_ >= 0)
        ::close(fromBrowser_);
    browser_.Wait(10000);
    browser_.Stop(5000);
    std::error_code ignored;
    std::filesystem::remove_all(profileDir_, ignored);
}

std::string HeadlessBrowser::ReadMessage(int boundMs) {
    auto end = Clock::now() + std::chrono::milliseconds(boundMs);
    for (;;) {
        std::size_t nul = pending_.find('\0');
        if (nul != std::string::npos) {
            std::string message = pending_.substr(0, nul);
            pending_.erase(0, nul + 1);
            return message;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0)
            throw std::runtime_error("the browser did not answer in time");
        pollfd p{fromBrowser_, POLLIN, 0};
        int r = poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            continue;
        char buf[65536];
        ssize_t n = read(fromBrowser_, buf, sizeof buf);
        if (n <= 0)
            throw std::runtime_error("the browser closed its pipe; its log:\n" +
                                     FileTail(profileDir_ + "/browser.log"));
        pending_.append(buf, static_cast<std::size_t>(n));
    }
}

std::string HeadlessBrowser::Command(const std::string& method, const std::string& params, bool toPage) {
    int id = nextId_++;
    std::string message = "{\"id\":" + std::to_string(id) + ",\"method\":\"" + method + "\",\"params\":" + params;
    if (toPage)
        message += ",\"sessionId\":" + JsonString(sessionId_);
    message += "}";
    message += '\0';
    for (std::size_t sent = 0; sent < message.size();) {
        ssize_t n = write(toBrowser_, message.data() + sent, message.size() - sent);
        if (n <= 0)
            throw std::runtime_error("cannot write to the browser");
        sent += static_cast<std::size_t>(n);
    }
    // Events come in between; the response is the message with this id.
    const std::string head = "{\"id\":" + std::to_string(id) + ",";
    for (;;) {
        std::string reply = ReadMessage(kReplyBoundMs);
        if (reply.compare(0, head.size(), head) != 0)
            continue;
        std::string error;
        if (reply.compare(head.size(), 8, "\"error\":") == 0) {
            JsonField(reply, "message", error);
            throw std::runtime_error(method + " failed: " + error);
        }
        return reply;
    }
}

std::string HeadlessBrowser::Evaluate(const std::string& expression, bool* ok) {
    if (ok)
        *ok = false;
    std::string reply;
    try {
        reply = Command("Runtime.evaluate",
                        "{\"expression\":" + JsonString("String(" + expression + ")") + ",\"returnByValue\":true}");
    } catch (const std::runtime_error&) {
        // A page that is being replaced has no context to run in.
        return {};
    }
    std::string value;
    if (reply.find("\"exceptionDetails\"") != std::string::npos || !JsonField(reply, "value", value))
        return {};
    if (ok)
        *ok = true;
    return value;
}

void HeadlessBrowser::Open(const std::string& url) {
    Command("Page.navigate", "{\"url\":" + JsonString(url) + "}");
    if (!WaitForPage(url))
        throw std::runtime_error("the page " + url + " did not load; the browser is at " + CurrentURL());
}

bool HeadlessBrowser::WaitForPage(const std::string& url, int boundMs) {
    auto end = Clock::now() + std::chrono::milliseconds(boundMs);
    const std::string loaded = url + "|complete";
    while (Clock::now() < end) {
        if (Evaluate("location.href + '|' + document.readyState") == loaded)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::string HeadlessBrowser::CurrentURL() { return Evaluate("location.href"); }

std::string HeadlessBrowser::BodyText() { return Evaluate("document.body ? document.body.innerText : ''"); }

void HeadlessBrowser::Type(const std::string& selector, const std::string& text) {
    bool ok = false;
    Evaluate("document.querySelector(" + JsonString(selector) + ").focus()", &ok);
    if (!ok)
        throw std::runtime_error("no element " + selector + " to type into");
    Command("Input.insertText", "{\"text\":" + JsonString(text) + "}");
}

void HeadlessBrowser::Click(const std::string& selector) {
    bool ok = false;
    std::string centre = Evaluate("(function(){ const e = document.querySelector(" + JsonString(selector) +
                                      "); e.scrollIntoView(); const r = e.getBoundingClientRect();"
                                      " return (r.left + r.width / 2) + ',' + (r.top + r.height / 2); })()",
                                  &ok);
    if (!ok)
        throw std::runtime_error("no element " + selector + " to click");
    std::string x = centre.substr(0, centre.find(','));
    std::string y = centre.substr(centre.find(',') + 1);
    for (const char* type : {"mousePressed", "mouseReleased"})
        Command("Input.dispatchMouseEvent", std::string("{\"type\":\"") + type + "\",\"x\":" + x + ",\"y\":" + y +
                                                ",\"button\":\"left\",\"clickCount\":1}");
}
