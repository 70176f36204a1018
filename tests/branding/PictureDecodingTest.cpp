// SPDX-License-Identifier: GPL-3.0-or-later
// Still banner pictures: the decoder is chosen by the banner path's
// extension, JPEG goes through libjpeg, and whatever does not decode as the
// named kind is refused without touching the control.

#include "branding/JpegDecoder.h"
#include "branding/StillBanner.h"
#include "tests/branding/GifWriter.h"
#include "tests/branding/Pictures.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

QByteArray Bytes(const std::string& s) { return QByteArray::fromStdString(s); }

// Four quadrants of different colours, so a picture turned or mirrored in
// decoding shows.
QImage Quadrants(int width, int height) {
    QImage image = Solid(width, height, Qt::red);
    QPainter p(&image);
    p.fillRect(width / 2, 0, width - width / 2, height / 2, Qt::green);
    p.fillRect(0, height / 2, width / 2, height - height / 2, Qt::blue);
    p.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, Qt::white);
    return image;
}

void ExpectQuadrants(const QImage& image, int width, int height) {
    ASSERT_EQ(image.size(), QSize(width, height));
    EXPECT_TRUE(Near(image.pixel(2, 2), qRgb(255, 0, 0)));
    EXPECT_TRUE(Near(image.pixel(width - 3, 2), qRgb(0, 255, 0)));
    EXPECT_TRUE(Near(image.pixel(2, height - 3), qRgb(0, 0, 255)));
    EXPECT_TRUE(Near(image.pixel(width - 3, height - 3), qRgb(255, 255, 255)));
}

TEST(JpegDecoding, ColourPicturesKeepTheirLayout) {
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        ExpectQuadrants(DecodeJpeg(Bytes(JpegBytes(Quadrants(64, 48), progressive))), 64, 48);
    }
    // Sizes that are no multiple of the 8x8 (or 16x16) blocks.
    ExpectQuadrants(DecodeJpeg(Bytes(JpegBytes(Quadrants(37, 23)))), 37, 23);
}

TEST(JpegDecoding, GreyAndCmykPicturesComeOutInColour) {
    struct Case {
        const char* name;
        int components;
        std::vector<unsigned char> pixel;
        QRgb expected;
    };
    const Case cases[] = {
        {"grey", 1, {200}, qRgb(200, 200, 200)},
        // libjpeg writes CMYK with the Adobe marker: inks inverted, 255 = none.
        {"cmyk red", 4, {255, 0, 0, 255}, qRgb(255, 0, 0)},
        {"cmyk half black", 4, {255, 255, 255, 128}, qRgb(128, 128, 128)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> samples;
        for (int i = 0; i < 16 * 8; ++i)
            samples.insert(samples.end(), c.pixel.begin(), c.pixel.end());
        QImage image = DecodeJpeg(Bytes(JpegSamples(16, 8, c.components, samples)));
        ASSERT_EQ(image.size(), QSize(16, 8));
        EXPECT_TRUE(Near(image.pixel(8, 4), c.expected)) << std::hex << image.pixel(8, 4);
    }
}

TEST(JpegDecoding, DamagedDataIsRefused) {
    const std::string good = JpegBytes(Quadrants(64, 48));
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"not a picture", "this is no JPEG at all"},
        {"only the start marker", good.substr(0, 2)},
        {"header cut short", good.substr(0, 100)},
        {"cut in the picture data", good.substr(0, good.size() / 2)},
        {"a PNG", QtBytes(Quadrants(8, 8), "png")},
    };
    for (const auto& [name, bytes] : cases)
        EXPECT_TRUE(DecodeJpeg(Bytes(bytes)).isNull()) << name;
}

TEST(JpegDecoding, StrayBytesBetweenMarkersStillGiveTheWholePicture) {
    // Editors sometimes leave a few bytes where a marker should start; the
    // picture itself is intact and shows.
    const std::string good = JpegBytes(Quadrants(64, 48));
    std::string stray = good;
    stray[2] = 0;
    std::string padded = good.substr(0, 2) + std::string("\x01\x02\x03", 3) + good.substr(2);
    const QImage whole = DecodeJpeg(Bytes(good));
    ASSERT_FALSE(whole.isNull());
    EXPECT_EQ(DecodeJpeg(Bytes(padded)), whole);
    EXPECT_EQ(DecodeJpeg(Bytes(stray)).size(), whole.size());
}

struct KindCase {
    const char* extension;
    std::string bytes;
    bool shown;
};

TEST(StillBanner, DecoderFollowsTheExtensionInAnyCase) {
    const QImage picture = Quadrants(40, 20);
    const std::string jpeg = JpegBytes(picture);
    const std::string bmp = QtBytes(picture, "bmp");
    const std::string ico = QtBytes(Quadrants(32, 32), "ico");
    GifPicture gif{40, 20, {qRgb(255, 0, 0), qRgb(0, 255, 0)}, 0, -1, false, {SolidFrame(0, 0, 40, 20, 0)}};
    const KindCase cases[] = {
        {"jpg", jpeg, true},
        {"JPG", jpeg, true},
        {"jpeg", jpeg, true},
        {"JpEg", jpeg, true},
        {"bmp", bmp, true},
        {"BMP", bmp, true},
        {"ico", ico, true},
        {"ICO", ico, true},
        {"gif", WriteGif(gif), true},
        // The extension names the kind; other content is not guessed at.
        {"bmp", jpeg, false},
        {"jpg", bmp, false},
        {"ico", bmp, false},
        // Qt draws no Windows metafiles; unknown kinds show nothing.
        {"emf", bmp, false},
        {"wmf", bmp, false},
        {"png", QtBytes(picture, "png"), false},
        {"", jpeg, false},
        {"jpg.bak", jpeg, false},
    };
    for (const KindCase& c : cases) {
        SCOPED_TRACE(c.extension);
        TStillBanner banner;
        banner.SetPicture(Solid(7, 3, Qt::black));
        const bool shown = banner.LoadPicture(Bytes(c.bytes), c.extension);
        EXPECT_EQ(shown, c.shown);
        if (shown) {
            EXPECT_NE(banner.size(), QSize(7, 3));
            EXPECT_EQ(banner.size(), banner.pixmap().size());
        } else {
            // A refused picture leaves the control as it was.
            EXPECT_EQ(banner.size(), QSize(7, 3));
            EXPECT_EQ(banner.pixmap().size(), QSize(7, 3));
        }
    }
}

TEST(StillBanner, SizesItselfToItsPictureWithoutStretching) {
    TStillBanner banner;
    banner.resize(300, 100);
    ASSERT_TRUE(banner.LoadPicture(Bytes(JpegBytes(Quadrants(201, 60))), "jpg"));
    EXPECT_EQ(banner.size(), QSize(201, 60));
    EXPECT_FALSE(banner.hasScaledContents());
    ExpectQuadrants(banner.pixmap().toImage(), 201, 60);
}

} // namespace
