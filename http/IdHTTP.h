// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The HTTP/1.0 and HTTP/1.1 client through which all network traffic of the
// system goes. It extends the TCP client with the request loop: the URL is
// merged into the current URL, a connection is opened or reused, the request
// head (and a POST body) sent, the response head read and handed to the
// cookie store, and the response decided: followed as a redirect, read into
// the sink, or raised as a failure with its exact message.
//
// Request fields, the current URL and the response record carry over from
// one operation to the next. One operation runs at a time: while one is in
// progress (and the window is pumped in its waits) Busy() is true, and a
// second operation on the same client is refused rather than allowed to
// corrupt the first one's state.

#include "http/IdHTTPRequest.h"
#include "http/IdHTTPResponse.h"
#include "http/IdTCPClient.h"
#include "http/IdURI.h"

#include <memory>
#include <string>

class TIdCookieManager;
class TIdMultiPartFormDataStream;
class TIdStream;

enum class TIdHTTPProtocolVersion { pv1_0, pv1_1 };

// Client options; this system sets hoForceEncodeParams only, which changes
// nothing in its operations.
enum TIdHTTPOption : unsigned {
    hoInProcessAuth = 1u << 0,
    hoKeepOrigProtocol = 1u << 1,
    hoForceEncodeParams = 1u << 2,
};

class TIdHTTP : public TIdTCPClient {
public:
    TIdHTTP();
    ~TIdHTTP() override;

    // POSTs the form-data body (always on a fresh connection, as HTTP/1.0)
    // and returns the final response body's bytes as text.
    std::string PostForm(const std::string& url, TIdMultiPartFormDataStream& body);
    // GETs the URL and returns the body's bytes as text.
    std::string GetText(const std::string& url);
    // GETs the URL into sink, from the sink's position at the call.
    void GetToStream(const std::string& url, TIdStream& sink);

    // The status line of the last response received; empty before any.
    const std::string& LastStatusLine() const { return response_.ResponseText(); }
    int ResponseCode() const { return response_.ResponseCode(); }

    // The connect time-out the last connect used: ReadTimeout when not 0,
    // else 120000.
    int LastConnectTimeout() const { return lastConnectTimeout_; }
    // True while an operation runs.
    bool Busy() const { return busy_; }

    // Whether https URLs go over the TLS handler. Off, an https URL fails
    // with EIdIOHandlerPropInvalid before any connection is made.
    bool AllowHttps() const { return allowHttps_; }
    void SetAllowHttps(bool value) { allowHttps_ = value; }

    // The longest response body an operation takes in (a text reply, a
    // download, and also the body of a failed status or a redirect that is
    // read and dropped); a longer one fails with "Response body too large."
    // before the sink grows past it.
    static constexpr std::int64_t kDefaultMaxBodySize = std::int64_t(1) << 30;
    std::int64_t MaxBodySize() const { return maxBodySize_; }
    void SetMaxBodySize(std::int64_t bytes) { maxBodySize_ = bytes; }

    bool HandleRedirects() const { return handleRedirects_; }
    void SetHandleRedirects(bool value) { handleRedirects_ = value; }
    int RedirectMaximum() const { return redirectMaximum_; }
    void SetRedirectMaximum(int value) { redirectMaximum_ = value; }
    int RedirectCount() const { return redirectCount_; }
    bool AllowCookies() const { return allowCookies_; }
    void SetAllowCookies(bool value) { allowCookies_ = value; }
    int AuthRetries() const { return authRetries_; }
    TIdHTTPProtocolVersion ProtocolVersion() const { return protocolVersion_; }
    void SetProtocolVersion(TIdHTTPProtocolVersion version) { protocolVersion_ = version; }
    unsigned HTTPOptions() const { return options_; }

    TIdHTTPRequest& Request() { return request_; }
    const TIdHTTPResponse& Response() const { return response_; }
    // The parts of the last URL used.
    const TIdURI& URL() const { return url_; }
    // Created when the first response arrives; none before.
    TIdCookieManager* CookieManager() const { return cookieManager_.get(); }

    // Breaks a header line longer than limit after a blank, tab or comma
    // outside double quotes; each continuation begins with one space. The
    // lines come back joined by CR LF, with a final CR LF.
    static std::string FoldHeaderLine(const std::string& line, std::size_t limit = 1024);

private:
    enum class Decision { Follow, Done, Undecidable };

    void DoRequest(const std::string& method, const std::string& url, TIdStream* source, TIdStream& sink);
    void PrepareRequest(const std::string& url);
    void ConnectAndSend();
    std::string ComposeHead();
    void ReadResponseHead();
    void StoreCookies();
    Decision ProcessResponse(TIdStream& sink);
    [[noreturn]] void RaiseStatus();
    void DiscardBody();
    bool KeepAlive();
    bool Speaking1_0() const { return protocolVersion_ == TIdHTTPProtocolVersion::pv1_0; }

    friend class TIdHTTPBusyScope;

    TIdHTTPRequest request_;
    TIdHTTPResponse response_;
    TIdURI url_;
    std::unique_ptr<TIdCookieManager> cookieManager_;

    bool allowHttps_ = false;
    bool handleRedirects_ = true;
    int redirectMaximum_ = 15;
    bool allowCookies_ = true;
    int authRetries_ = 3;
    TIdHTTPProtocolVersion protocolVersion_ = TIdHTTPProtocolVersion::pv1_1;
    unsigned options_ = hoForceEncodeParams;
    std::int64_t maxBodySize_ = kDefaultMaxBodySize;

    int redirectCount_ = 0;
    int authAttempts_ = 0;
    int proxyAuthAttempts_ = 0;
    int lastConnectTimeout_ = 0;
    bool busy_ = false;
    // Set from the moment a request's bytes go out until its response is
    // fully read: a failure in between leaves the connection out of step
    // with the server, and keeping it would hand the rest of this response
    // to the next request as its own, so the connection is closed.
    bool midExchange_ = false;
};
