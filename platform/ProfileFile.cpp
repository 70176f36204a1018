// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProfileFile.h"

#include "platform/AtomicFile.h"
#include "platform/PlatformError.h"
#include "platform/ProfileReader.h"

#include <algorithm>
#include <cctype>
#include <sys/stat.h>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

// One line of the file with its line end kept apart, so that rewriting the
// file gives back every untouched line byte for byte.
struct Line {
    std::string text;
    std::string end;
};

std::vector<Line> SplitLines(const std::string& bytes) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t lf = bytes.find('\n', pos);
        if (lf == std::string::npos) {
            lines.push_back({bytes.substr(pos), ""});
            break;
        }
        std::size_t textEnd = (lf > pos && bytes[lf - 1] == '\r') ? lf - 1 : lf;
        lines.push_back({bytes.substr(pos, textEnd - pos), bytes.substr(textEnd, lf + 1 - textEnd)});
        pos = lf + 1;
    }
    return lines;
}

// The section name when the line is a section header.
bool SectionOf(const std::string& text, std::string& name) {
    std::string t = Trim(text);
    if (t.empty() || t.front() != '[')
        return false;
    std::size_t close = t.find(']');
    name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

// The key and raw value when the line is a "key=value" entry.
bool EntryOf(const std::string& text, std::string& key, std::string& value) {
    std::string t = Trim(text);
    if (t.empty() || t.front() == ';')
        return false;
    std::size_t eq = t.find('=');
    if (eq == std::string::npos)
        return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    return true;
}

std::string Unquote(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

// A value as it stands in the file. Reading trims blanks and removes one
// pair of enclosing quotes; a value that begins or ends with a blank or a
// quote is therefore written inside one more pair of double quotes, so it
// reads back unchanged. Every other value is written as it is.
std::string Stored(const std::string& value) {
    if (value.empty())
        return value;
    auto special = [](char c) { return IsBlank(c) || c == '"' || c == '\''; };
    return special(value.front()) || special(value.back()) ? "\"" + value + "\"" : value;
}

} // namespace

TProfileReader::TProfileReader(const std::string& path) {
    if (!ReadWholeFile(path, bytes_))
        bytes_.clear();
}

std::string TProfileReader::Read(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    bool inSection = false;
    for (const Line& line : SplitLines(bytes_)) {
        std::string name, k, v;
        if (SectionOf(line.text, name)) {
            // The first section of that name is the one that counts.
            if (inSection)
                break;
            inSection = SameName(name, section);
        } else if (inSection && EntryOf(line.text, k, v) && SameName(k, key)) {
            v = Unquote(v);
            if (v.size() > kProfileValueLimit)
                v.resize(kProfileValueLimit);
            return v;
        }
    }
    return defaultValue;
}

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
    return TProfileReader(path).Read(section, key, defaultValue);
}

void WriteProfileString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value) {
    WriteProfileStrings(path, section, {{key, value}});
}

void WriteProfileStrings(const std::string& path, const std::string& section,
                         const std::vector<std::pair<std::string, std::string>>& values) {
    std::string bytes;
    bool existed = ReadWholeFile(path, bytes);
    std::vector<Line> lines = existed ? SplitLines(bytes) : std::vector<Line>{};
    // New lines take the file's own line ends; a new file gets CR LF.
    std::string eol = "\r\n";
    for (const Line& l : lines)
        if (!l.end.empty()) {
            eol = l.end;
            break;
        }
    if (!lines.empty() && lines.back().end.empty())
        lines.back().end = eol;

    // Locate the section: its header and the line after its last entry.
    std::ptrdiff_t header = -1, insertAt = -1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string name, k, v;
        if (SectionOf(lines[i].text, name)) {
            if (header >= 0)
                break;
            if (SameName(name, section))
                header = insertAt = static_cast<std::ptrdiff_t>(i);
        } else if (header >= 0 && EntryOf(lines[i].text, k, v)) {
            insertAt = static_cast<std::ptrdiff_t>(i);
        }
    }
    if (header < 0) {
        lines.push_back({"[" + section + "]", eol});
        header = insertAt = static_cast<std::ptrdiff_t>(lines.size()) - 1;
    }

    for (const auto& [key, value] : values) {
        bool replaced = false;
        for (std::ptrdiff_t i = header + 1; i <= insertAt; ++i) {
            std::string k, v;
            if (EntryOf(lines[i].text, k, v) && SameName(k, key)) {
                lines[i].text = key + "=" + Stored(value);
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            lines.insert(lines.begin() + insertAt + 1, Line{key + "=" + Stored(value), eol});
            ++insertAt;
        }
    }

    std::string out;
    for (const Line& l : lines)
        out += l.text + l.end;
    try {
        WriteFileAtomically(path, out, S_IRUSR | S_IWUSR);
    } catch (const EPlatformError&) {
        throw EPlatformError("Unable to write to " + path);
    }
}
