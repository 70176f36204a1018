// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdFormDataField.h"

#include <utility>

namespace {
constexpr char kDisposition[] = "Content-Disposition: form-data; name=\"";
}

TIdFormDataField::TIdFormDataField(std::string name, std::string value, const std::string& boundary)
    : name_(std::move(name)), value_(std::move(value))
{
    // "--" boundary CRLF, disposition with the quoted name CRLF, CRLF, value CRLF.
    encodedLength_ = 2 + boundary.size() + 2 + (sizeof kDisposition - 1) + name_.size() + 1 + 2 + 2 +
                     value_.size() + 2;
}

void TIdFormDataField::EncodeTo(std::string& out, const std::string& boundary) const
{
    out.reserve(out.size() + encodedLength_);
    out += "--";
    out += boundary;
    out += "\r\n";
    out += kDisposition;
    out += name_;
    out += "\"\r\n\r\n";
    out += value_;
    out += "\r\n";
}
