// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One text field of a multipart/form-data request body: its name, its value
// and the length of its encoded part, known as soon as the field is added so
// that the body's size never needs the encoded bytes.

#include <cstdint>
#include <string>

class TIdFormDataField {
public:
    TIdFormDataField(std::string name, std::string value, const std::string& boundary);

    const std::string& FieldName() const { return name_; }
    const std::string& FieldValue() const { return value_; }
    std::uint64_t EncodedLength() const { return encodedLength_; }

    // Appends the field's part (delimiter line, disposition line, empty line,
    // value, line end) to out. Name and value go in as bytes, unescaped.
    void EncodeTo(std::string& out, const std::string& boundary) const;

private:
    std::string name_;
    std::string value_;
    std::uint64_t encodedLength_;
};
