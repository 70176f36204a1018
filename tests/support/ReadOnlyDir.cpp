// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/ReadOnlyDir.h"

#include <linux/capability.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr unsigned kOverrides[] = {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER};

bool SetOverrideCaps(bool on) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    for (unsigned cap : kOverrides) {
        if (on)
            data[cap / 32].effective |= 1u << (cap % 32);
        else
            data[cap / 32].effective &= ~(1u << (cap % 32));
    }
    return syscall(SYS_capset, &header, data) == 0;
}

} // namespace

ReadOnlyDir::ReadOnlyDir(std::string path) : path_(std::move(path)) {
    if (chmod(path_.c_str(), 0555) != 0)
        throw std::runtime_error("cannot make " + path_ + " read-only");
    if (geteuid() == 0) {
        if (!SetOverrideCaps(false))
            throw std::runtime_error("cannot drop the file-permission capabilities");
        droppedCaps_ = true;
    }
}

ReadOnlyDir::~ReadOnlyDir() {
    if (droppedCaps_)
        SetOverrideCaps(true);
    chmod(path_.c_str(), 0755);
}
