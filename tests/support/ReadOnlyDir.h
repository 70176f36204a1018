// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Makes a directory read-only for the calling thread while the object lives.
// Tests run as root on CI, and root writes anywhere: so besides removing the
// write bits, the guard drops the capabilities that override file
// permissions from this thread's effective set (they stay permitted and come
// back when the guard goes).

#include <string>

class ReadOnlyDir {
public:
    explicit ReadOnlyDir(std::string path);
    ~ReadOnlyDir();
    ReadOnlyDir(const ReadOnlyDir&) = delete;
    ReadOnlyDir& operator=(const ReadOnlyDir&) = delete;

private:
    std::string path_;
    bool droppedCaps_ = false;
};
