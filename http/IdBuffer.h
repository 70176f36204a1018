// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A byte queue: bytes are appended at the back and consumed from the front.
// The receive buffer of a connection is one. Consuming only advances an
// offset, and the space in front is reclaimed by moving the live bytes only
// when at least as many bytes have been consumed as remain, so every byte is
// moved a bounded number of times: the cost stays proportional to the bytes
// that pass through, however they are cut.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

class TIdStream;

class TIdBuffer {
public:
    std::size_t Size() const { return tail_ - head_; }
    bool Empty() const { return tail_ == head_; }
    const char* Data() const { return buffer_.get() + head_; }
    std::string_view View() const { return {Data(), Size()}; }

    void Append(const char* bytes, std::size_t count);
    // Room for at least count more bytes at the back; write into it, then
    // Commit how many were written.
    char* Prepare(std::size_t count);
    void Commit(std::size_t written) { tail_ += written; }

    // Position of the first byte c at or after from (relative to the front),
    // or npos.
    std::size_t IndexOf(char c, std::size_t from) const;

    // Takes count bytes off the front.
    std::string Extract(std::size_t count);
    void ExtractTo(std::size_t count, TIdStream& sink);
    void Remove(std::size_t count);
    void Clear() { head_ = tail_ = 0; }

private:
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t head_ = 0;
    std::size_t tail_ = 0;
};
