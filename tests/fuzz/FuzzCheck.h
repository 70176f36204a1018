// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A property every input must keep. A broken one aborts, which libFuzzer
// reports as a crash with the input saved, and the replay test fails on.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                      \
    do {                                                                           \
        if (!(condition)) {                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, \
                         #condition);                                              \
            std::abort();                                                          \
        }                                                                          \
    } while (0)
