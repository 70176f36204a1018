// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes small GIF files for the tests, with exactly the blocks asked for:
// frames at offsets, graphic control extensions with delay, disposal and
// transparent colour (or none at all), a NETSCAPE loop count, GIF87a or
// GIF89a. The image data is LZW-coded with a clear code often enough that
// the code width never grows, which every decoder reads.

#include <QRgb>
#include <string>
#include <vector>

struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<int> pixels;  // colour indexes, row by row
    int delay = -1;           // hundredths of a second; -1 writes no control extension
    int disposal = 0;
    int transparent = -1;     // colour index, -1 for none
};

struct GifPicture {
    int width = 0;   // logical screen
    int height = 0;
    std::vector<QRgb> palette;  // global colour table
    int background = 0;
    int loopCount = -1;  // -1 writes no NETSCAPE extension
    bool gif87a = false;
    std::vector<GifFrame> frames;
};

std::string WriteGif(const GifPicture& gif);

// A frame of one colour.
GifFrame SolidFrame(int left, int top, int width, int height, int colour, int delay = -1);
