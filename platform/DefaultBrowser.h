// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop's default web browser. Linux keeps no registry entry for the
// http scheme; the desktop instead names a default application for the MIME
// type "x-scheme-handler/http" in its mimeapps.list files, and that
// application's desktop entry gives the program on its Exec= line. This is
// looked up the way the desktop itself does it (the XDG MIME applications
// rules), from XDG_CONFIG_HOME, XDG_CONFIG_DIRS, XDG_DATA_HOME,
// XDG_DATA_DIRS, XDG_CURRENT_DESKTOP and HOME as they are at the call.

#include <string>
#include <vector>

// The desktop entry file (full path) of the application that handles the
// MIME type, or the empty text when none is installed for it. Order: the
// [Default Applications] of every mimeapps.list (desktop-specific file
// first, the user's config directory, then the system's config directories,
// then the applications directories of the data directories), then the
// [Added Associations] of the same files, then defaults.list and
// mimeinfo.cache of the data directories; an association named in a
// [Removed Associations] group is skipped, and an entry that is missing,
// hidden or has no Exec= line does not count.
std::string FindDefaultHandlerEntry(const std::string& mimeType);

// The program of a desktop entry: the first word of its Exec= line with the
// entry's escapes and quoting undone. Empty when the file has none.
std::string DesktopEntryProgram(const std::string& desktopFile);

// The command a desktop entry runs for one address: its Exec= line cut into
// words (quoting and escapes undone), with the address, unchanged and as one
// word, in place of the file or URL field code (%u %U %f %F), the other
// field codes dropped and %% made %; the address goes last when the line
// names no place for it. Launchers such as "env VAR=1 browser %u" or
// "flatpak run ... %u" thus reach the browser. Empty when the entry has no
// Exec= line.
std::vector<std::string> DesktopEntryCommand(const std::string& desktopFile, const std::string& address);

// The command that opens the address in the desktop's default browser;
// empty when none is set up.
std::vector<std::string> DefaultBrowserCommand(const std::string& address);
