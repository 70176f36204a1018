// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One TCP connection as the HTTP client uses it: a receive buffer with line
// reads and exact-length reads, sending (a request head collected and sent in
// one write, a body sent from its first byte), detection of a connection the
// peer has closed, read time-outs, and the responsive waits that pump the
// window through TIdAntiFreeze. Every failure is an EId* exception.
//
// TIdTCPClient adds the connect; this base owns everything after it.

#include "http/IdBuffer.h"
#include "http/IdIOHandlerSocket.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class TIdStream;

// What ReadLine does with a line longer than LineLimit: in this system it is
// always a failure.
enum class TIdMaxLineAction { maException };

class TIdTCPConnection {
public:
    // Time-out arguments: take ReadTimeout, or wait without limit.
    static constexpr int IdTimeoutDefault = -1;
    static constexpr int IdTimeoutInfinite = -2;

    TIdTCPConnection();
    virtual ~TIdTCPConnection() = default;
    TIdTCPConnection(const TIdTCPConnection&) = delete;
    TIdTCPConnection& operator=(const TIdTCPConnection&) = delete;

    // Milliseconds a read may wait for data; 0 means no limit.
    int ReadTimeout() const { return readTimeout_; }
    void SetReadTimeout(int ms) { readTimeout_ = ms; }
    // Most bytes taken from the socket per receive, and the block size of
    // exact-length reads.
    int RecvBufferSize() const { return 32768; }
    // Block size for sending a body.
    int SendBufferSize() const { return 32768; }
    // Longest line ReadLine accepts.
    int LineLimit() const { return 16384; }
    TIdMaxLineAction MaxLineAction() const { return TIdMaxLineAction::maException; }
    // The socket keeps the platform's coalescing: TCP_NODELAY is never set.
    bool UseNagle() const { return true; }

    // True when an endpoint with an open socket exists. A close by the peer
    // that has been noticed closes the socket first.
    bool Connected();
    // The poll: waits at most ms for data, takes what arrived into the
    // receive buffer, notices a close by the peer and closes the socket.
    // Pumps when it sees no data. Never fails.
    void CheckForDataOnSource(int ms);
    // Notices a close by the peer that has already arrived, without waiting
    // and without pumping. Never fails.
    void CheckForGracefulDisconnect();

    // The next line, without its LF and a CR right before it. consumed, when
    // given, receives the number of bytes the line took from the connection.
    std::string ReadLine(std::size_t* consumed = nullptr);
    // Exactly count bytes into sink, from its position. A close before all
    // of them arrived fails with EIdConnClosedGracefully; the sink then holds
    // the bytes that were buffered at the start and each complete block
    // received after them.
    void ReadBytes(std::int64_t count, TIdStream& sink);
    // Every byte until the peer closes, into sink: what is buffered first,
    // then whole blocks of RecvBufferSize; at the close, what is buffered
    // then. A time-out leaves the incomplete block in the receive buffer.
    void ReadUntilClose(TIdStream& sink);
    // Waits until data can be read or ms passes (IdTimeoutInfinite: no
    // limit), pumping the window as TIdAntiFreeze rules. False on time-out.
    bool WaitReadable(int ms);

    void Write(std::string_view bytes);
    // While the write buffer is open, writes are collected and leave in one
    // send when it is closed.
    void OpenWriteBuffer();
    void CloseWriteBuffer();
    void CancelWriteBuffer();
    // Sends source from its first byte, exactly its size, in blocks of
    // SendBufferSize. A source that runs dry early fails with EIdNoDataToRead.
    void WriteStream(TIdStream& source);

    // Closes the socket and frees the endpoint; nothing when none is open.
    // The receive buffer keeps its bytes until the next connect.
    virtual void CloseConnection();

    const TIdBuffer& ReceiveBuffer() const { return receiveBuffer_; }
    // The peer's close has been seen since the last connect.
    bool ClosedGracefully() const { return closedGracefully_; }

    // Runs the connection over a socket connected elsewhere (one end of a
    // socket pair feeding scripted bytes, in tests and fuzz targets). A
    // secure handler then runs its handshake with host, waiting at most
    // timeout ms (0: no limit).
    void OpenOnSocket(int handle, const std::string& host = "", int timeout = 0);

    // The handler the connection runs over: a plain socket at first.
    TIdIOHandlerSocket& IOHandler() const { return *endpoint_; }
    // Puts another handler in place; the current one must not be connected
    // (EIdAlreadyConnected).
    void SetIOHandler(std::unique_ptr<TIdIOHandlerSocket> handler);

protected:
    // Receives once into the receive buffer, waiting at most timeout
    // (IdTimeoutDefault: ReadTimeout). Returns the bytes received, 0 when the
    // connection counts as closed, -1 on time-out. Fails with
    // EIdConnClosedGracefully when closed with an empty buffer and
    // raiseIfDisconnected, with EIdReadTimeout on time-out when
    // raiseOnTimeout.
    int ReadFromStack(bool raiseIfDisconnected, int timeout, bool raiseOnTimeout);
    // Starts a fresh endpoint: empty receive buffer, closed flag cleared.
    void ResetForConnect();
    // Runs the handler's handshake on the connected socket, waiting for each
    // step at most until limitMs (< 0: no limit) have passed since started,
    // pumping as reads do; EIdConnectTimeout when the limit passes.
    void Handshake(const std::string& host, int limitMs, std::chrono::steady_clock::time_point started);
    bool SocketOpen() const { return hasEndpoint_ && endpoint_->IsOpen(); }
    bool ClosedForReading() const { return closedGracefully_ || !SocketOpen(); }

    // The endpoint object stays alive while the connection is open, so a
    // pump that closes the connection in the middle of a wait can never
    // leave the waiting code with a freed endpoint; "freeing" it clears
    // hasEndpoint_. It is replaced only between connections.
    std::unique_ptr<TIdIOHandlerSocket> endpoint_;
    bool hasEndpoint_ = false;
    bool connecting_ = false;
    bool connectAborted_ = false;

private:
    // One receive into the receive buffer: the bytes taken, 0 at the peer's
    // close (which closes the socket), -1 with errno on failure or when
    // nothing whole has arrived yet (EAGAIN).
    ssize_t ReceiveOnce();
    // One receive without waiting; never fails (a failure closes the socket).
    void ReceiveAvailable();
    void SendAll(const char* bytes, std::size_t count);
    // Cuts a sink back to its position, as every read into a sink ends.
    static void CutBack(TIdStream& sink);

    TIdBuffer receiveBuffer_;
    bool closedGracefully_ = false;
    // Bytes at the front of the receive buffer already searched for LF.
    std::size_t lineScanned_ = 0;
    std::optional<std::string> writeCollector_;
    int readTimeout_ = 0;
};
