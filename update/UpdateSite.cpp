// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/UpdateSite.h"

namespace {
std::string& Override() {
    static std::string url;
    return url;
}
} // namespace

std::string UpdateBaseURL() {
    if (!Override().empty())
        return Override();
    return DefaultUpdateBaseURL;
}

void SetUpdateBaseURLOverride(const std::string& url) {
    Override() = url;
    if (!url.empty() && url.back() != '/')
        Override() += '/';
}
