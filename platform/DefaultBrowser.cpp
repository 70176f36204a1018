// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DefaultBrowser.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return {};
    std::size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> out;
    std::string piece;
    std::istringstream in(text);
    while (std::getline(in, piece, sep))
        out.push_back(piece);
    return out;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool IsFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// One group of a key file ("[Default Applications]", "[Desktop Entry]"),
// its keys in file order.
struct KeyGroup {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;
};

std::vector<KeyGroup> ParseKeyFile(const std::string& text) {
    std::vector<KeyGroup> groups;
    for (const std::string& raw : Split(text, '\n')) {
        std::string line = Trim(raw);
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            std::size_t close = line.find(']');
            groups.push_back({line.substr(1, close == std::string::npos ? std::string::npos : close - 1), {}});
            continue;
        }
        std::size_t eq = line.find('=');
        if (eq == std::string::npos || groups.empty())
            continue;
        groups.back().entries.emplace_back(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }
    return groups;
}

// The desktop file ids a group lists for a MIME type (MIME types match in
// any letter case), in order, from every occurrence of the group.
std::vector<std::string> IdsFor(const std::vector<KeyGroup>& groups, const std::string& group,
                                const std::string& mimeType) {
    std::vector<std::string> ids;
    const std::string wanted = Lower(mimeType);
    for (const KeyGroup& g : groups) {
        if (g.name != group)
            continue;
        for (const auto& [key, value] : g.entries) {
            if (Lower(key) != wanted)
                continue;
            for (const std::string& id : Split(value, ';')) {
                std::string t = Trim(id);
                if (!t.empty())
                    ids.push_back(t);
            }
        }
    }
    return ids;
}

// A base directory from the environment: only an absolute path counts;
// otherwise the fallback under HOME (nothing when HOME is unset too).
std::string HomeBase(const char* var, const char* underHome) {
    const char* v = std::getenv(var);
    if (v && v[0] == '/')
        return v;
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + underHome;
    return {};
}

std::vector<std::string> SystemBases(const char* var, const char* fallback) {
    const char* v = std::getenv(var);
    std::string list = (v && *v) ? v : fallback;
    std::vector<std::string> out;
    for (const std::string& d : Split(list, ':'))
        if (!d.empty() && d[0] == '/')
            out.push_back(d);
    return out;
}

std::vector<std::string> ConfigDirs() {
    std::vector<std::string> dirs;
    std::string home = HomeBase("XDG_CONFIG_HOME", "/.config");
    if (!home.empty())
        dirs.push_back(home);
    for (const std::string& d : SystemBases("XDG_CONFIG_DIRS", "/etc/xdg"))
        dirs.push_back(d);
    return dirs;
}

// The applications directories, most important first.
std::vector<std::string> ApplicationDirs() {
    std::vector<std::string> dirs;
    std::string home = HomeBase("XDG_DATA_HOME", "/.local/share");
    if (!home.empty())
        dirs.push_back(home + "/applications");
    for (const std::string& d : SystemBases("XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
        dirs.push_back(d + "/applications");
    return dirs;
}

// Every mimeapps.list in the order of importance, a desktop's own file
// ("xfce-mimeapps.list") before the common one in each directory.
std::vector<std::string> MimeAppsLists() {
    std::vector<std::string> desktops;
    if (const char* current = std::getenv("XDG_CURRENT_DESKTOP"))
        for (const std::string& d : Split(current, ':'))
            if (!d.empty())
                desktops.push_back(Lower(d));
    std::vector<std::string> dirs = ConfigDirs();
    for (const std::string& d : ApplicationDirs())
        dirs.push_back(d);
    std::vector<std::string> files;
    for (const std::string& dir : dirs) {
        for (const std::string& desktop : desktops)
            files.push_back(dir + "/" + desktop + "-mimeapps.list");
        files.push_back(dir + "/mimeapps.list");
    }
    return files;
}

// The file of a desktop file id inside one applications directory: either
// directly, or in a subdirectory whose path joined with "-" makes the id
// ("vendor-browser.desktop" = vendor/browser.desktop).
std::string EntryFileIn(const std::string& appDir, const std::string& id) {
    std::string direct = appDir + "/" + id;
    if (IsFile(direct))
        return direct;
    if (id.find('-') == std::string::npos)
        return {};
    std::error_code ec;
    for (fs::recursive_directory_iterator it(appDir, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec))
            continue;
        std::string rel = fs::relative(it->path(), appDir, ec).generic_string();
        std::replace(rel.begin(), rel.end(), '/', '-');
        if (rel == id)
            return it->path().string();
    }
    return {};
}

bool IsHidden(const std::vector<KeyGroup>& groups) {
    for (const KeyGroup& g : groups)
        if (g.name == "Desktop Entry")
            for (const auto& [key, value] : g.entries)
                if (key == "Hidden" && value == "true")
                    return true;
    return false;
}

// The installed, usable entry of an id. The first applications directory
// that has the id decides, even when its entry is hidden: that is how a
// user masks a system entry.
std::string InstalledEntry(const std::string& id) {
    if (id.find('/') != std::string::npos)
        return {};
    for (const std::string& dir : ApplicationDirs()) {
        std::string file = EntryFileIn(dir, id);
        if (file.empty())
            continue;
        if (IsHidden(ParseKeyFile(ReadFile(file))) || DesktopEntryProgram(file).empty())
            return {};
        return file;
    }
    return {};
}

// Undoes the escapes of a key file string value (\s \n \t \r \\).
std::string UnescapeValue(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        char c = value[++i];
        switch (c) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case '\\': out += '\\'; break;
        default: out += '\\'; out += c; break;
        }
    }
    return out;
}

// Every word of an Exec= command line: a quoted word loses its quotes and
// the backslashes before ", `, $ and \.
std::vector<std::string> Words(const std::string& command) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while ((i = command.find_first_not_of(" \t", i)) != std::string::npos) {
        std::string word;
        if (command[i] == '"') {
            for (++i; i < command.size() && command[i] != '"'; ++i) {
                if (command[i] == '\\' && i + 1 < command.size())
                    ++i;
                word += command[i];
            }
            ++i;
        } else {
            while (i < command.size() && command[i] != ' ' && command[i] != '\t')
                word += command[i++];
        }
        words.push_back(word);
    }
    return words;
}

std::string ExecLine(const std::string& desktopFile) {
    for (const KeyGroup& g : ParseKeyFile(ReadFile(desktopFile)))
        if (g.name == "Desktop Entry")
            for (const auto& [key, value] : g.entries)
                if (key == "Exec")
                    return UnescapeValue(value);
    return {};
}

} // namespace

std::vector<std::string> DesktopEntryCommand(const std::string& desktopFile, const std::string& address) {
    std::vector<std::string> command;
    bool placed = false;
    for (const std::string& word : Words(ExecLine(desktopFile))) {
        // Field codes that stand for icon, name or entry path, alone.
        if (word == "%i" || word == "%c" || word == "%k")
            continue;
        std::string out;
        bool onlyCodes = !word.empty();
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (word[i] != '%' || i + 1 == word.size()) {
                out += word[i];
                onlyCodes = false;
                continue;
            }
            char code = word[++i];
            if (code == '%') {
                out += '%';
                onlyCodes = false;
            } else if (code == 'u' || code == 'U' || code == 'f' || code == 'F') {
                out += address;
                placed = true;
                onlyCodes = false;
            }
            // Any other field code is dropped.
        }
        if (!onlyCodes)
            command.push_back(out);
    }
    if (!command.empty() && !placed)
        command.push_back(address);
    return command;
}

std::vector<std::string> DefaultBrowserCommand(const std::string& address) {
    std::string entry = FindDefaultHandlerEntry("x-scheme-handler/http");
    return entry.empty() ? std::vector<std::string>() : DesktopEntryCommand(entry, address);
}

std::string DesktopEntryProgram(const std::string& desktopFile) {
    std::vector<std::string> words = Words(ExecLine(desktopFile));
    return words.empty() ? std::string() : words.front();
}

std::string FindDefaultHandlerEntry(const std::string& mimeType) {
    std::vector<std::vector<KeyGroup>> lists;
    for (const std::string& file : MimeAppsLists())
        lists.push_back(ParseKeyFile(ReadFile(file)));

    // The defaults: the first installed entry of the most important list
    // that names one wins.
    for (const auto& groups : lists)
        for (const std::string& id : IdsFor(groups, "Default Applications", mimeType))
            if (std::string file = InstalledEntry(id); !file.empty())
                return file;

    // No default: the associations the user or system added, minus those
    // that a more important list removed.
    std::set<std::string> removed;
    for (const auto& groups : lists) {
        for (const std::string& id : IdsFor(groups, "Added Associations", mimeType))
            if (!removed.count(id))
                if (std::string file = InstalledEntry(id); !file.empty())
                    return file;
        for (const std::string& id : IdsFor(groups, "Removed Associations", mimeType))
            removed.insert(id);
    }

    // Last, what the installed applications declare: the older defaults.list,
    // then the cache that update-desktop-database builds.
    for (const std::string& dir : ApplicationDirs())
        for (const std::string& id : IdsFor(ParseKeyFile(ReadFile(dir + "/defaults.list")), "Default Applications", mimeType))
            if (std::string file = InstalledEntry(id); !file.empty())
                return file;
    for (const std::string& dir : ApplicationDirs())
        for (const std::string& id : IdsFor(ParseKeyFile(ReadFile(dir + "/mimeinfo.cache")), "MIME Cache", mimeType))
            if (!removed.count(id))
                if (std::string file = InstalledEntry(id); !file.empty())
                    return file;
    return {};
}

