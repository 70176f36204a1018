// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/FCoupon.h"

#include "dialogs/CouponValues.h"
#include "dialogs/DialogLayout.h"
#include "service/CouponService.h"
#include "service/SplitByChar.h"
#include "toolkit/SkinButton.h"
#include "toolkit/SkinDateEdit.h"
#include "toolkit/SkinMessage.h"
#include "toolkit/WireText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QTextDocument>
#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <limits>
#include <random>

namespace {

std::string Local(const QString& text) { return text.toLocal8Bit().toStdString(); }

} // namespace

std::string RandomLetters(int count) {
    // A fresh seed from the high-resolution clock on every call.
    std::mt19937 generator(static_cast<std::mt19937::result_type>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> letter(0, 24);
    std::string out;
    for (int i = 0; i <= count; ++i)
        out += static_cast<char>('A' + letter(generator));
    return out;
}

TfrmCoupon::TfrmCoupon(TCouponService& service, TbsSkinMessage& msg, QWidget* parent)
    : QDialog(parent), service_(service), msg_(msg) {
    setObjectName(QStringLiteral("frmCoupon"));
    setWindowTitle(QStringLiteral("Add Coupon"));
    SetDialogFlags(this, true);

    // General
    auto* general = new QGroupBox(QStringLiteral("General"), this);
    edtCouponName = new QLineEdit(general);
    edtCouponName->setObjectName(QStringLiteral("edtCouponName"));
    edtCouponCode = new QLineEdit(general);
    edtCouponCode->setObjectName(QStringLiteral("edtCouponCode"));
    // No length limit of the field's own: a long text is kept whole.
    edtCouponName->setMaxLength(std::numeric_limits<int>::max());
    edtCouponCode->setMaxLength(std::numeric_limits<int>::max());
    btnGenCode = new TbsSkinButton(QStringLiteral("Generate"), general);
    btnGenCode->setObjectName(QStringLiteral("btnGenCode"));
    QLabel* nameLabel = LabelFor("Coupon Name:", edtCouponName, general);
    QLabel* codeLabel = LabelFor("Coupon Code:", edtCouponCode, general);
    auto* g = new QGridLayout(general);
    g->addWidget(nameLabel, 0, 0);
    g->addWidget(edtCouponName, 0, 1, 1, 2);
    g->addWidget(codeLabel, 1, 0);
    g->addWidget(edtCouponCode, 1, 1);
    g->addWidget(btnGenCode, 1, 2);

    // Expiration Settings
    auto* expiry = new QGroupBox(QStringLiteral("Expiration Settings"), this);
    const TExpiryControls controls = TExpiryControls::Create(expiry);
    chkEpired = controls.Expired;
    rbtOneUse = controls.OneUse;
    rbtByDays = controls.ByDays;
    edtDays = controls.Days;
    rbtByDate = controls.ByDate;
    edtDate = controls.Date;
    auto* e = new QGridLayout(expiry);
    e->addWidget(chkEpired, 0, 0, 1, 3, Qt::AlignLeft);
    e->addWidget(rbtOneUse, 1, 0, 1, 3, Qt::AlignLeft);
    e->addWidget(rbtByDays, 2, 0, Qt::AlignLeft);
    auto* days = new QHBoxLayout;
    days->addWidget(edtDays);
    days->addWidget(controls.DaysLabel);
    days->addStretch(1);
    e->addLayout(days, 2, 1, 1, 2);
    e->addWidget(rbtByDate, 3, 0, Qt::AlignLeft);
    auto* date = new QHBoxLayout;
    date->addWidget(edtDate);
    date->addStretch(1);
    e->addLayout(date, 3, 1, 1, 2);

    // Redirect URL
    auto* redirect = new QGroupBox(QStringLiteral("Redirect URL"), this);
    edtURL = new QLineEdit(redirect);
    edtURL->setObjectName(QStringLiteral("edtURL"));
    edtURL->setMaxLength(std::numeric_limits<int>::max());
    bsSkinButton2 = new TbsSkinButton(QStringLiteral("Browse"), redirect);
    bsSkinButton2->setObjectName(QStringLiteral("bsSkinButton2"));
    memComments = new QPlainTextEdit(redirect);
    memComments->setObjectName(QStringLiteral("memComments"));
    memComments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memComments->setTabChangesFocus(true);
    QLabel* urlLabel = LabelFor("Discounted Order Page:", edtURL, redirect);
    QLabel* commentsLabel = LabelFor("Comments:", memComments, redirect);
    auto* r = new QGridLayout(redirect);
    r->addWidget(urlLabel, 0, 0);
    r->addWidget(edtURL, 0, 1);
    r->addWidget(bsSkinButton2, 0, 2);
    r->addWidget(commentsLabel, 1, 0, Qt::AlignTop);
    r->addWidget(memComments, 1, 1, 1, 2);

    btnOk = new TbsSkinButton(QStringLiteral("Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->ModalResult = mrOk;
    btnCancel = new TbsSkinButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->ModalResult = mrCancel;

    // Tight margins, so every control gets its full height in the fixed
    // client area; the comments take what is left.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(9, 9, 9, 9);
    layout->setSpacing(6);
    layout->addWidget(general);
    layout->addWidget(expiry);
    layout->addWidget(redirect, 1);
    layout->addLayout(RightButtonRow({btnOk, btnCancel}));
    for (QGridLayout* grid : {g, e, r}) {
        grid->setContentsMargins(9, 4, 9, 6);
        grid->setHorizontalSpacing(6);
        grid->setVerticalSpacing(4);
        grid->setColumnStretch(1, 1);
    }
    // The fields of the three groups stand on one column: the first column
    // of each group is as wide as the widest caption of all three, measured
    // in the skin's font.
    ensurePolished();
    int captions = 0;
    for (QWidget* caption : std::initializer_list<QWidget*>{nameLabel, codeLabel, rbtByDays, rbtByDate, urlLabel,
                                                            commentsLabel})
        captions = std::max(captions, caption->sizeHint().width());
    for (QGridLayout* grid : {g, e, r})
        grid->setColumnMinimumWidth(0, captions);
    setFixedSize(510, 415);

    // Reading order, and the name first.
    SetTabOrder({edtCouponName, edtCouponCode, chkEpired, rbtOneUse, rbtByDays, edtDays, rbtByDate, edtDate, edtURL,
                 memComments});
    edtCouponName->setFocus();

    connect(btnOk, &QPushButton::clicked, this, &TfrmCoupon::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmCoupon::btnCancelClick);
    connect(btnGenCode, &QPushButton::clicked, this, &TfrmCoupon::btnGenCodeClick);

    // The buttons take no focus: keys press them. Return belongs to the
    // comments where it starts a new line, so Ctrl+Return saves from there.
    PressOnReturn(btnOk, true);
    btnGenCode->AddShortcut({QKeySequence(Qt::CTRL | Qt::Key_G)});
}

void TfrmCoupon::Fill(const TFetchedCoupon& c) {
    couponId_ = c.Id;
    fetchedCode_ = {c.Code, ShownText(c.Code)};
    fetchedName_ = {c.Name, ShownText(c.Name)};
    fetchedURL_ = {c.OrderURL, ShownText(c.OrderURL)};
    edtCouponCode->setText(fetchedCode_.shown);
    edtCouponName->setText(fetchedName_.shown);
    chkEpired->setChecked(c.Expired);
    // Exactly the fetched kind is chosen; any other kind leaves none chosen.
    QButtonGroup* kinds = rbtOneUse->group();
    kinds->setExclusive(false);
    rbtOneUse->setChecked(c.Kind == "1");
    rbtByDays->setChecked(c.Kind == "2");
    rbtByDate->setChecked(c.Kind == "3");
    kinds->setExclusive(true);
    edtDays->setValue(c.Days);
    edtDate->setDate(QDate(c.Year, c.Month, c.Day));
    edtURL->setText(fetchedURL_.shown);
    memComments->setPlainText(ShownText(c.Comments));
    // As the memo gives its text back, line ends and all.
    fetchedComments_ = {c.Comments, MemoText(memComments)};
}

std::string TfrmCoupon::WireText(const QString& now, const TFetchedText& fetched) {
    return now == fetched.shown ? fetched.bytes : Local(now);
}

TCouponRecord TfrmCoupon::WireValues() const {
    TCouponRecord r;
    r.coupcode = WireText(edtCouponCode->text(), fetchedCode_);
    r.coupname = WireText(edtCouponName->text(), fetchedName_);
    TExpiryControls{chkEpired, rbtOneUse, rbtByDays, rbtByDate, edtDays, edtDate}.PutInto(r);
    r.couponorderurl = WireText(edtURL->text(), fetchedURL_);
    const QString comments = MemoText(memComments);
    // Edited, the memo's lines travel separated by CR LF.
    r.couponcomments = comments == fetchedComments_.shown ? fetchedComments_.bytes : CrLfLines(Local(comments));
    r.coupcreatedate = WireDateToday();
    return r;
}

void TfrmCoupon::Warn(const std::string& text) { msg_.MessageDlg(text, mtWarning, {mbOK}, 0); }

void TfrmCoupon::btnOkClick() {
    if (service_.Busy())
        return;
    TCouponRecord record = WireValues();
    if (std::string why = CouponRefusal(record, record.coupcode.empty() ? "Please provide a Coupon Code." : "");
        !why.empty()) {
        Warn(why);
        return;
    }
    bool editing = windowTitle() == QLatin1String("Edit Coupon");
    SaveOutcome outcome;
    if (editing) {
        record.coupid = couponId_;
        outcome = service_.UpdateCoupon(record);
    } else {
        outcome = service_.AddCoupon(record);
    }
    switch (outcome) {
    case SaveOutcome::Done:
        done(mrOk);
        break;
    case SaveOutcome::Trouble:
        Warn(editing ? "There is a trouble editing this coupon, please check your settings and your internet connection."
                     : "There is a trouble adding this coupon, please check your settings and your internet connection.");
        break;
    case SaveOutcome::Conflict:
        Warn(editing ? "This coupon code don't exists. Please close the edit windows and try again."
                     : "This coupon code already exists. Please enter a new code.");
        break;
    }
}

// While Ok or Generate waits for the server, the dialog stays: closing it
// then would hide a save that still goes on, or a warning about it.
void TfrmCoupon::btnCancelClick() {
    if (!service_.Busy())
        done(mrCancel);
}

void TfrmCoupon::reject() {
    if (!service_.Busy())
        done(mrCancel);
}

void TfrmCoupon::btnGenCodeClick() {
    if (service_.Busy())
        return;
    std::string code = RandomLetters(5);
    int tries = 1;
    while (service_.CouponCodeExists(code)) {
        if (tries == kGenerateTries) {
            Warn("No free coupon code was found after " + std::to_string(kGenerateTries) +
                 " tries. Please check your settings and your internet connection, or enter a code yourself.");
            return;
        }
        code = RandomLetters(5);
        ++tries;
    }
    edtCouponCode->setText(ShownText(code));
}
