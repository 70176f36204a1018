// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A multipart/form-data request body (RFC 2388) of text fields, as every
// action of the coupon service is posted. It is a read-only byte source
// generated on demand from the field list, so the caller never holds the
// encoded bytes; its size is known at any time without encoding anything.

#include "http/IdDateTime.h"
#include "http/IdFormDataField.h"
#include "http/IdStream.h"

#include <cstdint>
#include <string>
#include <vector>

class TIdMultiPartFormDataStream : public TIdStream {
public:
    // The boundary is made from the local clock at creation.
    TIdMultiPartFormDataStream();
    // Takes the creation time from clock instead, so the boundary is known.
    explicit TIdMultiPartFormDataStream(const TIdLocalClock& clock);

    // Appends one text field; name and value are bytes, sent unchanged.
    void AddField(const std::string& name, const std::string& value);

    // "multipart/form-data; boundary=" and the boundary.
    const std::string& BodyContentType() const { return bodyContentType_; }
    // Eight hyphens and fifteen clock digits (MMDDYYhhmmsszzz).
    const std::string& Boundary() const { return boundary_; }
    std::size_t FieldCount() const { return fields_.size(); }

    // Fills the buffer completely while bytes remain; 0 at the end.
    std::size_t Read(void* buffer, std::size_t count) override;
    // The body is read-only: raises EIdStreamWriteNotSupported.
    std::size_t Write(const void* buffer, std::size_t count) override;
    // Only a seek to offset 0 from the start moves (it rewinds). Any other
    // seek returns the position, or the size for a seek from the end.
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    // Total of the field parts plus the closing delimiter.
    std::int64_t Size() override;
    // Raises EIdStreamWriteNotSupported.
    void SetSize(std::int64_t size) override;

private:
    void Rewind();

    std::string boundary_;
    std::string bodyContentType_;
    std::vector<TIdFormDataField> fields_;
    std::uint64_t fieldsTotal_ = 0;

    // Read state: encoded bytes not yet handed out, and where they came from.
    std::size_t nextField_ = 0;
    bool closed_ = false;  // closing delimiter already encoded
    std::string pending_;
    std::size_t pendingStart_ = 0;
    std::int64_t position_ = 0;
    bool started_ = false;
};
