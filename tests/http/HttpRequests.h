// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The requests the client sends and the replies the scripted server gives,
// shared by the tests that run the HTTP client over plain sockets and over
// TLS. {HOST} in them is filled in by the server that serves them.

#include "http/IdDateTime.h"
#include "http/IdHTTP.h"
#include "http/IdMultiPartFormDataStream.h"

#include <memory>
#include <string>

namespace http_requests {

inline constexpr int kSafetyTimeout = 10000;

inline const std::string kAcceptAndAgent = "Accept: text/html, */*\r\nUser-Agent: Mozilla/4.5 [ja] (WinNT; I)\r\n";

// A GET head: before holds the lines ahead of Host, after those behind
// User-Agent.
inline std::string Get(const std::string& uri, const std::string& before = "Content-Type: text/html\r\n",
                       const std::string& after = "") {
    return "GET " + uri + " HTTP/1.1\r\n" + before + "Host: {HOST}\r\n" + kAcceptAndAgent + after + "\r\n";
}

inline std::string Ok(const std::string& body, const std::string& headers = "") {
    return "HTTP/1.1 200 OK\r\n" + headers + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

inline std::string Redirect(const std::string& location) {
    return "HTTP/1.1 302 Found\r\nLocation: " + location + "\r\nContent-Length: 5\r\n\r\nmoved";
}

// Form bodies are made at a fixed moment, so their boundary is known.
inline const std::string kBoundary = "--------051808143005123";
inline const std::string kMultipart = "multipart/form-data; boundary=" + kBoundary;

inline std::unique_ptr<TIdMultiPartFormDataStream> ActionBody(const std::string& action = "1") {
    auto body = std::make_unique<TIdMultiPartFormDataStream>([] { return TIdDateTime{2008, 5, 18, 14, 30, 5, 123}; });
    body->AddField("action", action);
    body->AddField("end", "");
    return body;
}

inline std::string ActionBodyBytes(const std::string& action = "1") {
    return "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"action\"\r\n\r\n" + action + "\r\n--" +
           kBoundary + "\r\nContent-Disposition: form-data; name=\"end\"\r\n\r\n\r\n\r\n--" + kBoundary + "--\r\n";
}

inline std::string Post(const std::string& uri, const std::string& action = "1") {
    const std::string body = ActionBodyBytes(action);
    return "POST " + uri + " HTTP/1.0\r\nConnection: keep-alive\r\nContent-Type: " + kMultipart +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nHost: {HOST}\r\n" + kAcceptAndAgent + "\r\n" +
           body;
}

inline std::string PostForm(TIdHTTP& http, const std::string& url, const std::string& action = "1") {
    auto body = ActionBody(action);
    return http.PostForm(url, *body);
}

// A client as the main window configures it, with a read time-out that
// keeps a wrong client from hanging the suite.
struct Client {
    TIdHTTP http;
    Client() { http.SetReadTimeout(kSafetyTimeout); }
};

}  // namespace http_requests
