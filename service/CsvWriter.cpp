// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/CsvWriter.h"

TCsvWriter::TCsvWriter(std::initializer_list<std::string_view> header) : text_("\xEF\xBB\xBF") { AddRow(header); }

void TCsvWriter::AddRow(std::initializer_list<std::string_view> fields) {
    bool first = true;
    for (std::string_view f : fields) {
        Field(f, first);
        first = false;
    }
    text_ += "\r\n";
}

void TCsvWriter::Field(std::string_view field, bool first) {
    if (!first)
        text_ += ',';
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        text_ += field;
        return;
    }
    text_ += '"';
    for (char c : field) {
        if (c == '"')
            text_ += '"';
        text_ += c;
    }
    text_ += '"';
}
