// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdMultiPartFormDataStream.h"

#include "http/IdException.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// CR LF "--" boundary "--" CR LF
std::uint64_t ClosingLength(const std::string& boundary) { return boundary.size() + 8; }

std::string MakeBoundary(const TIdDateTime& t)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "%02d%02d%02d%02d%02d%02d%03d", t.Month % 100, t.Day % 100,
                  t.Year % 100, t.Hour % 100, t.Minute % 100, t.Second % 100, t.Millisecond % 1000);
    return std::string("--------") + digits;
}

}  // namespace

TIdMultiPartFormDataStream::TIdMultiPartFormDataStream() : TIdMultiPartFormDataStream(&LocalNow) {}

TIdMultiPartFormDataStream::TIdMultiPartFormDataStream(const TIdLocalClock& clock)
    : boundary_(MakeBoundary(clock())), bodyContentType_("multipart/form-data; boundary=" + boundary_)
{
}

void TIdMultiPartFormDataStream::AddField(const std::string& name, const std::string& value)
{
    fields_.emplace_back(name, value, boundary_);
    fieldsTotal_ += fields_.back().EncodedLength();
}

std::int64_t TIdMultiPartFormDataStream::Size()
{
    return static_cast<std::int64_t>(fieldsTotal_ + ClosingLength(boundary_));
}

void TIdMultiPartFormDataStream::Rewind()
{
    started_ = false;
    pending_.clear();
    pendingStart_ = 0;
    nextField_ = 0;
    closed_ = false;
    position_ = 0;
}

std::size_t TIdMultiPartFormDataStream::Read(void* buffer, std::size_t count)
{
    if (!started_) {
        Rewind();
        started_ = true;
    }
    auto* out = static_cast<char*>(buffer);
    std::size_t copied = 0;
    while (copied < count) {
        if (pendingStart_ == pending_.size()) {
            pending_.clear();
            pendingStart_ = 0;
            if (closed_) {
                break;
            } else if (nextField_ < fields_.size()) {
                fields_[nextField_++].EncodeTo(pending_, boundary_);
            } else {
                // Also after zero fields: the size always counts the closing
                // delimiter, and a body must produce exactly its size.
                pending_ += "\r\n--";
                pending_ += boundary_;
                pending_ += "--\r\n";
                closed_ = true;
            }
        }
        const std::size_t n = std::min(count - copied, pending_.size() - pendingStart_);
        std::memcpy(out + copied, pending_.data() + pendingStart_, n);
        pendingStart_ += n;
        copied += n;
    }
    position_ += static_cast<std::int64_t>(copied);
    return copied;
}

std::size_t TIdMultiPartFormDataStream::Write(const void*, std::size_t)
{
    throw EIdStreamWriteNotSupported();
}

void TIdMultiPartFormDataStream::SetSize(std::int64_t)
{
    throw EIdStreamWriteNotSupported();
}

std::int64_t TIdMultiPartFormDataStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    switch (origin) {
    case TSeekOrigin::soBeginning:
        if (offset == 0)
            Rewind();
        return position_;
    case TSeekOrigin::soCurrent:
        return position_;
    case TSeekOrigin::soEnd:
        return Size();
    }
    return position_;
}
