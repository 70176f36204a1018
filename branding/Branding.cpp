#include "branding/Branding.h"

#include <QFrame>

TBrandingValues LoadBranding(const std::string& /*exeDir*/, const TBrandingTargets& /*targets*/) {
    return {};
}

void CentreBanner(const QFrame* panBanner, QWidget* banner) {
    banner->move(panBanner->width() / 2 - banner->width() / 2, panBanner->height() / 2 - banner->height() / 2);
}
