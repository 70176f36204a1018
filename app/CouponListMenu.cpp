// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CouponListMenu.h"

#include "app/FMain.h"
#include "dialogs/CsvExport.h"
#include "dialogs/FBulk.h"
#include "platform/Clipboard.h"
#include "toolkit/WireText.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <unordered_map>

TCouponListMenu::TCouponListMenu(TfrmMain& main) : QObject(&main), main_(main) {
    menu_ = new QMenu(&main);
    menu_->setObjectName(QStringLiteral("mnuCoupons"));
    auto add = [this](const char* name, const char* caption, QKeySequence keys, void (TCouponListMenu::*handler)()) {
        auto* a = new QAction(QString::fromLatin1(caption), &main_);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        a->setShortcutVisibleInContextMenu(true);
        connect(a, &QAction::triggered, this, handler);
        // On the window as well, so the shortcut works without the menu.
        main_.addAction(a);
        menu_->addAction(a);
        return a;
    };
    actBulk = add("actBulk", "New Coupons in Bulk...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N),
                  &TCouponListMenu::actBulkClick);
    actCopyCode = add("actCopyCode", "Copy Code", QKeySequence(Qt::CTRL | Qt::Key_C), &TCouponListMenu::actCopyCodeClick);
    actExport = add("actExport", "Export List as CSV...", {}, &TCouponListMenu::actExportClick);
    connect(menu_, &QMenu::aboutToShow, this, [this] {
        actCopyCode->setEnabled(main_.lvwItems->HighlightedRow() >= 0);
        actExport->setEnabled(main_.CouponList->rowCount() > 0);
    });
    connect(menu_, &QMenu::aboutToHide, this, [this] {
        // The shortcuts check for themselves.
        actCopyCode->setEnabled(true);
        actExport->setEnabled(true);
    });
    // A right click reaches the list's viewport; the menu key reaches the
    // widget with the focus, which is the list itself.
    main_.lvwItems->viewport()->installEventFilter(this);
    main_.lvwItems->installEventFilter(this);
}

bool TCouponListMenu::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ContextMenu)
        return QObject::eventFilter(watched, event);
    auto* e = static_cast<QContextMenuEvent*>(event);
    if (watched == main_.lvwItems && e->reason() != QContextMenuEvent::Keyboard)
        return QObject::eventFilter(watched, event);
    QPoint at = e->globalPos();
    // From the keyboard the menu opens at the highlighted row, not wherever
    // the mouse pointer happens to be.
    if (e->reason() == QContextMenuEvent::Keyboard) {
        QWidget* viewport = main_.lvwItems->viewport();
        const int row = main_.lvwItems->HighlightedRow();
        const QRect cell = row >= 0 ? main_.lvwItems->visualRect(main_.CouponList->index(row, 0)) : QRect();
        at = viewport->mapToGlobal(cell.isValid() ? cell.bottomLeft() : QPoint(0, 0));
    }
    Popup(at);
    return true;
}

void TCouponListMenu::Popup(QPoint global) { menu_->popup(global); }

void TCouponListMenu::actCopyCodeClick() {
    const int row = main_.lvwItems->HighlightedRow();
    // The code as the list shows it: a byte that is no text of the code
    // page (Latin-1 from an older database) is the letter it stands for.
    if (row >= 0)
        SetClipboardText(ShownText(main_.CouponList->Row(row).Code).toLocal8Bit().toStdString());
}

void TCouponListMenu::actExportClick() {
    const std::vector<TCouponRow>& rows = main_.CouponList->Rows();
    if (rows.empty())
        return;
    SaveCsvFile(&main_, main_.msgMain, DatedFileName(QStringLiteral("coupons")), CouponsCsv(rows));
}

void TCouponListMenu::actBulkClick() {
    if (main_.CouponService().Busy())
        return;
    TfrmBulk frmBulk(main_.CouponService(), main_.msgMain, &main_);
    if (frmBulk.exec() != 1 || main_.msgMain.Silenced)
        return;
    main_.RefreshCoupons();
    // The identifiers come from the reloaded list.
    std::unordered_map<std::string, std::string> ids;
    for (const TCouponRow& row : main_.CouponList->Rows())
        ids.emplace(row.Code, row.Id);
    std::vector<TCouponRow> added = frmBulk.Added();
    for (TCouponRow& row : added)
        if (auto it = ids.find(row.Code); it != ids.end())
            row.Id = it->second;
    const std::string question = "Do you want to save the codes of the " + std::to_string(added.size()) +
                                 (added.size() == 1 ? " new coupon" : " new coupons") + " as a CSV file?";
    if (main_.msgMain.MessageDlg(question, mtConfirmation, {mbYes, mbNo}, 0) == mrYes)
        SaveCsvFile(&main_, main_.msgMain, DatedFileName(QStringLiteral("coupons")), CouponsCsv(added));
}
