// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdTCPConnection.h"

#include "http/IdAntiFreeze.h"
#include "http/IdException.h"
#include "http/IdStack.h"
#include "http/IdStream.h"

#include <algorithm>
#include <cerrno>
#include <memory>

namespace {
// Errors after which the socket is of no further use.
constexpr int kShutdown = 10058;
constexpr int kAborted = 10053;
constexpr int kReset = 10054;
}  // namespace

TIdTCPConnection::TIdTCPConnection() : endpoint_(std::make_unique<TIdIOHandlerSocket>()) {}

bool TIdTCPConnection::Connected() {
    if (!hasEndpoint_)
        return false;
    if (closedGracefully_ && endpoint_->IsOpen())
        endpoint_->Close();
    return endpoint_->IsOpen();
}

ssize_t TIdTCPConnection::ReceiveOnce() {
    const std::size_t size = std::size_t(RecvBufferSize());
    const ssize_t n = endpoint_->Recv(receiveBuffer_.Prepare(size), size);
    if (n > 0) {
        receiveBuffer_.Commit(std::size_t(n));
    } else if (n == 0) {
        closedGracefully_ = true;
        endpoint_->Close();
    }
    return n;
}

void TIdTCPConnection::ReceiveAvailable() {
    ssize_t n;
    try {
        n = ReceiveOnce();
    } catch (const EIdException&) {
        n = -1;  // a broken secure session: the handler has closed it
    }
    // Bytes, the peer's close, or nothing whole yet (part of a TLS record).
    if (n >= 0 || ((errno == EAGAIN || errno == EWOULDBLOCK) && endpoint_->IsOpen()))
        return;
    // A failure: the socket is finished as after a close.
    closedGracefully_ = true;
    endpoint_->Close();
}

void TIdTCPConnection::CheckForDataOnSource(int ms) {
    if (!Connected())
        return;
    int rc = endpoint_->WaitReadable(ms);
    if (rc > 0)
        ReceiveAvailable();
    else if (rc == 0)
        TIdAntiFreeze::DoProcess(true);
}

void TIdTCPConnection::CheckForGracefulDisconnect() {
    if (!Connected())
        return;
    if (endpoint_->WaitReadable(0) > 0)
        ReceiveAvailable();
}

bool TIdTCPConnection::WaitReadable(int ms) {
    if (!SocketOpen())
        throw EIdConnClosedGracefully();
    auto wait = [this](int slice) {
        int rc = endpoint_->WaitReadable(slice);
        if (rc < 0)
            TIdStack::RaiseLastSocketError();
        return rc > 0;
    };
    if (!TIdAntiFreeze::ShouldUse())
        return wait(ms < 0 ? -1 : ms);

    const int slice = std::max(1, TIdAntiFreeze::Instance()->IdleTimeOut);
    // The limit is cut from its end into whole slices; the piece left at the
    // front (1 to slice ms) is waited first: 600 ms gives 100, 250, 250.
    int remaining = ms;
    int current = ms < 0 ? slice : (ms % slice ? ms % slice : std::min(ms, slice));
    for (;;) {
        // A pump may have closed the connection (or, during a handshake,
        // asked the connect to give up).
        if (!SocketOpen() || (connecting_ && connectAborted_))
            throw EIdConnClosedGracefully();
        if (wait(current))
            return true;
        TIdAntiFreeze::DoProcess(true);
        if (ms >= 0) {
            remaining -= current;
            if (remaining <= 0)
                return false;
        }
        current = slice;
    }
}

int TIdTCPConnection::ReadFromStack(bool raiseIfDisconnected, int timeout, bool raiseOnTimeout) {
    if (timeout == IdTimeoutDefault)
        timeout = readTimeout_ == 0 ? IdTimeoutInfinite : readTimeout_;
    for (;;) {
        if (ClosedForReading()) {
            if (raiseIfDisconnected && receiveBuffer_.Empty())
                throw EIdConnClosedGracefully();
            return 0;
        }
        if (!WaitReadable(timeout)) {
            if (raiseOnTimeout)
                throw EIdReadTimeout();
            return -1;
        }
        const ssize_t n = ReceiveOnce();
        if (n > 0)
            return int(n);
        // The peer's close is dealt with at the top; part of a TLS record,
        // or one without data, means waiting for more.
        if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK)
            continue;
        const int number = TIdStack::WSErrorFromErrno(errno);
        if (number == kShutdown || number == kAborted) {
            endpoint_->Close();
            if (!receiveBuffer_.Empty()) {
                closedGracefully_ = true;
                continue;
            }
        }
        TIdStack::RaiseSocketError(number);
    }
}

std::string TIdTCPConnection::ReadLine(std::size_t* consumed) {
    const std::size_t limit = std::size_t(LineLimit());
    for (;;) {
        std::size_t lf = receiveBuffer_.IndexOf('\n', lineScanned_);
        if (lf != std::string::npos) {
            lineScanned_ = 0;
            if (lf > limit)
                throw EIdReadLnMaxLineLengthExceeded();
            std::string line = receiveBuffer_.Extract(lf + 1);
            if (consumed)
                *consumed = lf + 1;
            line.pop_back();
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        lineScanned_ = receiveBuffer_.Size();
        if (receiveBuffer_.Size() > limit)
            throw EIdReadLnMaxLineLengthExceeded();
        // Unterminated bytes are no line: they stay in the buffer.
        if (ClosedForReading())
            throw EIdConnClosedGracefully();
        ReadFromStack(true, IdTimeoutDefault, true);
    }
}

void TIdTCPConnection::CutBack(TIdStream& sink) {
    const std::int64_t position = sink.Position();
    if (sink.Size() > position)
        sink.SetSize(position);
}

namespace {

// Runs a read into the sink, then cuts the sink back to its position,
// also when the read fails (a failure to cut back then gives way to the
// read's own failure).
template <class Read>
void ReadThenCutBack(TIdStream& sink, void (*cutBack)(TIdStream&), Read read) {
    try {
        read();
    } catch (...) {
        try {
            cutBack(sink);
        } catch (...) {
        }
        throw;
    }
    cutBack(sink);
}

} // namespace

void TIdTCPConnection::ReadBytes(std::int64_t count, TIdStream& sink) {
    // The sink is not sized in advance to position + count: the count comes
    // from the peer, and a memory sink must not allocate what a header
    // merely claims. It grows as the bytes arrive.
    lineScanned_ = 0;
    ReadThenCutBack(sink, &TIdTCPConnection::CutBack, [&] {
        std::size_t take = std::size_t(std::min<std::int64_t>(count, std::int64_t(receiveBuffer_.Size())));
        receiveBuffer_.ExtractTo(take, sink);
        count -= std::int64_t(take);
        while (count > 0) {
            const std::size_t block = std::size_t(std::min<std::int64_t>(count, RecvBufferSize()));
            while (receiveBuffer_.Size() < block) {
                // A block cut short by the close stays in the buffer.
                if (ClosedForReading())
                    throw EIdConnClosedGracefully();
                ReadFromStack(true, IdTimeoutDefault, true);
            }
            receiveBuffer_.ExtractTo(block, sink);
            count -= std::int64_t(block);
        }
    });
}

void TIdTCPConnection::ReadUntilClose(TIdStream& sink) {
    // Like ReadBytes without a count: what is buffered first, then whole
    // blocks. A time-out leaves the incomplete block unwritten in the buffer;
    // the peer's close writes what is buffered at that moment.
    lineScanned_ = 0;
    ReadThenCutBack(sink, &TIdTCPConnection::CutBack, [&] {
        receiveBuffer_.ExtractTo(receiveBuffer_.Size(), sink);
        const std::size_t block = std::size_t(RecvBufferSize());
        for (;;) {
            while (receiveBuffer_.Size() < block) {
                if (ReadFromStack(false, IdTimeoutDefault, true) == 0) {
                    receiveBuffer_.ExtractTo(receiveBuffer_.Size(), sink);
                    return;
                }
            }
            receiveBuffer_.ExtractTo(block, sink);
        }
    });
}

void TIdTCPConnection::SendAll(const char* bytes, std::size_t count) {
    while (count > 0) {
        ssize_t n = endpoint_->Send(bytes, count);
        if (n < 0) {
            const int number = TIdStack::WSErrorFromErrno(errno);
            if (number == kShutdown || number == kAborted || number == kReset)
                endpoint_->Close();
            TIdStack::RaiseSocketError(number);
        }
        bytes += n;
        count -= std::size_t(n);
    }
}

void TIdTCPConnection::Write(std::string_view bytes) {
    if (!Connected())
        throw EIdNotConnected();
    if (writeCollector_)
        writeCollector_->append(bytes);
    else
        SendAll(bytes.data(), bytes.size());
}

void TIdTCPConnection::OpenWriteBuffer() {
    writeCollector_.emplace();
}

void TIdTCPConnection::CloseWriteBuffer() {
    if (!writeCollector_)
        return;
    std::string bytes = std::move(*writeCollector_);
    writeCollector_.reset();
    Write(bytes);
}

void TIdTCPConnection::CancelWriteBuffer() {
    writeCollector_.reset();
}

void TIdTCPConnection::WriteStream(TIdStream& source) {
    if (!Connected())
        throw EIdNotConnected();
    source.Seek(0, TSeekOrigin::soBeginning);
    std::int64_t left = source.Size();
    const std::size_t blockSize = std::size_t(SendBufferSize());
    std::unique_ptr<char[]> block(new char[blockSize]);
    while (left > 0) {
        std::size_t n = source.Read(block.get(), std::size_t(std::min<std::int64_t>(left, std::int64_t(blockSize))));
        if (n == 0)
            throw EIdNoDataToRead();
        Write(std::string_view(block.get(), n));
        left -= std::int64_t(n);
    }
}

void TIdTCPConnection::CloseConnection() {
    if (connecting_) {
        // The connect in progress owns the socket; it gives up at its next
        // step and cleans up itself.
        connectAborted_ = true;
        return;
    }
    writeCollector_.reset();
    if (!hasEndpoint_)
        return;
    closedGracefully_ = true;
    endpoint_->Close();
    hasEndpoint_ = false;
}

void TIdTCPConnection::ResetForConnect() {
    hasEndpoint_ = true;
    receiveBuffer_.Clear();
    lineScanned_ = 0;
    closedGracefully_ = false;
    writeCollector_.reset();
}

void TIdTCPConnection::OpenOnSocket(int handle, const std::string& host, int timeout) {
    if (Connected())
        throw EIdAlreadyConnected();
    ResetForConnect();
    endpoint_->Adopt(handle);
    try {
        Handshake(host, timeout == 0 ? -1 : timeout, std::chrono::steady_clock::now());
    } catch (...) {
        endpoint_->Close();
        hasEndpoint_ = false;
        throw;
    }
}

void TIdTCPConnection::Handshake(const std::string& host, int limitMs, std::chrono::steady_clock::time_point started) {
    using namespace std::chrono;
    for (;;) {
        const TIdHandshakeWait wait = endpoint_->Handshake(host);
        if (wait == TIdHandshakeWait::None)
            return;
        int remaining = IdTimeoutInfinite;
        if (limitMs >= 0) {
            remaining = limitMs - int(duration_cast<milliseconds>(steady_clock::now() - started).count());
            if (remaining <= 0)
                throw EIdConnectTimeout();
        }
        bool ready;
        if (wait == TIdHandshakeWait::Readable) {
            ready = WaitReadable(remaining);
        } else {
            // Like a send: without pumping.
            const int rc = endpoint_->WaitWritable(remaining < 0 ? -1 : remaining);
            if (rc < 0)
                TIdStack::RaiseLastSocketError();
            ready = rc > 0;
        }
        if (!ready)
            throw EIdConnectTimeout();
    }
}

void TIdTCPConnection::SetIOHandler(std::unique_ptr<TIdIOHandlerSocket> handler) {
    if (Connected() || connecting_)
        throw EIdAlreadyConnected();
    CloseConnection();
    endpoint_ = std::move(handler);
}
