// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/WireText.h"

#include <QByteArray>

namespace {

bool Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence at text[i], or 0 when the
// byte there does not begin one (no overlong forms, no surrogates, nothing
// past U+10FFFF).
std::size_t SequenceAt(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) { return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0; };
    const unsigned char c = at(0);
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        return Continuation(at(1)) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        const unsigned char lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
        return at(1) >= lo && at(1) <= hi && Continuation(at(2)) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        const unsigned char lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
        return at(1) >= lo && at(1) <= hi && Continuation(at(2)) && Continuation(at(3)) ? 4 : 0;
    }
    return 0;
}

// Calls run for each stretch of well-formed UTF-8 and stray for each byte
// outside one, in order.
template <class Run, class Stray>
void Walk(std::string_view text, Run run, Stray stray) {
    std::size_t start = 0, i = 0;
    while (i < text.size()) {
        const std::size_t n = SequenceAt(text, i);
        if (n > 0) {
            i += n;
            continue;
        }
        if (i > start)
            run(text.substr(start, i - start));
        stray(static_cast<unsigned char>(text[i]));
        start = ++i;
    }
    if (i > start)
        run(text.substr(start, i - start));
}

QString FromUtf8(std::string_view run) { return QString::fromUtf8(run.data(), static_cast<qsizetype>(run.size())); }

} // namespace

QString ShownText(std::string_view bytes) {
    QString shown;
    Walk(bytes, [&](std::string_view run) { shown += FromUtf8(run); },
         [&](unsigned char byte) { shown += QChar(char16_t(byte)); });
    return shown;
}

std::string UpperCaseKey(std::string_view bytes) {
    std::string key;
    // 0xFF never occurs in UTF-8, so a marked byte never matches a letter.
    Walk(bytes, [&](std::string_view run) { key += FromUtf8(run).toUpper().toUtf8().toStdString(); },
         [&](unsigned char byte) {
             key += '\xFF';
             key += static_cast<char>(byte);
         });
    return key;
}
