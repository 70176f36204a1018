// SPDX-License-Identifier: GPL-3.0-or-later
// Build-time tool: compresses a file the way the toolkit stores skins and
// the crash reporter's settings (qCompress), so the resources carry exactly
// the kind of data that dbskin.dat holds.
#include <QByteArray>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <input> <output>\n", argv[0]);
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "%s: cannot open %s or %s\n", argv[0], argv[1], argv[2]);
        return 1;
    }
    QByteArray packed = qCompress(in.readAll(), 9);
    return out.write(packed) == packed.size() ? 0 : 1;
}
