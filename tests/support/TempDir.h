// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes away. Tests use it as the
// executable directory so they never touch the real one.

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory with a trailing "/".
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + name; }

    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const;

private:
    std::string path_;
};
