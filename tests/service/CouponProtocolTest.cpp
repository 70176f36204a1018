// SPDX-License-Identifier: GPL-3.0-or-later
// The coupon service protocol: script URL, fields of each action, judgement
// of replies and decoding of list and record replies.

#include "service/CouponProtocol.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Names(const TFormFields& fields) {
    std::vector<std::string> names;
    for (const auto& f : fields)
        names.push_back(f.first);
    return names;
}

TEST(ScriptURL, IsPlainConcatenationOfSiteSlashAndScript) {
    TServerSettings s;
    s.ScriptName = "couponsactions.php";
    s.WebServer = "http://shop.example";
    EXPECT_EQ(ScriptURL(s), "http://shop.example/couponsactions.php");
    s.WebServer = "http://shop.example/";
    EXPECT_EQ(ScriptURL(s), "http://shop.example//couponsactions.php");
    s.WebServer = "";
    EXPECT_EQ(ScriptURL(s), "/couponsactions.php");
}

TEST(ActionFields, EachActionSendsItsFieldsInOrderBetweenActionAndEnd) {
    TCouponRecord r{"12", "ABCDEF", "Spring, sale", "0", "2", "30", "2008-7-5", "http://o", "a\r\nb", "2008-7-5"};
    const std::vector<std::string> record{"action", "coupid", "coupcode", "coupname", "coupexpired",
                                          "coupexpirtype", "coupexpirdays", "coupexpirdate",
                                          "couponorderurl", "couponcomments", "coupcreatedate", "end"};
    struct Case {
        TFormFields fields;
        std::string action;
        std::vector<std::string> names;
    } cases[] = {
        {CheckServerFields(), "1", {"action", "end"}},
        {AddCouponFields(r), "2", record},
        {UpdateCouponFields(r), "3", record},
        {DeleteCouponsFields("4,9,12"), "4", {"action", "coupdeleteids", "end"}},
        {RefreshCouponsFields(), "5", {"action", "end"}},
        {StatisticsFields(), "6", {"action", "end"}},
        {CouponCodeExistsFields("QWERTY"), "8", {"action", "coupcode", "end"}},
        {FetchCouponFields("7"), "9", {"action", "coupid", "end"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Names(c.fields), c.names) << "action " << c.action;
        EXPECT_EQ(c.fields.front().second, c.action);
        EXPECT_EQ(c.fields.back().second, "");
    }
    // Values pass unchanged.
    TFormFields add = AddCouponFields(r);
    EXPECT_EQ(add[3].second, "Spring, sale");
    EXPECT_EQ(add[9].second, "a\r\nb");
    EXPECT_EQ(DeleteCouponsFields("4,9,12")[1].second, "4,9,12");
    EXPECT_EQ(CouponCodeExistsFields("QWERTY")[1].second, "QWERTY");
    EXPECT_EQ(FetchCouponFields("7")[1].second, "7");
}

TEST(Judgement, RepliesAreComparedWholeAndCaseSensitive) {
    struct Case {
        std::string reply;
        bool ready;
        SaveOutcome add, update;
        bool exists;
        bool hasOK;
    } cases[] = {
        {"OK", true, SaveOutcome::Done, SaveOutcome::Done, false, true},
        {"OK\n", false, SaveOutcome::Trouble, SaveOutcome::Trouble, false, true},
        {"OK\r\n", false, SaveOutcome::Trouble, SaveOutcome::Trouble, false, true},
        {" OK", false, SaveOutcome::Trouble, SaveOutcome::Trouble, false, true},
        {"ok", false, SaveOutcome::Trouble, SaveOutcome::Trouble, false, false},
        {"EXIST RECORD", false, SaveOutcome::Conflict, SaveOutcome::Trouble, true, false},
        {"DON'T EXIST RECORD", false, SaveOutcome::Trouble, SaveOutcome::Conflict, false, false},
        {"BAD", false, SaveOutcome::Trouble, SaveOutcome::Trouble, false, false},
        {"<html>Internal error</html>", false, SaveOutcome::Trouble, SaveOutcome::Trouble, false, false},
        {"", false, SaveOutcome::Trouble, SaveOutcome::Trouble, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReplyIsOK(c.reply), c.ready) << c.reply;
        EXPECT_EQ(JudgeAdd(c.reply), c.add) << c.reply;
        EXPECT_EQ(JudgeUpdate(c.reply), c.update) << c.reply;
        EXPECT_EQ(JudgeCodeExists(c.reply), c.exists) << c.reply;
        EXPECT_EQ(ReplyHasOK(c.reply), c.hasOK) << c.reply;
    }
}

TEST(CouponList, OneRecordGivesOneRowWithItsHiddenIdentifier) {
    TCouponListDecode d = DecodeCouponList("\"7\",\"ABCDEF\",\"Spring sale\",\"0\"^OK");
    ASSERT_TRUE(d.complete);
    ASSERT_EQ(d.rows.size(), 1u);
    EXPECT_EQ(d.rows[0].Name, "Spring sale");
    EXPECT_EQ(d.rows[0].Code, "ABCDEF");
    EXPECT_EQ(d.rows[0].Expired, "False");
    EXPECT_EQ(d.rows[0].Id, "7");
}

TEST(CouponList, RowsFollowTheReplyInOrder) {
    TCouponListDecode d = DecodeCouponList(
        "\"7\",\"ABCDEF\",\"Spring sale\",\"0\"^\"9\",\"QWERTY\",\"Old\",\"1\",\"2\",\"5\",\"2008-7-5\"^\" 12 \",\"X\",\"\",\" 1 \"^OK");
    ASSERT_TRUE(d.complete);
    ASSERT_EQ(d.rows.size(), 3u);
    EXPECT_EQ(d.rows[1].Name, "Old");
    EXPECT_EQ(d.rows[1].Expired, "True");
    EXPECT_EQ(d.rows[1].Id, "9");
    // Blanks around the flag and the identifier are trimmed; an empty name stays empty.
    EXPECT_EQ(d.rows[2].Id, "12");
    EXPECT_EQ(d.rows[2].Name, "");
    EXPECT_EQ(d.rows[2].Expired, "True");
}

TEST(CouponList, OkAloneIsAnEmptyList) {
    TCouponListDecode d = DecodeCouponList("OK");
    EXPECT_TRUE(d.complete);
    EXPECT_TRUE(d.rows.empty());
}

TEST(CouponList, ACommaInANameShiftsTheFields) {
    // The grammar cannot carry a comma: the text after it takes the place of
    // the expired flag.
    TCouponListDecode d = DecodeCouponList("\"7\",\"ABCDEF\",\"Spring, sale\",\"1\"^OK");
    ASSERT_EQ(d.rows.size(), 1u);
    EXPECT_EQ(d.rows[0].Name, "Spring");
    EXPECT_EQ(d.rows[0].Expired, "False");
    TCouponListDecode one = DecodeCouponList("\"7\",\"ABCDEF\",\"Spring, 1\",\"0\"^OK");
    EXPECT_EQ(one.rows[0].Expired, "True");
}

TEST(CouponList, AShortLineStopsTheDecodingAndKeepsTheRowsBeforeIt) {
    TCouponListDecode d = DecodeCouponList(
        "\"1\",\"AAAAAA\",\"First\",\"0\"^\"2\",\"BBBBBB\",\"Second\"^\"3\",\"CCCCCC\",\"Third\",\"0\"^OK");
    EXPECT_FALSE(d.complete);
    ASSERT_EQ(d.rows.size(), 1u);
    EXPECT_EQ(d.rows[0].Name, "First");
}

TEST(CouponList, LineBreaksOfAnyKindEndLinesAndAFinalBreakMakesNoEmptyLine) {
    for (const char* sep : {"\r\n", "\n", "\r"}) {
        std::string reply = std::string("\"1\",\"A\",\"N\",\"0\"") + sep + "\"2\",\"B\",\"M\",\"1\"" + sep;
        TCouponListDecode d = DecodeCouponList(reply + "OK");
        // "OK" after the break is a line of its own with one field.
        EXPECT_FALSE(d.complete);
        EXPECT_EQ(d.rows.size(), 2u);
        TCouponListDecode clean = DecodeCouponList(reply);
        EXPECT_TRUE(clean.complete) << "separator " << int(sep[0]);
        EXPECT_EQ(clean.rows.size(), 2u);
    }
}

TEST(FetchReply, OkAloneOrCaretOkAloneIsNoCoupon) {
    std::string record;
    EXPECT_FALSE(JudgeFetch("OK", record));
    EXPECT_FALSE(JudgeFetch("^OK", record));
    EXPECT_FALSE(JudgeFetch("BAD", record));
    EXPECT_FALSE(JudgeFetch("DON'T EXIST RECORD", record));
    const std::string full =
        "\"7\",\"ABCDEF\",\"Spring sale\",\"0\",\"2\",\"30\",\"2012-11-30\",\"http://o\",\"c\",\"2012-1-1\"";
    ASSERT_TRUE(JudgeFetch(full + "^OK", record));
    EXPECT_EQ(record, full);
}

TEST(FetchedCoupon, FieldsFillTheEditorValues) {
    TFetchedCoupon c;
    std::string why;
    ASSERT_TRUE(DecodeFetchedCoupon(
        "\"7\",\"ABCDEF\",\"Spring sale\",\"1\",\"2\",\"30\",\"2012-11-30\",\"http://shop/o?a=1\",\"line1\r\nline2\",\"2012-1-1\"",
        c, why))
        << why;
    EXPECT_EQ(c.Id, "7");
    EXPECT_EQ(c.Code, "ABCDEF");
    EXPECT_EQ(c.Name, "Spring sale");
    EXPECT_TRUE(c.Expired);
    EXPECT_EQ(c.Kind, "2");
    EXPECT_EQ(c.Days, 30);
    EXPECT_EQ(c.Year, 2012);
    EXPECT_EQ(c.Month, 11);
    EXPECT_EQ(c.Day, 30);
    EXPECT_EQ(c.OrderURL, "http://shop/o?a=1");
    EXPECT_EQ(c.Comments, "line1\r\nline2");
}

TEST(FetchedCoupon, RecordsThatCannotFillTheEditorAreRefusedWithAReason) {
    const char* bad[] = {
        "\"7\",\"ABCDEF\",\"Spring sale\",\"0\",\"2\",\"30\",\"2012-11-30\",\"u\"",        // eight fields
        "\"7\",\"ABCDEF\",\"Spring sale\",\"0\",\"2\",\"3x\",\"2012-11-30\",\"u\",\"c\",\"d\"",  // days not a number
        "\"7\",\"ABCDEF\",\"Spring sale\",\"0\",\"2\",\"\",\"2012-11-30\",\"u\",\"c\",\"d\"",    // no days
        "\"7\",\"ABCDEF\",\"Spring sale\",\"0\",\"2\",\"30\",\"2012-11\",\"u\",\"c\",\"d\"",     // two date parts
        "\"7\",\"ABCDEF\",\"Spring sale\",\"0\",\"2\",\"30\",\"2012-1x-3\",\"u\",\"c\",\"d\"",   // not numeric
    };
    for (const char* record : bad) {
        TFetchedCoupon c;
        c.Name = "untouched";
        std::string why;
        EXPECT_FALSE(DecodeFetchedCoupon(record, c, why)) << record;
        EXPECT_FALSE(why.empty());
        EXPECT_EQ(c.Name, "untouched");
    }
}

TEST(Text, DecimalReadingAcceptsOnlyWholeNumbers) {
    int v = 0;
    EXPECT_TRUE(ReadDecimal("42", v));
    EXPECT_EQ(v, 42);
    EXPECT_TRUE(ReadDecimal(" -3 ", v));
    EXPECT_EQ(v, -3);
    for (const char* bad : {"", " ", "4.5", "1e3", "x", "99999999999", "+"})
        EXPECT_FALSE(ReadDecimal(bad, v)) << bad;
}

} // namespace
