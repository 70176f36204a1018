// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The response record of the HTTP client: the last response received, read
// from the connection and overwritten part by part as the next one arrives
// (the status line when it is read, the headers when their block is read);
// nothing clears it when a request starts. It also reads a response body
// into a sink by the response's own framing.

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

class TIdStream;
class TIdTCPConnection;

class TIdHTTPResponse {
public:
    // One header after joining its continuation lines.
    struct Field {
        std::string name;
        std::string value;
    };

    // The status line as received, without its line end.
    const std::string& ResponseText() const { return responseText_; }
    // The status code in ResponseText: -1 unless it reads as a number.
    int ResponseCode() const { return ParseStatusCode(responseText_); }

    // The header lines as received, in order, continuation lines included.
    const std::vector<std::string>& RawHeaders() const { return rawHeaders_; }
    // Replaces the headers with these lines and parses them.
    void SetRawHeaders(std::vector<std::string> lines);

    // The first header of that name (compared without regard to case), or
    // empty; continuations are joined to it after one blank.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
    // Every header of that name, in order (Set-Cookie).
    std::vector<std::string> Headers(const std::string& name) const;

    const std::string& Connection() const { return connection_; }
    const std::string& ProxyConnection() const { return proxyConnection_; }
    const std::string& ContentType() const { return contentType_; }
    const std::string& Location() const { return location_; }
    // -1 when absent or not a number.
    std::int64_t ContentLength() const { return contentLength_; }
    bool HasContentLength() const { return hasContentLength_; }

    // The most a response head may take, the interim "100" heads before it
    // counted in the same total: bytes received (line ends included), and
    // header lines (continuations included).
    static constexpr std::size_t kMaxHeadBytes = std::size_t(1) << 20;
    static constexpr std::size_t kMaxHeadLines = 1000;
    // What the heads of one response have taken so far.
    struct THeadUse {
        std::size_t Bytes = 0;
        std::size_t Lines = 0;
    };

    // Reads the status line, then header lines up to the empty line. When
    // the peer closes before the empty line, the connection is closed and
    // the lines read so far are the headers. A failure while the status line
    // is awaited passes on and leaves the record as it was. A head that takes
    // more than the bounds allow, together with what used holds already,
    // closes the connection and fails with EIdResponseHeadTooLarge as soon
    // as the line that passes them is read; the record keeps nothing of it.
    void ReadHead(TIdTCPConnection& connection, THeadUse& used);
    // Reads the body into sink: by Content-Length when above 0, else chunked
    // when Transfer-Encoding says "chunked", else until the peer closes when
    // no valid Content-Length came, else (Content-Length 0) nothing. A body
    // longer than maxBytes fails with EIdResponseBodyTooLarge before the sink
    // grows past maxBytes from its position; a length or chunk size above
    // what is left fails before anything of it is read.
    void ReadBody(TIdTCPConnection& connection, TIdStream& sink,
                  std::int64_t maxBytes = std::numeric_limits<std::int64_t>::max()) const;

    // Drop the first blank-separated word, trim, read the text up to the next
    // blank as a decimal number; -1 for anything else.
    static int ParseStatusCode(const std::string& statusLine);
    // A chunk-size line: cut at the first blank, read as hexadecimal; text
    // that is not a hexadecimal number counts as 0. A number that does not
    // fit 60 bits fails with EIdBrokenResponse.
    static std::int64_t ParseChunkSize(const std::string& line);

    // Every header in the order received.
    const std::vector<Field>& Fields() const { return fields_; }

private:
    std::string responseText_;
    std::vector<std::string> rawHeaders_;
    std::vector<Field> fields_;
    std::string connection_;
    std::string proxyConnection_;
    std::string contentType_;
    std::string location_;
    std::int64_t contentLength_ = -1;
    bool hasContentLength_ = false;
};
