// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/CouponValues.h"

#include "dialogs/DialogLayout.h"
#include "service/CouponRecord.h"
#include "service/SplitByChar.h"
#include "toolkit/SkinDateEdit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextDocument>
#include <initializer_list>
#include <limits>

namespace {

struct TCarriedValue {
    const char* Name;  // "Coupon Name", ...
    const std::string& Value;
    bool LineBreaksAllowed;
};

// A warning naming the field and the character when a value holds one the
// reply grammar cannot carry back; empty when all can travel.
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

} // namespace

std::string CouponRefusal(const TCouponRecord& wire, const std::string& codeFault) {
    if (wire.coupname.empty())
        return "Please provide a Coupon Name.";
    if (!codeFault.empty())
        return codeFault;
    return UntransportableText({
        {"Coupon Name", wire.coupname, false},
        {"Coupon Code", wire.coupcode, false},
        {"Discounted Order Page", wire.couponorderurl, false},
        {"Comments", wire.couponcomments, true},
    });
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

TExpiryControls TExpiryControls::Create(QGroupBox* group) {
    TExpiryControls c;
    c.Expired = Named(new QCheckBox(QStringLiteral("Expired"), group), "chkEpired");
    c.OneUse = Named(new QRadioButton(QStringLiteral("One Time Use"), group), "rbtOneUse");
    c.ByDays = Named(new QRadioButton(QStringLiteral("By "), group), "rbtByDays");
    c.Days = Named(new QSpinBox(group), "edtDays");
    // Any whole number: a fetched count is shown and sent back as it is.
    c.Days->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    c.Days->setValue(1);
    c.DaysLabel = new QLabel(QStringLiteral("day(s)"), group);
    c.Days->setAccessibleName(c.DaysLabel->text());
    c.ByDate = Named(new QRadioButton(QStringLiteral("By this date"), group), "rbtByDate");
    c.Date = Named(new TbsSkinDateEdit(group), "edtDate");
    c.Date->SetAccessibleName(c.ByDate->text());
    // An exclusive group keeps at most one kind chosen.
    auto* kinds = new QButtonGroup(group);
    for (QRadioButton* kind : {c.OneUse, c.ByDays, c.ByDate})
        kinds->addButton(kind);
    c.OneUse->setChecked(true);
    return c;
}

void TExpiryControls::PutInto(TCouponRecord& record) const {
    record.coupexpired = Expired->isChecked() ? "1" : "0";
    record.coupexpirtype = OneUse->isChecked() ? "1" : ByDays->isChecked() ? "2" : ByDate->isChecked() ? "3" : "";
    record.coupexpirdays = std::to_string(Days->value());
    const QDate d = Date->date();
    record.coupexpirdate = WireDate(d.year(), d.month(), d.day());
}
