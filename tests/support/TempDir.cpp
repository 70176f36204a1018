// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/TempDir.h"

#include "tests/support/FileBytes.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvanta-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory");
    path_ = pattern + "/";
}

TempDir::~TempDir() {
    std::error_code ec;
    // A test may have made the directory read-only; give the rights back first.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

void TempDir::Write(const std::string& name, const std::string& bytes) const { WriteFileBytes(File(name), bytes); }

std::string TempDir::Read(const std::string& name) const { return ReadFileBytes(File(name)); }

bool TempDir::Exists(const std::string& name) const {
    return std::filesystem::exists(File(name));
}
