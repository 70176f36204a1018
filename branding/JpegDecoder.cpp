// SPDX-License-Identifier: GPL-3.0-or-later
#include "branding/JpegDecoder.h"

#include <QImageReader>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

namespace {

// libjpeg ends a failed decoding by calling error_exit, which must not
// return; it jumps back into DecodeInto instead of ending the process.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings are never printed. Only a scan cut short counts (it makes the
// picture refused, rather than shown half grey); the warnings that editors'
// small slips cause, such as stray bytes between markers, leave a picture
// that decodes whole.
void EmitMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        ++cinfo->err->num_warnings;
}

bool TooLarge(JDIMENSION width, JDIMENSION height) {
    const qint64 limitMB = QImageReader::allocationLimit();
    return limitMB > 0 && qint64(width) * qint64(height) * 4 > limitMB * 1024 * 1024;
}

// Adobe's CMYK JPEGs store the inks inverted (255 = no ink), which the
// Adobe marker announces; other CMYK JPEGs store them as they are.
void CmykToRgb(QImage* image, bool inverted) {
    for (int y = 0; y < image->height(); ++y) {
        uchar* p = image->scanLine(y);
        QRgb* out = reinterpret_cast<QRgb*>(p);
        for (int x = 0; x < image->width(); ++x, p += 4) {
            int c = p[0], m = p[1], ye = p[2], k = p[3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                ye = 255 - ye;
                k = 255 - k;
            }
            out[x] = qRgb(c * k / 255, m * k / 255, ye * k / 255);
        }
    }
}

// Everything between setjmp and a possible longjmp works on objects owned
// by the caller, so the jump skips no destructor.
bool DecodeInto(jpeg_decompress_struct* cinfo, ErrorManager* err, const QByteArray* data, QImage* out) {
    cinfo->err = jpeg_std_error(&err->pub);
    err->pub.error_exit = ErrorExit;
    err->pub.emit_message = EmitMessage;
    if (setjmp(err->jump)) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char*>(data->constData()),
                 static_cast<unsigned long>(data->size()));
    jpeg_read_header(cinfo, TRUE);
    const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    // Straight into the memory layout of QImage::Format_RGB32.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
#else
    cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_XRGB;
#endif
    jpeg_start_decompress(cinfo);
    if (TooLarge(cinfo->output_width, cinfo->output_height)) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    *out = QImage(int(cinfo->output_width), int(cinfo->output_height), QImage::Format_RGB32);
    if (out->isNull()) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = out->scanLine(int(cinfo->output_scanline));
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1)
            break;
    }
    const bool complete = cinfo->output_scanline == cinfo->output_height;
    const bool inverted = cinfo->saw_Adobe_marker;
    if (complete)
        jpeg_finish_decompress(cinfo);
    const long warnings = err->pub.num_warnings;
    jpeg_destroy_decompress(cinfo);
    if (!complete || warnings > 0)
        return false;
    if (cmyk)
        CmykToRgb(out, inverted);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray& data) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    QImage image;
    if (!DecodeInto(&cinfo, &err, &data, &image))
        return {};
    return image;
}
