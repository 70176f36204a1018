// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/SkinData.h"

#include <QApplication>
#include <QFile>

namespace {
constexpr char kMarker[] = "/* corvanta-skin */";
}

TbsSkinData::TbsSkinData() {
    QFile builtIn(QStringLiteral(":/main.skn"));
    if (builtIn.open(QIODevice::ReadOnly))
        LoadFromCompressedData(builtIn.readAll());
}

QString TbsSkinData::Unpack(const QByteArray& packed) {
    // qUncompress needs at least its four-byte length header; shorter data
    // is damaged by definition.
    if (packed.size() < 5)
        return {};
    QByteArray text = qUncompress(packed);
    if (!text.startsWith(kMarker))
        return {};
    return QString::fromUtf8(text);
}

bool TbsSkinData::LoadFromCompressedData(const QByteArray& packed) {
    QString sheet = Unpack(packed);
    if (sheet.isEmpty())
        return false;
    styleSheet_ = sheet;
    Apply();
    return true;
}

bool TbsSkinData::LoadFromCompressedFile(const std::string& path) {
    QFile f(QString::fromLocal8Bit(path.c_str()));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return LoadFromCompressedData(f.readAll());
}

void TbsSkinData::Apply() {
    // One application-wide sheet: every window, present and future, and
    // every message dialog takes it.
    if (qApp)
        qApp->setStyleSheet(styleSheet_);
}
