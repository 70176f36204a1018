// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The branding of the main window: read once from dbconfig.dat in the
// executable directory and applied to the window's title, banner strip,
// link labels, skin and the application icon.

#include <string>

class QFrame;
class QWidget;
class TGifBanner;
class TStillBanner;
class TbsSkinData;
class TbsSkinLinkLabel;

// The controls of the main window that branding drives.
struct TBrandingTargets {
    QWidget* window = nullptr;
    QFrame* panBanner = nullptr;
    TStillBanner* imgBanner = nullptr;
    TGifBanner* gifBanner = nullptr;
    TbsSkinLinkLabel* lblLink1URL = nullptr;
    TbsSkinLinkLabel* lblLink2URL = nullptr;
    TbsSkinData* skin = nullptr;
};

// The values branding keeps for the clicks later on.
struct TBrandingValues {
    std::string AffiliateID;
    std::string BannerClickURL;
    std::string BannerImagePath;
    std::string FirstLinkURL;
    std::string FirstLinkCaption;
    std::string SecondLinkURL;
    std::string SecondLinkCaption;
    std::string BrandIconPath;
};

// The fixed version text appended to a branded title.
inline constexpr const char* AppVersionText = "1.02";

// Reads dbconfig.dat from exeDir (with its trailing "/") and applies it.
TBrandingValues LoadBranding(const std::string& exeDir, const TBrandingTargets& targets);

// Centres a banner control in its strip by integer division.
void CentreBanner(const QFrame* panBanner, QWidget* banner);
