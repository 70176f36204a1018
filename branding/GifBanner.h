#pragma once
// The animated banner: plays a GIF's frames in order, wrapping from the last
// to the first for ever whatever loop count the file carries, each frame
// shown for its own delay; sized to the GIF's logical screen.

#include <QLabel>

class TGifBanner : public QLabel {
    Q_OBJECT
public:
    explicit TGifBanner(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
