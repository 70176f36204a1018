// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/StackTrace.h"

#include <cstdlib>
#include <cxxabi.h>
#include <execinfo.h>
#include <memory>

namespace corvanta_throw_hook {
constexpr int kMaxFrames = 64;
extern thread_local void* frames[kMaxFrames];
extern thread_local int frameCount;
extern thread_local const std::type_info* type;
} // namespace corvanta_throw_hook

namespace {

// "module(mangled+0x12) [0xaddr]" with the name demangled where possible.
std::string Symbolise(void* const* frames, int count) {
    std::string out;
    std::unique_ptr<char*, decltype(&std::free)> symbols(backtrace_symbols(frames, count), &std::free);
    for (int i = 0; i < count; ++i) {
        std::string line = symbols ? symbols.get()[i] : "?";
        std::size_t open = line.find('('), plus = line.find('+', open);
        if (open != std::string::npos && plus != std::string::npos && plus > open + 1)
            line = line.substr(0, open + 1) + Demangle(line.substr(open + 1, plus - open - 1).c_str()) +
                   line.substr(plus);
        out += "  #" + std::to_string(i) + " " + line + "\n";
    }
    return out;
}

} // namespace

std::string Demangle(const char* mangled) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                     &std::free);
    return status == 0 && name ? std::string(name.get()) : std::string(mangled);
}

std::string LastThrowStack() {
    // Frame 0 is the hook itself.
    int n = corvanta_throw_hook::frameCount;
    return n > 1 ? Symbolise(corvanta_throw_hook::frames + 1, n - 1) : std::string();
}

std::string LastThrowType() {
    return corvanta_throw_hook::type ? Demangle(corvanta_throw_hook::type->name()) : std::string();
}

std::string CurrentStack() {
    void* frames[64];
    int n = backtrace(frames, 64);
    return Symbolise(frames + 1, n - 1);
}
