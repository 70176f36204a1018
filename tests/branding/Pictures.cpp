// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/branding/Pictures.h"

#include <QBuffer>
#include <QImageWriter>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

QImage Solid(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

namespace {

std::string Compress(int width, int height, int components, const std::vector<unsigned char>& samples,
                     bool progressive) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(samples.data()) + cinfo.next_scanline * width * components;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string bytes(reinterpret_cast<char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

} // namespace

std::string JpegSamples(int width, int height, int components, const std::vector<unsigned char>& samples) {
    return Compress(width, height, components, samples, false);
}

std::string JpegBytes(const QImage& picture, bool progressive) {
    std::vector<unsigned char> samples;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            QRgb c = picture.pixel(x, y);
            samples.push_back(static_cast<unsigned char>(qRed(c)));
            samples.push_back(static_cast<unsigned char>(qGreen(c)));
            samples.push_back(static_cast<unsigned char>(qBlue(c)));
        }
    return Compress(picture.width(), picture.height(), 3, samples, progressive);
}

std::string QtBytes(const QImage& picture, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.write(picture);
    return bytes.toStdString();
}

bool Near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}
