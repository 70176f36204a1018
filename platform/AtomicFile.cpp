// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include "platform/PlatformError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {
[[noreturn]] void Fail(const std::string& path, int err) {
    throw EPlatformError("Cannot create file \"" + path + "\". " + std::strerror(err));
}

struct PathParts {
    std::string dir;   // "." for a bare name
    std::string name;
};

PathParts Split(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

std::string InDir(const PathParts& p, const std::string& name) {
    return (p.dir == "/" ? "" : p.dir) + "/" + name;
}

bool IsNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

std::string RandomSuffix() {
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 generator(std::random_device{}());
    std::uniform_int_distribution<int> pick(0, 61);
    std::string suffix(6, 'A');
    for (char& c : suffix)
        c = kChars[pick(generator)];
    return suffix;
}

// What an earlier crash left: a temporary of this file is removed whole.
void RemoveStaleTemporaries(const PathParts& p) {
    DIR* dir = opendir(p.dir.c_str());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir))
        if (IsTemporaryNameOf(entry->d_name, p.name))
            unlinkat(dirfd(dir), entry->d_name, 0);
    closedir(dir);
}

// Writes all bytes with the mode asked for, and makes them durable. 0 or
// the errno of the failure.
int FillAndSync(int fd, const std::string& bytes, mode_t mode) {
    if (fchmod(fd, mode) != 0)
        return errno;
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return fsync(fd) == 0 ? 0 : errno;
}

// Names the unnamed file under a temporary name and renames that over the
// target: a file cannot be linked over an existing one. 0 or an errno.
int NameAndReplace(int fd, const PathParts& p, const std::string& path) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string tmp = InDir(p, "." + p.name + "." + RandomSuffix());
        int rc = linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tmp.c_str(), AT_SYMLINK_FOLLOW);
        if (rc != 0 && errno == ENOENT)  // no /proc: the direct way, where allowed
            rc = linkat(fd, "", AT_FDCWD, tmp.c_str(), AT_EMPTY_PATH);
        if (rc != 0) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        if (rename(tmp.c_str(), path.c_str()) != 0) {
            const int err = errno;
            unlink(tmp.c_str());
            return err;
        }
        return 0;
    }
    return EEXIST;
}

// The bytes staged in an unnamed file; false when that cannot be done here
// (the named way then tries again and reports what fails).
bool WriteUnnamed(const PathParts& p, const std::string& path, const std::string& bytes, mode_t mode) {
    const int fd = open(p.dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return false;
    int err = FillAndSync(fd, bytes, mode);
    if (err == 0)
        err = NameAndReplace(fd, p, path);
    close(fd);
    return err == 0;
}

void WriteNamed(const PathParts& p, const std::string& path, const std::string& bytes, mode_t mode) {
    std::string tmp = InDir(p, "." + p.name + ".XXXXXX");
    int fd = mkstemp(tmp.data());
    if (fd < 0)
        Fail(path, errno);
    // mkstemp creates 0600; FillAndSync widens only to what the caller asked for.
    int err = FillAndSync(fd, bytes, mode);
    if (close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && rename(tmp.c_str(), path.c_str()) != 0)
        err = errno;
    if (err != 0) {
        unlink(tmp.c_str());
        Fail(path, err);
    }
}

} // namespace

bool IsTemporaryNameOf(const std::string& name, const std::string& target) {
    if (name.size() != target.size() + 8 || name[0] != '.' || name.compare(1, target.size(), target) != 0 ||
        name[target.size() + 1] != '.')
        return false;
    for (std::size_t i = target.size() + 2; i < name.size(); ++i)
        if (!IsNameChar(name[i]))
            return false;
    return true;
}

void RemoveStaleTemporaries(const std::string& path) { RemoveStaleTemporaries(Split(path)); }

void WriteFileAtomically(const std::string& path, const std::string& bytes, mode_t mode, TAtomicStaging staging) {
    const PathParts parts = Split(path);
    RemoveStaleTemporaries(parts);
    if (staging == TAtomicStaging::Unnamed && WriteUnnamed(parts, path, bytes, mode))
        return;
    WriteNamed(parts, path, bytes, mode);
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    bytes.clear();
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes.append(buf, n);
    std::fclose(f);
    return true;
}

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
