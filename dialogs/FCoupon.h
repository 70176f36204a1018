// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The coupon editor: a new coupon, or an existing one when the caption is
// "Edit Coupon". It closes with OK only once the server has stored the
// coupon; after a warning every value stays as it was.

#include "service/CouponProtocol.h"

#include <QDialog>
#include <string>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;
class TCouponService;
class TbsSkinButton;
class TbsSkinDateEdit;
class TbsSkinMessage;

// count + 1 random capital letters from "A" to "Y", from a generator seeded
// afresh from the clock on every call.
std::string RandomLetters(int count);

class TfrmCoupon : public QDialog {
    Q_OBJECT
public:
    // Generate gives up after this many taken codes in a row.
    static constexpr int kGenerateTries = 1000;

    TfrmCoupon(TCouponService& service, TbsSkinMessage& msg, QWidget* parent = nullptr);

    // Fills the dialog from a fetched record (edit mode is set by the caller
    // through the caption).
    void Fill(const TFetchedCoupon& coupon);

    QLineEdit* edtCouponName = nullptr;
    QLineEdit* edtCouponCode = nullptr;
    TbsSkinButton* btnGenCode = nullptr;
    QCheckBox* chkEpired = nullptr;
    QRadioButton* rbtOneUse = nullptr;
    QRadioButton* rbtByDays = nullptr;
    QSpinBox* edtDays = nullptr;
    QRadioButton* rbtByDate = nullptr;
    TbsSkinDateEdit* edtDate = nullptr;
    QLineEdit* edtURL = nullptr;
    TbsSkinButton* bsSkinButton2 = nullptr;  // "Browse", without any action
    QPlainTextEdit* memComments = nullptr;
    TbsSkinButton* btnOk = nullptr;
    TbsSkinButton* btnCancel = nullptr;

    const std::string& CouponId() const { return couponId_; }

public slots:
    void reject() override;

private:
    void btnOkClick();
    void btnCancelClick();
    void btnGenCodeClick();
    TCouponRecord WireValues() const;
    void Warn(const std::string& text);

    // A text field as a fetched record filled it: the bytes, and the text
    // that showed them. A field still showing that text goes back as those
    // bytes, so what the user did not change is sent as it came.
    struct TFetchedText {
        std::string bytes;
        QString shown;
    };
    static std::string WireText(const QString& now, const TFetchedText& fetched);

    TCouponService& service_;
    TbsSkinMessage& msg_;
    std::string couponId_;
    TFetchedText fetchedCode_, fetchedName_, fetchedURL_, fetchedComments_;
};
