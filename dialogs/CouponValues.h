// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the coupon dialogs share about the values they send: which
// characters the reply grammar could not carry back, and the text of a
// comments memo.

#include <QString>
#include <initializer_list>
#include <string>

class QCheckBox;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;
class TbsSkinDateEdit;
struct TCouponRecord;

struct TCarriedValue {
    const char* Name;  // "Coupon Name", ...
    std::string Value;
    bool LineBreaksAllowed;
};

// A warning naming the field and the character when a value holds a comma,
// a caret, or (where not allowed) a line break; empty when all can travel.
std::string UntransportableText(std::initializer_list<TCarriedValue> values);

// The memo's raw text (so characters such as the non-breaking space pass
// unchanged), every paragraph and line separator a line feed.
QString MemoText(const QPlainTextEdit* memo);

// The text with every line feed preceded by a carriage return, as the
// comments travel.
std::string CrLfLines(const std::string& text);

// The controls of an "Expiration Settings" group. Both coupon dialogs turn
// them into the same four wire values, so a bulk coupon expires exactly as
// one made in the editor.
struct TExpiryControls {
    const QCheckBox* Expired;
    const QRadioButton* OneUse;
    const QRadioButton* ByDays;
    const QRadioButton* ByDate;
    const QSpinBox* Days;
    const TbsSkinDateEdit* Date;

    // Sets coupexpired, coupexpirtype (empty when no kind is chosen),
    // coupexpirdays and coupexpirdate, the last two whatever the kind.
    void PutInto(TCouponRecord& record) const;
};
