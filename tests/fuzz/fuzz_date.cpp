// SPDX-License-Identifier: GPL-3.0-or-later
// Internet date-times: any text either reads as a moment or as nothing, and
// a moment we write always reads back as itself (clamped to years 1..9999).
// The first eight bytes, taken as a number, are also formatted and read back.

#include "http/IdDateTime.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto moment = ParseInternetDateTime(text)) {
        const std::string written = FormatInternetDateTime(*moment);
        const auto back = ParseInternetDateTime(written);
        FUZZ_CHECK(back.has_value());
        FUZZ_CHECK(FormatInternetDateTime(*back) == written);
    }
    if (size >= 8) {
        std::int64_t seconds = 0;
        std::memcpy(&seconds, data, sizeof seconds);
        const std::string written = FormatInternetDateTime(seconds);
        const auto back = ParseInternetDateTime(written);
        FUZZ_CHECK(back.has_value());
        FUZZ_CHECK(FormatInternetDateTime(*back) == written);
    }
    return 0;
}
