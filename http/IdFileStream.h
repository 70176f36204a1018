// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A file opened by path as a byte stream, through POSIX calls: the sink the
// update check downloads into, and a source for bodies kept in files.
// Failing to open, read or write raises std::system_error with the errno.

#include "http/IdStream.h"

#include <string>

enum class TIdFileMode {
    fmCreate,         // create or truncate, read and write
    fmOpenRead,       // existing file, read only
    fmOpenWrite,      // existing file, write only
    fmOpenReadWrite,  // existing file, read and write
};

class TIdFileStream : public TIdStream {
public:
    TIdFileStream(const std::string& path, TIdFileMode mode);
    ~TIdFileStream() override;
    TIdFileStream(const TIdFileStream&) = delete;
    TIdFileStream& operator=(const TIdFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override;
    void SetSize(std::int64_t size) override;

    const std::string& FileName() const { return path_; }

private:
    [[noreturn]] void Fail(const char* what) const;

    std::string path_;
    int handle_ = -1;
};
