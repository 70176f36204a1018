// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The request fields of the HTTP client. They live in the client and carry
// over from one request to the next: only the steps of a request change them
// (Content-Type by PostForm, Connection by the first HTTP/1.0 request, Host
// and Content-Length per request, the Basic scheme after a 401 that offers
// it). Fields left empty are never written into a request head.

#include <cstdint>
#include <string>

class TIdStream;

class TIdHTTPRequest {
public:
    std::string Method;  // "GET" or "POST"
    std::string URL;     // as the operation was given it
    TIdStream* Source = nullptr;  // the POST body, owned by the caller

    std::string Accept = "text/html, */*";
    std::string UserAgent = "Mozilla/4.5 [ja] (WinNT; I)";
    std::string ContentType = "text/html";
    std::int64_t ContentLength = -1;  // -1: no Content-Length line
    std::string Connection;
    std::string Host;
    // Taken from a URL that carries them; never sent.
    std::string Username;
    std::string Password;
    // A Basic scheme attached after a 401 that offered it: every later
    // request carries Basic credentials with an empty user name and password.
    bool BasicAuthentication = false;

    // Known to the client, written when not empty; nothing in this system
    // sets them.
    std::string ContentVersion;
    std::string ContentEncoding;
    std::string ContentLanguage;
    std::string CacheControl;
    std::string Date;
    std::string Expires;
    std::string Pragma;
    std::string ProxyConnection;
    std::string AcceptCharset;
    std::string AcceptEncoding;
    std::string AcceptLanguage;
    std::string From;
    std::string Referer;
    std::string IfModifiedSince;
    std::string Range;
    std::string ProxyAuthorization;
};
