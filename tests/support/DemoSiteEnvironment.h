// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One demo site for a whole test program: starting MariaDB takes seconds, so
// a program registers this environment once and its tests share the site,
// each resetting the data it relies on. The site runs Apache with PHP unless
// the options name other web servers.
//
//     static auto* const kSite = ::testing::AddGlobalTestEnvironment(new DemoSiteEnvironment);
//     TEST(...) { REQUIRE_DEMO_SITE(); DemoSiteEnvironment::Site()->... }

#include "tests/support/DemoSite.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>

class DemoSiteEnvironment : public ::testing::Environment {
public:
    explicit DemoSiteEnvironment(DemoSiteOptions options = {}) : options_(std::move(options)) {}
    void SetUp() override;
    void TearDown() override;

    // The running site; null when it could not start or a program is missing.
    static DemoSite* Site();
    // The programs that are missing (the tests are then skipped), or "".
    static const std::string& Missing();
    // Why the site did not start although every program was there.
    static const std::string& Failure();

private:
    DemoSiteOptions options_;
};

// Skips the test when the site's programs are not installed, and fails it
// when they are but the site did not start.
#define REQUIRE_DEMO_SITE()                                                                         \
    do {                                                                                            \
        if (!DemoSiteEnvironment::Missing().empty())                                                \
            GTEST_SKIP() << "needs " << DemoSiteEnvironment::Missing()                              \
                         << ", which scripts/test installs";                                        \
        ASSERT_NE(DemoSiteEnvironment::Site(), nullptr) << DemoSiteEnvironment::Failure();          \
    } while (0)
