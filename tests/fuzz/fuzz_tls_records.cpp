// SPDX-License-Identifier: GPL-3.0-or-later
// The TLS handler reading what a server sends: the input is every byte the
// server sent, records or not, before it closed. The client's handshake and
// record reading run through the real handler on a socket pair, with the
// client's real verification (no input can carry a certificate of a trusted
// CA and its key, so none may get through).
//
// Properties: the handshake never succeeds; it fails with a transport
// failure, never a crash or a hang; afterwards the connection is closed and
// reads fail as reads of a closed connection do.

#include "http/IdException.h"
#include "http/IdTCPConnection.h"
#include "http/IdTLSIOHandler.h"
#include "tests/fuzz/FuzzByteStream.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TIdTCPConnection connection;
    connection.SetIOHandler(std::make_unique<TIdTLSIOHandler>());
    connection.SetReadTimeout(10000);
    bool failed = false;
    try {
        OpenScriptedStream(connection, data, size, "fuzz.example");
    } catch (const EIdException&) {
        failed = true;
    }
    FUZZ_CHECK(failed);
    FUZZ_CHECK(!connection.Connected());
    bool closed = false;
    try {
        connection.ReadLine();
    } catch (const EIdConnClosedGracefully&) {
        closed = true;
    }
    FUZZ_CHECK(closed);
    return 0;
}
