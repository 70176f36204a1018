// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the update check looks for the published version: the maker's
// update site, whose host is chosen when the client is built. Tests point
// the check at a loopback server instead.

#include "BuildOptions.h"

#include <string>

// The update location as built: scheme http, the update host, and the fixed
// path, ending with its slash.
inline constexpr const char* DefaultUpdateBaseURL = "http://" CORVANTA_UPDATE_HOST "/liveupdate/corvanta/";

// The update location in force: the built one unless overridden.
std::string UpdateBaseURL();

// Makes UpdateBaseURL() answer another location (a trailing "/" is added
// when missing); an empty text restores the built one.
void SetUpdateBaseURLOverride(const std::string& url);
