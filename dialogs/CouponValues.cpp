// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/CouponValues.h"

#include "service/CouponRecord.h"
#include "service/SplitByChar.h"
#include "toolkit/SkinDateEdit.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
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

void TExpiryControls::PutInto(TCouponRecord& record) const {
    record.coupexpired = Expired->isChecked() ? "1" : "0";
    record.coupexpirtype = OneUse->isChecked() ? "1" : ByDays->isChecked() ? "2" : ByDate->isChecked() ? "3" : "";
    record.coupexpirdays = std::to_string(Days->value());
    const QDate d = Date->date();
    record.coupexpirdate = WireDate(d.year(), d.month(), d.day());
}
