// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A failure of the platform layer (a file that cannot be written, say). It
// is not caught by the layer: it reaches the caller, and when no handler
// catches it, the crash reporter.

#include <stdexcept>
#include <string>

class EPlatformError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
