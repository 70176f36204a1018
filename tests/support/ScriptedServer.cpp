// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/ScriptedServer.h"

#include "tests/support/Loopback.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <list>
#include <stdexcept>

namespace {

std::string Escape(const std::string& bytes, std::size_t limit = 4000) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\\')
            out += "\\\\";
        else if (c < 0x20 || c >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else
            out += char(c);
    }
    if (bytes.size() > limit)
        out += "... (" + std::to_string(bytes.size()) + " bytes in all)";
    return out;
}

// Pattern tokens: a literal byte, or one of the placeholders.
enum class Token { Literal, Digit, Digits, Any };

struct PatternItem {
    Token token;
    char literal;
};

std::vector<PatternItem> Compile(const std::string& pattern) {
    std::vector<PatternItem> items;
    for (std::size_t i = 0; i < pattern.size();) {
        auto starts = [&](const char* text) { return pattern.compare(i, std::strlen(text), text) == 0; };
        if (starts("{DIGITS}")) {
            items.push_back({Token::Digits, 0});
            i += 8;
        } else if (starts("{DIGIT}")) {
            items.push_back({Token::Digit, 0});
            i += 7;
        } else if (starts("{ANY}")) {
            items.push_back({Token::Any, 0});
            i += 5;
        } else {
            items.push_back({Token::Literal, pattern[i]});
            ++i;
        }
    }
    return items;
}

// Row by row over the pattern: can[j] says whether the items so far match
// the first j bytes. Linear memory, no recursion.
bool MatchPattern(const std::string& pattern, const std::string& text) {
    const std::vector<PatternItem> items = Compile(pattern);
    const std::size_t n = text.size();
    std::vector<char> can(n + 1, 0), next(n + 1, 0);
    can[0] = 1;
    for (const PatternItem& item : items) {
        std::fill(next.begin(), next.end(), 0);
        for (std::size_t j = 0; j <= n; ++j) {
            const bool digit = j > 0 && std::isdigit(static_cast<unsigned char>(text[j - 1]));
            switch (item.token) {
            case Token::Literal:
                next[j] = j > 0 && can[j - 1] && text[j - 1] == item.literal;
                break;
            case Token::Digit:
                next[j] = digit && can[j - 1];
                break;
            case Token::Digits:
                next[j] = digit && (can[j - 1] || next[j - 1]);
                break;
            case Token::Any:
                next[j] = can[j] || (j > 0 && next[j - 1]);
                break;
            }
        }
        std::swap(can, next);
    }
    return can[n];
}

// Length of the first complete HTTP request in bytes, or npos.
std::size_t FrameHttpRequest(const std::string& in) {
    const std::size_t end = in.find("\r\n\r\n");
    if (end == std::string::npos)
        return std::string::npos;
    const std::size_t headLength = end + 4;
    std::size_t bodyLength = 0;
    std::size_t lineStart = in.find("\r\n") + 2;
    while (lineStart < end) {
        std::size_t lineEnd = in.find("\r\n", lineStart);
        std::string line = in.substr(lineStart, lineEnd - lineStart);
        std::size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::string name = line.substr(0, colon);
            std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
            if (name == "content-length")
                bodyLength = std::strtoull(line.c_str() + colon + 1, nullptr, 10);
        }
        lineStart = lineEnd + 2;
    }
    if (in.size() - headLength < bodyLength)
        return std::string::npos;
    return headLength + bodyLength;
}

std::string DescribeDifference(const std::string& expected, const std::string& received) {
    std::size_t at = 0;
    while (at < expected.size() && at < received.size() && expected[at] == received[at])
        ++at;
    return "request differs at byte " + std::to_string(at) + "\n--- expected:\n" + Escape(expected) +
           "\n--- received:\n" + Escape(received);
}

}  // namespace

ScriptedServer::Expect ScriptedServer::Expect::Exact(std::string bytes) {
    Expect e;
    e.kind = Kind::Exact;
    e.bytes = std::move(bytes);
    return e;
}

ScriptedServer::Expect ScriptedServer::Expect::Pattern(std::string pattern) {
    Expect e;
    e.kind = Kind::Pattern;
    e.bytes = std::move(pattern);
    return e;
}

ScriptedServer::Expect ScriptedServer::Expect::Where(std::function<std::string(const std::string&)> check) {
    Expect e;
    e.kind = Kind::Where;
    e.check = std::move(check);
    return e;
}

ScriptedServer::Expect ScriptedServer::Expect::Any() {
    return Expect{};
}

ScriptedServer::Expect ScriptedServer::Expect::Connection() {
    Expect e;
    e.kind = Kind::Connection;
    return e;
}

ScriptedServer::Expect ScriptedServer::Expect::Bytes(std::size_t count) {
    Expect e;
    e.kind = Kind::Bytes;
    e.count = count;
    return e;
}

std::string ScriptedServer::BoundaryPattern() {
    std::string pattern = "--------";
    for (int i = 0; i < 15; ++i)
        pattern += "{DIGIT}";
    return pattern;
}

struct ScriptedServer::State {
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::vector<Exchange> script;
    std::vector<std::string> received;
    std::vector<int> connectionOf;
    std::size_t next = 0;    // the exchange waited for
    std::size_t served = 0;  // exchanges whose response is out
    std::vector<std::string> failures;
    int connections = 0;
    std::vector<bool> closedByClient;
    int released = 0;
    int heldServed = 0;
    bool stopping = false;
    int listener = -1;
    int wake[2] = {-1, -1};
};

namespace {

struct Connection {
    int fd;
    int id;
    std::string in;
    bool writeClosed = false;  // the server has closed its sending side
    bool dead = false;
};

}  // namespace

ScriptedServer::ScriptedServer(std::vector<Exchange> script) : state_(std::make_unique<State>()) {
    State& s = *state_;
    if (::pipe2(s.wake, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("ScriptedServer: pipe failed");
    s.listener = ListenOnLoopback(64, port_);
    if (s.listener < 0)
        throw std::runtime_error(std::string("ScriptedServer: cannot listen: ") + std::strerror(errno));
    for (auto& e : script)
        Add(std::move(e));
    thread_ = std::thread(&ScriptedServer::Run, this);
}

ScriptedServer::~ScriptedServer() {
    Stop();
    ::close(state_->listener);
    ::close(state_->wake[0]);
    ::close(state_->wake[1]);
}

void ScriptedServer::Stop() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
    }
    state_->changed.notify_all();
    char byte = 0;
    [[maybe_unused]] ssize_t rc = ::write(state_->wake[1], &byte, 1);
    if (thread_.joinable())
        thread_.join();
}

std::string ScriptedServer::Fill(std::string text) const {
    const std::pair<std::string, std::string> names[] = {{"{HOST}", HostPort()}, {"{PORT}", std::to_string(port_)}};
    for (const auto& [name, value] : names)
        for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + value.size()))
            text.replace(at, name.size(), value);
    return text;
}

void ScriptedServer::Add(Exchange exchange) {
    exchange.expect.bytes = Fill(std::move(exchange.expect.bytes));
    exchange.response = Fill(std::move(exchange.response));
    std::lock_guard lock(state_->mutex);
    state_->script.push_back(std::move(exchange));
    state_->received.emplace_back();
    state_->connectionOf.push_back(-1);
}

std::string ScriptedServer::HostPort() const {
    return "127.0.0.1:" + std::to_string(port_);
}

std::string ScriptedServer::Url(const std::string& path) const {
    return "http://" + HostPort() + path;
}

bool ScriptedServer::Done() const {
    std::lock_guard lock(state_->mutex);
    return state_->served == state_->script.size() && state_->failures.empty();
}

::testing::AssertionResult ScriptedServer::WaitDone(std::chrono::milliseconds bound) const {
    std::unique_lock lock(state_->mutex);
    state_->changed.wait_for(lock, bound, [this] {
        return state_->served == state_->script.size() || !state_->failures.empty();
    });
    if (state_->failures.empty() && state_->served == state_->script.size())
        return ::testing::AssertionSuccess();
    auto result = ::testing::AssertionFailure();
    for (const auto& failure : state_->failures)
        result << failure << "\n";
    if (state_->served < state_->script.size())
        result << "served " << state_->served << " of " << state_->script.size()
               << " exchanges; exchange " << state_->next << " never completed\n";
    return result;
}

::testing::AssertionResult ScriptedServer::Check() const {
    std::lock_guard lock(state_->mutex);
    if (state_->failures.empty())
        return ::testing::AssertionSuccess();
    auto result = ::testing::AssertionFailure();
    for (const auto& failure : state_->failures)
        result << failure << "\n";
    return result;
}

bool ScriptedServer::WaitConnections(int n, std::chrono::milliseconds bound) const {
    std::unique_lock lock(state_->mutex);
    return state_->changed.wait_for(lock, bound, [&] { return state_->connections >= n; });
}

bool ScriptedServer::WaitClosedByClient(int id, std::chrono::milliseconds bound) const {
    std::unique_lock lock(state_->mutex);
    return state_->changed.wait_for(lock, bound, [&] {
        return id < int(state_->closedByClient.size()) && state_->closedByClient[id];
    });
}

void ScriptedServer::Release() {
    {
        std::lock_guard lock(state_->mutex);
        ++state_->released;
    }
    state_->changed.notify_all();
}

int ScriptedServer::Connections() const {
    std::lock_guard lock(state_->mutex);
    return state_->connections;
}

int ScriptedServer::ServedCount() const {
    std::lock_guard lock(state_->mutex);
    return int(state_->served);
}

std::string ScriptedServer::Received(std::size_t i) const {
    std::lock_guard lock(state_->mutex);
    return i < state_->received.size() ? state_->received[i] : std::string();
}

int ScriptedServer::ConnectionOf(std::size_t i) const {
    std::lock_guard lock(state_->mutex);
    return i < state_->connectionOf.size() ? state_->connectionOf[i] : -1;
}

bool ScriptedServer::ClosedByClient(int id) const {
    std::lock_guard lock(state_->mutex);
    return id >= 0 && id < int(state_->closedByClient.size()) && state_->closedByClient[id];
}

std::vector<std::string> ScriptedServer::Failures() const {
    std::lock_guard lock(state_->mutex);
    return state_->failures;
}

void ScriptedServer::Run() {
    State& s = *state_;
    std::list<Connection> connections;
    std::string readBuffer;

    auto stopping = [&] {
        std::lock_guard lock(s.mutex);
        return s.stopping;
    };
    auto fail = [&](std::string text) {
        {
            std::lock_guard lock(s.mutex);
            s.failures.push_back(std::move(text));
        }
        s.changed.notify_all();
    };
    // Waits ms unless the server stops first; false when stopping.
    auto pause = [&](int ms) {
        std::unique_lock lock(s.mutex);
        return !s.changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return s.stopping; });
    };
    auto kill = [&](Connection& c) {
        if (!c.dead)
            ::close(c.fd);
        c.dead = true;
    };
    // Sends all bytes unless the client has gone or the server stops.
    auto sendAll = [&](Connection& c, const char* bytes, std::size_t count) {
        while (count > 0 && !c.dead) {
            ssize_t n = ::send(c.fd, bytes, count, MSG_NOSIGNAL);
            if (n > 0) {
                bytes += n;
                count -= std::size_t(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                pollfd fds[2] = {{c.fd, POLLOUT, 0}, {s.wake[0], POLLIN, 0}};
                ::poll(fds, 2, 200);
                if (stopping())
                    return false;
                continue;
            }
            // The client is gone: nothing more can reach it.
            kill(c);
            return false;
        }
        return !c.dead;
    };
    auto respond = [&](Connection& c, const Exchange& e) {
        if (e.held) {
            std::unique_lock lock(s.mutex);
            s.changed.wait(lock, [&] { return s.stopping || s.released > s.heldServed; });
            if (s.stopping)
                return;
            ++s.heldServed;
        }
        if (e.dripBytes > 0) {
            for (std::size_t at = 0; at < e.response.size(); at += e.dripBytes) {
                if (at > 0 && !pause(e.dripMs))
                    return;
                if (!sendAll(c, e.response.data() + at, std::min(e.dripBytes, e.response.size() - at)))
                    return;
            }
        } else if (!sendAll(c, e.response.data(), e.response.size())) {
            return;
        }
        if (e.generatedBytes > 0) {
            // The generated bytes repeat every 26 (or every length of the
            // text), so one block whose size is a multiple of that serves
            // every part of the body.
            std::string block;
            if (e.generatedText.empty()) {
                block.resize(26 * 2520);
                for (std::size_t i = 0; i < block.size(); ++i)
                    block[i] = GeneratedByte(i);
            } else {
                while (block.size() < 65536)
                    block += e.generatedText;
            }
            std::uint64_t index = 0;
            while (index < e.generatedBytes) {
                std::size_t n = std::size_t(std::min<std::uint64_t>(block.size(), e.generatedBytes - index));
                if (!sendAll(c, block.data(), n))
                    return;
                index += n;
            }
        }
        if (e.then == Then::Close && !c.dead) {
            // Close the sending side only and drain what the client still
            // sends until it closes, so a late write of the client meets no
            // reset that would hide what it did.
            ::shutdown(c.fd, SHUT_WR);
            c.writeClosed = true;
        }
    };
    // Records exchange index as served with the given request; "" is fine.
    auto record = [&](std::size_t index, const Connection& c, std::string request, const std::string& why) {
        std::lock_guard lock(s.mutex);
        s.received[index] = std::move(request);
        s.connectionOf[index] = c.id;
        if (!why.empty())
            s.failures.push_back("exchange " + std::to_string(index) + " (connection " + std::to_string(c.id) +
                                 "): " + why);
    };
    auto finish = [&] {
        {
            std::lock_guard lock(s.mutex);
            ++s.served;
        }
        s.changed.notify_all();
    };
    // The exchange waited for, or none when the script is over.
    auto current = [&](Exchange& out, std::size_t& index) {
        std::lock_guard lock(s.mutex);
        if (s.next >= s.script.size())
            return false;
        index = s.next;
        out = s.script[s.next];
        return true;
    };
    auto advance = [&] {
        std::lock_guard lock(s.mutex);
        ++s.next;
    };

    auto serveRequests = [&](Connection& c) {
        while (!c.in.empty() && !c.dead) {
            Exchange e;
            std::size_t index = 0;
            if (c.writeClosed) {
                fail("connection " + std::to_string(c.id) + ": request after the server closed it:\n" + Escape(c.in));
                kill(c);
                return;
            }
            if (!current(e, index) || e.expect.kind == Expect::Kind::Connection) {
                fail("connection " + std::to_string(c.id) + ": unexpected request" +
                     (e.expect.kind == Expect::Kind::Connection ? " (a new connection was expected)" : "") + ":\n" +
                     Escape(c.in));
                kill(c);
                return;
            }
            std::size_t length;
            if (e.expect.kind == Expect::Kind::Bytes) {
                length = c.in.size() >= e.expect.count ? e.expect.count : std::string::npos;
            } else {
                length = FrameHttpRequest(c.in);
                if (e.expect.kind == Expect::Kind::Exact && length == std::string::npos) {
                    // Report a wrong start at once rather than wait for a
                    // request end that may never come.
                    std::size_t common = std::min(c.in.size(), e.expect.bytes.size());
                    if (c.in.compare(0, common, e.expect.bytes, 0, common) != 0 || c.in.size() > e.expect.bytes.size())
                        length = c.in.size();
                }
            }
            if (length == std::string::npos)
                return;
            std::string request = c.in.substr(0, length);
            c.in.erase(0, length);
            std::string why;
            switch (e.expect.kind) {
            case Expect::Kind::Exact:
                if (request != e.expect.bytes)
                    why = DescribeDifference(e.expect.bytes, request);
                break;
            case Expect::Kind::Pattern:
                if (!MatchPattern(e.expect.bytes, request))
                    why = "request does not match the pattern\n--- pattern:\n" + Escape(e.expect.bytes) +
                          "\n--- received:\n" + Escape(request);
                break;
            case Expect::Kind::Where:
                why = e.expect.check(request);
                if (!why.empty())
                    why += "\n--- received:\n" + Escape(request);
                break;
            default:
                break;
            }
            record(index, c, request, why);
            advance();
            if (!why.empty()) {
                kill(c);
                finish();
                return;
            }
            respond(c, e);
            finish();
        }
    };

    while (!stopping()) {
        std::vector<pollfd> fds;
        fds.push_back({s.wake[0], POLLIN, 0});
        fds.push_back({s.listener, POLLIN, 0});
        for (auto& c : connections)
            fds.push_back({c.fd, POLLIN, 0});
        int rc = ::poll(fds.data(), fds.size(), -1);
        if (rc < 0 && errno != EINTR)
            break;
        if (fds[0].revents) {
            char drain[64];
            while (::read(s.wake[0], drain, sizeof drain) > 0) {
            }
        }
        if (stopping())
            break;
        if (fds[1].revents & POLLIN) {
            int fd = ::accept4(s.listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd >= 0) {
                Connection c{fd, 0, {}};
                {
                    std::lock_guard lock(s.mutex);
                    c.id = s.connections++;
                    s.closedByClient.push_back(false);
                }
                s.changed.notify_all();
                connections.push_back(std::move(c));
                Connection& added = connections.back();
                Exchange e;
                std::size_t index = 0;
                const bool haveNext = current(e, index);
                if (haveNext && e.readPaceBytes > 0) {
                    // A small receive window makes the slow reading felt by
                    // the sender instead of vanishing into buffers.
                    int size = int(e.readPaceBytes);
                    ::setsockopt(added.fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
                }
                if (haveNext && e.expect.kind == Expect::Kind::Connection) {
                    record(index, added, {}, {});
                    advance();
                    respond(added, e);
                    finish();
                }
            }
        }
        std::size_t i = 2;
        for (auto& c : connections) {
            if (i >= fds.size() || c.fd != fds[i].fd)
                break;
            const short revents = fds[i++].revents;
            if (!revents || c.dead)
                continue;
            // A slow reader takes little at a time.
            Exchange e;
            std::size_t index = 0;
            std::size_t chunk = 1 << 16;
            int paceMs = 0;
            if (current(e, index) && e.readPaceBytes > 0) {
                chunk = e.readPaceBytes;
                paceMs = e.readPaceMs;
            }
            if (readBuffer.size() < chunk)
                readBuffer.resize(chunk);
            ssize_t n = ::recv(c.fd, readBuffer.data(), chunk, 0);
            if (n > 0) {
                c.in.append(readBuffer.data(), std::size_t(n));
                serveRequests(c);
                if (paceMs > 0)
                    pause(paceMs);
            } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                if (!c.in.empty() && !c.writeClosed)
                    fail("connection " + std::to_string(c.id) + ": closed by the client after an incomplete request:\n" +
                         Escape(c.in));
                {
                    std::lock_guard lock(s.mutex);
                    s.closedByClient[c.id] = true;
                }
                s.changed.notify_all();
                kill(c);
            }
        }
        connections.remove_if([](const Connection& c) { return c.dead; });
    }
    for (auto& c : connections)
        kill(c);
}
