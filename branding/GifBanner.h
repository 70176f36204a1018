// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The animated banner: plays a GIF's frames in order, wrapping from the last
// to the first for ever whatever loop count the file carries, each frame
// shown for its own delay; sized to the GIF's logical screen.
//
// Qt's GIF reader composes the frames (offsets, transparency, disposal);
// the timing is kept here, from the delays in the file itself, because the
// reader's idea of a missing or tiny delay is not ours. Frames are read
// one after the other as they are due, so a long animation never sits in
// memory as a whole. Step() is the timer's work and may be called directly
// to advance without waiting.

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QTimer>
#include <memory>
#include <vector>

class QImageReader;

class TGifBanner : public QLabel {
    Q_OBJECT
public:
    static constexpr int kMinDelayMs = 50;
    static constexpr int kMaxDelayMs = 10000;

    explicit TGifBanner(QWidget* parent = nullptr);
    ~TGifBanner() override;

    // Takes a GIF87a or GIF89a file's bytes, shows its first frame, sizes
    // the control to the logical screen and, with two or more frames,
    // starts the animation. False when not even the first frame decodes;
    // the control is then left empty and still.
    bool LoadFromData(const QByteArray& gif);

    int FrameCount() const { return static_cast<int>(schedule_.size()); }
    int CurrentFrame() const { return current_; }
    // How long each frame stays, in milliseconds, in frame order.
    const std::vector<int>& Schedule() const { return schedule_; }
    // The composed picture of the current frame, as shown.
    const QImage& CurrentImage() const { return image_; }
    bool Animating() const { return timer_.isActive(); }
    // The time until the next step, while animating.
    int TimeToNextFrame() const { return timer_.interval(); }

    // Shows the next frame (the first after the last) and times it.
    void Step();

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Rewind();
    bool ReadFrame(QImage* frame);
    void Show(const QImage& frame);

    QByteArray data_;
    QBuffer buffer_;
    std::unique_ptr<QImageReader> reader_;
    std::vector<int> schedule_;
    int current_ = 0;
    QImage image_;
    QTimer timer_;
};
