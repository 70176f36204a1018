// SPDX-License-Identifier: GPL-3.0-or-later
// A transaction that the database gives up for a deadlock (1213, also what a
// Galera cluster reports for a conflict found at commit) or a lock wait that
// timed out (1205) is run again: the request still succeeds and its effect
// happens once. The database is made to give up a chosen number of times by
// a trigger that counts down in a table outside every transaction.

#include "tests/server/SiteRequests.h"

#include <gtest/gtest.h>

namespace {

const char kOrderPage[] = "http://shop.example/order.html";

enum class Request { Redeem, Add, Update, Delete, DeleteAll };

struct GivenUp {
    const char* what;
    Request request;
    const char* trigger;  // "BEFORE INSERT ON couponsactions_uses", ...
    int error;
};

class TransactionRetry : public FreshSiteTest {
protected:
    void SetUp() override {
        FreshSiteTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        db = site->Database();
        MakeScratch("CREATE TABLE " + db + ".test_give_up (n INT NOT NULL) ENGINE=MyISAM; INSERT INTO " + db +
                        ".test_give_up VALUES (0)",
                    "DROP TRIGGER IF EXISTS " + db + ".test_give_up; DROP TABLE IF EXISTS " + db + ".test_give_up");
    }

    // The statement of the trigger fails the next `times` times it runs.
    void GiveUp(const GivenUp& c, int times) {
        site->Sql("DROP TRIGGER IF EXISTS " + db + ".test_give_up; UPDATE " + db + ".test_give_up SET n = " +
                  std::to_string(times) + ";\nDELIMITER //\nCREATE TRIGGER " + db + ".test_give_up " + c.trigger +
                  " FOR EACH ROW BEGIN UPDATE " + db + ".test_give_up SET n = n - 1 WHERE n > 0; "
                  "IF ROW_COUNT() > 0 THEN SIGNAL SQLSTATE '40001' SET MYSQL_ERRNO = " + std::to_string(c.error) +
                  ", MESSAGE_TEXT = 'given up by the test'; END IF; END//\nDELIMITER ;");
    }

    int Left() const { return std::stoi(SqlValue("SELECT n FROM " + db + ".test_give_up")); }

    TCouponRecord Coupon(const std::string& name) const {
        TCouponRecord r;
        r.coupcode = "RETRY1";
        r.coupname = name;
        r.coupexpired = "0";
        r.coupexpirtype = "1";
        r.coupexpirdays = "0";
        r.coupexpirdate = "2030-7-5";
        r.couponorderurl = kOrderPage;
        r.couponcomments = "";
        r.coupcreatedate = "2024-1-2";
        return r;
    }

    // The request's reply: the body, or for a buyer where it was sent.
    std::string Send(Request request) const {
        switch (request) {
        case Request::Redeem:
            return BuyerPost({{"coupcode", "RETRY1"}, {"action", "7"}, {"send", "Submit"}}).location;
        case Request::Add: {
            TCouponRecord r = Coupon("Added");
            r.coupcode = "RETRY2";
            return PostFields(AddCouponFields(r)).body;
        }
        case Request::Update: {
            TCouponRecord r = Coupon("Edited");
            r.coupid = "1";
            return PostFields(UpdateCouponFields(r)).body;
        }
        case Request::Delete:
            return PostFields(DeleteCouponsFields("1")).body;
        case Request::DeleteAll:
            return PostFields(DeleteCouponsFields("all")).body;
        }
        return {};
    }

    // What the tables hold that a request changes: coupons by name, and uses.
    std::string State() const {
        return site->Sql("SELECT coupcode, coupname, coupexpired FROM " + db +
                         ".couponsactions_coupons ORDER BY coupcode; SELECT COUNT(*) FROM " + db +
                         ".couponsactions_uses");
    }

    std::string db;
};

const std::vector<GivenUp> kGivenUp = {
    {"a buyer's use, deadlock", Request::Redeem, "BEFORE INSERT ON couponsactions_uses", 1213},
    {"a buyer's use, lock wait", Request::Redeem, "BEFORE INSERT ON couponsactions_uses", 1205},
    {"a one-time coupon marked expired by its use", Request::Redeem, "BEFORE UPDATE ON couponsactions_coupons", 1213},
    {"an add", Request::Add, "BEFORE INSERT ON couponsactions_coupons", 1213},
    {"an update", Request::Update, "BEFORE UPDATE ON couponsactions_coupons", 1205},
    {"a delete", Request::Delete, "BEFORE DELETE ON couponsactions_coupons", 1213},
    {"a delete of all", Request::DeleteAll, "BEFORE DELETE ON couponsactions_coupons", 1205},
};

TEST_F(TransactionRetry, ATransactionGivenUpIsRunAgainAndTakesEffectOnce) {
    for (const GivenUp& c : kGivenUp) {
        SCOPED_TRACE(c.what);
        // The same request on tables the database did not give up on.
        site->ResetData();
        ASSERT_EQ(PostFields(AddCouponFields(Coupon("Stored"))).body, "OK");
        const std::string reply = Send(c.request);
        ASSERT_EQ(reply, c.request == Request::Redeem ? kOrderPage : "OK");
        const std::string state = State();

        site->ResetData();
        ASSERT_EQ(PostFields(AddCouponFields(Coupon("Stored"))).body, "OK");
        GiveUp(c, 4);
        EXPECT_EQ(Send(c.request), reply);
        EXPECT_EQ(Left(), 0);
        EXPECT_EQ(State(), state);
        site->Sql("DROP TRIGGER " + db + ".test_give_up");
    }
}

TEST_F(TransactionRetry, ADatabaseThatKeepsGivingUpEndsInAFailureThatChangedNothing) {
    for (const GivenUp& c : kGivenUp) {
        SCOPED_TRACE(c.what);
        site->ResetData();
        ASSERT_EQ(PostFields(AddCouponFields(Coupon("Stored"))).body, "OK");
        const std::string state = State();
        GiveUp(c, 1000);
        if (c.request == Request::Redeem) {
            RawReply buyer = BuyerPost({{"coupcode", "RETRY1"}, {"action", "7"}, {"send", "Submit"}});
            EXPECT_NE(buyer.location, kOrderPage);
        } else {
            EXPECT_EQ(Send(c.request), "ERROR: the server failed");
        }
        // Tried a few times, not without end.
        EXPECT_GT(Left(), 1000 - 20);
        EXPECT_LT(Left(), 1000 - 1);
        EXPECT_EQ(State(), state);
        site->Sql("DROP TRIGGER " + db + ".test_give_up");
    }
}

} // namespace
