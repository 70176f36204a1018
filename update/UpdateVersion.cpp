// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/UpdateVersion.h"

#include <QLocale>

#include <charconv>
#include <cmath>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Copies a run of digits from text at pos into out; returns how many.
std::size_t TakeDigits(const std::string& text, std::size_t& pos, std::string& out) {
    std::size_t start = pos;
    while (pos < text.size() && IsDigit(text[pos]))
        out += text[pos++];
    return pos - start;
}

} // namespace

float VersionFromText(const std::string& text, const std::string& decimalSeparator) {
    // The text is checked by hand and handed to from_chars with a point, so
    // neither the C library's locale nor its extras (hexadecimal, "inf",
    // "nan") take part.
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    std::string number;
    std::size_t digits = TakeDigits(text, pos, number);
    if (!decimalSeparator.empty() && text.compare(pos, decimalSeparator.size(), decimalSeparator) == 0) {
        pos += decimalSeparator.size();
        number += '.';
        digits += TakeDigits(text, pos, number);
    }
    if (digits == 0)
        return 0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        number += 'e';
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            number += text[pos++];
        if (TakeDigits(text, pos, number) == 0)
            return 0;
    }
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    if (pos != text.size())
        return 0;

    // Converted at extended precision first and then rounded to a single.
    long double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    // Out of range (beyond even extended precision's exponents) counts as
    // not converting; for an underflow that is the value anyway.
    if (ec != std::errc() || end != number.data() + number.size())
        return 0;
    const float single = float(negative ? -value : value);
    // A value beyond the single range would become infinity and outrank
    // every real version; it is no version number.
    if (!std::isfinite(single))
        return 0;
    return single;
}

std::string AppVersionParameter(const std::string& decimalSeparator) {
    // to_chars, unlike printf, writes a point whatever the C library's locale.
    char buffer[40];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, double(AppVersionNumber),
                                         std::chars_format::general, 15);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    const std::size_t point = text.find('.');
    if (point != std::string::npos)
        text.replace(point, 1, decimalSeparator);
    return text;
}

std::string LocaleDecimalSeparator() {
    return QLocale().decimalPoint().toLocal8Bit().toStdString();
}
