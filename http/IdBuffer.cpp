// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdBuffer.h"

#include "http/IdStream.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

void TIdBuffer::Append(const char* bytes, std::size_t count) {
    if (count == 0)
        return;
    std::memcpy(Prepare(count), bytes, count);
    Commit(count);
}

char* TIdBuffer::Prepare(std::size_t count) {
    if (capacity_ - tail_ >= count)
        return buffer_.get() + tail_;
    const std::size_t live = Size();
    if (head_ >= live && capacity_ - live >= count) {
        // At least half of the used space is consumed: moving the live bytes
        // costs no more than what was consumed since they arrived.
        std::memmove(buffer_.get(), buffer_.get() + head_, live);
    } else {
        std::size_t capacity = std::max<std::size_t>({capacity_ * 2, live + count, 4096});
        std::unique_ptr<char[]> bigger(new char[capacity]);
        if (live)
            std::memcpy(bigger.get(), buffer_.get() + head_, live);
        buffer_ = std::move(bigger);
        capacity_ = capacity;
    }
    head_ = 0;
    tail_ = live;
    return buffer_.get() + tail_;
}

std::size_t TIdBuffer::IndexOf(char c, std::size_t from) const {
    if (from >= Size())
        return std::string::npos;
    const void* hit = std::memchr(Data() + from, c, Size() - from);
    return hit ? std::size_t(static_cast<const char*>(hit) - Data()) : std::string::npos;
}

std::string TIdBuffer::Extract(std::size_t count) {
    count = std::min(count, Size());
    std::string bytes(Data(), count);
    Remove(count);
    return bytes;
}

void TIdBuffer::ExtractTo(std::size_t count, TIdStream& sink) {
    count = std::min(count, Size());
    std::size_t done = 0;
    while (done < count) {
        std::size_t written = sink.Write(Data() + done, count - done);
        if (written == 0) {
            Remove(done);
            throw std::runtime_error("The byte sink accepted no more bytes.");
        }
        done += written;
    }
    Remove(done);
}

void TIdBuffer::Remove(std::size_t count) {
    head_ += std::min(count, Size());
    if (head_ == tail_)
        head_ = tail_ = 0;
}
