// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/SiteData.h"

#include <algorithm>
#include <ctime>

namespace {

// Rows per statement: one transaction of millions of rows would only swell
// the database's undo log.
constexpr int kChunk = 250000;

template <typename Statement>
void InChunks(int from, int to, Statement statement) {
    for (int first = from; first <= to; first += kChunk)
        statement(first, std::min(to, first + kChunk - 1));
}

std::string Seq(int first, int last) { return "seq_" + std::to_string(first) + "_to_" + std::to_string(last); }

} // namespace

void FillCoupons(const DemoSite& site, int last, int first) {
    InChunks(first, last, [&](int from, int to) {
        site.Sql("INSERT INTO " + site.Database() +
                 ".couponsactions_coupons (coupid, coupcode, coupname, coupexpired, coupexpirtype, coupexpirdays,"
                 " coupexpirdate, couponorderurl, couponcomments, coupcreatedate)"
                 " SELECT seq, CONCAT('C', seq), CONCAT('Coupon number ', seq), seq % 2, '', 0, '2030-01-01', '', '',"
                 " '2024-01-01' FROM " + Seq(from, to));
    });
}

void FillUses(const DemoSite& site, int last, int coupons, int first) {
    const std::string c = std::to_string(coupons);
    InChunks(first, last, [&](int from, int to) {
        site.Sql("INSERT INTO " + site.Database() +
                 ".couponsactions_uses (useid, coupid, coupcode, usedate, computerip)"
                 " SELECT seq, 1 + (seq - 1) % " + c + ", CONCAT('C', 1 + (seq - 1) % " + c +
                 "), '2024-01-01 00:00:00' + INTERVAL seq SECOND,"
                 " CONCAT('10.', seq DIV 65536 % 256, '.', seq DIV 256 % 256, '.', seq % 256) FROM " + Seq(from, to));
    });
}

std::string ListReply(int coupons) {
    std::string reply;
    for (int i = 1; i <= coupons; ++i) {
        std::string n = std::to_string(i);
        reply += "\"" + n + "\",\"C" + n + "\",\"Coupon number " + n + "\",\"" + std::to_string(i % 2) + "\"^";
    }
    return reply + "OK";
}

std::string LogReply(int uses, int coupons) {
    std::tm base{};
    base.tm_year = 2024 - 1900;
    base.tm_mday = 1;
    const std::time_t start = timegm(&base);
    std::string reply;
    char line[160];
    for (int i = 1; i <= uses; ++i) {
        std::time_t at = start + i;
        std::tm t{};
        gmtime_r(&at, &t);
        char when[32];
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &t);
        std::snprintf(line, sizeof line, "\"%d\",\"C%d\",\"%s\",\"10.%d.%d.%d\"^", i, 1 + (i - 1) % coupons, when,
                      i / 65536 % 256, i / 256 % 256, i % 256);
        reply += line;
    }
    return reply + "OK";
}
