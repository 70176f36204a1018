// SPDX-License-Identifier: GPL-3.0-or-later
// Opening addresses: OpenURL starts the desktop's default http handler with
// the address as its one argument; the banner, "Help" and "Make Money" go
// through it; the link labels hand their address to xdg-open. Stand-in
// programs record what they were started with.

#include "BuildOptions.h"
#include "app/FMain.h"
#include "branding/UUtils.h"
#include "platform/ExeDir.h"
#include "tests/branding/GifWriter.h"
#include "tests/branding/Pictures.h"
#include "tests/branding/StandIns.h"
#include "tests/support/TempDir.h"
#include "tests/support/gui/WidgetTest.h"
#include "toolkit/SkinButton.h"
#include "toolkit/SkinLinkLabel.h"

#include <QApplication>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using Starts = std::vector<std::vector<std::string>>;

class OpenURLTest : public ::testing::Test {
protected:
    // The stand-in browser sits in a directory with a blank in its name: the
    // desktop entry quotes it, and it is started without a shell.
    OpenURLTest() : browser(tools.Path() + "my browser", "web") {}

    void UseBrowser() const { desktop.SetDefaultBrowser("\"" + browser.Path() + "\" %u"); }

    TempDir tools;
    FakeDesktop desktop;
    RecordingProgram browser;
};

TEST_F(OpenURLTest, TheAddressArrivesUnchangedAsTheOnlyArgument) {
    UseBrowser();
    const std::string addresses[] = {
        "http://shop.example/",
        "http://shop.example/deal?id=7&ref=banner#top",
        // Blanks stay inside the one argument: there is no shell to split it.
        "http://shop.example/summer sale  2024",
        // Nor one to expand anything.
        "http://shop.example/?q=\"x\"&y='z'$HOME;`id`|*",
    };
    std::size_t n = 0;
    for (const std::string& address : addresses) {
        EXPECT_TRUE(OpenURL(address)) << address;
        ASSERT_TRUE(browser.WaitForStarts(++n)) << address;
    }
    Starts starts = browser.Starts();
    for (const std::string& address : addresses)
        EXPECT_EQ(std::count(starts.begin(), starts.end(), std::vector<std::string>{address}), 1) << address;
}

TEST_F(OpenURLTest, ALauncherInTheEntryStartsTheBrowserWithItsOwnArguments) {
    // As snap and flatpak browsers are registered: a launcher before the
    // browser, options of the entry's own, the address in place of %u.
    desktop.SetDefaultBrowser("env CORVANTA_TEST=1 \"" + browser.Path() + "\" --new-window %u --private");
    EXPECT_TRUE(OpenURL("http://shop.example/a b"));
    ASSERT_TRUE(browser.WaitForStarts(1));
    EXPECT_EQ(browser.Starts().front(),
              (std::vector<std::string>{"--new-window", "http://shop.example/a b", "--private"}));
}

TEST_F(OpenURLTest, NoRegisteredBrowserGivesFalseAndNoMessage) {
    ModalAction anyDialog([](QWidget* modal) { modal->close(); }, 200);
    const int windowsBefore = int(QApplication::topLevelWidgets().size());
    EXPECT_FALSE(OpenURL("http://shop.example/"));
    EXPECT_FALSE(anyDialog.Ran());
    EXPECT_EQ(int(QApplication::topLevelWidgets().size()), windowsBefore);
    // A default naming an entry that is not installed is no browser either.
    desktop.Write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=gone.desktop\n");
    EXPECT_FALSE(OpenURL("http://shop.example/"));
}

TEST_F(OpenURLTest, ABrowserThatCannotStartIsNotReported) {
    desktop.SetDefaultBrowser("/nonexistent/browser %u");
    ModalAction anyDialog([](QWidget* modal) { modal->close(); }, 200);
    EXPECT_TRUE(OpenURL("http://shop.example/"));
    EXPECT_FALSE(anyDialog.Ran());
}

// The main window in a temporary executable directory.
class WindowLinks : public OpenURLTest {
protected:
    void SetUp() override { SetExeDirOverride(exeDir.Path()); }
    void TearDown() override { SetExeDirOverride(""); }

    std::unique_ptr<TfrmMain> Open(const std::string& settings) const {
        exeDir.Write("dbconfig.dat", "[Settings]\r\n" + settings);
        auto w = std::make_unique<TfrmMain>();
        w->Timer1->stop();
        w->show();
        EXPECT_TRUE(WaitFor([&] { return w->isVisible(); }));
        return w;
    }

    TempDir exeDir;
};

TEST_F(WindowLinks, BannerClicksOpenTheClickAddress) {
    UseBrowser();
    struct Case {
        const char* path;
        std::string picture;
    };
    const Case cases[] = {
        {"banner.jpg", JpegBytes(Solid(100, 40, Qt::red))},
        {"banner.gif", WriteGif({100, 40, {qRgb(255, 0, 0)}, 0, -1, false, {SolidFrame(0, 0, 100, 40, 0)}})},
    };
    std::size_t n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        exeDir.Write("dbimg1.dat", std::string(c.picture));
        auto w = Open(std::string("BannerPath1=") + c.path + "\r\nBannerURL1=http://shop.example/deal 1\r\n");
        QWidget* banner = w->imgBanner->isVisible() ? static_cast<QWidget*>(w->imgBanner) : w->gifBanner;
        ASSERT_TRUE(banner->isVisible());
        ASSERT_EQ(banner == w->gifBanner, std::string(c.path).ends_with(".gif"));
        QTest::mouseClick(banner, Qt::LeftButton);
        ASSERT_TRUE(browser.WaitForStarts(++n));
        EXPECT_EQ(browser.Starts().size(), n);
    }
    for (const auto& start : browser.Starts())
        EXPECT_EQ(start, std::vector<std::string>{"http://shop.example/deal 1"});
}

TEST_F(WindowLinks, ABannerWithoutClickAddressIgnoresClicks) {
    UseBrowser();
    exeDir.Write("dbimg1.dat", JpegBytes(Solid(100, 40, Qt::red)));
    auto w = Open("BannerPath1=banner.jpg\r\n");
    ASSERT_TRUE(w->imgBanner->isVisible());
    EXPECT_EQ(w->imgBanner->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(w->imgBanner, Qt::LeftButton);
    // "Help" does open: once it has arrived, the banner's click plainly
    // started nothing before it.
    Click(w->btnHelp);
    ASSERT_TRUE(browser.WaitForStarts(1));
    EXPECT_EQ(browser.Starts(), (Starts{{"http://" CORVANTA_HELP_HOST "/corvantahelp/#corvanta"}}));
}

TEST_F(WindowLinks, HelpAndMakeMoneyOpenTheMakersPages) {
    UseBrowser();
    struct Case {
        const char* settings;
        QString button;
        std::string address;
    };
    const Case cases[] = {
        {"AppName=Shop\r\n", "Help", "http://" CORVANTA_HELP_HOST "/corvantahelp/#corvanta"},
        {"AfiliateID=partner-17\r\n", "Make Money", "http://" CORVANTA_AFFILIATE_HOST "/partner-17"},
        {"AfiliateID=\r\n", "Make Money", "http://" CORVANTA_AFFILIATE_HOST "/"},
    };
    std::size_t n = 0;
    for (const Case& c : cases) {
        auto w = Open(c.settings);
        Click(FindButton(w.get(), c.button));
        ASSERT_TRUE(browser.WaitForStarts(++n)) << c.address;
        Starts starts = browser.Starts();
        EXPECT_EQ(std::count(starts.begin(), starts.end(), std::vector<std::string>{c.address}), 1) << c.address;
    }
}

TEST_F(WindowLinks, F1AndCtrlMOpenTheSamePagesAsTheirButtons) {
    UseBrowser();
    auto w = Open("AfiliateID=partner-17\r\n");
    ASSERT_TRUE(WaitForActive(w.get()));
    Press(Qt::Key_F1);
    ASSERT_TRUE(browser.WaitForStarts(1));
    Press(Qt::Key_M, Qt::ControlModifier);
    ASSERT_TRUE(browser.WaitForStarts(2));
    Starts starts = browser.Starts();
    std::sort(starts.begin(), starts.end());
    EXPECT_EQ(starts, (Starts{{"http://" CORVANTA_AFFILIATE_HOST "/partner-17"},
                              {"http://" CORVANTA_HELP_HOST "/corvantahelp/#corvanta"}}));
}

TEST_F(WindowLinks, LinkLabelsHandTheirAddressToTheDesktopOpener) {
    // No http browser registered at all: the labels do not need one.
    RecordingProgram xdgOpen(tools.Path() + "bin", "xdg-open");
    ScopedEnv path("PATH", tools.Path() + "bin:" + std::getenv("PATH"));
    auto w = Open("Link1URL=http://shop.example/a b\r\nLink1Name=Our shop\r\n");
    ASSERT_EQ(w->lblLink1URL->URL(), "http://shop.example/a b");
    ASSERT_EQ(w->lblLink2URL->URL(), "");
    // The empty label is given room, so the click really lands on it.
    w->lblLink2URL->setMinimumSize(40, 12);
    ASSERT_TRUE(WaitFor([&] { return w->lblLink2URL->width() >= 40; }));
    QTest::mouseClick(w->lblLink2URL, Qt::LeftButton);
    QTest::mouseClick(w->lblLink1URL, Qt::LeftButton);
    ASSERT_TRUE(xdgOpen.WaitForStarts(1));
    EXPECT_EQ(xdgOpen.Starts(), (Starts{{"http://shop.example/a b"}}));
    EXPECT_TRUE(browser.Starts().empty());
}

} // namespace
