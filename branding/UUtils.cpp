#include "branding/UUtils.h"

#include "BuildOptions.h"

bool OpenURL(const std::string& /*url*/) { return false; }

std::string HelpURL() { return "http://" CORVANTA_HELP_HOST "/corvantahelp/#corvanta"; }

std::string AffiliateURL(const std::string& affiliateID) {
    return "http://" CORVANTA_AFFILIATE_HOST "/" + affiliateID;
}
