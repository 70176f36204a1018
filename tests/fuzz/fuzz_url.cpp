// SPDX-License-Identifier: GPL-3.0-or-later
// URL splitting and path resolution on arbitrary text. The whole input is a
// URL; split at its first LF it is also a current path and a relative path.

#include "http/IdURI.h"
#include "tests/fuzz/FuzzCheck.h"

#include <algorithm>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    const TIdURI uri = ParseURL(text);
    std::string slashed = text;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    const bool absolute = slashed.find("://") != std::string::npos;
    FUZZ_CHECK(uri.Path.empty() || uri.Path.back() == '/');
    FUZZ_CHECK(!absolute || uri.Path.front() == '/');
    FUZZ_CHECK(uri.Document.find('/') == std::string::npos);
    FUZZ_CHECK(uri.Params.empty() || uri.Params.front() == '?' || uri.Params.front() == '=');
    FUZZ_CHECK(absolute || uri.Protocol.empty());
    FUZZ_CHECK(absolute || (uri.Host.empty() && uri.Port.empty() && uri.Username.empty()));
    FUZZ_CHECK(uri.Password.empty() || !uri.Username.empty());
    if (!absolute) {
        // A relative URL loses nothing but the "#" before its bookmark.
        const std::string joined = uri.Path + uri.Document + uri.Params;
        FUZZ_CHECK(slashed == joined || slashed == joined + "#" + uri.Bookmark);
    }

    const auto lf = text.find('\n');
    const std::string current = text.substr(0, lf);
    const std::string relative = lf == std::string::npos ? std::string() : text.substr(lf + 1);
    const std::string resolved = ResolvePath(current, relative);
    FUZZ_CHECK(resolved.find("//") == std::string::npos);
    FUZZ_CHECK(current.empty() || current.front() != '/' || (!resolved.empty() && resolved.front() == '/'));
    FUZZ_CHECK(relative.empty() || relative.back() == '/' || resolved == "/" || resolved.empty() ||
               resolved.back() != '/');
    return 0;
}
