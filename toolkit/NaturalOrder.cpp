// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/NaturalOrder.h"

namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

unsigned char Folded(char c) {
    return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
}

} // namespace

int NaturalCompare(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (Digit(a[i]) && Digit(b[j])) {
            // Leading zeros do not count; then the longer run is larger, and
            // runs of one length compare digit by digit.
            std::size_t si = i, sj = j;
            while (si < a.size() && a[si] == '0')
                ++si;
            while (sj < b.size() && b[sj] == '0')
                ++sj;
            std::size_t ei = si, ej = sj;
            while (ei < a.size() && Digit(a[ei]))
                ++ei;
            while (ej < b.size() && Digit(b[ej]))
                ++ej;
            if (ei - si != ej - sj)
                return ei - si < ej - sj ? -1 : 1;
            for (std::size_t k = 0; k < ei - si; ++k)
                if (a[si + k] != b[sj + k])
                    return a[si + k] < b[sj + k] ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        unsigned char x = Folded(a[i]), y = Folded(b[j]);
        if (x != y)
            return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
}
