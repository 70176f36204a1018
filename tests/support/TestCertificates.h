// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Certificates made at test time, never kept in the repository: a test CA
// that the client trusts, and server certificates for loopback that pass or
// fail verification in one way each. One set per test program, made on first
// use in a temporary directory. Making it points the client's trust store at
// the test CA alone (SSL_CERT_FILE, SSL_CERT_DIR), so it must happen before
// the program's first secure connect: the client reads the store once.

#include "tests/support/TempDir.h"

#include <string>

typedef struct ssl_ctx_st SSL_CTX;

class TestCertificates {
public:
    enum class Kind {
        Good,        // from the test CA, for 127.0.0.1 and localhost
        Expired,     // from the test CA, valid until yesterday
        WrongHost,   // from the test CA, for other.example only
        SelfSigned,  // for 127.0.0.1, signed by its own key
        UntrustedCA  // for 127.0.0.1, from a CA the client does not know
    };

    static TestCertificates& Instance();

    // PEM files of a server certificate and of its private key.
    std::string CertFile(Kind kind) const;
    std::string KeyFile(Kind kind) const;
    // A new TLS server context serving that certificate with its key; the
    // caller frees it (SSL_CTX_free).
    SSL_CTX* NewServerContext(Kind kind) const;
    // The test CA's certificate, the client's whole trust store.
    std::string CAFile() const { return dir_.File("ca.pem"); }

private:
    TestCertificates();
    TempDir dir_;
};
