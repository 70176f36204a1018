// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The byte stream the transport reads request bodies from and writes response
// bodies into: a request body is a read-only source, a response sink is a
// memory buffer or a file opened by the caller.

#include <cstddef>
#include <cstdint>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TIdStream {
public:
    virtual ~TIdStream() = default;

    // Copies up to count bytes at the position into buffer; returns how many.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes count bytes at the position; returns how many were written.
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    // Moves the position and returns the new one.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual std::int64_t Size() = 0;
    // Cuts or extends the stream to the given size.
    virtual void SetSize(std::int64_t size) = 0;

    std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
};
