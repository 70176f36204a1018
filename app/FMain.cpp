// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FMain.h"

#include "BuildOptions.h"
#include "app/CouponListMenu.h"
#include "app/ProgramIcon.h"
#include "app/SettingsStore.h"
#include "branding/Branding.h"
#include "branding/GifBanner.h"
#include "branding/StillBanner.h"
#include "branding/UUtils.h"
#include "dialogs/FCoupon.h"
#include "dialogs/FFormCode.h"
#include "dialogs/FSettings.h"
#include "dialogs/FStatistics.h"
#include "platform/ExeDir.h"
#include "update/UpdateCheck.h"
#include "toolkit/SkinButton.h"
#include "toolkit/SkinLinkLabel.h"
#include "toolkit/SkinListView.h"
#include "toolkit/WindowPlacement.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

TfrmMain* frmMain = nullptr;

namespace {

// The main window is a plain widget; screen readers are to meet it as the
// application's frame, as they meet any main window.
QAccessibleInterface* MainWindowAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("TfrmMain") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

constexpr int kClientWidth = 775;
constexpr int kClientHeight = 516;
constexpr int kToolBarHeight = 37;
constexpr int kBannerHeight = 65;
constexpr int kBottomHeight = 54;

TbsSkinButton* AddButton(QBoxLayout* row, QWidget* parent, const char* name, const char* caption) {
    auto* b = new TbsSkinButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    row->addWidget(b);
    return b;
}

} // namespace

TfrmMain::TfrmMain(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint) {
    frmMain = this;
    static bool accessibleAsFrame = false;
    if (!accessibleAsFrame) {
        QAccessible::installFactory(MainWindowAccessible);
        accessibleAsFrame = true;
    }
    // While a request waits, the window's pending events run, all of them.
    IdAntiFreeze1.Pump = [this] {
        ShowBusyCursor();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    };
    BuildLayout();
    FormCreate();
}

TfrmMain::~TfrmMain() {
    if (frmMain == this)
        frmMain = nullptr;
}

void TfrmMain::BuildLayout() {
    setObjectName(QStringLiteral("TfrmMain"));
    setWindowTitle(QStringLiteral("Corvanta"));
    resize(kClientWidth, kClientHeight);
    // The program's own icon, for this window and every dialog, until the
    // branding puts another in its place.
    QApplication::setWindowIcon(ProgramIcon());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    bsSkinPanel1 = new QFrame(this);
    bsSkinPanel1->setObjectName(QStringLiteral("bsSkinPanel1"));
    bsSkinPanel1->setFixedHeight(kToolBarHeight);
    auto* tools = new QHBoxLayout(bsSkinPanel1);
    tools->setContentsMargins(4, 4, 4, 4);
    tools->setSpacing(2);
    btnLoad = AddButton(tools, bsSkinPanel1, "btnLoad", "Generate HTML Form Code");
    btnStats = AddButton(tools, bsSkinPanel1, "btnStats", "Statistics");
    bsSkinButton7 = AddButton(tools, bsSkinPanel1, "bsSkinButton7", "Settings");
    btnHelp = AddButton(tools, bsSkinPanel1, "btnHelp", "Help");
    btnUpdate = AddButton(tools, bsSkinPanel1, "btnUpdate", "Check Updates");
    btnMakeMoney = AddButton(tools, bsSkinPanel1, "btnMakeMoney", "Make Money");
    connect(btnLoad, &QPushButton::clicked, this, &TfrmMain::btnLoadClick);
    connect(btnStats, &QPushButton::clicked, this, &TfrmMain::btnStatsClick);
    connect(bsSkinButton7, &QPushButton::clicked, this, &TfrmMain::bsSkinButton7Click);
    connect(btnHelp, &QPushButton::clicked, this, &TfrmMain::btnHelpClick);
    connect(btnUpdate, &QPushButton::clicked, this, &TfrmMain::btnUpdateClick);
    connect(btnMakeMoney, &QPushButton::clicked, this, &TfrmMain::btnMakeMoneyClick);
    tools->addStretch(1);
    layout->addWidget(bsSkinPanel1);

    // The two banner pictures are placed by hand: they are centred in the
    // strip on show and on every resize.
    panBanner = new QFrame(this);
    panBanner->setObjectName(QStringLiteral("panBanner"));
    panBanner->setFrameShape(QFrame::StyledPanel);
    panBanner->setFixedHeight(kBannerHeight);
    imgBanner = new TStillBanner(panBanner);
    imgBanner->setObjectName(QStringLiteral("imgBanner"));
    imgBanner->setGeometry(5, 5, 468, 55);
    gifBanner = new TGifBanner(panBanner);
    gifBanner->setObjectName(QStringLiteral("gifBanner"));
    connect(imgBanner, &TStillBanner::clicked, this, &TfrmMain::imgBannerClick);
    connect(gifBanner, &TGifBanner::clicked, this, &TfrmMain::gifBannerClick);
    layout->addWidget(panBanner);

    CouponList = new TCouponListModel(this);
    lvwItems = new TbsSkinListView(this);
    lvwItems->setObjectName(QStringLiteral("lvwItems"));
    lvwItems->setAccessibleName(QStringLiteral("Coupons"));
    lvwItems->SetModel(CouponList, {200, 132, 150});
    layout->addWidget(lvwItems, 1);
    CouponListMenu = new TCouponListMenu(*this);

    bsSkinPanel4 = new QFrame(this);
    bsSkinPanel4->setObjectName(QStringLiteral("bsSkinPanel4"));
    bsSkinPanel4->setFrameShape(QFrame::StyledPanel);
    bsSkinPanel4->setFixedHeight(kBottomHeight);
    auto* bottom = new QVBoxLayout(bsSkinPanel4);
    bottom->setContentsMargins(8, 3, 13, 3);
    bottom->setSpacing(2);
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    bsSkinButton1 = AddButton(row, bsSkinPanel4, "bsSkinButton1", "Select All");
    bsSkinButton2 = AddButton(row, bsSkinPanel4, "bsSkinButton2", "Clear Selection");
    bsSkinButton5 = AddButton(row, bsSkinPanel4, "bsSkinButton5", "Add Coupon");
    bsSkinButton6 = AddButton(row, bsSkinPanel4, "bsSkinButton6", "Edit Coupon");
    bsSkinButton3 = AddButton(row, bsSkinPanel4, "bsSkinButton3", "Delete Selected");
    bsSkinButton4 = AddButton(row, bsSkinPanel4, "bsSkinButton4", "Delete All");
    bsSkinButton8 = AddButton(row, bsSkinPanel4, "bsSkinButton8", "Refresh");
    connect(bsSkinButton1, &QPushButton::clicked, this, &TfrmMain::bsSkinButton1Click);
    connect(bsSkinButton2, &QPushButton::clicked, this, &TfrmMain::bsSkinButton2Click);
    connect(bsSkinButton3, &QPushButton::clicked, this, &TfrmMain::bsSkinButton3Click);
    connect(bsSkinButton4, &QPushButton::clicked, this, &TfrmMain::bsSkinButton4Click);
    connect(bsSkinButton5, &QPushButton::clicked, this, &TfrmMain::bsSkinButton5Click);
    connect(bsSkinButton6, &QPushButton::clicked, this, &TfrmMain::bsSkinButton6Click);
    connect(bsSkinButton8, &QPushButton::clicked, this, &TfrmMain::bsSkinButton8Click);
    row->addStretch(1);
    bottom->addLayout(row);
    auto* links = new QHBoxLayout;
    links->setContentsMargins(5, 0, 0, 0);
    lblLink1URL = new TbsSkinLinkLabel(bsSkinPanel4);
    lblLink1URL->setObjectName(QStringLiteral("lblLink1URL"));
    lblLink2URL = new TbsSkinLinkLabel(bsSkinPanel4);
    lblLink2URL->setObjectName(QStringLiteral("lblLink2URL"));
    lblLink2URL->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Placeholders until a branding file names the links.
    lblLink1URL->SetCaption("Corvanta");
    lblLink1URL->SetURL("http://" CORVANTA_PLACEHOLDER_HOST "/");
    lblLink2URL->SetCaption("Coupons for your web shop");
    lblLink2URL->SetURL("http://" CORVANTA_PLACEHOLDER_HOST "/");
    links->addWidget(lblLink1URL);
    links->addStretch(1);
    links->addWidget(lblLink2URL);
    bottom->addLayout(links);
    layout->addWidget(bsSkinPanel4);

    AddShortcuts();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TfrmMain::Timer1Timer);
}

void TfrmMain::AddShortcuts() {
    // The buttons take no focus; every one of them has keys instead, which
    // press it. Ctrl+C and Ctrl+Shift+N stay free for the list's own menu.
    const std::pair<TbsSkinButton*, QKeySequence> keys[] = {
        {btnLoad, Qt::CTRL | Qt::Key_H},
        {btnStats, Qt::CTRL | Qt::Key_I},
        {bsSkinButton7, Qt::CTRL | Qt::Key_Comma},
        {btnHelp, Qt::Key_F1},
        {btnUpdate, Qt::CTRL | Qt::Key_U},
        {btnMakeMoney, Qt::CTRL | Qt::Key_M},
        {bsSkinButton1, Qt::CTRL | Qt::Key_A},
        {bsSkinButton2, Qt::CTRL | Qt::SHIFT | Qt::Key_A},
        {bsSkinButton5, Qt::CTRL | Qt::Key_N},
        {bsSkinButton3, Qt::Key_Delete},
        {bsSkinButton4, Qt::SHIFT | Qt::Key_Delete},
        {bsSkinButton8, Qt::Key_F5},
    };
    for (const auto& [button, key] : keys)
        button->AddShortcut({key});
    // Edit Coupon acts on the highlighted row, so its keys work on the list.
    bsSkinButton6->AddShortcut({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}, lvwItems,
                               QStringLiteral("on the list"));
    bsSkinButton6->AddHint(QStringLiteral("double-click a row"));
    connect(lvwItems, &TbsSkinListView::RowDoubleClicked, bsSkinButton6, &QAbstractButton::click);
}

void TfrmMain::FormCreate() {
    // Both banner pictures occupy one place; branding shows one of them.
    gifBanner->setGeometry(imgBanner->geometry());
    LoadBranding();
    LoadSettings();
    Timer1->start();
}

void TfrmMain::Timer1Timer() {
    // Off first: the start-up steps run once however long they take.
    Timer1->stop();
    CheckForUpdates(true);
    // Nothing of the start-up reports a failure: an unready server simply
    // leaves the list empty.
    if (CheckServer())
        RefreshCoupons();
    emit StartupFinished();
}

void TfrmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        CentreOnScreen(this);
    }
    FormShow();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    // Closing ends the program at once: a request still waiting is
    // abandoned, and whatever its handler would say next goes unsaid.
    if (NetworkBusy()) {
        msgMain.Silenced = true;
        IdHTTP1.CloseConnection();
    }
    QWidget::closeEvent(event);
}

void TfrmMain::ShowBusyCursor() {
    if (!busyCursor_) {
        busyCursor_ = new QTimer(this);
        busyCursor_->setInterval(50);
        connect(busyCursor_, &QTimer::timeout, this, [this] {
            if (NetworkBusy())
                return;
            busyCursor_->stop();
            QApplication::restoreOverrideCursor();
        });
    }
    if (!busyCursor_->isActive()) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        busyCursor_->start();
    }
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

void TfrmMain::FormShow() {
    CentreBanner(panBanner, imgBanner);
    CentreBanner(panBanner, gifBanner);
}

void TfrmMain::FormResize() {
    CentreBanner(panBanner, imgBanner);
    CentreBanner(panBanner, gifBanner);
}

void TfrmMain::LoadBranding() {
    TBrandingValues v = ::LoadBranding(
        ExeDir(), {this, panBanner, imgBanner, gifBanner, lblLink1URL, lblLink2URL, &bsSkinData1});
    AffiliateID = v.AffiliateID;
    BannerClickURL = v.BannerClickURL;
    BannerImagePath = v.BannerImagePath;
    FirstLinkURL = v.FirstLinkURL;
    FirstLinkCaption = v.FirstLinkCaption;
    SecondLinkURL = v.SecondLinkURL;
    SecondLinkCaption = v.SecondLinkCaption;
    BrandIconPath = v.BrandIconPath;
}

void TfrmMain::imgBannerClick() {
    if (!BannerClickURL.empty())
        OpenURL(BannerClickURL);
}

void TfrmMain::gifBannerClick() {
    if (!BannerClickURL.empty())
        OpenURL(BannerClickURL);
}

void TfrmMain::btnHelpClick() { OpenURL(HelpURL()); }

void TfrmMain::btnMakeMoneyClick() { OpenURL(AffiliateURL(AffiliateID)); }

std::string TfrmMain::SettingsPath() const { return ExeDir() + "settings.dat"; }

void TfrmMain::LoadSettings() {
    ServerSettings = LoadServerSettings(SettingsPath());
    IdHTTP1.SetAllowHttps(ServerSettings.AllowHttps);
}

void TfrmMain::SaveSettings() { SaveServerSettings(SettingsPath(), ServerSettings); }

void TfrmMain::btnLoadClick() {
    TfrmFormCode frmFormCode(ServerSettings, this);
    frmFormCode.exec();
}

void TfrmMain::bsSkinButton7Click() {
    TfrmSettings frmSettings(ServerSettings, this);
    frmSettings.Fill(ServerSettings);
    frmSettings.exec();
    IdHTTP1.SetAllowHttps(ServerSettings.AllowHttps);
    // Whatever closed the dialog: after a cancel the file gets the values
    // that were in effect before.
    SaveSettings();
}

bool TfrmMain::CheckServer() { return couponService_.CheckServer(); }

SaveOutcome TfrmMain::AddCoupon(const TCouponRecord& record) { return couponService_.AddCoupon(record); }

SaveOutcome TfrmMain::UpdateCoupon(const TCouponRecord& record) { return couponService_.UpdateCoupon(record); }

bool TfrmMain::DeleteCoupons(const std::string& ids) { return couponService_.DeleteCoupons(ids); }

bool TfrmMain::RefreshCoupons() {
    return couponService_.RefreshCoupons([this](std::vector<TCouponRow> rows) { FillCouponList(std::move(rows)); });
}

bool TfrmMain::CouponCodeExists(const std::string& code) { return couponService_.CouponCodeExists(code); }

bool TfrmMain::FetchCoupon(const std::string& id, std::string& record) {
    return couponService_.FetchCoupon(id, record);
}

void TfrmMain::FillCouponList(std::vector<TCouponRow> rows) {
    // A reload starts from nothing: no row checked, none selected.
    lvwItems->clearSelection();
    lvwItems->setCurrentIndex({});
    CouponList->SetRows(std::move(rows));
}

void TfrmMain::bsSkinButton1Click() { CouponList->SetAllChecked(true); }

void TfrmMain::bsSkinButton2Click() { CouponList->SetAllChecked(false); }

namespace {
const char kDeleteFailed[] =
    "There is a trouble deleting coupons, please check your settings and your internet connection.";
}

void TfrmMain::bsSkinButton3Click() {
    if (NetworkBusy())
        return;
    std::string ids;
    bool any = false;
    for (int row = 0; row < CouponList->rowCount(); ++row) {
        if (!CouponList->IsChecked(row))
            continue;
        if (any)
            ids += ",";
        ids += CouponList->Row(row).Id;
        any = true;
    }
    if (!any)
        return;
    if (msgMain.MessageDlg("Are you sure do you want to delete the selected coupons?\n\rThis action will remove "
                           "also the statistics related these coupons.",
                           mtWarning, {mbOK, mbCancel}, 0) != mrOk)
        return;
    if (DeleteCoupons(ids))
        RefreshCoupons();
    else
        msgMain.MessageDlg(kDeleteFailed, mtWarning, {mbOK}, 0);
}

void TfrmMain::bsSkinButton4Click() {
    if (NetworkBusy() || CouponList->rowCount() == 0)
        return;
    if (msgMain.MessageDlg("Are you sure do you want to delete all?.\n\r This action will remove also the "
                           "statistics related these coupons.",
                           mtWarning, {mbOK, mbCancel}, 0) != mrOk)
        return;
    if (DeleteCoupons("all"))
        RefreshCoupons();
    else
        msgMain.MessageDlg(kDeleteFailed, mtWarning, {mbOK}, 0);
}

void TfrmMain::bsSkinButton8Click() {
    if (NetworkBusy())
        return;
    if (!RefreshCoupons())
        msgMain.MessageDlg("There is a trouble adding coupons, please check your settings and your internet connection.",
                           mtWarning, {mbOK}, 0);
}

void TfrmMain::bsSkinButton5Click() {
    if (NetworkBusy())
        return;
    TfrmCoupon frmCoupon(couponService_, msgMain, this);
    if (frmCoupon.exec() == mrOk)
        RefreshCoupons();
}

void TfrmMain::bsSkinButton6Click() {
    if (NetworkBusy())
        return;
    const int row = lvwItems->HighlightedRow();
    if (row < 0)
        return;
    std::string record;
    if (!FetchCoupon(CouponList->Row(row).Id, record))
        return;
    // A record that cannot fill the editor is told about; the editor does not
    // open with partial values and nothing is sent.
    TFetchedCoupon coupon;
    std::string why;
    if (!DecodeFetchedCoupon(record, coupon, why) || !QDate(coupon.Year, coupon.Month, coupon.Day).isValid()) {
        if (why.empty())
            why = "the expiry date " + WireDate(coupon.Year, coupon.Month, coupon.Day) + " is not a calendar date";
        msgMain.MessageDlg("This coupon cannot be edited: " + why + ".", mtWarning, {mbOK}, 0);
        return;
    }
    TfrmCoupon frmCoupon(couponService_, msgMain, this);
    frmCoupon.setWindowTitle(QStringLiteral("Edit Coupon"));
    frmCoupon.Fill(coupon);
    if (frmCoupon.exec() == mrOk)
        RefreshCoupons();
}

void TfrmMain::CheckForUpdates(bool Silent) {
    TUpdateCheck(IdHTTP1, msgMain, [this] { close(); }).CheckForUpdates(Silent);
}

void TfrmMain::btnUpdateClick() {
    if (NetworkBusy())
        return;
    CheckForUpdates(false);
}

void TfrmMain::btnStatsClick() {
    if (NetworkBusy())
        return;
    // Creating the window downloads the log, before the window shows.
    TfrmStats frmStats(couponService_, this);
    frmStats.Messages = &msgMain;
    frmStats.exec();
}
