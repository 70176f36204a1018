// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the coupon dialogs share about the values they send: the checks
// before sending, the text of a comments memo, and the controls of the
// expiry.

#include <QString>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;
class TbsSkinDateEdit;
struct TCouponRecord;

// The warning for the first thing that keeps a coupon's values from being
// sent, in the order both dialogs check them: no name; codeFault, the
// dialog's own word on the code (empty when it has none); then a comma, a
// caret or, but in the comments, a line break, which the reply grammar could
// not carry back. Empty when the values can go.
std::string CouponRefusal(const TCouponRecord& wire, const std::string& codeFault);

// The memo's raw text (so characters such as the non-breaking space pass
// unchanged), every paragraph and line separator a line feed.
QString MemoText(const QPlainTextEdit* memo);

// The text with every line feed preceded by a carriage return, as the
// comments travel.
std::string CrLfLines(const std::string& text);

// The controls of an "Expiration Settings" group. Both coupon dialogs make
// them alike and turn them into the same four wire values, so a bulk coupon
// expires exactly as one made in the editor.
struct TExpiryControls {
    QCheckBox* Expired;
    QRadioButton* OneUse;
    QRadioButton* ByDays;
    QRadioButton* ByDate;
    QSpinBox* Days;
    TbsSkinDateEdit* Date;
    QLabel* DaysLabel;  // "day(s)", after Days; no value of its own

    // The controls in group, named and captioned, at the editor's defaults:
    // not expired, one time use, one day (any whole number may be shown),
    // today. The three kinds exclude each other. The caller lays them out.
    static TExpiryControls Create(QGroupBox* group);

    // Sets coupexpired, coupexpirtype (empty when no kind is chosen),
    // coupexpirdays and coupexpirdate, the last two whatever the kind.
    void PutInto(TCouponRecord& record) const;
};
