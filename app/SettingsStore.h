// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// settings.dat: the six server settings in the section "Settings" of a
// profile file in the executable directory, and after them the owner's
// choice to allow https sites.

#include "service/ServerSettings.h"

#include <string>

// Reads the six keys; a missing file or key reads as empty text.
// ScriptName is always "couponsactions.php". AllowHttps only when
// "allowhttps" reads "1". Temporaries of the file that a crash during a
// save left behind are removed first.
TServerSettings LoadServerSettings(const std::string& path);

// Writes the six keys in their fixed order, keeping everything else in the
// file, then "allowhttps": "1" when allowed; when not, "0" only if the file
// said "1", so the file of an owner who never allowed https is what it
// always was; the file is replaced atomically and readable by its owner only, as
// it holds the database password. Raises EPlatformError
// "Unable to write to <path>" when it cannot be written.
void SaveServerSettings(const std::string& path, const TServerSettings& settings);
