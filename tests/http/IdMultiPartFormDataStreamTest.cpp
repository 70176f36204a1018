// SPDX-License-Identifier: GPL-3.0-or-later
// The form-data request body: exact bytes for a fixed clock, independence
// from how the reads are cut, rewind, the seeks that move nothing, and the
// size known before any byte is produced.

#include "http/IdException.h"
#include "http/IdMultiPartFormDataStream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// 18 May 2008, 14:30:05.123 local time.
TIdDateTime ExampleTime() { return TIdDateTime{2008, 5, 18, 14, 30, 5, 123}; }

const std::string kBoundary = "--------051808143005123";

std::string ReadAll(TIdMultiPartFormDataStream& body, std::size_t piece)
{
    std::string all;
    std::vector<char> buffer(piece);
    while (true) {
        const std::size_t n = body.Read(buffer.data(), piece);
        all.append(buffer.data(), n);
        if (n < piece) {
            EXPECT_EQ(body.Read(buffer.data(), piece), 0u) << "bytes after a short read";
            return all;
        }
    }
}

TEST(FormDataBody, ExampleBodyByteForByte)
{
    TIdMultiPartFormDataStream body(ExampleTime);
    body.AddField("action", "1");
    body.AddField("end", "");

    const std::string expected = "--" + kBoundary + "\r\n"
                                 "Content-Disposition: form-data; name=\"action\"\r\n"
                                 "\r\n"
                                 "1\r\n"
                                 "--" + kBoundary + "\r\n"
                                 "Content-Disposition: form-data; name=\"end\"\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "--" + kBoundary + "--\r\n";
    ASSERT_EQ(expected.size(), 185u);
    EXPECT_EQ(body.Boundary(), kBoundary);
    EXPECT_EQ(body.BodyContentType(), "multipart/form-data; boundary=" + kBoundary);
    EXPECT_EQ(body.Size(), 185);
    EXPECT_EQ(ReadAll(body, 65536), expected);
}

struct ClockCase {
    TIdDateTime time;
    const char* boundary;
};

class BoundaryFromClock : public testing::TestWithParam<ClockCase> {};

TEST_P(BoundaryFromClock, MonthDayYearHourMinuteSecondMillisecond)
{
    TIdMultiPartFormDataStream body([&] { return GetParam().time; });
    EXPECT_EQ(body.Boundary(), GetParam().boundary);
    EXPECT_EQ(body.BodyContentType(), std::string("multipart/form-data; boundary=") + GetParam().boundary);
}

INSTANTIATE_TEST_SUITE_P(Times, BoundaryFromClock,
                         testing::Values(ClockCase{{2008, 5, 18, 14, 30, 5, 123}, "--------051808143005123"},
                                         ClockCase{{2000, 1, 2, 3, 4, 5, 6}, "--------010200030405006"},
                                         ClockCase{{1999, 12, 31, 23, 59, 59, 999}, "--------123199235959999"},
                                         ClockCase{{2010, 7, 5, 0, 0, 0, 0}, "--------070510000000000"}));

TEST(FormDataBody, LocalClockGivesTwentyThreeCharacterBoundary)
{
    TIdMultiPartFormDataStream body;
    const std::string& b = body.Boundary();
    ASSERT_EQ(b.size(), 23u);
    EXPECT_EQ(b.substr(0, 8), "--------");
    EXPECT_EQ(b.find_first_not_of("0123456789", 8), std::string::npos) << b;
}

// A body whose fields span several 64 KB reads and end mid-buffer.
TIdMultiPartFormDataStream MixedBody()
{
    TIdMultiPartFormDataStream body(ExampleTime);
    body.AddField("action", "2");
    body.AddField("coupname", std::string(70000, 'x'));
    body.AddField("", "");
    body.AddField("couponcomments", "line 1\r\nline 2\n\"quoted\" 100% %s %d\r");
    body.AddField("big", std::string(131072, 'y'));
    body.AddField("end", "");
    return body;
}

TEST(FormDataBody, ReadsCutAnyWayGiveTheSameBytes)
{
    std::string reference;
    for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{65536}, std::size_t{1000000}}) {
        TIdMultiPartFormDataStream body = MixedBody();
        const std::string bytes = ReadAll(body, piece);
        EXPECT_EQ(static_cast<std::int64_t>(bytes.size()), body.Size()) << "piece " << piece;
        if (reference.empty())
            reference = bytes;
        EXPECT_EQ(bytes, reference) << "piece " << piece;
    }
}

TEST(FormDataBody, ReadFillsTheBufferUntilTheEnd)
{
    TIdMultiPartFormDataStream body = MixedBody();
    const auto size = static_cast<std::size_t>(body.Size());
    std::vector<char> buffer(100);
    std::size_t total = 0;
    while (true) {
        const std::size_t n = body.Read(buffer.data(), buffer.size());
        total += n;
        if (total < size)
            ASSERT_EQ(n, buffer.size()) << "short read at " << total;
        else
            break;
    }
    EXPECT_EQ(total, size);
    EXPECT_EQ(body.Read(buffer.data(), buffer.size()), 0u);
    EXPECT_EQ(body.Read(buffer.data(), 0), 0u);
}

TEST(FormDataBody, RewindReproducesTheBytes)
{
    TIdMultiPartFormDataStream body = MixedBody();
    const std::int64_t size = body.Size();
    const std::string first = ReadAll(body, 4096);
    EXPECT_EQ(body.Seek(0, TSeekOrigin::soBeginning), 0);
    EXPECT_EQ(body.Position(), 0);
    const std::string second = ReadAll(body, 7);
    EXPECT_EQ(second, first);
    EXPECT_EQ(body.Size(), size);

    // A rewind in the middle of a read starts over as well.
    char head[10];
    body.Seek(0, TSeekOrigin::soBeginning);
    body.Read(head, sizeof head);
    body.SetPosition(0);
    EXPECT_EQ(ReadAll(body, 65536), first);
}

struct SeekCase {
    std::int64_t offset;
    TSeekOrigin origin;
    bool returnsSize;  // else the current position
};

class SeekThatMovesNothing : public testing::TestWithParam<SeekCase> {};

TEST_P(SeekThatMovesNothing, KeepsReadingWhereItWas)
{
    TIdMultiPartFormDataStream reference(ExampleTime);
    reference.AddField("action", "1");
    reference.AddField("end", "");
    const std::string all = ReadAll(reference, 1024);

    TIdMultiPartFormDataStream body(ExampleTime);
    body.AddField("action", "1");
    body.AddField("end", "");
    char buffer[256];
    ASSERT_EQ(body.Read(buffer, 50), 50u);
    const std::int64_t result = body.Seek(GetParam().offset, GetParam().origin);
    EXPECT_EQ(result, GetParam().returnsSize ? 185 : 50);
    EXPECT_EQ(body.Position(), 50);
    const std::size_t n = body.Read(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, n), all.substr(50));
}

INSTANTIATE_TEST_SUITE_P(Seeks, SeekThatMovesNothing,
                         testing::Values(SeekCase{10, TSeekOrigin::soBeginning, false},
                                         SeekCase{185, TSeekOrigin::soBeginning, false},
                                         SeekCase{0, TSeekOrigin::soCurrent, false},
                                         SeekCase{-50, TSeekOrigin::soCurrent, false},
                                         SeekCase{20, TSeekOrigin::soCurrent, false},
                                         SeekCase{0, TSeekOrigin::soEnd, true},
                                         SeekCase{-10, TSeekOrigin::soEnd, true}));

struct FieldCase {
    const char* label;
    std::string name;
    std::string value;
};

class FieldSizes : public testing::TestWithParam<FieldCase> {};

// Each field grows the size by 72 + name + value, and its bytes go into the
// body unchanged: no escaping of quotes, percent signs or line breaks.
TEST_P(FieldSizes, GrowsByItsPartAndIsSentVerbatim)
{
    const FieldCase& c = GetParam();
    TIdMultiPartFormDataStream body(ExampleTime);
    body.AddField("action", "1");
    const std::int64_t before = body.Size();
    body.AddField(c.name, c.value);
    EXPECT_EQ(body.Size() - before, static_cast<std::int64_t>(72 + c.name.size() + c.value.size()));
    body.AddField("end", "");

    const std::string bytes = ReadAll(body, 7);
    EXPECT_EQ(static_cast<std::int64_t>(bytes.size()), body.Size());
    const std::string part = "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"" + c.name +
                             "\"\r\n\r\n" + c.value + "\r\n--" + kBoundary + "\r\n";
    EXPECT_NE(bytes.find(part), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FieldSizes,
    testing::Values(FieldCase{"empty", "end", ""}, FieldCase{"percent", "p", "100%"},
                    FieldCase{"formats", "f", "%s%d%n%%"}, FieldCase{"quotes", "q\"n", "say \"hi\""},
                    FieldCase{"crlf", "c", "a\r\nb"}, FieldCase{"cr", "r", "a\rb\r"},
                    FieldCase{"lf", "l", "\na\nb"}, FieldCase{"backslash", "b\\", "C:\\dir\\"},
                    FieldCase{"high bytes", "h", "caf\xe9 \xff\x80"},
                    FieldCase{"nul", "z", std::string("a\0b", 3)}, FieldCase{"empty name", "", "v"}),
    [](const testing::TestParamInfo<FieldCase>& info) {
        std::string name = info.param.label;
        for (char& ch : name)
            if (ch == ' ')
                ch = '_';
        return name;
    });

TEST(FormDataBody, EmptyValueGivesThreeLineEndsAfterTheNameLine)
{
    TIdMultiPartFormDataStream body(ExampleTime);
    body.AddField("end", "");
    const std::string bytes = ReadAll(body, 64);
    EXPECT_NE(bytes.find("name=\"end\"\r\n\r\n\r\n\r\n--" + kBoundary + "--\r\n"), std::string::npos) << bytes;
}

TEST(FormDataBody, WithoutFieldsProducesExactlyItsSize)
{
    TIdMultiPartFormDataStream body(ExampleTime);
    EXPECT_EQ(body.Size(), 31);
    EXPECT_EQ(ReadAll(body, 100), "\r\n--" + kBoundary + "--\r\n");
}

TEST(FormDataBody, WritingIsNotSupported)
{
    TIdMultiPartFormDataStream body(ExampleTime);
    body.AddField("action", "1");
    try {
        body.Write("x", 1);
        FAIL() << "Write succeeded";
    } catch (const EIdStreamWriteNotSupported& e) {
        EXPECT_STREQ(e.what(), "Unsupported operation.");
    }
    EXPECT_THROW(body.SetSize(0), EIdStreamWriteNotSupported);
    EXPECT_EQ(body.Size(), 79 + 31);
}

}  // namespace
