// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The still banner picture: takes a picture file's bytes with the extension
// that names its kind, shows the picture at its own size (no stretching, no
// centring of its own) and reports clicks.

#include <QLabel>
#include <string>

class TStillBanner : public QLabel {
    Q_OBJECT
public:
    explicit TStillBanner(QWidget* parent = nullptr);

    // Decodes by the extension, in any letter case: "bmp" Windows bitmap,
    // "ico" Windows icon (its first picture), "jpg"/"jpeg" JPEG, "gif" GIF
    // (its first frame). Metafiles ("emf", "wmf"), other extensions and
    // data that does not decode as the named kind give false and leave the
    // control as it was.
    bool LoadPicture(const QByteArray& data, const std::string& extension);

    // Shows a decoded picture and takes its size.
    void SetPicture(const QImage& picture);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
