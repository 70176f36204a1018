// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProgramIcon.h"

#include <QString>

QIcon ProgramIcon() {
    static const QIcon icon = [] {
        QIcon i;
        for (int size : kProgramIconSizes)
            i.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(QLatin1String(kDesktopId)),
                      QSize(size, size));
        return i;
    }();
    return icon;
}
