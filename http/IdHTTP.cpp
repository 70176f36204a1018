// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdHTTP.h"

#include "http/IdCookieManager.h"
#include "http/IdException.h"
#include "http/IdGlobal.h"
#include "http/IdMemoryStream.h"
#include "http/IdMultiPartFormDataStream.h"
#include "http/IdStream.h"
#include "http/IdTLSIOHandler.h"

#include <strings.h>

#include <limits>
#include <vector>

namespace {

constexpr int kDefaultConnectTimeout = 120000;
// Read time-outs for response bodies nobody asked for.
constexpr int kRedirectBodyTimeout = 4000;
constexpr int kErrorBodyTimeout = 2000;

// A port text as a number; false for anything that is not 0..65535.
bool ParsePort(const std::string& text, int& port) {
    std::int64_t value = 0;
    if (text.size() > 5 || !ParseDigits(text, 65535, value))
        return false;
    port = int(value);
    return true;
}

// Takes bytes and keeps none: the body of a redirect.
class TDiscardStream : public TIdStream {
public:
    std::size_t Read(void*, std::size_t) override { return 0; }
    std::size_t Write(const void*, std::size_t count) override {
        position_ += std::int64_t(count);
        return count;
    }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
        if (origin == TSeekOrigin::soBeginning)
            position_ = offset;
        else
            position_ += offset;
        return position_;
    }
    std::int64_t Size() override { return position_; }
    void SetSize(std::int64_t size) override { position_ = size; }

private:
    std::int64_t position_ = 0;
};

// Puts a read time-out in force for one read and restores the previous one.
class TemporaryReadTimeout {
public:
    TemporaryReadTimeout(TIdTCPConnection& connection, int ms)
        : connection_(connection), previous_(connection.ReadTimeout()) {
        connection_.SetReadTimeout(ms);
    }
    ~TemporaryReadTimeout() { connection_.SetReadTimeout(previous_); }

private:
    TIdTCPConnection& connection_;
    int previous_;
};

}  // namespace

// Marks the client busy for one operation; refuses a second one started from
// a handler that the first one's waits pumped.
class TIdHTTPBusyScope {
public:
    explicit TIdHTTPBusyScope(TIdHTTP& http) : http_(http) {
        if (http_.busy_)
            throw EIdException("Another request is in progress.");
        http_.busy_ = true;
    }
    ~TIdHTTPBusyScope() { http_.busy_ = false; }

private:
    TIdHTTP& http_;
};

TIdHTTP::TIdHTTP() {
    url_.Port = "80";
}

TIdHTTP::~TIdHTTP() = default;

std::string TIdHTTP::PostForm(const std::string& url, TIdMultiPartFormDataStream& body) {
    TIdHTTPBusyScope busy(*this);
    request_.ContentType = body.BodyContentType();
    // Every POST starts on a fresh connection.
    if (Connected())
        CloseConnection();
    const TIdHTTPProtocolVersion saved = protocolVersion_;
    if (!(options_ & hoKeepOrigProtocol))
        protocolVersion_ = TIdHTTPProtocolVersion::pv1_0;
    TIdMemoryStream text;
    try {
        DoRequest("POST", url, &body, text);
    } catch (...) {
        protocolVersion_ = saved;
        throw;
    }
    protocolVersion_ = saved;
    return text.DataString();
}

std::string TIdHTTP::GetText(const std::string& url) {
    TIdHTTPBusyScope busy(*this);
    TIdMemoryStream text;
    DoRequest("GET", url, nullptr, text);
    return text.DataString();
}

void TIdHTTP::GetToStream(const std::string& url, TIdStream& sink) {
    TIdHTTPBusyScope busy(*this);
    DoRequest("GET", url, nullptr, sink);
}

void TIdHTTP::DoRequest(const std::string& method, const std::string& url, TIdStream* source, TIdStream& sink) {
    const std::int64_t start = sink.Position();
    redirectCount_ = 0;
    authAttempts_ = 0;
    proxyAuthAttempts_ = 0;
    request_.Method = method;
    request_.URL = url;
    request_.Source = source;

    midExchange_ = false;
    try {
        std::string next = url;
        for (;;) {
            ++redirectCount_;
            PrepareRequest(next);
            ConnectAndSend();
            ReadResponseHead();
            const Decision decision = ProcessResponse(sink);
            midExchange_ = false;
            if (decision == Decision::Done)
                break;
            if (decision == Decision::Undecidable)
                throw EIdException("Undefined situation");
            sink.SetSize(start);
            sink.Seek(start, TSeekOrigin::soBeginning);
            authAttempts_ = 0;
            proxyAuthAttempts_ = 0;
            next = response_.Location();
        }
    } catch (const EIdHTTPProtocolException&) {
        // Its body was read whole: the connection is in step.
        if (!KeepAlive())
            CloseConnection();
        throw;
    } catch (...) {
        if (midExchange_ || !KeepAlive())
            CloseConnection();
        throw;
    }
    if (!KeepAlive())
        CloseConnection();
}

void TIdHTTP::PrepareRequest(const std::string& url) {
    const TIdURI parts = ParseURL(url);
    if (!parts.Username.empty()) {
        request_.Username = parts.Username;
        request_.Password = parts.Password;
        url_.Username = parts.Username;
        url_.Password = parts.Password;
    }
    if (!parts.Path.empty() && parts.Path[0] == '/')
        url_.Path = parts.Path;
    else
        url_.Path = ResolvePath(url_.Path, parts.Path);
    url_.Document = parts.Document;
    url_.Params = parts.Params;
    url_.Bookmark = parts.Bookmark;
    // A URL without a host, or naming the current host again, stays on the
    // current port (whatever its scheme). A URL that names another host but
    // no port means its scheme's default port: carrying the previous site's
    // port over to another host would send the request to a port that host
    // was never said to use.
    const bool sameHost = parts.Host.empty() || SameText(parts.Host, url_.Host);
    if (!parts.Host.empty())
        url_.Host = parts.Host;
    // A URL without a scheme is a place on the current site: on a secure
    // site it stays secure, rather than going out in plain text (cookies and
    // a POST body with it). Without https allowed, it means http as ever.
    const bool staysSecure = parts.Protocol.empty() && allowHttps_ && SameText(url_.Protocol, "https");
    if (!staysSecure)
        url_.Protocol = parts.Protocol.empty() ? "http" : parts.Protocol;
    if (!parts.Port.empty()) {
        url_.Port = parts.Port;
    } else {
        int current;
        const bool numeric = ParsePort(url_.Port, current);
        const bool keep = sameHost && numeric && current != 0 && current != 80 && current != 443;
        if (!keep) {
            if (SameText(url_.Protocol, "http"))
                url_.Port = "80";
            else if (SameText(url_.Protocol, "https"))
                url_.Port = "443";
            else
                throw EIdUnknownProtocol();
        }
    }
    request_.Host = url_.Port == "80" ? url_.Host : url_.Host + ":" + url_.Port;
    request_.ContentLength = request_.Method == "POST" && request_.Source ? request_.Source->Size() : -1;
}

void TIdHTTP::ConnectAndSend() {
    int port;
    if (!ParsePort(url_.Port, port))
        throw EConvertError("'" + url_.Port + "' is not a valid integer value");
    const bool https = SameText(url_.Protocol, "HTTPS");
    // A change of scheme needs another connection, as a change of host or
    // port does. With https not allowed the handler is always the plain one.
    const bool secure = https && allowHttps_;
    const bool schemeChanged = secure != IOHandler().Secure();
    if (!SameText(url_.Host, Host()) || port != Port() || schemeChanged) {
        CloseConnection();
        SetHost(url_.Host);
        SetPort(port);
    }
    if (https && !allowHttps_)
        throw EIdIOHandlerPropInvalid();
    if (schemeChanged) {
        if (secure)
            SetIOHandler(std::make_unique<TIdTLSIOHandler>());
        else
            SetIOHandler(std::make_unique<TIdIOHandlerSocket>());
    }
    if (Speaking1_0() && request_.Connection.empty())
        request_.Connection = "keep-alive";

    if (!KeepAlive())
        CloseConnection();
    CheckForDataOnSource(1);
    if (!Connected()) {
        lastConnectTimeout_ = ReadTimeout() != 0 ? ReadTimeout() : kDefaultConnectTimeout;
        Connect(lastConnectTimeout_);
    }

    const std::string head = ComposeHead();
    midExchange_ = true;
    const bool post = request_.Method == "POST" && request_.Source;
    // A body that fits one send block leaves together with its head: the
    // same bytes, without a second small segment for Nagle's algorithm to
    // hold back until the head is acknowledged.
    const bool together = post && request_.ContentLength <= SendBufferSize();
    OpenWriteBuffer();
    try {
        Write(head);
        if (together)
            WriteStream(*request_.Source);
        CloseWriteBuffer();
    } catch (...) {
        CancelWriteBuffer();
        throw;
    }
    if (post && !together)
        WriteStream(*request_.Source);
}

std::string TIdHTTP::FoldHeaderLine(const std::string& line, std::size_t limit) {
    if (line.size() <= limit)
        return line + "\r\n";
    // Places where the line may break: after a blank, tab or comma that is
    // not inside double quotes.
    std::vector<std::size_t> cuts;
    bool quoted = false;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        const char c = line[i];
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == ' ' || c == '\t' || c == ','))
            cuts.push_back(i + 1);
    }
    std::string out;
    std::size_t start = 0;
    std::size_t indent = 0;  // the continuation's leading space
    std::size_t nextCut = 0;
    while (line.size() - start + indent > limit) {
        // The last break that keeps this piece within the limit, else the
        // first one after it.
        std::size_t chosen = 0;
        while (nextCut < cuts.size() && cuts[nextCut] <= start)
            ++nextCut;
        std::size_t k = nextCut;
        while (k < cuts.size() && cuts[k] - start + indent <= limit)
            chosen = cuts[k++];
        if (chosen == 0 && k < cuts.size())
            chosen = cuts[k];
        if (chosen == 0)
            break;
        out += std::string(indent, ' ') + line.substr(start, chosen - start) + "\r\n";
        start = chosen;
        indent = 1;
    }
    out += std::string(indent, ' ') + line.substr(start) + "\r\n";
    return out;
}

std::string TIdHTTP::ComposeHead() {
    std::string head = request_.Method + " " + url_.Path + url_.Document + url_.Params + " HTTP/" +
                       (Speaking1_0() ? "1.0" : "1.1") + "\r\n";
    auto add = [&head](const char* name, const std::string& value) {
        if (!value.empty())
            head += FoldHeaderLine(std::string(name) + ": " + value);
    };
    add("Connection", request_.Connection);
    add("Content-Version", request_.ContentVersion);
    add("Content-Encoding", request_.ContentEncoding);
    add("Content-Language", request_.ContentLanguage);
    add("Content-Type", request_.ContentType);
    if (request_.ContentLength >= 0)
        add("Content-Length", std::to_string(request_.ContentLength));
    add("Cache-control", request_.CacheControl);
    add("Date", request_.Date);
    add("Expires", request_.Expires);
    add("Pragma", request_.Pragma);
    add("Proxy-Connection", request_.ProxyConnection);
    if (!url_.Host.empty())
        add("Host", request_.Host);
    add("Accept", request_.Accept);
    add("Accept-Charset", request_.AcceptCharset);
    add("Accept-Encoding", request_.AcceptEncoding);
    add("Accept-Language", request_.AcceptLanguage);
    add("From", request_.From);
    add("Referer", request_.Referer);
    add("User-Agent", request_.UserAgent);
    add("If-Modified-Since", request_.IfModifiedSince);
    add("Range", request_.Range);
    // The client has no credentials: the attached Basic scheme carries an
    // empty user name and password, base64 of ":".
    if (request_.BasicAuthentication)
        add("Authorization", "Basic Og==");
    add("Proxy-Authorization", request_.ProxyAuthorization);
    if (cookieManager_)
        add("Cookie", cookieManager_->CookieHeaderFor(url_.Host, url_.Path, IOHandler().Secure()));
    head += "\r\n";
    return head;
}

void TIdHTTP::ReadResponseHead() {
    // The interim heads count against the bounds of the head that follows.
    TIdHTTPResponse::THeadUse used;
    do {
        response_.ReadHead(*this, used);
        StoreCookies();
    } while (response_.ResponseCode() == 100);
}

void TIdHTTP::StoreCookies() {
    if (!allowCookies_)
        return;
    if (!cookieManager_)
        cookieManager_ = std::make_unique<TIdCookieManager>();
    for (const auto& field : response_.Fields()) {
        if (SameText(field.name, "Set-Cookie"))
            cookieManager_->StoreSetCookie(field.value, url_.Host);
        else if (SameText(field.name, "Set-Cookie2"))
            cookieManager_->StoreSetCookie2(field.value, url_.Host);
    }
}

TIdHTTP::Decision TIdHTTP::ProcessResponse(TIdStream& sink) {
    const int code = response_.ResponseCode();
    if ((code / 100 == 3 && code != 304) || !response_.Location().empty()) {
        // With redirects off the status fails like any other; its body is
        // read once, for the failure's text.
        if (!handleRedirects_)
            RaiseStatus();
        const bool follow = redirectCount_ < redirectMaximum_;
        DiscardBody();
        return follow ? Decision::Follow : Decision::Done;
    }
    if (code >= 200 && code <= 299) {
        if (!Connected())
            return Decision::Undecidable;
        if (code != 204)
            response_.ReadBody(*this, sink, maxBodySize_);
        return Decision::Done;
    }
    if (code == 401) {
        if (authAttempts_ < authRetries_) {
            ++authAttempts_;
            // No credentials and no handler: the attempt fails at once, but
            // an offered Basic scheme stays attached to later requests.
            for (const std::string& offer : response_.Headers("WWW-Authenticate")) {
                const std::string scheme = Trim(offer).substr(0, Trim(offer).find(' '));
                if (SameText(scheme, "Basic"))
                    request_.BasicAuthentication = true;
            }
        }
    } else if (code == 407) {
        if (proxyAuthAttempts_ < authRetries_)
            ++proxyAuthAttempts_;
    }
    RaiseStatus();
}

void TIdHTTP::RaiseStatus() {
    TIdMemoryStream body;
    {
        TemporaryReadTimeout timeout(*this, kErrorBodyTimeout);
        response_.ReadBody(*this, body, maxBodySize_);
    }
    throw EIdHTTPProtocolException(response_.ResponseCode(), response_.ResponseText(), body.DataString());
}

void TIdHTTP::DiscardBody() {
    if (!Connected())
        return;
    TemporaryReadTimeout timeout(*this, kRedirectBodyTimeout);
    try {
        TDiscardStream discard;
        response_.ReadBody(*this, discard, maxBodySize_);
    } catch (const std::exception&) {
        // The failure itself is ignored, but the rest of that body may still
        // come: the connection cannot carry the next request.
        CloseConnection();
    }
}

bool TIdHTTP::KeepAlive() {
    CheckForGracefulDisconnect();
    if (!Connected())
        return false;
    const std::string connection = Trim(response_.Connection());
    const std::string proxyConnection = Trim(response_.ProxyConnection());
    if (Speaking1_0())
        return SameText(connection, "KEEP-ALIVE") || SameText(proxyConnection, "KEEP-ALIVE");
    return !SameText(connection, "CLOSE") && !SameText(proxyConnection, "CLOSE");
}
