// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdMemoryStream.h"

#include <algorithm>
#include <cstring>

std::size_t TIdMemoryStream::Read(void* buffer, std::size_t count) {
    const auto size = std::int64_t(data_.size());
    if (position_ >= size)
        return 0;
    count = std::min<std::size_t>(count, std::size_t(size - position_));
    std::memcpy(buffer, data_.data() + position_, count);
    position_ += std::int64_t(count);
    return count;
}

std::size_t TIdMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0)
        return 0;
    const std::size_t end = std::size_t(position_) + count;
    if (end > data_.size())
        data_.resize(end);
    std::memcpy(data_.data() + position_, buffer, count);
    position_ = std::int64_t(end);
    return count;
}

std::int64_t TIdMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = origin == TSeekOrigin::soBeginning ? 0
                        : origin == TSeekOrigin::soCurrent ? position_
                                                            : std::int64_t(data_.size());
    position_ = std::max<std::int64_t>(0, base + offset);
    return position_;
}

void TIdMemoryStream::SetSize(std::int64_t size) {
    data_.resize(std::size_t(std::max<std::int64_t>(0, size)));
    position_ = std::min(position_, std::int64_t(data_.size()));
}
