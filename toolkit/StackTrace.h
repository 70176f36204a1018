// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Call stacks for the crash reporter: the stack of the most recent throw on
// this thread (recorded when the failure was raised, so the report shows
// where it came from rather than where it was caught) and the current one.

#include <string>
#include <typeinfo>

// The recorded stack of the last failure raised on this thread, symbolised.
std::string LastThrowStack();
// The type name of the last failure raised on this thread, demangled.
std::string LastThrowType();
// The current call stack, symbolised.
std::string CurrentStack();
// A type name, demangled.
std::string Demangle(const char* mangled);
