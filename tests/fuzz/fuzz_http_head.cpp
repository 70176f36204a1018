// SPDX-License-Identifier: GPL-3.0-or-later
// A response head as a server might send it, read from a connection: status
// line, header lines with continuations, Content-Length, Set-Cookie handed to
// the cookie store, and then the body by the head's own framing. Header lines
// are also folded again the way the client folds its own.
//
// Interim "100" heads are read and skipped as the client does, all heads
// counting against one bound.
//
// Properties: the status code is the one the status line reads as; a valid
// Content-Length is never negative; no line keeps an LF; the heads together
// stay within 1 MiB and 1,000 header lines, and one that passes them closes
// the connection and leaves the record as the last whole head left it; a
// body read by its Content-Length has exactly that length; folding loses and
// adds nothing.

#include "http/IdCookieManager.h"
#include "http/IdException.h"
#include "http/IdHTTP.h"
#include "http/IdHTTPResponse.h"
#include "http/IdMemoryStream.h"
#include "tests/fuzz/FuzzByteStream.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <strings.h>

namespace {

bool SameTextForFuzz(const std::string& a, const char* b) {
    return strcasecmp(a.c_str(), b) == 0 && a.size() == std::strlen(b);
}

void CheckFolding(const std::string& line, std::size_t limit) {
    const std::string folded = TIdHTTP::FoldHeaderLine(line, limit);
    FUZZ_CHECK(folded.size() >= 2 && folded.compare(folded.size() - 2, 2, "\r\n") == 0);
    std::string joined;
    std::size_t at = 0;
    bool first = true;
    while (at < folded.size()) {
        const std::size_t end = folded.find("\r\n", at);
        FUZZ_CHECK(end != std::string::npos);
        std::string piece = folded.substr(at, end - at);
        if (!first) {
            FUZZ_CHECK(!piece.empty() && piece[0] == ' ');
            piece.erase(0, 1);
        }
        joined += piece;
        at = end + 2;
        first = false;
    }
    FUZZ_CHECK(joined == line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TIdTCPConnection connection;
    OpenScriptedStream(connection, data, size);
    TIdHTTPResponse response;
    TIdHTTPResponse::THeadUse used;
    std::string lastWhole;  // status line of the last head read whole
    try {
        do {
            response.ReadHead(connection, used);
            lastWhole = response.ResponseText();
            FUZZ_CHECK(used.Bytes <= TIdHTTPResponse::kMaxHeadBytes);
            FUZZ_CHECK(used.Lines <= TIdHTTPResponse::kMaxHeadLines);
            FUZZ_CHECK(response.RawHeaders().size() <= used.Lines);
        } while (response.ResponseCode() == 100);
    } catch (const EIdResponseHeadTooLarge&) {
        FUZZ_CHECK(!connection.Connected());
        FUZZ_CHECK(response.ResponseText() == lastWhole);
        return 0;
    } catch (const EIdException&) {
        return 0;  // no status line: the record keeps nothing of this input
    }
    FUZZ_CHECK(response.ResponseText().find('\n') == std::string::npos);
    FUZZ_CHECK(response.ResponseCode() == TIdHTTPResponse::ParseStatusCode(response.ResponseText()));
    FUZZ_CHECK(response.ResponseCode() >= -1);
    FUZZ_CHECK(response.HasContentLength() ? response.ContentLength() >= 0 : response.ContentLength() == -1);
    for (const std::string& line : response.RawHeaders()) {
        FUZZ_CHECK(!line.empty() && line.find('\n') == std::string::npos);
        CheckFolding(line, 1024);
        CheckFolding(line, 12);
    }

    TIdCookieManager cookies;
    for (const auto& field : response.Fields()) {
        try {
            if (SameTextForFuzz(field.name, "Set-Cookie"))
                cookies.StoreSetCookie(field.value, "x.y.z");
            else if (SameTextForFuzz(field.name, "Set-Cookie2"))
                cookies.StoreSetCookie2(field.value, "x.y.z");
        } catch (const EConvertError&) {
        }
    }
    cookies.CookieHeaderFor("x.y.z", "/", false);

    TIdMemoryStream body;
    try {
        response.ReadBody(connection, body);
        if (response.ContentLength() > 0)
            FUZZ_CHECK(body.Size() == response.ContentLength());
    } catch (const EIdException&) {
    }
    FUZZ_CHECK(body.Position() == body.Size());
    return 0;
}
