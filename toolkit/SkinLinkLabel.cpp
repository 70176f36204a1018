// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/SkinLinkLabel.h"

#include "platform/ShellOpen.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStyle>

TbsSkinLinkLabel::TbsSkinLinkLabel(QWidget* parent) : QLabel(parent) {
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
}

void TbsSkinLinkLabel::SetCaption(const std::string& caption) {
    caption_ = caption;
    setText(QString::fromLocal8Bit(caption.c_str()));
    setAccessibleName(text());
    adjustSize();
}

void TbsSkinLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    emit clicked();
    if (!url_.empty())
        ShellOpenDocument(url_);
}

void TbsSkinLinkLabel::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    SetHover(true);
}

void TbsSkinLinkLabel::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    SetHover(false);
}

void TbsSkinLinkLabel::SetHover(bool hover) {
    // The skin styles [hover="true"]; without a skin rule the palette gives blue.
    setProperty("hover", hover);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, hover ? QColor(Qt::blue) : QApplication::palette(this).color(QPalette::WindowText));
    setPalette(p);
    style()->unpolish(this);
    style()->polish(this);
}
