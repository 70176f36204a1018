// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/TestCertificates.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace {

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertFree {
    void operator()(X509* cert) const { X509_free(cert); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Cert = std::unique_ptr<X509, CertFree>;

void Require(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(std::string("TestCertificates: ") + what);
}

Key NewKey() {
    Key key(EVP_EC_gen("P-256"));
    Require(key != nullptr, "no key");
    return key;
}

void AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    Require(extension && X509_add_ext(cert, extension, -1) == 1, "no extension");
    X509_EXTENSION_free(extension);
}

// A certificate for subject's key, valid from fromDays to untilDays around
// now, signed by issuerKey (issuer null: by its own key).
Cert Make(const std::string& commonName, EVP_PKEY* key, X509* issuer, EVP_PKEY* issuerKey, long fromDays,
          long untilDays, const char* altNames, bool ca) {
    static long serial = 1;
    Cert cert(X509_new());
    Require(cert != nullptr, "no certificate");
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial++);
    X509_time_adj_ex(X509_getm_notBefore(cert.get()), int(fromDays), 0, nullptr);
    X509_time_adj_ex(X509_getm_notAfter(cert.get()), int(untilDays), 0, nullptr);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName.c_str()),
                               -1, -1, 0);
    X509_set_issuer_name(cert.get(), issuer ? X509_get_subject_name(issuer) : name);
    X509_set_pubkey(cert.get(), key);
    X509* signer = issuer ? issuer : cert.get();
    if (ca) {
        AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:FALSE");
        AddExtension(cert.get(), signer, NID_ext_key_usage, "serverAuth");
        AddExtension(cert.get(), signer, NID_subject_alt_name, altNames);
    }
    AddExtension(cert.get(), signer, NID_subject_key_identifier, "hash");
    Require(X509_sign(cert.get(), issuerKey ? issuerKey : key, EVP_sha256()) > 0, "cannot sign");
    return cert;
}

void WriteCert(const std::string& path, X509* cert) {
    FILE* file = std::fopen(path.c_str(), "w");
    Require(file && PEM_write_X509(file, cert) == 1, "cannot write a certificate");
    std::fclose(file);
}

void WriteKey(const std::string& path, EVP_PKEY* key) {
    FILE* file = std::fopen(path.c_str(), "w");
    Require(file && PEM_write_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr) == 1,
            "cannot write a key");
    std::fclose(file);
}

const char* Name(TestCertificates::Kind kind) {
    switch (kind) {
    case TestCertificates::Kind::Good:
        return "good";
    case TestCertificates::Kind::Expired:
        return "expired";
    case TestCertificates::Kind::WrongHost:
        return "wronghost";
    case TestCertificates::Kind::SelfSigned:
        return "selfsigned";
    case TestCertificates::Kind::UntrustedCA:
        return "untrusted";
    }
    return "";
}

}  // namespace

TestCertificates& TestCertificates::Instance() {
    static TestCertificates certificates;
    return certificates;
}

TestCertificates::TestCertificates() {
    const char* loopback = "IP:127.0.0.1,DNS:localhost";
    Key caKey = NewKey();
    Cert ca = Make("Corvanta Test CA", caKey.get(), nullptr, nullptr, -1, 30, nullptr, true);
    Key otherCaKey = NewKey();
    Cert otherCa = Make("Unknown Test CA", otherCaKey.get(), nullptr, nullptr, -1, 30, nullptr, true);
    WriteCert(CAFile(), ca.get());

    struct Leaf {
        Kind kind;
        X509* issuer;
        EVP_PKEY* issuerKey;
        long from, until;
        const char* altNames;
    };
    const Leaf leaves[] = {
        {Kind::Good, ca.get(), caKey.get(), -1, 30, loopback},
        {Kind::Expired, ca.get(), caKey.get(), -30, -1, loopback},
        {Kind::WrongHost, ca.get(), caKey.get(), -1, 30, "DNS:other.example"},
        {Kind::SelfSigned, nullptr, nullptr, -1, 30, loopback},
        {Kind::UntrustedCA, otherCa.get(), otherCaKey.get(), -1, 30, loopback},
    };
    for (const Leaf& leaf : leaves) {
        Key key = NewKey();
        Cert cert = Make(std::string("corvanta-") + Name(leaf.kind), key.get(), leaf.issuer, leaf.issuerKey, leaf.from,
                         leaf.until, leaf.altNames, false);
        WriteCert(CertFile(leaf.kind), cert.get());
        WriteKey(KeyFile(leaf.kind), key.get());
    }
    // The test CA is the client's whole trust store; the directory holds no
    // hashed certificates, so nothing of the system's store is consulted.
    ::setenv("SSL_CERT_FILE", CAFile().c_str(), 1);
    ::setenv("SSL_CERT_DIR", dir_.Path().c_str(), 1);
}

std::string TestCertificates::CertFile(Kind kind) const {
    return dir_.File(std::string(Name(kind)) + ".pem");
}

std::string TestCertificates::KeyFile(Kind kind) const {
    return dir_.File(std::string(Name(kind)) + "-key.pem");
}

SSL_CTX* TestCertificates::NewServerContext(Kind kind) const {
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    if (!context || SSL_CTX_use_certificate_chain_file(context, CertFile(kind).c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(context, KeyFile(kind).c_str(), SSL_FILETYPE_PEM) != 1) {
        const unsigned long code = ERR_peek_last_error();
        ERR_clear_error();
        SSL_CTX_free(context);
        const char* reason = code ? ERR_reason_error_string(code) : nullptr;
        throw std::runtime_error(std::string("TestCertificates: cannot load the certificate: ") +
                                 (reason ? reason : "unknown error"));
    }
    return context;
}
