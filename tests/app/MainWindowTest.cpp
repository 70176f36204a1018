// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's make-up and its start-up.

#include "app/FMain.h"
#include "app/ProgramIcon.h"
#include "dialogs/FCoupon.h"
#include "dialogs/FFormCode.h"
#include "dialogs/FSettings.h"
#include "dialogs/FStatistics.h"
#include "platform/ExeDir.h"
#include "tests/support/ServiceScript.h"
#include "tests/support/TempDir.h"
#include "tests/support/gui/WidgetTest.h"
#include "toolkit/SkinButton.h"
#include "toolkit/SkinLinkLabel.h"

#include <QAccessible>
#include <QApplication>
#include <QGuiApplication>
#include <QFrame>
#include <QHeaderView>
#include <QLineEdit>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override { SetExeDirOverride(dir.Path()); }
    void TearDown() override { SetExeDirOverride(""); }
    TempDir dir;
};

std::vector<std::string> CaptionsLeftToRight(QWidget* panel) {
    std::vector<std::pair<int, std::string>> byX;
    for (QPushButton* b : panel->findChildren<QPushButton*>())
        byX.emplace_back(b->x(), b->text().toStdString());
    std::sort(byX.begin(), byX.end());
    std::vector<std::string> out;
    for (auto& p : byX)
        out.push_back(p.second);
    return out;
}

TEST_F(MainWindow, MakeUpFollowsTheLayout) {
    TfrmMain w;
    w.show();
    ASSERT_TRUE(WaitFor([&] { return w.isVisible(); }));
    EXPECT_EQ(frmMain, &w);
    EXPECT_EQ(w.windowTitle(), "Corvanta");
    EXPECT_EQ(w.size(), QSize(775, 516));
    EXPECT_TRUE(w.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    QRect screen = QApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((w.frameGeometry().center() - screen.center()).manhattanLength(), 2);

    // Top to bottom, all spanning the width.
    EXPECT_EQ(w.bsSkinPanel1->geometry(), QRect(0, 0, 775, 37));
    EXPECT_EQ(w.panBanner->geometry(), QRect(0, 37, 775, 65));
    EXPECT_EQ(w.lvwItems->geometry(), QRect(0, 102, 775, 516 - 37 - 65 - 54));
    EXPECT_EQ(w.bsSkinPanel4->geometry(), QRect(0, 516 - 54, 775, 54));

    EXPECT_EQ(CaptionsLeftToRight(w.bsSkinPanel1),
              (std::vector<std::string>{"Generate HTML Form Code", "Statistics", "Settings", "Help",
                                        "Check Updates", "Make Money"}));
    EXPECT_EQ(CaptionsLeftToRight(w.bsSkinPanel4),
              (std::vector<std::string>{"Select All", "Clear Selection", "Add Coupon", "Edit Coupon",
                                        "Delete Selected", "Delete All", "Refresh"}));
    for (QPushButton* b : w.findChildren<QPushButton*>()) {
        EXPECT_NE(qobject_cast<TbsSkinButton*>(b), nullptr) << b->text().toStdString();
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus) << b->text().toStdString();
    }

    // The two banner pictures share one spot.
    EXPECT_EQ(w.gifBanner->geometry(), w.imgBanner->geometry());
    EXPECT_EQ(w.imgBanner->parentWidget(), w.panBanner);

    // Report view with check boxes, grid lines and whole-row selection.
    EXPECT_TRUE(w.lvwItems->showGrid());
    EXPECT_EQ(w.lvwItems->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(w.lvwItems->selectionMode(), QAbstractItemView::SingleSelection);
    auto* header = w.lvwItems->horizontalHeader();
    ASSERT_EQ(w.lvwItems->model()->columnCount(), 3);
    const std::pair<const char*, int> columns[] = {{"Coupon Name", 200}, {"Code", 132}, {"Expired", 150}};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(w.lvwItems->model()->headerData(c, Qt::Horizontal).toString(), columns[c].first);
        EXPECT_EQ(header->sectionSize(c), columns[c].second);
    }

    // Link labels: the first at the left, the second right-aligned against
    // the right edge, also after the window grows.
    EXPECT_LT(w.lblLink1URL->x(), 20);
    auto rightGap = [&] { return w.bsSkinPanel4->width() - (w.lblLink2URL->x() + w.lblLink2URL->width()); };
    int gap = rightGap();
    EXPECT_LT(gap, 20);
    w.resize(1000, 600);
    ASSERT_TRUE(WaitFor([&] { return w.bsSkinPanel4->width() == 1000; }));
    EXPECT_EQ(rightGap(), gap);
    EXPECT_GE(w.lblLink1URL->y(), 28);
}

TEST_F(MainWindow, CouponListHoldsRowsWithTheirHiddenIdentifier) {
    TfrmMain w;
    w.CouponList->SetRows({{"Spring sale", "ABCDEF", "False", "7"}, {"Winter", "QWERTY", "True", "9"}});
    auto* m = w.lvwItems->model();
    ASSERT_EQ(m->rowCount(), 2);
    EXPECT_EQ(m->data(m->index(0, 0)).toString(), "Spring sale");
    EXPECT_EQ(m->data(m->index(1, 1)).toString(), "QWERTY");
    EXPECT_EQ(m->data(m->index(1, 2)).toString(), "True");
    EXPECT_EQ(w.CouponList->Row(0).Id, "7");
    EXPECT_EQ(m->data(m->index(0, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_TRUE(m->setData(m->index(1, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(w.CouponList->IsChecked(1));
    // A reload clears every check box.
    w.CouponList->SetRows({{"Winter", "QWERTY", "True", "9"}});
    EXPECT_FALSE(w.CouponList->IsChecked(0));
}

TEST_F(MainWindow, StartUpTimerFiresOnceEvenWhenItsStepsAreSlow) {
    // The server check of the start-up is held while several timer
    // intervals pass with the window processing its events.
    ScriptedServer::Exchange held = Action({{"action", "1"}, {"end", ""}}, "BAD");
    held.held = true;
    ScriptedServer server({held});
    dir.Write("settings.dat", "[Settings]\r\nwebserver=http://" + server.HostPort() + "\r\n");
    TfrmMain w;
    QSignalSpy finished(&w, &TfrmMain::StartupFinished);
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_EQ(w.Timer1->interval(), 100);
    // The probe runs from the window's event processing inside the held
    // request: once four intervals have passed there, it lets the reply go.
    QTimer probe;
    int ticks = 0;
    bool timerActiveMeanwhile = true;
    int finishedMeanwhile = -1;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (server.Connections() == 1 && ++ticks == 4) {
            timerActiveMeanwhile = w.Timer1->isActive();
            finishedMeanwhile = finished.count();
            server.Release();
        }
    });
    probe.start(100);
    ASSERT_TRUE(WaitFor([&] { return finished.count() == 1; }));
    ASSERT_TRUE(server.WaitDone());
    EXPECT_FALSE(timerActiveMeanwhile);
    EXPECT_EQ(finishedMeanwhile, 0);
    // A second tick would have asked again, or finished twice.
    int after = 0;
    QObject::connect(&probe, &QTimer::timeout, [&] { ++after; });
    ASSERT_TRUE(WaitFor([&] { return after >= 3; }));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(server.ServedCount(), 1);
    EXPECT_TRUE(server.Failures().empty());
}

TEST_F(MainWindow, ReadsSettingsFromTheExecutableDirectoryAtStart) {
    dir.Write("settings.dat",
              "[Settings]\r\nwebserver=http://shop.example\r\ndbhostname=localhost\r\ndbdatabase=coupons\r\n"
              "dbusername=owner\r\ndbpassword=\"s3 cret\"\r\n");
    TfrmMain w;
    EXPECT_EQ(w.ServerSettings.WebServer, "http://shop.example");
    EXPECT_EQ(w.ServerSettings.DbHostName, "localhost");
    EXPECT_EQ(w.ServerSettings.DbDatabase, "coupons");
    EXPECT_EQ(w.ServerSettings.DbUserName, "owner");
    EXPECT_EQ(w.ServerSettings.DbPassword, "s3 cret");
    EXPECT_EQ(w.ServerSettings.InvalidPage, "");  // missing key
    EXPECT_EQ(w.ServerSettings.ScriptName, "couponsactions.php");
}

TEST_F(MainWindow, StartsWithoutSettingsFile) {
    TfrmMain w;
    TServerSettings empty;
    empty.ScriptName = "couponsactions.php";
    EXPECT_EQ(w.ServerSettings, empty);
    EXPECT_FALSE(dir.Exists("settings.dat"));
}

TEST_F(MainWindow, ScreenReadersMeetTheMainWindowAsAFrameAndEachDialogAsADialog) {
    TfrmMain w;
    w.Timer1->stop();
    QAccessibleInterface* main = QAccessible::queryAccessibleInterface(&w);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->role(), QAccessible::Window);
    EXPECT_EQ(main->text(QAccessible::Name), "Corvanta");
    // Its controls keep their names: a button its caption, the list its own.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w.bsSkinButton5)->text(QAccessible::Name), "Add Coupon");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w.lvwItems)->text(QAccessible::Name), "Coupons");

    TfrmCoupon coupon(w.CouponService(), w.msgMain, &w);
    TfrmSettings settings(w.ServerSettings, &w);
    TfrmFormCode formCode(w.ServerSettings, &w);
    TfrmStats stats(w.CouponService(), &w);
    TbsSkinMessageForm message("Text", mtWarning, {mbOK});
    for (QDialog* d : std::initializer_list<QDialog*>{&coupon, &settings, &formCode, &stats, &message}) {
        QAccessibleInterface* dialog = QAccessible::queryAccessibleInterface(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->role(), QAccessible::Dialog) << d->objectName().toStdString();
        EXPECT_EQ(dialog->text(QAccessible::Name), d->windowTitle());
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(coupon.edtCouponName)->text(QAccessible::Name), "Coupon Name:");
}

TEST_F(MainWindow, TheWindowsShowTheProgramsOwnIconInEverySize) {
    TfrmMain w;
    w.Timer1->stop();
    EXPECT_EQ(w.windowIcon().cacheKey(), ProgramIcon().cacheKey());
    EXPECT_EQ(QGuiApplication::desktopFileName(), "org.corvanta.Corvanta");
    const QList<QSize> sizes = ProgramIcon().availableSizes();
    for (int size : {16, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
        // Drawn, not empty: the coupon's paper is near white, the tile blue.
        QImage image = ProgramIcon().pixmap(size, size).toImage();
        EXPECT_EQ(image.size(), QSize(size, size));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;  // the corner stays clear
        EXPECT_GT(qAlpha(image.pixel(size / 2, size / 2)), 200) << size;
    }
}

} // namespace
