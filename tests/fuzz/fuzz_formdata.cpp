// SPDX-License-Identifier: GPL-3.0-or-later
// The form-data body built from arbitrary fields and read in pieces of
// arbitrary sizes: it must produce exactly its size, the same bytes however
// the reads are cut, and the same bytes again after a rewind. The first byte
// picks the piece size; the rest is split at NUL bytes into name, value, ...

#include "http/IdMultiPartFormDataStream.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::string ReadAll(TIdMultiPartFormDataStream& body, std::size_t piece)
{
    std::string all;
    std::vector<char> buffer(piece);
    while (true) {
        const std::size_t n = body.Read(buffer.data(), piece);
        all.append(buffer.data(), n);
        if (n < piece)
            return all;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = 1 + data[0] % 64;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);

    TIdMultiPartFormDataStream body([] { return TIdDateTime{2008, 5, 18, 14, 30, 5, 123}; });
    std::int64_t expectedSize = 31;
    std::size_t start = 0;
    while (start <= rest.size()) {
        auto nameEnd = rest.find('\0', start);
        if (nameEnd == std::string::npos)
            nameEnd = rest.size();
        auto valueEnd = nameEnd < rest.size() ? rest.find('\0', nameEnd + 1) : std::string::npos;
        if (valueEnd == std::string::npos)
            valueEnd = rest.size();
        const std::string name = rest.substr(start, nameEnd - start);
        const std::string value = nameEnd < rest.size() ? rest.substr(nameEnd + 1, valueEnd - nameEnd - 1) : "";
        body.AddField(name, value);
        expectedSize += 72 + static_cast<std::int64_t>(name.size() + value.size());
        start = valueEnd + 1;
    }
    FUZZ_CHECK(body.Size() == expectedSize);

    const std::string whole = ReadAll(body, 1 << 16);
    FUZZ_CHECK(static_cast<std::int64_t>(whole.size()) == body.Size());
    FUZZ_CHECK(body.Seek(0, TSeekOrigin::soBeginning) == 0);
    FUZZ_CHECK(ReadAll(body, piece) == whole);
    FUZZ_CHECK(body.Seek(0, TSeekOrigin::soEnd) == body.Size());
    body.Seek(0, TSeekOrigin::soBeginning);
    FUZZ_CHECK(ReadAll(body, piece + 1) == whole);
    return 0;
}
