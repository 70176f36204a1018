// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The platform's socket layer as the transport sees it. Failure messages carry
// Windows Sockets error numbers and texts ("Socket Error # 10061\r\nConnection
// refused."), so POSIX error numbers are translated here; host names are
// resolved here to one IPv4 address.

#include <netinet/in.h>

#include <string>

class TIdStack {
public:
    // The Windows Sockets number for a POSIX errno. An errno without a
    // counterpart passes unchanged (its message then has an empty text).
    static int WSErrorFromErrno(int err);
    // The Windows Sockets number for a failed getaddrinfo() (EAI_* code; err
    // is errno, consulted for EAI_SYSTEM).
    static int WSErrorFromResolver(int gaiCode, int err);
    // The fixed text of a Windows Sockets number; empty for numbers not known.
    static std::string WSTranslateSocketErrorMsg(int wsaError);
    // "Socket Error # <n>\r\n<text>".
    static std::string SocketErrorMessage(int wsaError);
    [[noreturn]] static void RaiseSocketError(int wsaError);
    // Raises EIdSocketError for the current errno.
    [[noreturn]] static void RaiseLastSocketError();

    // Addresses that need no lookup: "localhost" in any letter case, and four
    // dot-separated decimal numbers each from 0 to 255.
    static bool ParseIPv4Literal(const std::string& host, in_addr& address);
    // A literal as above, else the first IPv4 address of the platform's host
    // lookup. A failed lookup raises EIdSocketError.
    static in_addr ResolveHost(const std::string& host);
};
