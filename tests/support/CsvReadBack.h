// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads a CSV file back the way a spreadsheet tool's importer does, with
// Python's csv module (UTF-8 behind a byte-order mark, RFC 4180 quoting),
// so the files the client writes are checked by a parser that is not ours.

#include <string>
#include <vector>

using CsvRows = std::vector<std::vector<std::string>>;

// The rows of the file, each field in UTF-8; empty with a reason in error
// when Python could not read it.
CsvRows ReadCsvWithPython(const std::string& path, std::string& error);
