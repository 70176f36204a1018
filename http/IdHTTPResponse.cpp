// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdHTTPResponse.h"

#include "http/IdException.h"
#include "http/IdGlobal.h"
#include "http/IdStream.h"
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
    if (digits.empty())
        return 0;
    constexpr std::uint64_t kLimit = std::uint64_t(1) << 60;
    std::uint64_t size = 0;
    bool tooLarge = false;
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
        // Past 60 bits the count is of no use, but the rest must still be
        // looked at: text that is not a number at all counts as 0.
        if (!tooLarge) {
            size = size * 16 + std::uint64_t(digit);
            tooLarge = size >= kLimit;
        }
    }
    if (tooLarge)
        throw EIdBrokenResponse();
    return std::int64_t(size);
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

void TIdHTTPResponse::ReadHead(TIdTCPConnection& connection, THeadUse& used) {
    auto take = [&](std::size_t bytes, std::size_t lines) {
        used.Bytes += bytes;
        used.Lines += lines;
        if (used.Bytes > kMaxHeadBytes || used.Lines > kMaxHeadLines) {
            connection.CloseConnection();
            throw EIdResponseHeadTooLarge();
        }
    };
    std::size_t consumed = 0;
    std::string status = connection.ReadLine(&consumed);
    take(consumed, 0);
    std::vector<std::string> lines;
    try {
        for (;;) {
            std::string line = connection.ReadLine(&consumed);
            take(consumed, line.empty() ? 0 : 1);
            if (line.empty())
                break;
            lines.push_back(std::move(line));
        }
    } catch (const EIdConnClosedGracefully&) {
        connection.CloseConnection();
    } catch (const EIdResponseHeadTooLarge&) {
        throw;
    } catch (...) {
        // The status line was read: it stays, as it does when it was all.
        responseText_ = std::move(status);
        throw;
    }
    responseText_ = std::move(status);
    SetRawHeaders(std::move(lines));
}

namespace {

// The sink of one body, refusing every write that would take it more than
// max bytes past the position it had at the start.
class TBoundedSink : public TIdStream {
public:
    TBoundedSink(TIdStream& sink, std::int64_t max) : sink_(sink) {
        const std::int64_t start = sink.Position();
        end_ = max > std::numeric_limits<std::int64_t>::max() - start ? std::numeric_limits<std::int64_t>::max()
                                                                      : start + max;
    }

    // Fails unless count more bytes fit.
    void Expect(std::int64_t count) {
        if (count > end_ - sink_.Position())
            throw EIdResponseBodyTooLarge();
    }

    std::size_t Read(void* buffer, std::size_t count) override { return sink_.Read(buffer, count); }
    std::size_t Write(const void* buffer, std::size_t count) override {
        Expect(std::int64_t(count));
        return sink_.Write(buffer, count);
    }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override { return sink_.Seek(offset, origin); }
    std::int64_t Size() override { return sink_.Size(); }
    void SetSize(std::int64_t size) override { sink_.SetSize(size); }

private:
    TIdStream& sink_;
    std::int64_t end_;
};

}  // namespace

void TIdHTTPResponse::ReadBody(TIdTCPConnection& connection, TIdStream& sink, std::int64_t maxBytes) const {
    TBoundedSink bounded(sink, maxBytes);
    if (contentLength_ > 0) {
        bounded.Expect(contentLength_);
        connection.ReadBytes(contentLength_, bounded);
    } else if (Header("Transfer-Encoding").find("chunked") != std::string::npos) {
        for (;;) {
            const std::int64_t size = ParseChunkSize(connection.ReadLine());
            if (size <= 0)
                break;
            bounded.Expect(size);
            connection.ReadBytes(size, bounded);
            connection.ReadLine();
        }
        connection.ReadLine();
    } else if (!hasContentLength_) {
        connection.ReadUntilClose(bounded);
    }
}
