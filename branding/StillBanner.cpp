// SPDX-License-Identifier: GPL-3.0-or-later
#include "branding/StillBanner.h"

#include "branding/JpegDecoder.h"

#include <QBuffer>
#include <QImageReader>
#include <QMouseEvent>
#include <QPixmap>
#include <cctype>

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The first picture of the data read with the named Qt reader only: the
// extension chose the kind, so content of another kind is not guessed at.
QImage ReadWithQt(const QByteArray& data, const char* format) {
    QByteArray copy = data;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace

TStillBanner::TStillBanner(QWidget* parent) : QLabel(parent) {}

bool TStillBanner::LoadPicture(const QByteArray& data, const std::string& extension) {
    const std::string ext = Lower(extension);
    QImage picture;
    if (ext == "jpg" || ext == "jpeg")
        picture = DecodeJpeg(data);
    else if (ext == "bmp")
        picture = ReadWithQt(data, "bmp");
    else if (ext == "ico")
        picture = ReadWithQt(data, "ico");
    else if (ext == "gif")
        picture = ReadWithQt(data, "gif");
    // Qt draws no Windows metafiles; they, like unknown kinds, are refused.
    if (picture.isNull())
        return false;
    SetPicture(picture);
    return true;
}

void TStillBanner::SetPicture(const QImage& picture) {
    setPixmap(QPixmap::fromImage(picture));
    resize(picture.size());
}

void TStillBanner::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
