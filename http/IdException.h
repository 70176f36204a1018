// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The transport's failure classes. Every failure of the transport is one of
// these, carrying the exact message text that callers and users see; nothing
// in the transport returns an error code.

#include <exception>
#include <string>
#include <utility>

class EIdException : public std::exception {
public:
    explicit EIdException(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }

private:
    std::string message_;
};

#define CORVANTA_DECLARE_EID(Name, Base)                                   \
    class Name : public Base {                                            \
    public:                                                               \
        using Base::Base;                                                 \
    }

// Fixed-text failures take their text from the constructor default.
#define CORVANTA_DECLARE_EID_TEXT(Name, Base, Text)                       \
    class Name : public Base {                                            \
    public:                                                               \
        Name() : Base(Text) {}                                            \
        explicit Name(std::string message) : Base(std::move(message)) {}  \
    }

CORVANTA_DECLARE_EID_TEXT(EIdAlreadyConnected, EIdException, "Already connected.");
CORVANTA_DECLARE_EID_TEXT(EIdInvalidSocket, EIdException, "Cannot allocate socket.");
CORVANTA_DECLARE_EID_TEXT(EIdCouldNotBindSocket, EIdException,
                          "Could not bind socket. Address and port are already in use.");
CORVANTA_DECLARE_EID_TEXT(EIdConnectTimeout, EIdException, "Connect timed out.");
CORVANTA_DECLARE_EID(EIdConnectException, EIdException);
CORVANTA_DECLARE_EID_TEXT(EIdReadTimeout, EIdException, "Read Timeout");
CORVANTA_DECLARE_EID_TEXT(EIdConnClosedGracefully, EIdException, "Connection Closed Gracefully.");
CORVANTA_DECLARE_EID_TEXT(EIdReadLnMaxLineLengthExceeded, EIdException, "Max line length exceeded.");
CORVANTA_DECLARE_EID_TEXT(EIdNotConnected, EIdException, "Not Connected");
CORVANTA_DECLARE_EID_TEXT(EIdNoDataToRead, EIdException, "No data to read.");
CORVANTA_DECLARE_EID_TEXT(EIdIOHandlerPropInvalid, EIdException, "IOHandler value is not valid");
// A TLS handshake or session failed, or the peer's certificate was refused;
// the message names the reason ("Certificate refused: certificate has
// expired").
CORVANTA_DECLARE_EID(EIdTLSError, EIdException);
CORVANTA_DECLARE_EID_TEXT(EIdUnknownProtocol, EIdException, "");
CORVANTA_DECLARE_EID_TEXT(EIdStreamWriteNotSupported, EIdException, "Unsupported operation.");
// A server's answer past what the client takes in: a head over 1 MiB or
// 1,000 header lines, a body over the client's maximum body size.
CORVANTA_DECLARE_EID_TEXT(EIdResponseHeadTooLarge, EIdException, "Response head too large.");
CORVANTA_DECLARE_EID_TEXT(EIdResponseBodyTooLarge, EIdException, "Response body too large.");
// A response whose framing cannot be read: a chunk size beyond 60 bits.
CORVANTA_DECLARE_EID_TEXT(EIdBrokenResponse, EIdException, "Chunk size too large.");

// A socket call failed: the number is the Windows Sockets error number that the
// POSIX error maps to, and the message is "Socket Error # <n>\r\n<text>".
class EIdSocketError : public EIdException {
public:
    EIdSocketError(int lastError, std::string message)
        : EIdException(std::move(message)), lastError_(lastError) {}
    int LastError() const noexcept { return lastError_; }

private:
    int lastError_;
};

// A response status the client does not accept. The message is the status
// line as received; the body that came with it is kept as the error text.
class EIdHTTPProtocolException : public EIdException {
public:
    EIdHTTPProtocolException(int errorCode, std::string statusLine, std::string errorMessage)
        : EIdException(std::move(statusLine)), errorCode_(errorCode),
          errorMessage_(std::move(errorMessage)) {}
    int ErrorCode() const noexcept { return errorCode_; }
    const std::string& ErrorMessage() const noexcept { return errorMessage_; }

private:
    int errorCode_;
    std::string errorMessage_;
};

// A text that should have been a number was not ("'x' is not a valid integer
// value"), as raised by the cookie store for a Set-Cookie2 Port item.
class EConvertError : public std::exception {
public:
    explicit EConvertError(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

#undef CORVANTA_DECLARE_EID
#undef CORVANTA_DECLARE_EID_TEXT
