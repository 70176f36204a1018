// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/CouponValues.h"

#include <QPlainTextEdit>
#include <QTextDocument>

std::string UntransportableText(std::initializer_list<TCarriedValue> values) {
    for (const TCarriedValue& f : values) {
        for (char ch : f.Value) {
            const char* what = ch == ',' ? "a comma (,)" : ch == '^' ? "a caret (^)" : nullptr;
            if (!what && !f.LineBreaksAllowed && (ch == '\r' || ch == '\n'))
                what = "a line break";
            if (what)
                return std::string("The ") + f.Name + " cannot hold " + what +
                       ": the server could not give it back correctly. Please remove it.";
        }
    }
    return {};
}

QString MemoText(const QPlainTextEdit* memo) {
    QString text = memo->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

std::string CrLfLines(const std::string& text) {
    std::string crlf;
    crlf.reserve(text.size());
    for (char ch : text) {
        if (ch == '\n')
            crlf += '\r';
        crlf += ch;
    }
    return crlf;
}
