// SPDX-License-Identifier: GPL-3.0-or-later
// CSV text as spreadsheet programs read it: byte-order mark, header, CR LF,
// quoting only where a field needs it.

#include "service/CsvWriter.h"
#include "tests/support/CsvReadBack.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

const std::string kBom = "\xEF\xBB\xBF";

struct FieldCase {
    std::string field;
    std::string written;
};

TEST(CsvWriter, QuotesOnlyWhatNeedsItAndDoublesQuotes) {
    const FieldCase cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"with blank", "with blank"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"\"", "\"\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"lf\nonly", "\"lf\nonly\""},
        {"cr\ronly", "\"cr\ronly\""},
        {"Caf\xC3\xA9", "Caf\xC3\xA9"},  // UTF-8 passes as it is
        {"'=1+1", "'=1+1"},
    };
    for (const FieldCase& c : cases) {
        TCsvWriter csv({"H"});
        csv.AddRow({c.field});
        EXPECT_EQ(csv.Text(), kBom + "H\r\n" + c.written + "\r\n") << c.field;
    }
}

TEST(CsvWriter, HeaderThenRowsEachEndedByCrLf) {
    TCsvWriter csv({"Coupon Name", "Code", "Expired", "Id"});
    csv.AddRow({"Spring, sale", "ABC", "False", "7"});
    csv.AddRow({"", "", "", ""});
    EXPECT_EQ(csv.Text(), kBom + "Coupon Name,Code,Expired,Id\r\n\"Spring, sale\",ABC,False,7\r\n,,,\r\n");
}

} // namespace

namespace {

// What a spreadsheet's importer makes of it: Python's csv module reads the
// same fields back, whatever they hold.
TEST(CsvWriter, AnotherParserReadsTheFieldsBack) {
    const std::vector<std::vector<std::string>> rows = {
        {"Coupon Name", "Code", "Expired", "Id"},
        {"Spring, sale", "say \"hi\"", "No\xC3\xABl", "7"},
        {"two\r\nlines", "", "\"", ","},
    };
    TCsvWriter csv({rows[0][0], rows[0][1], rows[0][2], rows[0][3]});
    for (const std::vector<std::string>& row : {rows[1], rows[2]})
        csv.AddRow({row[0], row[1], row[2], row[3]});
    TempDir dir;
    dir.Write("out.csv", csv.Text());
    std::string error;
    EXPECT_EQ(ReadCsvWithPython(dir.File("out.csv"), error), rows) << error;
}

} // namespace
