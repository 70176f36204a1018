// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: the hub of the client. It holds the server settings and
// the branding values, owns the one HTTP client through which every network
// exchange goes, carries the service operations, shows the coupon list and
// opens every other window as a modal dialog. Dialogs reach it through the
// one global reference frmMain.

#include "app/CouponListModel.h"
#include "branding/GifBanner.h"
#include "branding/StillBanner.h"
#include "http/IdAntiFreeze.h"
#include "http/IdHTTP.h"
#include "service/CouponService.h"
#include "service/ServerSettings.h"
#include "toolkit/SkinData.h"
#include "toolkit/SkinListView.h"
#include "toolkit/SkinMessage.h"

#include <QWidget>
#include <string>

class QFrame;
class QTimer;
class TCouponListMenu;
class TbsSkinButton;
class TbsSkinLinkLabel;

class TfrmMain : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Held for the life of the process; the dialogs read and write them.
    TServerSettings ServerSettings;
    TbsSkinMessage msgMain;
    TbsSkinData bsSkinData1;
    TIdHTTP IdHTTP1;
    TIdAntiFreeze IdAntiFreeze1;

    // The service operations, over IdHTTP1 with ServerSettings. None raises
    // or shows anything.
    bool CheckServer();
    SaveOutcome AddCoupon(const TCouponRecord& record);
    SaveOutcome UpdateCoupon(const TCouponRecord& record);
    bool DeleteCoupons(const std::string& ids);
    bool RefreshCoupons();
    bool CouponCodeExists(const std::string& code);
    bool FetchCoupon(const std::string& id, std::string& record);
    TCouponService& CouponService() { return couponService_; }

    // Branding values, set only while the window is created.
    std::string AffiliateID;
    std::string BannerClickURL;
    std::string BannerImagePath;
    std::string FirstLinkURL;
    std::string FirstLinkCaption;
    std::string SecondLinkURL;
    std::string SecondLinkCaption;
    std::string BrandIconPath;

    // Controls, by their names in the layout.
    QFrame* bsSkinPanel1 = nullptr;  // tool bar
    TbsSkinButton* btnLoad = nullptr;
    TbsSkinButton* btnStats = nullptr;
    TbsSkinButton* bsSkinButton7 = nullptr;
    TbsSkinButton* btnHelp = nullptr;
    TbsSkinButton* btnUpdate = nullptr;
    TbsSkinButton* btnMakeMoney = nullptr;
    QFrame* panBanner = nullptr;
    TStillBanner* imgBanner = nullptr;
    TGifBanner* gifBanner = nullptr;
    TbsSkinListView* lvwItems = nullptr;
    TCouponListModel* CouponList = nullptr;
    QFrame* bsSkinPanel4 = nullptr;  // bottom panel
    TbsSkinButton* bsSkinButton1 = nullptr;
    TbsSkinButton* bsSkinButton2 = nullptr;
    TbsSkinButton* bsSkinButton5 = nullptr;
    TbsSkinButton* bsSkinButton6 = nullptr;
    TbsSkinButton* bsSkinButton3 = nullptr;
    TbsSkinButton* bsSkinButton4 = nullptr;
    TbsSkinButton* bsSkinButton8 = nullptr;
    TbsSkinLinkLabel* lblLink1URL = nullptr;
    TbsSkinLinkLabel* lblLink2URL = nullptr;
    QTimer* Timer1 = nullptr;
    // The coupon list's context menu and shortcuts.
    TCouponListMenu* CouponListMenu = nullptr;

signals:
    // The deferred start-up has run all its steps.
    void StartupFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildLayout();
    void AddShortcuts();
    void FormCreate();
    void FormShow();
    void FormResize();
    void Timer1Timer();

    void btnLoadClick();
    void btnUpdateClick();
    void btnStatsClick();
    void CheckForUpdates(bool Silent);
    void bsSkinButton1Click();
    void bsSkinButton2Click();
    void bsSkinButton3Click();
    void bsSkinButton4Click();
    void bsSkinButton5Click();
    void bsSkinButton6Click();
    void bsSkinButton8Click();
    void FillCouponList(std::vector<TCouponRow> rows);
    // True while a request is in flight; handlers that would start another
    // exchange then do nothing.
    bool NetworkBusy() const { return IdHTTP1.Busy(); }
    void bsSkinButton7Click();
    void LoadBranding();
    void imgBannerClick();
    void gifBannerClick();
    void btnHelpClick();
    void btnMakeMoneyClick();
    void LoadSettings();
    void SaveSettings();
    std::string SettingsPath() const;

    TCouponService couponService_{IdHTTP1, ServerSettings};
    bool shownOnce_ = false;
    // A busy cursor while a request waits, put back once it is over.
    void ShowBusyCursor();
    QTimer* busyCursor_ = nullptr;
};

extern TfrmMain* frmMain;
