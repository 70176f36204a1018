// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProgramIcon.h"

#include "toolkit/Application.h"

#include <QString>

QIcon ProgramIcon() {
    static const QIcon icon = [] {
        QIcon i;
        // The sizes the build renders and installs.
        for (int size : {CORVANTA_ICON_SIZES})
            i.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(QLatin1String(kDesktopId)),
                      QSize(size, size));
        return i;
    }();
    return icon;
}
