// SPDX-License-Identifier: GPL-3.0-or-later
// The Apache of the server tests is a shop host's: PHP as Apache's module,
// with PHP's production settings and its opcode cache, serving as an
// unprivileged user.

#include "tests/server/SiteRequests.h"
#include "tests/support/LoopbackExchange.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using ApacheStack = FreshSiteTest;

TEST_F(ApacheStack, RunsTheScriptWithAHostsProductionSettings) {
    site->PutFile("probe.php", "<?php\n"
                               "echo php_sapi_name(), '|', ini_get('memory_limit'), '|', ini_get('post_max_size'), '|',\n"
                               "     ini_get('max_execution_time'), '|', ini_get('display_errors'), '|',\n"
                               "     ini_get('opcache.enable'), '|', function_exists('posix_geteuid') ? posix_geteuid() : -1;\n");
    std::string response = LoopbackExchange(site->WebPort(), "GET /probe.php HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
    site->RemoveFile("probe.php");
    std::string body = response.substr(response.find("\r\n\r\n") + 4);
    std::string user = body.substr(body.rfind('|') + 1);
    EXPECT_EQ(body.substr(0, body.rfind('|')), "apache2handler|128M|8M|30||1");
    // Run as root, the tests' Apache serves as www-data, as hosts do.
    if (geteuid() == 0) {
        EXPECT_NE(user, "0");
    }
}

} // namespace
