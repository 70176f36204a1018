// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/TraceListModel.h"

#include "toolkit/NaturalOrder.h"
#include "toolkit/WireText.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>

#include <algorithm>
#include <vector>

namespace {

// A piece of a time format: a field (a run of one format letter), a quoted
// literal (kept as written, quotes included) or other literal text.
struct FormatPiece {
    enum Kind { Field, Quoted, Text } kind;
    QString text;
};

std::vector<FormatPiece> Pieces(const QString& format) {
    std::vector<FormatPiece> pieces;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        qsizetype end = i + 1;
        FormatPiece::Kind kind = FormatPiece::Text;
        if (c == QLatin1Char('\'')) {
            // Up to the closing quote; '' inside stands for a quote.
            kind = FormatPiece::Quoted;
            while (end < format.size()) {
                if (format[end] == QLatin1Char('\'') && !(end + 1 < format.size() && format[end + 1] == QLatin1Char('\'')))
                    break;
                end += format[end] == QLatin1Char('\'') ? 2 : 1;
            }
            end = std::min(end + 1, format.size());
        } else if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))) {
            kind = FormatPiece::Field;
            while (end < format.size() && format[end] == c)
                ++end;
        } else {
            while (end < format.size() && format[end] != QLatin1Char('\'') && !format[end].isLetter())
                ++end;
        }
        if (kind == FormatPiece::Text && !pieces.empty() && pieces.back().kind == FormatPiece::Text)
            pieces.back().text += format.mid(i, end - i);
        else
            pieces.push_back({kind, format.mid(i, end - i)});
        i = end;
    }
    return pieces;
}

// Blanks and the separators that stood between the zone and the time.
bool IsSeparator(QChar c) {
    return c.isSpace() || c == QLatin1Char(',') || c == QChar(0x060C) || c == QChar(0x3001) || c == QChar(0xFF0C);
}

// Brackets that enclosed the zone and now enclose nothing.
QString WithoutEmptyBrackets(QString text) {
    static const QRegularExpression empty(
        QStringLiteral("[(\\[\uFF08\u3010\uFF3B]\\s*[)\\]\uFF09\u3011\uFF3D]"));
    QString before;
    while (before != text) {
        before = text;
        text.remove(empty);
    }
    return text;
}

} // namespace

QString LongTimeWithoutZone(const QString& timeFormat) {
    std::vector<FormatPiece> pieces;
    for (FormatPiece& piece : Pieces(timeFormat)) {
        if (piece.kind == FormatPiece::Field && piece.text.front() == QLatin1Char('t'))
            piece = {FormatPiece::Text, QString()};
        if (piece.kind == FormatPiece::Text && !pieces.empty() && pieces.back().kind == FormatPiece::Text)
            pieces.back().text += piece.text;
        else
            pieces.push_back(std::move(piece));
    }
    for (FormatPiece& piece : pieces) {
        if (piece.kind != FormatPiece::Text)
            continue;
        piece.text = WithoutEmptyBrackets(piece.text);
        // A run of blanks left where the zone was in the middle is one.
        static const QRegularExpression blanks(QStringLiteral("\\s{2,}"));
        piece.text.replace(blanks, QStringLiteral(" "));
    }
    // Nothing to separate at either end.
    while (!pieces.empty() && pieces.front().kind == FormatPiece::Text) {
        QString& t = pieces.front().text;
        while (!t.isEmpty() && IsSeparator(t.front()))
            t.remove(0, 1);
        if (!t.isEmpty())
            break;
        pieces.erase(pieces.begin());
    }
    while (!pieces.empty() && pieces.back().kind == FormatPiece::Text) {
        QString& t = pieces.back().text;
        while (!t.isEmpty() && IsSeparator(t.back()))
            t.chop(1);
        if (!t.isEmpty())
            break;
        pieces.pop_back();
    }
    QString format;
    for (const FormatPiece& piece : pieces)
        format += piece.text;
    return format;
}

QString DateUsedText(const TDateTime& when) {
    QLocale locale;
    QString text = locale.toString(QDate::fromJulianDay(when.Day), QLocale::ShortFormat);
    if (when.Seconds != 0) {
        // Rows are drawn one by one on the window's thread: the format is
        // made again only when the locale's changes.
        static QString localeFormat, format;
        if (const QString f = locale.timeFormat(QLocale::LongFormat); f != localeFormat || format.isEmpty()) {
            localeFormat = f;
            format = LongTimeWithoutZone(f);
        }
        text += QLatin1Char(' ') + locale.toString(QTime(0, 0).addSecs(when.Seconds), format);
    }
    return text;
}

TTraceListModel::TTraceListModel(const std::vector<TTrace>& traces, QObject* parent)
    : TbsCheckListModel({QStringLiteral("Coupon Code"), QStringLiteral("Date Used"), QStringLiteral("Computer IP")},
                        parent),
      traces_(traces) {}

void TTraceListModel::SetRows(std::vector<std::size_t> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    ClearChecks(rows_.size());
    endResetModel();
}

int TTraceListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QString TTraceListModel::Text(int row, int column) const {
    const TTrace& t = Trace(row);
    switch (column) {
    case 0: return ShownText(t.CouponCode);
    case 1: return DateUsedText(t.DateUsed);
    default: return ShownText(t.ComputerIP);
    }
}

int TTraceListModel::CompareRows(int a, int b, int column) const {
    const TTrace& x = Trace(a);
    const TTrace& y = Trace(b);
    switch (column) {
    case 0: return NaturalCompare(x.CouponCode, y.CouponCode);
    case 1: return CompareDates(x.DateUsed, y.DateUsed);
    default: return NaturalCompare(x.ComputerIP, y.ComputerIP);
    }
}

void TTraceListModel::ReorderRows(const std::vector<int>& order) {
    Permute(rows_, order);
}
