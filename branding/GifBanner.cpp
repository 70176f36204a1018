#include "branding/GifBanner.h"

#include <QMouseEvent>

TGifBanner::TGifBanner(QWidget* parent) : QLabel(parent) {}

void TGifBanner::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
