// SPDX-License-Identifier: GPL-3.0-or-later
#include "branding/UUtils.h"

#include "BuildOptions.h"
#include "platform/DefaultBrowser.h"
#include "platform/ShellOpen.h"

bool OpenURL(const std::string& url) {
    // The desktop's default http handler stands in for the browser command
    // of the registry. Its command runs with the address, unchanged and as
    // one argument, where the entry places it; no shell comes in between to
    // split or expand it.
    std::vector<std::string> command = DefaultBrowserCommand(url);
    if (command.empty())
        return false;
    // A start that fails is not reported: the click just has no effect.
    StartProgram(command.front(), std::vector<std::string>(command.begin() + 1, command.end()));
    return true;
}

std::string HelpURL() { return "http://" CORVANTA_HELP_HOST "/corvantahelp/#corvanta"; }

std::string AffiliateURL(const std::string& affiliateID) {
    return "http://" CORVANTA_AFFILIATE_HOST "/" + affiliateID;
}
