// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/branding/GifWriter.h"

#include <algorithm>

namespace {

void Put16(std::string& out, int v) {
    out += char(v & 0xff);
    out += char((v >> 8) & 0xff);
}

int TableBits(std::size_t colours) {
    int bits = 1;
    while ((std::size_t(1) << bits) < colours)
        ++bits;
    return bits;
}

void PutImageData(std::string& out, const std::vector<int>& pixels, int bits) {
    const int minCode = std::max(2, bits);
    out += char(minCode);
    const int clear = 1 << minCode;
    const int end = clear + 1;
    const int width = minCode + 1;
    // The table grows by one entry per code after a clear; clearing again
    // before it reaches 2^width keeps every code at the starting width.
    const int perClear = std::max(1, (1 << minCode) - 3);
    std::string data;
    unsigned acc = 0;
    int bitsHeld = 0;
    auto emit = [&](int code) {
        acc |= unsigned(code) << bitsHeld;
        bitsHeld += width;
        while (bitsHeld >= 8) {
            data += char(acc & 0xff);
            acc >>= 8;
            bitsHeld -= 8;
        }
    };
    emit(clear);
    int since = 0;
    for (int p : pixels) {
        if (since == perClear) {
            emit(clear);
            since = 0;
        }
        emit(p);
        ++since;
    }
    emit(end);
    if (bitsHeld > 0)
        data += char(acc & 0xff);
    for (std::size_t i = 0; i < data.size(); i += 255) {
        std::size_t n = std::min<std::size_t>(255, data.size() - i);
        out += char(n);
        out += data.substr(i, n);
    }
    out += char(0);
}

} // namespace

std::string WriteGif(const GifPicture& gif) {
    std::string out = gif.gif87a ? "GIF87a" : "GIF89a";
    Put16(out, gif.width);
    Put16(out, gif.height);
    const int bits = TableBits(gif.palette.size());
    out += char(0x80 | ((bits - 1) << 4) | (bits - 1));
    out += char(gif.background);
    out += char(0);
    for (int i = 0; i < (1 << bits); ++i) {
        QRgb c = i < int(gif.palette.size()) ? gif.palette[i] : 0;
        out += char(qRed(c));
        out += char(qGreen(c));
        out += char(qBlue(c));
    }
    if (gif.loopCount >= 0) {
        out += std::string("\x21\xff\x0b", 3) + "NETSCAPE2.0" + std::string("\x03\x01", 2);
        Put16(out, gif.loopCount);
        out += char(0);
    }
    for (const GifFrame& f : gif.frames) {
        if (f.delay >= 0 || f.disposal != 0 || f.transparent >= 0) {
            out += std::string("\x21\xf9\x04", 3);
            out += char((f.disposal << 2) | (f.transparent >= 0 ? 1 : 0));
            Put16(out, std::max(f.delay, 0));
            out += char(std::max(f.transparent, 0));
            out += char(0);
        }
        out += ',';
        Put16(out, f.left);
        Put16(out, f.top);
        Put16(out, f.width);
        Put16(out, f.height);
        out += char(0);
        PutImageData(out, f.pixels, bits);
    }
    out += ';';
    return out;
}

GifFrame SolidFrame(int left, int top, int width, int height, int colour, int delay) {
    GifFrame f;
    f.left = left;
    f.top = top;
    f.width = width;
    f.height = height;
    f.pixels.assign(std::size_t(width) * std::size_t(height), colour);
    f.delay = delay;
    return f;
}
