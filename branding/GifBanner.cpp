// SPDX-License-Identifier: GPL-3.0-or-later
#include "branding/GifBanner.h"

#include <QImageReader>
#include <QMouseEvent>
#include <QPixmap>
#include <algorithm>

namespace {

// What the file itself says: its logical screen and, per image in file
// order, the delay of the graphic control extension before it (hundredths
// of a second, -1 when the image has none).
struct GifLayout {
    int width = 0;
    int height = 0;
    std::vector<int> delays;
};

GifLayout ReadLayout(const QByteArray& gif) {
    GifLayout layout;
    const auto* p = reinterpret_cast<const unsigned char*>(gif.constData());
    const qsizetype n = gif.size();
    if (n < 13 || (!gif.startsWith("GIF87a") && !gif.startsWith("GIF89a")))
        return layout;
    layout.width = p[6] | (p[7] << 8);
    layout.height = p[8] | (p[9] << 8);
    qsizetype pos = 13;
    if (p[10] & 0x80)
        pos += 3 * (qsizetype(1) << ((p[10] & 7) + 1));
    // Skips a chain of data sub-blocks; false when the data ends first.
    auto skipBlocks = [&]() {
        while (pos < n) {
            int len = p[pos++];
            if (len == 0)
                return true;
            pos += len;
        }
        return false;
    };
    int pendingDelay = -1;
    while (pos < n) {
        const unsigned char kind = p[pos++];
        if (kind == 0x3B)  // trailer
            break;
        if (kind == 0x21) {
            if (pos >= n)
                break;
            const unsigned char label = p[pos++];
            if (label == 0xF9 && pos + 5 <= n && p[pos] >= 4)
                pendingDelay = p[pos + 2] | (p[pos + 3] << 8);
            if (!skipBlocks())
                break;
        } else if (kind == 0x2C) {
            if (pos + 9 > n)
                break;
            const unsigned char flags = p[pos + 8];
            pos += 9;
            if (flags & 0x80)
                pos += 3 * (qsizetype(1) << ((flags & 7) + 1));
            ++pos;  // LZW minimum code size
            if (!skipBlocks())
                break;
            layout.delays.push_back(pendingDelay);
            pendingDelay = -1;
        } else {
            break;  // not a GIF block: the rest is unreadable
        }
    }
    return layout;
}

int FrameDelayMs(int hundredths) {
    if (hundredths < 0)
        return TGifBanner::kMinDelayMs;
    return std::clamp(hundredths * 10, TGifBanner::kMinDelayMs, TGifBanner::kMaxDelayMs);
}

} // namespace

TGifBanner::TGifBanner(QWidget* parent) : QLabel(parent) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &TGifBanner::Step);
}

TGifBanner::~TGifBanner() = default;

bool TGifBanner::LoadFromData(const QByteArray& gif) {
    timer_.stop();
    reader_.reset();
    buffer_.close();
    schedule_.clear();
    current_ = 0;
    image_ = QImage();
    clear();

    data_ = gif;
    const GifLayout layout = ReadLayout(data_);
    // Count the frames that really decode: a file cut short plays what it has.
    Rewind();
    QImage first;
    QImage frame;
    int count = 0;
    while (ReadFrame(&frame)) {
        if (count == 0)
            first = frame;
        ++count;
    }
    if (count == 0) {
        reader_.reset();
        data_.clear();
        return false;
    }
    for (int i = 0; i < count; ++i)
        schedule_.push_back(FrameDelayMs(i < int(layout.delays.size()) ? layout.delays[i] : -1));

    Rewind();
    ReadFrame(&frame);
    Show(first);
    resize(layout.width > 0 && layout.height > 0 ? QSize(layout.width, layout.height) : first.size());
    if (count > 1) {
        timer_.setInterval(schedule_[0]);
        timer_.start();
    } else {
        reader_.reset();
    }
    return true;
}

void TGifBanner::Step() {
    if (FrameCount() < 2)
        return;
    QImage frame;
    if (current_ + 1 < FrameCount() && ReadFrame(&frame)) {
        ++current_;
    } else {
        Rewind();
        ReadFrame(&frame);
        current_ = 0;
    }
    Show(frame);
    timer_.setInterval(schedule_[current_]);
    timer_.start();
}

void TGifBanner::Rewind() {
    // GIF frames build on each other, so the first frame can only be had by
    // reading the file again from its start.
    reader_.reset();
    buffer_.close();
    buffer_.setBuffer(&data_);
    buffer_.open(QIODevice::ReadOnly);
    reader_ = std::make_unique<QImageReader>(&buffer_, "gif");
    reader_->setAutoDetectImageFormat(false);
}

bool TGifBanner::ReadFrame(QImage* frame) {
    if (!reader_ || !reader_->canRead())
        return false;
    *frame = reader_->read();
    if (frame->isNull())
        return false;
    // The reader picks an opaque format when the first frame has no
    // transparency, yet marks the areas that later frames leave empty or
    // clear as transparent pixels: read them as such, so the strip shows
    // through there as it does under a transparent first frame.
    if (frame->format() == QImage::Format_RGB32)
        frame->reinterpretAsFormat(QImage::Format_ARGB32);
    return true;
}

void TGifBanner::Show(const QImage& frame) {
    image_ = frame;
    setPixmap(QPixmap::fromImage(frame));
}

void TGifBanner::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
