// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/DemoSiteEnvironment.h"

#include <exception>

namespace {
std::unique_ptr<DemoSite> gSite;
std::string gMissing;
std::string gFailure;
} // namespace

void DemoSiteEnvironment::SetUp() {
    gMissing = DemoSite::MissingPrograms(options_);
    if (!gMissing.empty())
        return;
    try {
        gSite = std::make_unique<DemoSite>(options_);
    } catch (const std::exception& e) {
        gFailure = std::string("the demo site did not start: ") + e.what();
    }
}

void DemoSiteEnvironment::TearDown() { gSite.reset(); }

DemoSite* DemoSiteEnvironment::Site() { return gSite.get(); }

const std::string& DemoSiteEnvironment::Missing() { return gMissing; }

const std::string& DemoSiteEnvironment::Failure() { return gFailure; }
