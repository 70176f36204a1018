#pragma once
// The still banner picture: sizes itself to its picture and reports clicks.

#include <QLabel>

class TStillBanner : public QLabel {
    Q_OBJECT
public:
    explicit TStillBanner(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
