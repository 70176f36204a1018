// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The parts of one URL as the HTTP client needs them, and the two pure text
// operations on URLs: splitting a URL into its parts and resolving a relative
// path against the path of the previous request. Neither touches the network
// and neither fails: any text gives some parts.

#include <string>

struct TIdURI {
    std::string Protocol;  // the scheme as written, no case folding
    std::string Username;
    std::string Password;
    std::string Host;      // as written
    std::string Port;      // as written, text
    std::string Path;      // directory part, ends in "/" when not empty
    std::string Document;  // last path segment
    std::string Params;    // the query including its "?" (or the "=" standing in for it)
    std::string Bookmark;  // fragment after "#"; never sent
};

// Splits a URL into its parts. A text without "://" has neither protocol nor
// host: it stands for a path relative to the client's current URL.
TIdURI ParseURL(const std::string& url);

// Resolves relativePath against currentPath: runs of "/" collapse, ".."
// climbs one directory (never above the root), single "." segments stay.
std::string ResolvePath(const std::string& currentPath, const std::string& relativePath);
