// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/CsvReadBack.h"

#include "tests/support/Process.h"

#include <sstream>

namespace {

// Python prints each row as its fields in hexadecimal, blank-separated, so
// any byte comes back unchanged.
const char kScript[] = R"PY(
import csv, sys
with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:
    for row in csv.reader(f, strict=True):
        print('row ' + ' '.join(field.encode('utf-8').hex() or '-' for field in row))
)PY";

std::string Unhex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

} // namespace

CsvRows ReadCsvWithPython(const std::string& path, std::string& error) {
    std::string script = kScript;
    std::string quoted;
    for (char c : script)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    const std::string out = RunCommand("python3 -c '" + quoted + "' '" + path + "' 2>&1");
    CsvRows rows;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("row ", 0) != 0) {
            error = out;
            return {};
        }
        std::istringstream fields(line.substr(4));
        std::vector<std::string> row;
        std::string hex;
        while (fields >> hex)
            row.push_back(hex == "-" ? std::string() : Unhex(hex));
        rows.push_back(row);
    }
    return rows;
}
