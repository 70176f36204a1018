// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// JPEG banner pictures, decoded by calling libjpeg directly (its
// decompression only). Grey, colour and CMYK pictures, baseline or
// progressive.

#include <QByteArray>
#include <QImage>

// The picture, or a null image when the data is no JPEG or is damaged: a
// picture libjpeg reports as corrupt (for instance one cut short) is not
// shown half grey but refused, as is one too large to hold in memory.
QImage DecodeJpeg(const QByteArray& data);
