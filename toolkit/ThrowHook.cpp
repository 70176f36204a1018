// SPDX-License-Identifier: GPL-3.0-or-later
// Records the call stack of every C++ throw on its thread, just before the
// throw proceeds, so that a failure reaching the crash reporter carries the
// stack of the place that raised it. The runtime's own __cxa_throw is found
// with dlsym and called unchanged.

#include <dlfcn.h>
#include <execinfo.h>
#include <typeinfo>

namespace corvanta_throw_hook {
constexpr int kMaxFrames = 64;
thread_local void* frames[kMaxFrames];
thread_local int frameCount = 0;
thread_local const std::type_info* type = nullptr;
} // namespace corvanta_throw_hook

extern "C" {
using CxaThrow = void (*)(void*, std::type_info*, void (*)(void*));

[[noreturn]] void __cxa_throw(void* object, std::type_info* tinfo, void (*destructor)(void*)) {
    static CxaThrow real = reinterpret_cast<CxaThrow>(dlsym(RTLD_NEXT, "__cxa_throw"));
    corvanta_throw_hook::frameCount = backtrace(corvanta_throw_hook::frames, corvanta_throw_hook::kMaxFrames);
    corvanta_throw_hook::type = tinfo;
    real(object, tinfo, destructor);
    __builtin_unreachable();
}
}
