// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Many new coupons at once, for a newsletter or a flyer: each gets its own
// code (a prefix and random letters that the server reports as free) and
// the same name, expiry, order page and comments. Ok checks the values as
// the editor does, then adds the coupons one at a time with a progress
// window whose Cancel stops after the coupon in flight; at the end one
// message says how many were added. The dialog closes with OK when any
// coupon was added.

#include "service/CouponRow.h"

#include <QDialog>
#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;
class TCouponService;
class TbsSkinButton;
class TbsSkinDateEdit;
class TbsSkinMessage;

class TfrmBulk : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxCount = 10000;
    static constexpr int kMaxPrefix = 12;

    TfrmBulk(TCouponService& service, TbsSkinMessage& msg, QWidget* parent = nullptr);

    // The coupons the last run added, as the coupon list shows them (their
    // identifiers are the server's, unknown here).
    const std::vector<TCouponRow>& Added() const { return added_; }

    QSpinBox* edtCount = nullptr;
    QLineEdit* edtPrefix = nullptr;
    QSpinBox* edtLetters = nullptr;
    QLineEdit* edtCouponName = nullptr;
    QCheckBox* chkEpired = nullptr;
    QRadioButton* rbtOneUse = nullptr;
    QRadioButton* rbtByDays = nullptr;
    QSpinBox* edtDays = nullptr;
    QRadioButton* rbtByDate = nullptr;
    TbsSkinDateEdit* edtDate = nullptr;
    QLineEdit* edtURL = nullptr;
    QPlainTextEdit* memComments = nullptr;
    TbsSkinButton* btnOk = nullptr;
    TbsSkinButton* btnCancel = nullptr;

public slots:
    void reject() override;

private:
    void btnOkClick();
    void btnCancelClick();
    // What keeps the Code Prefix from starting the codes, as a warning;
    // empty when it can.
    std::string PrefixFault() const;

    TCouponService& service_;
    TbsSkinMessage& msg_;
    std::vector<TCouponRow> added_;
    bool running_ = false;
};
