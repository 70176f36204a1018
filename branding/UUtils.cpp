#include "branding/UUtils.h"

#include "BuildOptions.h"
#include "platform/DefaultBrowser.h"
#include "platform/ShellOpen.h"

bool OpenURL(const std::string& url) {
    // The desktop's default http handler stands in for the browser command
    // of the registry. Only its program is kept: the address goes to it
    // unchanged as its one argument, with no shell in between to split or
    // expand it.
    const std::string program = DefaultBrowserProgram();
    if (program.empty())
        return false;
    // A start that fails is not reported: the click just has no effect.
    StartProgram(program, {url});
    return true;
}

std::string HelpURL() { return "http://" CORVANTA_HELP_HOST "/corvantahelp/#corvanta"; }

std::string AffiliateURL(const std::string& affiliateID) {
    return "http://" CORVANTA_AFFILIATE_HOST "/" + affiliateID;
}
