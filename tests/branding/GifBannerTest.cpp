// SPDX-License-Identifier: GPL-3.0-or-later
// The animated banner: frames composed by Qt's GIF reader, timed by the
// banner itself from the delays in the file, played for ever.

#include "branding/GifBanner.h"
#include "tests/branding/GifWriter.h"
#include "tests/support/gui/WidgetTest.h"

#include <gtest/gtest.h>

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kWhite = qRgb(255, 255, 255);

QByteArray Gif(const GifPicture& gif) { return QByteArray::fromStdString(WriteGif(gif)); }

// A 6x4 screen with a red background and as many frames as delays, each a
// pixel of its own colour stepping along the top row.
GifPicture Marching(const std::vector<int>& delays, int loopCount = -1) {
    GifPicture gif{6, 4, {kRed, kGreen, kBlue, kWhite}, 0, loopCount, false, {}};
    gif.frames.push_back(SolidFrame(0, 0, 6, 4, 0, delays[0]));
    for (std::size_t i = 1; i < delays.size(); ++i)
        gif.frames.push_back(SolidFrame(int(i) - 1, 0, 1, 1, 1 + int(i - 1) % 3, delays[i]));
    return gif;
}

TEST(GifBanner, EachFrameStaysForItsDelayHeldWithinBounds) {
    // Delays in hundredths of a second; -1 is a frame without any.
    const std::vector<int> delays = {0, 2, 20000, -1, 5, 6, 150, 1000, 1001};
    const std::vector<int> expected = {50, 50, 10000, 50, 50, 60, 1500, 10000, 10000};
    TGifBanner banner;
    ASSERT_TRUE(banner.LoadFromData(Gif(Marching(delays))));
    EXPECT_EQ(banner.FrameCount(), int(delays.size()));
    EXPECT_EQ(banner.Schedule(), expected);
}

TEST(GifBanner, TheTimerRunsOnTheShownFramesDelay) {
    TGifBanner banner;
    ASSERT_TRUE(banner.LoadFromData(Gif(Marching({0, 2, 20000}))));
    const std::vector<int> expected = {50, 50, 10000};
    for (int step = 0; step < 7; ++step) {
        ASSERT_TRUE(banner.Animating());
        EXPECT_EQ(banner.TimeToNextFrame(), expected[std::size_t(banner.CurrentFrame())]) << step;
        banner.Step();
    }
}

TEST(GifBanner, WrapsFromTheLastFrameToTheFirstWhateverTheLoopCount) {
    // No loop extension, "for ever" (0), once, three times.
    for (int loops : {-1, 0, 1, 3}) {
        SCOPED_TRACE(loops);
        TGifBanner banner;
        ASSERT_TRUE(banner.LoadFromData(Gif(Marching({10, 10, 10}, loops))));
        const QImage first = banner.CurrentImage();
        EXPECT_EQ(first.pixel(0, 0), kRed);
        for (int step = 1; step <= 3 * 5; ++step) {
            banner.Step();
            ASSERT_EQ(banner.CurrentFrame(), step % 3);
            EXPECT_TRUE(banner.Animating());
        }
        // Back at the start the first frame is composed afresh, with no
        // trace of the later frames.
        EXPECT_EQ(banner.CurrentImage(), first);
        banner.Step();
        EXPECT_EQ(banner.CurrentImage().pixel(0, 0), kGreen);
        EXPECT_EQ(banner.pixmap().toImage().pixel(0, 0), kGreen);
    }
}

TEST(GifBanner, ASingleFrameStaysStill) {
    TGifBanner banner;
    ASSERT_TRUE(banner.LoadFromData(Gif(Marching({100}))));
    EXPECT_EQ(banner.FrameCount(), 1);
    EXPECT_FALSE(banner.Animating());
    banner.Step();
    EXPECT_EQ(banner.CurrentFrame(), 0);
}

TEST(GifBanner, AdvancesByItselfOnItsTimer) {
    TGifBanner banner;
    ASSERT_TRUE(banner.LoadFromData(Gif(Marching({1, 1, 1}))));
    EXPECT_TRUE(WaitFor([&] { return banner.CurrentFrame() == 1; }));
    EXPECT_TRUE(WaitFor([&] { return banner.CurrentFrame() == 0; }));
}

TEST(GifBanner, SizesItselfToTheLogicalScreen) {
    GifPicture gif{40, 30, {kRed, kGreen}, 0, -1, false, {SolidFrame(5, 6, 10, 10, 1)}};
    TGifBanner banner;
    banner.resize(468, 60);
    ASSERT_TRUE(banner.LoadFromData(Gif(gif)));
    EXPECT_EQ(banner.size(), QSize(40, 30));
    EXPECT_EQ(banner.CurrentImage().size(), QSize(40, 30));
    EXPECT_EQ(banner.CurrentImage().pixel(5, 6), kGreen);
    EXPECT_EQ(banner.CurrentImage().pixel(14, 15), kGreen);
    EXPECT_NE(banner.CurrentImage().pixel(15, 15), kGreen);
}

TEST(GifBanner, ReadsGif87aFiles) {
    GifPicture gif = Marching({-1, -1, -1});
    gif.gif87a = true;
    TGifBanner banner;
    ASSERT_TRUE(banner.LoadFromData(Gif(gif)));
    EXPECT_EQ(banner.FrameCount(), 3);
    EXPECT_EQ(banner.Schedule(), (std::vector<int>{50, 50, 50}));
}

// Frames at offsets over a red 6x4 screen:
//   1: green 2x2 at (1,1), its second and third pixel transparent (index 3),
//      left in place (disposal 1);
//   2: blue 2x2 at (4,0), cleared to the background after it (disposal 2);
//   3: green 2x1 at (0,3), restored to what was before it (disposal 3);
//   4: one white pixel at (5,3).
TEST(GifBanner, FramesAreDrawnAtTheirOffsetsWithTransparencyAndDisposal) {
    GifPicture gif{6, 4, {kRed, kGreen, kBlue, kWhite}, 0, -1, false, {}};
    gif.frames.push_back(SolidFrame(0, 0, 6, 4, 0, 10));
    GifFrame f1 = SolidFrame(1, 1, 2, 2, 1, 10);
    f1.pixels = {1, 3, 3, 1};
    f1.transparent = 3;
    f1.disposal = 1;
    gif.frames.push_back(f1);
    GifFrame f2 = SolidFrame(4, 0, 2, 2, 2, 10);
    f2.disposal = 2;
    gif.frames.push_back(f2);
    GifFrame f3 = SolidFrame(0, 3, 2, 1, 1, 10);
    f3.disposal = 3;
    gif.frames.push_back(f3);
    gif.frames.push_back(SolidFrame(5, 3, 1, 1, 3, 10));

    TGifBanner banner;
    ASSERT_TRUE(banner.LoadFromData(Gif(gif)));
    ASSERT_EQ(banner.FrameCount(), 5);
    auto at = [&](int x, int y) { return banner.CurrentImage().pixel(x, y); };

    banner.Step();  // frame 1
    EXPECT_EQ(at(1, 1), kGreen);
    EXPECT_EQ(at(2, 2), kGreen);
    EXPECT_EQ(at(2, 1), kRed) << "transparent pixel shows what lies below";
    EXPECT_EQ(at(1, 2), kRed) << "transparent pixel shows what lies below";
    EXPECT_EQ(at(0, 0), kRed);

    banner.Step();  // frame 2
    EXPECT_EQ(at(4, 0), kBlue);
    EXPECT_EQ(at(5, 1), kBlue);
    EXPECT_EQ(at(1, 1), kGreen) << "frame 1 stays (disposal 1)";

    banner.Step();  // frame 3
    EXPECT_EQ(at(4, 0), kRed) << "frame 2's area cleared to the background";
    EXPECT_EQ(at(5, 1), kRed) << "frame 2's area cleared to the background";
    EXPECT_EQ(at(0, 3), kGreen);
    EXPECT_EQ(at(1, 3), kGreen);

    banner.Step();  // frame 4
    EXPECT_EQ(at(0, 3), kRed) << "frame 3's area restored to what was before it";
    EXPECT_EQ(at(1, 3), kRed) << "frame 3's area restored to what was before it";
    EXPECT_EQ(at(5, 3), kWhite);
    EXPECT_EQ(at(1, 1), kGreen);
}

TEST(GifBanner, AClearedTransparentFrameLetsTheStripShowThrough) {
    // Disposal 2 of a frame with a transparent colour clears its area to
    // transparent, not to an opaque colour, even under an opaque first frame.
    GifPicture gif{4, 2, {kRed, kGreen, kBlue, kWhite}, 0, -1, false, {}};
    gif.frames.push_back(SolidFrame(0, 0, 4, 2, 0, 10));
    GifFrame f1 = SolidFrame(0, 0, 2, 2, 1, 10);
    f1.transparent = 3;
    f1.disposal = 2;
    gif.frames.push_back(f1);
    gif.frames.push_back(SolidFrame(3, 1, 1, 1, 2, 10));
    TGifBanner banner;
    ASSERT_TRUE(banner.LoadFromData(Gif(gif)));
    banner.Step();
    EXPECT_EQ(banner.CurrentImage().pixel(0, 0), kGreen);
    banner.Step();
    EXPECT_EQ(qAlpha(banner.CurrentImage().pixel(0, 0)), 0);
    EXPECT_EQ(banner.CurrentImage().pixel(2, 0), kRed);
    EXPECT_EQ(banner.CurrentImage().pixel(3, 1), kBlue);
}

TEST(GifBanner, DataThatIsNoGifIsRefused) {
    const std::string good = WriteGif(Marching({10, 10}));
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"not a picture", "GIF? no, just text"},
        {"header only", good.substr(0, 13)},
    };
    for (const auto& [name, bytes] : cases) {
        TGifBanner banner;
        EXPECT_FALSE(banner.LoadFromData(QByteArray::fromStdString(bytes))) << name;
        EXPECT_FALSE(banner.Animating()) << name;
        EXPECT_EQ(banner.FrameCount(), 0) << name;
    }
}

} // namespace
