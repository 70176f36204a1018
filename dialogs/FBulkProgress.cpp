// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/FBulkProgress.h"

#include "dialogs/DialogLayout.h"
#include "toolkit/SkinButton.h"

#include <QKeySequence>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

TfrmBulkProgress::TfrmBulkProgress(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmBulkProgress"));
    setWindowTitle(QStringLiteral("New Coupons in Bulk"));
    SetDialogFlags(this);
    lblProgress = new QLabel(this);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    prgCoupons = new QProgressBar(this);
    prgCoupons->setObjectName(QStringLiteral("prgCoupons"));
    prgCoupons->setTextVisible(false);
    lblProgress->setBuddy(prgCoupons);
    btnCancel = new TbsSkinButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblProgress);
    layout->addWidget(prgCoupons);
    layout->addLayout(CentredButtonRow({btnCancel}));
    setFixedSize(340, 110);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmBulkProgress::btnCancelClick);
    // Unlike the owner's dialogs, this window holds nothing typed that a
    // stray Escape could throw away, so Escape stops the run as a progress
    // window's Cancel does everywhere.
    btnCancel->AddShortcut({QKeySequence(Qt::Key_Escape)});
}

void TfrmBulkProgress::SetCoupon(int k, int n) {
    k_ = k;
    n_ = n;
    prgCoupons->setRange(0, n);
    prgCoupons->setValue(k - 1);
    const QString text = cancelled_ ? QStringLiteral("Stopping after coupon %1 of %2...").arg(k).arg(n)
                                    : QStringLiteral("Adding coupon %1 of %2").arg(k).arg(n);
    lblProgress->setText(text);
    prgCoupons->setAccessibleName(text);
}

void TfrmBulkProgress::btnCancelClick() {
    cancelled_ = true;
    btnCancel->setEnabled(false);
    if (k_ > 0)
        SetCoupon(k_, n_);
}

void TfrmBulkProgress::reject() { btnCancelClick(); }
