// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the coupon list offers beyond the bottom panel's buttons, through
// its context menu (right click or the menu key) and shortcuts of the main
// window: new coupons in bulk (Ctrl+Shift+N), the highlighted row's code to
// the clipboard (Ctrl+C), and the list as a CSV file.

#include <QObject>
#include <QPoint>

class QAction;
class QMenu;
class TfrmMain;

class TCouponListMenu : public QObject {
    Q_OBJECT
public:
    explicit TCouponListMenu(TfrmMain& main);

    QMenu* Menu() const { return menu_; }
    QAction* actBulk = nullptr;      // "New Coupons in Bulk..."
    QAction* actCopyCode = nullptr;  // "Copy Code"
    QAction* actExport = nullptr;    // "Export List as CSV..."

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void Popup(QPoint global);
    void actBulkClick();
    void actCopyCodeClick();
    void actExportClick();

    TfrmMain& main_;
    QMenu* menu_ = nullptr;
};
