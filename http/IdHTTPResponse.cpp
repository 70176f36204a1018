// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdHTTPResponse.h"

#include "http/IdException.h"
#include "http/IdGlobal.h"
#include "http/IdTCPConnection.h"

#include <limits>
#include <strings.h>

namespace {

// A non-negative decimal number without sign; false for anything else,
// including a number too big for 64 bits.
bool ParseDecimal(const std::string& text, std::int64_t& value) {
    return ParseDigits(text, std::numeric_limits<std::int64_t>::max(), value);
}

}  // namespace

int TIdHTTPResponse::ParseStatusCode(const std::string& statusLine) {
    const std::size_t blank = statusLine.find(' ');
    if (blank == std::string::npos)
        return -1;
    std::string rest = Trim(statusLine.substr(blank + 1));
    rest = rest.substr(0, rest.find(' '));
    std::int64_t code;
    if (!ParseDecimal(rest, code) || code > std::numeric_limits<int>::max())
        return -1;
    return int(code);
}

std::int64_t TIdHTTPResponse::ParseChunkSize(const std::string& line) {
    const std::string digits = line.substr(0, line.find(' '));
    if (digits.empty() || digits.size() > 15)
        return 0;
    std::int64_t size = 0;
    for (char c : digits) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return 0;
        size = size * 16 + digit;
    }
    return size;
}

void TIdHTTPResponse::SetRawHeaders(std::vector<std::string> lines) {
    rawHeaders_ = std::move(lines);
    fields_.clear();
    for (const std::string& line : rawHeaders_) {
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && !fields_.empty()) {
            fields_.back().value += " " + Trim(line);
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            fields_.push_back({line, {}});
        else
            fields_.push_back({line.substr(0, colon), Trim(line.substr(colon + 1))});
    }
    connection_ = Header("Connection");
    proxyConnection_ = Header("Proxy-Connection");
    contentType_ = Header("Content-Type");
    location_ = Header("Location");
    hasContentLength_ = ParseDecimal(Trim(Header("Content-Length")), contentLength_);
    if (!hasContentLength_)
        contentLength_ = -1;
}

std::string TIdHTTPResponse::Header(const std::string& name) const {
    for (const Field& field : fields_)
        if (SameText(field.name, name))
            return field.value;
    return {};
}

bool TIdHTTPResponse::HasHeader(const std::string& name) const {
    for (const Field& field : fields_)
        if (SameText(field.name, name))
            return true;
    return false;
}

std::vector<std::string> TIdHTTPResponse::Headers(const std::string& name) const {
    std::vector<std::string> values;
    for (const Field& field : fields_)
        if (SameText(field.name, name))
            values.push_back(field.value);
    return values;
}

void TIdHTTPResponse::ReadHead(TIdTCPConnection& connection) {
    responseText_ = connection.ReadLine();
    std::vector<std::string> lines;
    try {
        for (;;) {
            std::string line = connection.ReadLine();
            if (line.empty())
                break;
            lines.push_back(std::move(line));
        }
    } catch (const EIdConnClosedGracefully&) {
        connection.CloseConnection();
    }
    SetRawHeaders(std::move(lines));
}

void TIdHTTPResponse::ReadBody(TIdTCPConnection& connection, TIdStream& sink) const {
    if (contentLength_ > 0) {
        connection.ReadBytes(contentLength_, sink);
    } else if (Header("Transfer-Encoding").find("chunked") != std::string::npos) {
        for (;;) {
            const std::int64_t size = ParseChunkSize(connection.ReadLine());
            if (size <= 0)
                break;
            connection.ReadBytes(size, sink);
            connection.ReadLine();
        }
        connection.ReadLine();
    } else if (!hasContentLength_) {
        connection.ReadUntilClose(sink);
    }
}
