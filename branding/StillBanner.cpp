#include "branding/StillBanner.h"

#include <QMouseEvent>

TStillBanner::TStillBanner(QWidget* parent) : QLabel(parent) {}

void TStillBanner::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
