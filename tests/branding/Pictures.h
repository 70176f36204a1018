// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Banner pictures made by the tests at run time: JPEGs written with libjpeg
// (colour, grey, CMYK, progressive), bitmaps, icons and PNGs written with
// Qt's writers, and a way to compare decoded colours with the loss of JPEG.

#include <QColor>
#include <QImage>
#include <string>
#include <vector>

QImage Solid(int width, int height, QColor colour);

// The picture as an RGB JPEG at quality 95.
std::string JpegBytes(const QImage& picture, bool progressive = false);
// A JPEG of raw samples: components per pixel 1 (grey), 3 (RGB) or 4 (CMYK,
// written with libjpeg's Adobe marker, so inverted).
std::string JpegSamples(int width, int height, int components, const std::vector<unsigned char>& samples);

// The picture written by one of Qt's writers ("bmp", "ico", "png").
std::string QtBytes(const QImage& picture, const char* format);

// True when the two colours differ by at most tolerance in each channel.
bool Near(QRgb a, QRgb b, int tolerance = 12);
