// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdStack.h"

#include "http/IdException.h"
#include "http/IdGlobal.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <strings.h>

namespace {

struct ErrnoNumber {
    int err;
    int wsa;
};

// errno values whose meaning matches a Windows Sockets number. Several POSIX
// numbers share one Windows number where the platforms split hairs
// differently (EPERM on a filtered connect is Windows' "Access denied.").
constexpr ErrnoNumber kErrnoNumbers[] = {
    {EINTR, 10004},        {EBADF, 10009},        {EACCES, 10013},       {EPERM, 10013},
    {EFAULT, 10014},       {EINVAL, 10022},       {EMFILE, 10024},       {ENFILE, 10024},
    {EWOULDBLOCK, 10035},  {EAGAIN, 10035},       {EINPROGRESS, 10036},  {EALREADY, 10037},
    {ENOTSOCK, 10038},     {EDESTADDRREQ, 10039}, {EMSGSIZE, 10040},     {EPROTOTYPE, 10041},
    {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044},
    {EOPNOTSUPP, 10045},   {EPFNOSUPPORT, 10046}, {EAFNOSUPPORT, 10047}, {EADDRINUSE, 10048},
    {EADDRNOTAVAIL, 10049}, {ENETDOWN, 10050},    {ENETUNREACH, 10051},  {ENETRESET, 10052},
    {ECONNABORTED, 10053}, {ECONNRESET, 10054},   {ENOBUFS, 10055},      {ENOMEM, 10055},
    {EISCONN, 10056},      {ENOTCONN, 10057},     {ESHUTDOWN, 10058},
    // Sending on a connection that is shut down or gone.
    {EPIPE, 10058},
    {ETOOMANYREFS, 10059}, {ETIMEDOUT, 10060},    {ECONNREFUSED, 10061}, {ELOOP, 10062},
    {ENAMETOOLONG, 10063}, {EHOSTDOWN, 10064},    {EHOSTUNREACH, 10065}, {ENOTEMPTY, 10066},
};

struct NumberText {
    int wsa;
    const char* text;
};

constexpr NumberText kTexts[] = {
    {10004, "Interrupted system call."},
    {10009, "Bad file number."},
    {10013, "Access denied."},
    {10014, "Bad address."},
    {10022, "Invalid argument."},
    {10024, "Too many open files."},
    {10035, "Operation would block. "},
    {10036, "Operation now in progress."},
    {10037, "Operation already in progress."},
    {10038, "Socket operation on non-socket."},
    {10039, "Destination address required."},
    {10040, "Message too long."},
    {10041, "Protocol wrong type for socket."},
    {10042, "Bad protocol option."},
    {10043, "Protocol not supported."},
    {10044, "Socket type not supported."},
    {10045, "Operation not supported on socket."},
    {10046, "Protocol family not supported."},
    {10047, "Address family not supported by protocol family."},
    {10048, "Address already in use."},
    {10049, "Cannot assign requested address."},
    {10050, "Network is down."},
    {10051, "Network is unreachable."},
    {10052, "Net dropped connection or reset."},
    {10053, "Software caused connection abort."},
    {10054, "Connection reset by peer."},
    {10055, "No buffer space available."},
    {10056, "Socket is already connected."},
    {10057, "Socket is not connected."},
    {10058, "Cannot send or receive after socket is closed."},
    {10059, "Too many references, cannot splice."},
    {10060, "Connection timed out."},
    {10061, "Connection refused."},
    {10062, "Too many levels of symbolic links."},
    {10063, "File name too long."},
    {10064, "Host is down."},
    {10065, "No route to host."},
    {10066, "Directory not empty"},
};

// Windows' resolver numbers: host not found, try again, non-recoverable, no data.
constexpr int kHostNotFound = 11001;
constexpr int kTryAgain = 11002;
constexpr int kNoRecovery = 11003;
constexpr int kNoData = 11004;

bool ParseOctet(const std::string& text, unsigned& value) {
    std::int64_t v = 0;
    if (!ParseDigits(text, 255, v))
        return false;
    value = unsigned(v);
    return true;
}

}  // namespace

int TIdStack::WSErrorFromErrno(int err) {
    for (const auto& entry : kErrnoNumbers)
        if (entry.err == err)
            return entry.wsa;
    return err;
}

int TIdStack::WSErrorFromResolver(int gaiCode, int err) {
    switch (gaiCode) {
    case EAI_NONAME:
        return kHostNotFound;
    case EAI_AGAIN:
        return kTryAgain;
#ifdef EAI_NODATA
    case EAI_NODATA:
        return kNoData;
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
        return kNoData;
#endif
    case EAI_FAMILY:
        return 10047;
    case EAI_MEMORY:
        return 10055;
    case EAI_SYSTEM:
        return WSErrorFromErrno(err);
    default:
        return kNoRecovery;
    }
}

std::string TIdStack::WSTranslateSocketErrorMsg(int wsaError) {
    for (const auto& entry : kTexts)
        if (entry.wsa == wsaError)
            return entry.text;
    return {};
}

std::string TIdStack::SocketErrorMessage(int wsaError) {
    return "Socket Error # " + std::to_string(wsaError) + "\r\n" + WSTranslateSocketErrorMsg(wsaError);
}

void TIdStack::RaiseSocketError(int wsaError) {
    throw EIdSocketError(wsaError, SocketErrorMessage(wsaError));
}

void TIdStack::RaiseLastSocketError() {
    RaiseSocketError(WSErrorFromErrno(errno));
}

bool TIdStack::ParseIPv4Literal(const std::string& host, in_addr& address) {
    if (strcasecmp(host.c_str(), "localhost") == 0 && host.size() == 9) {
        address.s_addr = htonl(INADDR_LOOPBACK);
        return true;
    }
    unsigned octets[4];
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        std::size_t dot = host.find('.', start);
        if ((i < 3) != (dot != std::string::npos))
            return false;
        std::size_t end = i < 3 ? dot : host.size();
        if (!ParseOctet(host.substr(start, end - start), octets[i]))
            return false;
        start = end + 1;
    }
    address.s_addr = htonl((octets[0] << 24) | (octets[1] << 16) | (octets[2] << 8) | octets[3]);
    return true;
}

in_addr TIdStack::ResolveHost(const std::string& host) {
    in_addr address{};
    if (ParseIPv4Literal(host, address))
        return address;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    errno = 0;
    int rc = getaddrinfo(host.c_str(), nullptr, &hints, &result);
    if (rc != 0)
        RaiseSocketError(WSErrorFromResolver(rc, errno));
    address = reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr;
    freeaddrinfo(result);
    return address;
}
