// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The progress of a bulk run: "Adding coupon k of n", a bar, and a Cancel
// that asks the run to stop once the coupon in flight is added. The window
// does not close by itself: the run closes it when it has stopped.

#include <QDialog>

class QLabel;
class QProgressBar;
class TbsSkinButton;

class TfrmBulkProgress : public QDialog {
    Q_OBJECT
public:
    explicit TfrmBulkProgress(QWidget* parent = nullptr);

    // Coupon k of n is under way.
    void SetCoupon(int k, int n);
    bool Cancelled() const { return cancelled_; }

    QLabel* lblProgress = nullptr;
    QProgressBar* prgCoupons = nullptr;
    TbsSkinButton* btnCancel = nullptr;

public slots:
    void reject() override;  // the close box: as Cancel

private:
    void btnCancelClick();

    bool cancelled_ = false;
    int k_ = 0, n_ = 0;
};
