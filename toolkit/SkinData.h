// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The skin every window and message dialog is drawn with. A skin is a style
// sheet compressed with qCompress whose text starts with the marker
// "/* corvanta-skin */"; the built-in one is the resource "main.skn", and a
// branding may hand over another one (dbskin.dat) that replaces it.

#include <QByteArray>
#include <QString>
#include <string>

class TbsSkinData {
public:
    // Loads the built-in skin "main.skn" and applies it.
    TbsSkinData();

    // Takes a compressed skin; false (and the current skin kept) when the
    // data is damaged or no skin.
    bool LoadFromCompressedData(const QByteArray& packed);
    bool LoadFromCompressedFile(const std::string& path);

    const QString& StyleSheet() const { return styleSheet_; }

    // Decompresses a skin and checks its marker; empty when it is not one.
    static QString Unpack(const QByteArray& packed);

private:
    void Apply();
    QString styleSheet_;
};
