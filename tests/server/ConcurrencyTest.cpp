// SPDX-License-Identifier: GPL-3.0-or-later
// Buyers and the owner at the same moment, against the script under Apache
// as a shop runs it: a buyer lands on the order page or on the invalid page,
// never on an error; a use is logged exactly for each landing on the order
// page; a one-time code is taken once; simultaneous adds of one code make
// one coupon.

#include "tests/server/SiteRequests.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <latch>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// A run that has not ended by then has hung; on a loaded machine a run takes
// seconds.
constexpr auto kRunBound = std::chrono::seconds(180);

// Runs task(0) .. task(n - 1) on threads of their own, all released at one
// moment, and waits for every one.
void Together(int n, const std::function<void(int)>& task) {
    std::latch start(n);
    std::vector<std::thread> threads;
    for (int i = 0; i < n; ++i)
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            task(i);
        });
    for (std::thread& t : threads)
        t.join();
}

const char kCode[] = "RACE01";

std::string OrderPage(int version) {
    return "http://shop.example/order-" + std::string(kCode) + (version ? "-v" + std::to_string(version) : "") + ".html";
}

std::string BuyerAddress(int buyer) { return "127.0.0." + std::to_string(10 + buyer); }

enum class Owner { Away, Deletes, Edits };

struct Race {
    const char* what;
    std::string kind;  // the coupon's kind of expiry
    int buyers;
    // Redemptions each buyer tries at least. Once one has landed on the order
    // page they go on until the owner is done, so whatever the machine's
    // pace the owner acts while buyers are at it; after a delete, the first
    // invalid page ends them.
    int attempts;
    Owner owner;
};

// The owner's edits: the order page changes each time, and the coupon is
// marked expired and back again.
constexpr int kEdits = 6;

class Concurrency : public FreshSiteTest {
protected:
    void SetUp() override {
        FreshSiteTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        db = site->Database();
        // Every use that was committed, also those that a delete then takes
        // away with their coupon (a cascade fires no trigger).
        MakeScratch("CREATE TABLE " + db + ".test_use_audit (computerip VARBINARY(64) NOT NULL) ENGINE=InnoDB;"
                    "CREATE TRIGGER " + db + ".test_use_audit AFTER INSERT ON " + db +
                    ".couponsactions_uses FOR EACH ROW INSERT INTO " + db + ".test_use_audit VALUES (NEW.computerip);",
                    "DROP TRIGGER IF EXISTS " + db + ".test_use_audit; DROP TABLE IF EXISTS " + db + ".test_use_audit;");
    }

    TCouponRecord Coupon(const std::string& kind, const std::string& name = "Race") const {
        TCouponRecord r;
        r.coupcode = kCode;
        r.coupname = name;
        r.coupexpired = "0";
        r.coupexpirtype = kind;
        r.coupexpirdays = "10";
        r.coupexpirdate = "2030-7-5";
        r.couponorderurl = OrderPage(0);
        r.couponcomments = "";
        r.coupcreatedate = DbToday();
        return r;
    }

    // Committed uses by buyer address.
    std::map<std::string, int> AuditedUses() const {
        std::map<std::string, int> uses;
        std::istringstream rows(site->Sql("SELECT computerip, COUNT(*) FROM " + db +
                                          ".test_use_audit GROUP BY computerip"));
        std::string address;
        int count = 0;
        while (rows >> address >> count)
            uses[address] = count;
        return uses;
    }

    int Count(const std::string& table) const {
        return std::stoi(SqlValue("SELECT COUNT(*) FROM " + db + "." + table));
    }

    std::string db;
};

TEST_F(Concurrency, BuyersRacingEachOtherOrTheOwnerLandOnAPageAndAreLoggedExactlyForTheOrderPage) {
    const std::vector<Race> races = {
        {"30 buyers on one one-time code", "1", 30, 1, Owner::Away},
        {"20 buyers on a coupon that the owner deletes meanwhile", "", 20, 40, Owner::Deletes},
        {"20 buyers on a coupon that the owner edits meanwhile", "", 20, 8, Owner::Edits},
    };
    std::set<std::string> orderPages;
    for (int v = 0; v <= kEdits; ++v)
        orderPages.insert(OrderPage(v));

    for (const Race& race : races) {
        SCOPED_TRACE(race.what);
        site->ResetData();
        site->Sql("DELETE FROM " + db + ".test_use_audit");
        TCouponRecord coupon = Coupon(race.kind);
        ASSERT_EQ(PostFields(AddCouponFields(coupon)).body, "OK");
        coupon.coupid = "1";

        const auto deadline = Clock::now() + kRunBound;
        std::mutex m;
        std::condition_variable landed;
        int buyersDone = 0, orderLandings = 0;
        bool ownerDone = race.owner == Owner::Away;
        std::vector<std::vector<RawReply>> replies(race.buyers);
        std::vector<std::string> failures;
        std::vector<std::string> ownerReplies;

        auto goOn = [&](int attempt) {
            std::lock_guard lock(m);
            return attempt < race.attempts || (orderLandings > 0 && !ownerDone);
        };
        auto buyer = [&](int b) {
            for (int a = 0; goOn(a) && Clock::now() < deadline; ++a) {
                RawReply reply;
                try {
                    reply = BuyerPost({{"coupcode", kCode}, {"action", "7"}, {"send", "Submit"}}, BuyerAddress(b));
                } catch (const std::exception& e) {
                    std::lock_guard lock(m);
                    failures.push_back(e.what());
                    break;
                }
                replies[b].push_back(reply);
                if (orderPages.count(reply.location)) {
                    std::lock_guard lock(m);
                    ++orderLandings;
                    landed.notify_all();
                } else if (race.owner == Owner::Deletes) {
                    break;  // deleted: every later try is invalid too
                }
            }
            std::lock_guard lock(m);
            ++buyersDone;
            landed.notify_all();
        };
        auto owner = [&] {
            if (race.owner == Owner::Away)
                return;
            {
                // Once the buyers are under way.
                std::unique_lock lock(m);
                landed.wait_until(lock, deadline, [&] { return orderLandings > 0 || buyersDone == race.buyers; });
            }
            try {
                if (race.owner == Owner::Deletes) {
                    ownerReplies.push_back(PostFields(DeleteCouponsFields("1")).body);
                } else {
                    for (int v = 1; v <= kEdits; ++v) {
                        TCouponRecord edit = coupon;
                        edit.couponorderurl = OrderPage(v);
                        edit.coupexpired = v % 2 ? "1" : "0";
                        ownerReplies.push_back(PostFields(UpdateCouponFields(edit)).body);
                    }
                }
            } catch (const std::exception& e) {
                std::lock_guard lock(m);
                failures.push_back(std::string("owner: ") + e.what());
            }
            std::lock_guard lock(m);
            ownerDone = true;
        };
        Together(race.buyers + 1, [&](int i) { i < race.buyers ? buyer(i) : owner(); });

        EXPECT_LT(Clock::now(), deadline) << "the run did not end in time";
        EXPECT_EQ(failures, std::vector<std::string>{});
        for (const std::string& r : ownerReplies)
            EXPECT_EQ(r, "OK");

        const std::map<std::string, int> uses = AuditedUses();
        int landings = 0, invalid = 0;
        for (int b = 0; b < race.buyers; ++b) {
            int landed = 0;
            for (const RawReply& r : replies[b]) {
                EXPECT_EQ(r.status, 303) << BuyerAddress(b) << ": " << r.body;
                if (orderPages.count(r.location))
                    ++landed;
                else if (r.location == kInvalidPage)
                    ++invalid;
                else
                    ADD_FAILURE() << BuyerAddress(b) << " was sent to \"" << r.location << "\"";
            }
            auto logged = uses.find(BuyerAddress(b));
            EXPECT_EQ(logged == uses.end() ? 0 : logged->second, landed) << BuyerAddress(b);
            landings += landed;
        }
        switch (race.owner) {
        case Owner::Away:
            EXPECT_EQ(landings, 1);
            EXPECT_EQ(invalid, race.buyers - 1);
            EXPECT_EQ(Count("couponsactions_uses"), 1);
            break;
        case Owner::Deletes:
            ASSERT_EQ(ownerReplies.size(), 1u);
            EXPECT_GE(landings, 1);
            EXPECT_EQ(Count("couponsactions_coupons"), 0);
            EXPECT_EQ(Count("couponsactions_uses"), 0);
            break;
        case Owner::Edits:
            EXPECT_EQ(ownerReplies.size(), static_cast<std::size_t>(kEdits));
            EXPECT_EQ(Count("couponsactions_uses"), landings);
            break;
        }
    }
}

TEST_F(Concurrency, FortySimultaneousAddsOfOneCodeMakeOneCoupon) {
    constexpr int kAdds = 40;
    std::vector<std::string> replies(kAdds);
    std::vector<TFormFields> adds;
    for (int i = 0; i < kAdds; ++i)
        adds.push_back(AddCouponFields(Coupon("", "Add " + std::to_string(i))));
    Together(kAdds, [&](int i) {
        try {
            replies[i] = PostFields(adds[i]).body;
        } catch (const std::exception& e) {
            replies[i] = std::string("failed: ") + e.what();
        }
    });
    std::map<std::string, int> counted;
    for (const std::string& r : replies)
        ++counted[r];
    EXPECT_EQ(counted, (std::map<std::string, int>{{"OK", 1}, {"EXIST RECORD", kAdds - 1}}));
    EXPECT_EQ(Count("couponsactions_coupons"), 1);
}

} // namespace
