// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/FBulk.h"

#include "dialogs/BulkRun.h"
#include "dialogs/CouponValues.h"
#include "dialogs/DialogLayout.h"
#include "dialogs/FBulkProgress.h"
#include "dialogs/FCoupon.h"
#include "service/CouponService.h"
#include "service/SplitByChar.h"
#include "toolkit/SkinButton.h"
#include "toolkit/SkinDateEdit.h"
#include "toolkit/SkinMessage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>

namespace {

std::string Local(const QString& text) { return text.toLocal8Bit().toStdString(); }

QSpinBox* Count(QWidget* parent, const char* name, int low, int high, int value) {
    auto* spin = Named(new QSpinBox(parent), name);
    spin->setRange(low, high);
    spin->setValue(value);
    return spin;
}

} // namespace

TfrmBulk::TfrmBulk(TCouponService& service, TbsSkinMessage& msg, QWidget* parent)
    : QDialog(parent), service_(service), msg_(msg) {
    setObjectName(QStringLiteral("frmBulk"));
    setWindowTitle(QStringLiteral("New Coupons in Bulk"));
    SetDialogFlags(this, true);

    auto* general = new QGroupBox(QStringLiteral("General"), this);
    edtCount = Count(general, "edtCount", 1, kMaxCount, 10);
    edtPrefix = Named(new QLineEdit(general), "edtPrefix");
    edtPrefix->setMaxLength(std::numeric_limits<int>::max());
    edtLetters = Count(general, "edtLetters", 4, 16, 6);
    edtCouponName = Named(new QLineEdit(general), "edtCouponName");
    edtCouponName->setMaxLength(std::numeric_limits<int>::max());
    auto* g = new QGridLayout(general);
    g->addWidget(LabelFor("Number of Coupons:", edtCount, general), 0, 0);
    g->addWidget(edtCount, 0, 1, Qt::AlignLeft);
    g->addWidget(LabelFor("Code Prefix:", edtPrefix, general), 1, 0);
    g->addWidget(edtPrefix, 1, 1);
    g->addWidget(LabelFor("Random Letters:", edtLetters, general), 1, 2);
    g->addWidget(edtLetters, 1, 3);
    g->addWidget(LabelFor("Coupon Name:", edtCouponName, general), 2, 0);
    g->addWidget(edtCouponName, 2, 1, 1, 3);

    // The editor's expiry choices, with its defaults and wire values.
    auto* expiry = new QGroupBox(QStringLiteral("Expiration Settings"), this);
    const TExpiryControls controls = TExpiryControls::Create(expiry);
    chkEpired = controls.Expired;
    rbtOneUse = controls.OneUse;
    rbtByDays = controls.ByDays;
    edtDays = controls.Days;
    rbtByDate = controls.ByDate;
    edtDate = controls.Date;
    auto* e = new QGridLayout(expiry);
    e->addWidget(chkEpired, 0, 0, 1, 4, Qt::AlignLeft);
    e->addWidget(rbtOneUse, 1, 0, 1, 4, Qt::AlignLeft);
    e->addWidget(rbtByDays, 2, 0);
    e->addWidget(edtDays, 2, 1);
    e->addWidget(controls.DaysLabel, 2, 2);
    e->addWidget(rbtByDate, 3, 0);
    e->addWidget(edtDate, 3, 1, 1, 2);
    e->setColumnStretch(3, 1);

    auto* redirect = new QGroupBox(QStringLiteral("Redirect URL"), this);
    edtURL = Named(new QLineEdit(redirect), "edtURL");
    edtURL->setMaxLength(std::numeric_limits<int>::max());
    memComments = Named(new QPlainTextEdit(redirect), "memComments");
    memComments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memComments->setTabChangesFocus(true);
    auto* r = new QGridLayout(redirect);
    r->addWidget(LabelFor("Discounted Order Page:", edtURL, redirect), 0, 0);
    r->addWidget(edtURL, 0, 1);
    r->addWidget(LabelFor("Comments:", memComments, redirect), 1, 0, Qt::AlignTop);
    r->addWidget(memComments, 1, 1);

    btnOk = Named(new TbsSkinButton(QStringLiteral("Ok")), "btnOk");
    btnCancel = Named(new TbsSkinButton(QStringLiteral("Cancel")), "btnCancel");
    auto* layout = new QVBoxLayout(this);
    for (QGroupBox* group : {general, expiry})
        layout->addWidget(group);
    layout->addWidget(redirect, 1);
    layout->addLayout(RightButtonRow({btnOk, btnCancel}));
    setFixedSize(510, 470);

    connect(btnOk, &QPushButton::clicked, this, &TfrmBulk::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmBulk::btnCancelClick);
    // As in the coupon editor: Return in a one-line field, Ctrl+Return anywhere.
    PressOnReturn(btnOk, true);
    edtCount->setFocus();
}

std::string TfrmBulk::PrefixFault() const {
    if (edtPrefix->text().size() > kMaxPrefix)
        return "The Code Prefix can hold at most " + std::to_string(kMaxPrefix) + " characters.";
    // Letters and digits a buyer can type on any keyboard, nothing else.
    for (QChar c : edtPrefix->text()) {
        const char16_t u = c.unicode();
        if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9'))
            continue;
        const std::string what = c == QLatin1Char(' ') ? std::string("a blank") : "\"" + Local(QString(c)) + "\"";
        return "The Code Prefix can hold only the letters A to Z and the digits 0 to 9, not " + what + ".";
    }
    return {};
}

void TfrmBulk::btnOkClick() {
    if (running_ || service_.Busy())
        return;
    // The values of every coupon, as the editor sends them; each gets its
    // own code.
    TCouponRecord values;
    values.coupname = Local(edtCouponName->text());
    TExpiryControls{chkEpired, rbtOneUse, rbtByDays, rbtByDate, edtDays, edtDate}.PutInto(values);
    values.couponorderurl = Local(edtURL->text());
    values.couponcomments = CrLfLines(Local(MemoText(memComments)));
    if (std::string why = CouponRefusal(values, PrefixFault()); !why.empty()) {
        msg_.MessageDlg(why, mtWarning, {mbOK}, 0);
        return;
    }

    const std::string prefix = Local(edtPrefix->text());
    const int letters = edtLetters->value();
    const int count = edtCount->value();
    running_ = true;
    TfrmBulkProgress progress(this);
    progress.show();
    const TBulkRun::TResult result = TBulkRun::Run(
        service_, values, count, [&] { return prefix + RandomLetters(letters - 1); },
        [&](int k) {
            if (!progress.Cancelled() && !msg_.Silenced) {
                progress.SetCoupon(k, count);
                // Paints the progress and lets a Cancel in between coupons.
                QCoreApplication::processEvents();
            }
            return !progress.Cancelled() && !msg_.Silenced;
        });
    progress.hide();
    running_ = false;

    added_.clear();
    for (const TCouponRecord& r : result.Added)
        added_.push_back({r.coupname, r.coupcode, r.coupexpired == "1" ? "True" : "False", ""});
    const bool trouble = result.Stop == TBulkRun::TStop::Failed || result.Stop == TBulkRun::TStop::NoFreeCode;
    msg_.MessageDlg(TBulkRun::OutcomeText(result, count), trouble ? mtWarning : mtInformation, {mbOK}, 0);
    if (!added_.empty())
        done(1);
}

void TfrmBulk::btnCancelClick() {
    if (!running_)
        done(2);
}

void TfrmBulk::reject() {
    if (!running_)
        done(2);
}
