// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A byte stream held in memory: the response sink of PostForm and GetText,
// and a simple byte source.

#include "http/IdStream.h"

#include <string>

class TIdMemoryStream : public TIdStream {
public:
    TIdMemoryStream() = default;
    explicit TIdMemoryStream(std::string bytes) : data_(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return std::int64_t(data_.size()); }
    void SetSize(std::int64_t size) override;

    // All bytes of the stream, whatever the position.
    const std::string& DataString() const { return data_; }

private:
    std::string data_;
    std::int64_t position_ = 0;
};
