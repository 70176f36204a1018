// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdURI.h"

#include <algorithm>

namespace {

constexpr auto npos = std::string::npos;

// Cuts text at its first "#" into text and bookmark; false when there is none.
bool CutBookmark(std::string& text, std::string& bookmark)
{
    const auto hash = text.find('#');
    if (hash == npos)
        return false;
    bookmark = text.substr(hash + 1);
    text.resize(hash);
    return true;
}

}  // namespace

TIdURI ParseURL(const std::string& input)
{
    std::string url = input;
    std::replace(url.begin(), url.end(), '\\', '/');

    TIdURI uri;
    std::string rest;
    const auto schemeEnd = url.find("://");
    const bool absolute = schemeEnd != npos;
    if (absolute) {
        uri.Protocol = url.substr(0, schemeEnd);
        const std::string afterScheme = url.substr(schemeEnd + 3);
        const auto slash = afterScheme.find('/');
        std::string authority = afterScheme.substr(0, slash);
        if (slash != npos)
            rest = afterScheme.substr(slash + 1);

        const auto at = authority.find('@');
        if (at != npos) {
            const std::string userInfo = authority.substr(0, at);
            const auto colon = userInfo.find(':');
            uri.Username = userInfo.substr(0, colon);
            // ":secret@host" names nobody, so its password is dropped too.
            if (!uri.Username.empty() && colon != npos)
                uri.Password = userInfo.substr(colon + 1);
            authority.erase(0, at + 1);
        }
        const auto colon = authority.find(':');
        uri.Host = authority.substr(0, colon);
        if (colon != npos)
            uri.Port = authority.substr(colon + 1);
    } else {
        rest = url;
    }

    // Old form pages post "script.php&a=1" style addresses, so a lone "="
    // stands in for the missing "?" as the start of the query.
    auto query = rest.find('?');
    if (query == npos)
        query = rest.find('=');
    const auto pathArea = query == npos ? rest.size() : query;
    const auto lastSlash = pathArea == 0 ? npos : rest.rfind('/', pathArea - 1);
    const auto documentStart = lastSlash == npos ? 0 : lastSlash + 1;

    uri.Path = (absolute ? "/" : "") + rest.substr(0, documentStart);
    uri.Document = rest.substr(documentStart, pathArea - documentStart);
    if (query != npos)
        uri.Params = rest.substr(query);

    bool haveBookmark = absolute && CutBookmark(uri.Document, uri.Bookmark);
    if (!haveBookmark)
        CutBookmark(uri.Params, uri.Bookmark);
    return uri;
}

std::string ResolvePath(const std::string& currentPath, const std::string& relativePath)
{
    std::string joined = currentPath;
    if (!joined.empty() && joined.back() != '/')
        joined += '/';
    joined += relativePath;

    std::string result;
    for (std::size_t i = 0; i < joined.size(); ++i) {
        const char c = joined[i];
        if (c == '/') {
            // An empty result after the first character means ".." climbed
            // out of a relative path; its "/" must not make the path absolute.
            if (i == 0)
                result = "/";
            else if (!result.empty() && result.back() != '/')
                result += '/';
        } else if (c == '.' && !result.empty() && result.back() == '/' && i + 1 < joined.size() &&
                   joined[i + 1] == '.') {
            // ".." drops the last directory. The root has no parent: "/.."
            // stays "/" rather than turning an absolute path into a relative one.
            if (result.size() > 1) {
                result.pop_back();
                const auto parent = result.rfind('/');
                result.resize(parent == npos ? 0 : parent + 1);
            }
            ++i;
        } else {
            result += c;
        }
    }

    // A relative path naming a file rather than a directory leaves no
    // trailing "/", except that the root itself stays "/".
    if (!relativePath.empty() && relativePath.back() != '/' && result.size() > 1 && result.back() == '/')
        result.pop_back();
    return result;
}
