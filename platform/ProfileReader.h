// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A profile file read once, for reading several keys of it: every key is
// looked up by the rules of ReadProfileString without reading the file again.

#include <string>

class TProfileReader {
public:
    // Reads the file; a file that cannot be read reads as empty.
    explicit TProfileReader(const std::string& path);

    std::string Read(const std::string& section, const std::string& key, const std::string& defaultValue = "") const;

private:
    std::string bytes_;
};
