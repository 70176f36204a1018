// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A CSV file as spreadsheet programs and mailing tools read it (RFC 4180):
// fields separated by commas, a field that holds a comma, a double quote or
// a line break put between double quotes with its quotes doubled, every
// line ended by CR LF, and the whole text in UTF-8 behind a byte-order mark
// so that a spreadsheet does not guess another character set. The fields
// come in UTF-8 already.

#include <initializer_list>
#include <string>
#include <string_view>

class TCsvWriter {
public:
    // Starts the text with the byte-order mark and the header row.
    explicit TCsvWriter(std::initializer_list<std::string_view> header);

    void AddRow(std::initializer_list<std::string_view> fields);
    // Room for about this many more bytes, so a large export grows once.
    void Reserve(std::size_t bytes) { text_.reserve(text_.size() + bytes); }

    const std::string& Text() const { return text_; }

private:
    void Field(std::string_view field, bool first);

    std::string text_;
};
