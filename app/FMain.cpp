#include "app/FMain.h"

#include "BuildOptions.h"
#include "app/SettingsStore.h"
#include "branding/Branding.h"
#include "branding/GifBanner.h"
#include "branding/StillBanner.h"
#include "branding/UUtils.h"
#include "dialogs/FFormCode.h"
#include "dialogs/FSettings.h"
#include "platform/ExeDir.h"
#include "toolkit/SkinButton.h"
#include "toolkit/SkinLinkLabel.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

TfrmMain* frmMain = nullptr;

namespace {

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
    connect(bsSkinButton7, &QPushButton::clicked, this, &TfrmMain::bsSkinButton7Click);
    connect(btnHelp, &QPushButton::clicked, this, &TfrmMain::btnHelpClick);
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
    lvwItems = new QTableView(this);
    lvwItems->setObjectName(QStringLiteral("lvwItems"));
    lvwItems->setAccessibleName(QStringLiteral("Coupons"));
    lvwItems->setModel(CouponList);
    lvwItems->setShowGrid(true);
    lvwItems->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvwItems->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwItems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvwItems->setWordWrap(false);
    lvwItems->verticalHeader()->hide();
    // Fixed row heights keep a very long list as cheap as a short one.
    lvwItems->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lvwItems->verticalHeader()->setDefaultSectionSize(lvwItems->fontMetrics().height() + 6);
    lvwItems->horizontalHeader()->setHighlightSections(false);
    lvwItems->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lvwItems->setColumnWidth(0, 200);
    lvwItems->setColumnWidth(1, 132);
    lvwItems->setColumnWidth(2, 150);
    layout->addWidget(lvwItems, 1);

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

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TfrmMain::Timer1Timer);
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
    emit StartupFinished();
}

void TfrmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        if (QScreen* screen = QApplication::primaryScreen()) {
            QRect r = frameGeometry();
            r.moveCenter(screen->availableGeometry().center());
            move(r.topLeft());
        }
    }
    FormShow();
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

void TfrmMain::LoadSettings() { ServerSettings = LoadServerSettings(SettingsPath()); }

void TfrmMain::SaveSettings() { SaveServerSettings(SettingsPath(), ServerSettings); }

void TfrmMain::btnLoadClick() {
    TfrmFormCode frmFormCode(ServerSettings, this);
    frmFormCode.exec();
}

void TfrmMain::bsSkinButton7Click() {
    TfrmSettings frmSettings(ServerSettings, this);
    frmSettings.Fill(ServerSettings);
    frmSettings.exec();
    // Whatever closed the dialog: after a cancel the file gets the values
    // that were in effect before.
    SaveSettings();
}
