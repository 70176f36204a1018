// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdFileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

TIdFileStream::TIdFileStream(const std::string& path, TIdFileMode mode) : path_(path) {
    int flags = O_CLOEXEC;
    switch (mode) {
    case TIdFileMode::fmCreate:
        flags |= O_RDWR | O_CREAT | O_TRUNC;
        break;
    case TIdFileMode::fmOpenRead:
        flags |= O_RDONLY;
        break;
    case TIdFileMode::fmOpenWrite:
        flags |= O_WRONLY;
        break;
    case TIdFileMode::fmOpenReadWrite:
        flags |= O_RDWR;
        break;
    }
    do
        handle_ = ::open(path.c_str(), flags, 0666);
    while (handle_ < 0 && errno == EINTR);
    if (handle_ < 0)
        Fail(mode == TIdFileMode::fmCreate ? "Cannot create file" : "Cannot open file");
}

TIdFileStream::~TIdFileStream() {
    if (handle_ >= 0)
        ::close(handle_);
}

void TIdFileStream::Fail(const char* what) const {
    throw std::system_error(errno, std::generic_category(), std::string(what) + " \"" + path_ + "\"");
}

std::size_t TIdFileStream::Read(void* buffer, std::size_t count) {
    for (;;) {
        ssize_t n = ::read(handle_, buffer, count);
        if (n >= 0)
            return std::size_t(n);
        if (errno != EINTR)
            Fail("Cannot read file");
    }
}

std::size_t TIdFileStream::Write(const void* buffer, std::size_t count) {
    const char* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::write(handle_, bytes + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("Cannot write file");
        }
        done += std::size_t(n);
    }
    return done;
}

std::int64_t TIdFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                 : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                     : SEEK_END;
    off_t position = ::lseek(handle_, off_t(offset), whence);
    if (position < 0)
        Fail("Cannot seek in file");
    return std::int64_t(position);
}

std::int64_t TIdFileStream::Size() {
    struct stat info {};
    if (::fstat(handle_, &info) != 0)
        Fail("Cannot read the size of file");
    return std::int64_t(info.st_size);
}

void TIdFileStream::SetSize(std::int64_t size) {
    int rc;
    do
        rc = ::ftruncate(handle_, off_t(size));
    while (rc != 0 && errno == EINTR);
    if (rc != 0)
        Fail("Cannot set the size of file");
}
