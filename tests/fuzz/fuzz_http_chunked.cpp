// SPDX-License-Identifier: GPL-3.0-or-later
// A chunked response body read from a connection, compared with a plain
// reading of the same bytes done on a string: a size line (cut at its first
// blank, hexadecimal, anything else 0, a number beyond 60 bits a broken
// response), that many bytes, one line discarded, and after the size 0 one
// more line. Lines end at LF with a CR before it dropped; a line over 16384
// bytes fails; running out of bytes fails; a body past the maximum body
// size fails before the sink passes it.
//
// Both must agree on success or the kind of failure, and on success on every
// byte, however the connection's buffer happened to be filled; after a
// failure the sink holds a prefix of the bytes read that far.

#include "http/IdException.h"
#include "http/IdHTTPResponse.h"
#include "http/IdMemoryStream.h"
#include "tests/fuzz/FuzzByteStream.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <limits>
#include <string>

namespace {

enum class Outcome { Done, Closed, LineTooLong, Broken, TooLarge, Other };

struct PlainReader {
    const std::string& bytes;
    std::size_t at = 0;

    // Throws the outcome instead of returning a line.
    std::string Line() {
        const std::size_t lf = bytes.find('\n', at);
        if (lf == std::string::npos)
            throw bytes.size() - at > 16384 ? Outcome::LineTooLong : Outcome::Closed;
        if (lf - at > 16384)
            throw Outcome::LineTooLong;
        std::string line = bytes.substr(at, lf - at);
        at = lf + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    }

    Outcome Body(std::string& out, std::int64_t max) {
        try {
            for (;;) {
                std::int64_t size = 0;
                try {
                    size = TIdHTTPResponse::ParseChunkSize(Line());
                } catch (const EIdBrokenResponse&) {
                    return Outcome::Broken;
                }
                if (size <= 0)
                    break;
                if (size > max - std::int64_t(out.size()))
                    return Outcome::TooLarge;
                if (std::uint64_t(size) > bytes.size() - at)
                    return Outcome::Closed;
                out.append(bytes, at, std::size_t(size));
                at += std::size_t(size);
                Line();
            }
            Line();
            return Outcome::Done;
        } catch (Outcome outcome) {
            return outcome;
        }
    }
};

// Reads the input as a chunked body with the given maximum body size and
// checks it against the plain reading.
void Check(const std::uint8_t* data, std::size_t size, std::int64_t max) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TIdTCPConnection connection;
    OpenScriptedStream(connection, data, size);
    TIdHTTPResponse response;
    response.SetRawHeaders({"Transfer-Encoding: chunked"});
    TIdMemoryStream sink;
    Outcome outcome = Outcome::Done;
    try {
        response.ReadBody(connection, sink, max);
    } catch (const EIdConnClosedGracefully&) {
        outcome = Outcome::Closed;
    } catch (const EIdReadLnMaxLineLengthExceeded&) {
        outcome = Outcome::LineTooLong;
    } catch (const EIdBrokenResponse&) {
        outcome = Outcome::Broken;
    } catch (const EIdResponseBodyTooLarge&) {
        outcome = Outcome::TooLarge;
    } catch (const EIdException&) {
        outcome = Outcome::Other;
    }
    FUZZ_CHECK(sink.Position() == sink.Size());
    FUZZ_CHECK(sink.Size() <= max);

    std::string expected;
    PlainReader plain{bytes};
    FUZZ_CHECK(plain.Body(expected, max) == outcome);
    if (outcome == Outcome::Done)
        FUZZ_CHECK(sink.DataString() == expected);
    else  // cut short: what arrived of the unfinished chunk may be there too
        FUZZ_CHECK((expected + bytes.substr(plain.at)).compare(0, sink.DataString().size(), sink.DataString()) == 0);
}

}  // namespace

// Without a maximum, and with one of a third of the input's length, so that
// the body's end and the maximum meet in every way.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Check(data, size, std::numeric_limits<std::int64_t>::max());
    Check(data, size, std::int64_t(size / 3));
    return 0;
}
