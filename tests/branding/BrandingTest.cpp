// SPDX-License-Identifier: GPL-3.0-or-later
// The branding file applied to the real main window, built in a temporary
// directory that plays the executable directory.

#include "BuildOptions.h"
#include "app/FMain.h"
#include "app/ProgramIcon.h"
#include "platform/ExeDir.h"
#include "tests/branding/GifWriter.h"
#include "tests/branding/Pictures.h"
#include "tests/support/ReadOnlyDir.h"
#include "tests/support/TempDir.h"
#include "tests/support/gui/WidgetTest.h"
#include "toolkit/SkinButton.h"
#include "toolkit/SkinData.h"
#include "toolkit/SkinLinkLabel.h"

#include <QApplication>
#include <QFrame>
#include <QIcon>
#include <QTableView>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>

namespace fs = std::filesystem;

namespace {

const QString kSkin = "/* corvanta-skin */\nQWidget { color: #204060; }\n";

class Branding : public ::testing::Test {
protected:
    void SetUp() override {
        exeDir = dir.Path();
        SetExeDirOverride(exeDir);
        QApplication::setWindowIcon(QIcon());
    }
    void TearDown() override {
        SetExeDirOverride("");
        QApplication::setWindowIcon(QIcon());
        TbsSkinData builtIn;  // puts the built-in skin back on the application
    }

    // dbconfig.dat with these lines in its Settings section.
    void Config(const std::string& lines) const { Write("dbconfig.dat", "[Settings]\r\n" + lines); }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream out(exeDir + name, std::ios::binary | std::ios::trunc);
        out << bytes;
    }

    std::unique_ptr<TfrmMain> Open(bool show = true) const {
        auto w = std::make_unique<TfrmMain>();
        w->Timer1->stop();  // the start-up network steps are not under test here
        if (show) {
            w->show();
            EXPECT_TRUE(WaitFor([&] { return w->isVisible(); }));
        }
        return w;
    }

    // Opens windows until every wanted outcome of a random choice was seen.
    void UntilAllSeen(const std::set<std::string>& wanted, const std::function<std::string(TfrmMain&)>& outcome,
                      const std::function<void(TfrmMain&)>& check = {}) const {
        std::set<std::string> seen;
        for (int i = 0; i < 100 && seen != wanted; ++i) {
            auto w = Open(false);
            std::string o = outcome(*w);
            ASSERT_TRUE(wanted.count(o)) << o;
            seen.insert(o);
            if (check)
                check(*w);
        }
        EXPECT_EQ(seen, wanted);
    }

    TempDir dir;
    std::string exeDir;
};

// Names and contents of the files in a directory.
std::map<std::string, std::string> Listing(const std::string& path) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(path)) {
        std::ifstream in(e.path(), std::ios::binary);
        files[e.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

std::string Gif3(int width, int height) {
    GifPicture gif{width, height, {qRgb(255, 0, 0), qRgb(0, 0, 255)}, 0, 1, false, {}};
    gif.frames.push_back(SolidFrame(0, 0, width, height, 0, 10));
    gif.frames.push_back(SolidFrame(0, 0, 2, 2, 1, 10));
    gif.frames.push_back(SolidFrame(2, 2, 2, 2, 1, 10));
    return WriteGif(gif);
}

TEST_F(Branding, WithoutABrandingFileTheWindowKeepsItsDesign) {
    // Skin and icon lie ready, but without dbconfig.dat nothing is loaded.
    Write("dbskin.dat", qCompress(kSkin.toUtf8()).toStdString());
    Write("brand.ico", QtBytes(Solid(32, 32, Qt::red), "ico"));
    Write("dbimg1.dat", JpegBytes(Solid(100, 40, Qt::red)));
    const QString builtIn = TbsSkinData().StyleSheet();
    auto w = Open();
    EXPECT_EQ(w->windowTitle(), "Corvanta");
    EXPECT_TRUE(w->panBanner->isVisible());
    EXPECT_EQ(w->panBanner->height(), 65);
    EXPECT_EQ(w->lblLink1URL->Caption(), "Corvanta");
    EXPECT_EQ(w->lblLink1URL->URL(), "http://" CORVANTA_PLACEHOLDER_HOST "/");
    EXPECT_EQ(w->lblLink2URL->Caption(), "Coupons for your web shop");
    EXPECT_EQ(w->lblLink2URL->URL(), "http://" CORVANTA_PLACEHOLDER_HOST "/");
    EXPECT_EQ(qApp->styleSheet(), builtIn);
    // The program's own icon.
    EXPECT_EQ(QApplication::windowIcon().cacheKey(), ProgramIcon().cacheKey());
    for (const std::string* field : {&w->AffiliateID, &w->BannerClickURL, &w->BannerImagePath, &w->FirstLinkURL,
                                     &w->FirstLinkCaption, &w->SecondLinkURL, &w->SecondLinkCaption,
                                     &w->BrandIconPath})
        EXPECT_EQ(*field, "");
}

TEST_F(Branding, TitleCarriesTheVersion) {
    const std::pair<std::string, QString> cases[] = {
        {"AppName=Coupon Master\r\n", "Coupon Master v1.02"},
        {"AppName=\r\n", "Corvanta v1.02"},
        {"", "Corvanta v1.02"},
        {"appname = \"  Shop Tools \"\r\n", "  Shop Tools  v1.02"},
    };
    for (const auto& [lines, title] : cases) {
        Config(lines);
        EXPECT_EQ(Open(false)->windowTitle(), title) << lines;
    }
}

TEST_F(Branding, WithoutBannerPathsTheStripIsHiddenAndTheListTakesItsSpace) {
    // A click address without its path is not even read.
    Config("AppName=Shop\r\nBannerURL1=http://shop.example/\r\nAfiliateID=aff42\r\n");
    auto w = Open();
    EXPECT_FALSE(w->panBanner->isVisible());
    EXPECT_EQ(w->lvwItems->geometry(), QRect(0, 37, 775, 516 - 37 - 54));
    EXPECT_EQ(w->BannerClickURL, "");
    EXPECT_EQ(w->BannerImagePath, "");
    EXPECT_EQ(w->AffiliateID, "aff42");
    EXPECT_EQ(w->imgBanner->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Branding, StoredFilesAreNumberedByPositionAmongTheConfiguredBanners) {
    Config("BannerPath1=\r\nBannerURL1=http://never.example/\r\n"
           "BannerPath2=b.jpg\r\nBannerURL2=http://b.example/\r\n"
           "BannerPath3=c.gif\r\nBannerURL3=http://c.example/\r\n");
    Write("dbimg1.dat", JpegBytes(Solid(120, 40, Qt::green)));
    Write("dbimg2.dat", Gif3(90, 30));
    UntilAllSeen({"b.jpg", "c.gif"}, [](TfrmMain& w) { return w.BannerImagePath; },
                 [](TfrmMain& w) {
                     if (w.BannerImagePath == "b.jpg") {
                         EXPECT_EQ(w.BannerClickURL, "http://b.example/");
                         EXPECT_FALSE(w.imgBanner->isHidden());
                         EXPECT_TRUE(w.gifBanner->isHidden());
                         EXPECT_EQ(w.imgBanner->size(), QSize(120, 40));
                         EXPECT_EQ(w.panBanner->height(), 50);
                     } else {
                         EXPECT_EQ(w.BannerClickURL, "http://c.example/");
                         EXPECT_TRUE(w.imgBanner->isHidden());
                         EXPECT_FALSE(w.gifBanner->isHidden());
                         EXPECT_EQ(w.gifBanner->size(), QSize(90, 30));
                         EXPECT_EQ(w.gifBanner->FrameCount(), 3);
                         EXPECT_EQ(w.panBanner->height(), 40);
                     }
                     EXPECT_FALSE(w.panBanner->isHidden());
                 });
}

TEST_F(Branding, AGifBannerPlaysFromItsStoredFileLeavingTheDirectoryAsItWas) {
    Config("BannerPath1=C:\\pics\\Top.GIF\r\nBannerURL1=http://shop.example/top\r\n");
    Write("dbimg1.dat", Gif3(80, 24));
    const auto before = Listing(exeDir);
    auto w = Open();
    EXPECT_EQ(w->BannerImagePath, "C:\\pics\\Top.GIF");
    EXPECT_TRUE(w->gifBanner->isVisible());
    EXPECT_FALSE(w->imgBanner->isVisible());
    EXPECT_EQ(w->gifBanner->size(), QSize(80, 24));
    EXPECT_EQ(w->panBanner->height(), 34);
    EXPECT_EQ(w->gifBanner->FrameCount(), 3);
    EXPECT_TRUE(w->gifBanner->Animating());
    EXPECT_EQ(w->gifBanner->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(w->imgBanner->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(Listing(exeDir), before);
    EXPECT_FALSE(fs::exists(exeDir + "Top.GIF"));
}

TEST_F(Branding, TheStoredFileIsShownEvenWhenAFileOfTheWorkingNameExists) {
    // Nothing is renamed, so a stray file of the banner's own name neither
    // takes the stored file's place nor gets in its way.
    Config("BannerPath1=D:\\art\\wide.jpg\r\n");
    Write("dbimg1.dat", JpegBytes(Solid(150, 30, Qt::blue)));
    Write("wide.jpg", JpegBytes(Solid(20, 20, Qt::red)));
    const auto before = Listing(exeDir);
    auto w = Open();
    EXPECT_TRUE(w->imgBanner->isVisible());
    EXPECT_EQ(w->imgBanner->size(), QSize(150, 30));
    EXPECT_TRUE(Near(w->imgBanner->pixmap().toImage().pixel(75, 15), qRgb(0, 0, 255)));
    EXPECT_EQ(Listing(exeDir), before);
}

TEST_F(Branding, ABannerShowsFromAReadOnlyProgramDirectory) {
    Config("BannerPath1=top.jpg\r\n");
    Write("dbimg1.dat", JpegBytes(Solid(100, 50, Qt::green)));
    const auto before = Listing(exeDir);
    std::unique_ptr<TfrmMain> w;
    {
        ReadOnlyDir readOnly(exeDir);
        w.reset();
        w = Open();
    }
    EXPECT_TRUE(w->panBanner->isVisible());
    EXPECT_TRUE(w->imgBanner->isVisible());
    EXPECT_EQ(w->panBanner->height(), 60);
    EXPECT_EQ(Listing(exeDir), before);
}

TEST_F(Branding, GifIsChosenByTheBannerFileNameNotByTheProgramDirectory) {
    // A program directory whose name holds ".gif" does not make a JPEG
    // banner a GIF.
    exeDir = dir.Path() + "tools.gifts/";
    fs::create_directories(exeDir);
    SetExeDirOverride(exeDir);
    Config("BannerPath1=top.jpg\r\n");
    Write("dbimg1.dat", JpegBytes(Solid(100, 50, Qt::green)));
    auto w = Open();
    EXPECT_TRUE(w->imgBanner->isVisible());
    EXPECT_FALSE(w->gifBanner->isVisible());
    EXPECT_EQ(w->panBanner->height(), 60);
}

TEST_F(Branding, AMissingStoredFileHidesTheStrip) {
    Config("BannerPath1=top.jpg\r\nBannerURL1=http://shop.example/top\r\n");
    Write("dbimg2.dat", JpegBytes(Solid(100, 50, Qt::green)));
    auto w = Open();
    EXPECT_FALSE(w->panBanner->isVisible());
    EXPECT_EQ(w->BannerClickURL, "http://shop.example/top");
    EXPECT_EQ(w->lvwItems->geometry(), QRect(0, 37, 775, 516 - 37 - 54));
}

TEST_F(Branding, AStillBannerStandsFivePixelsBelowTheTopOfItsStripCentred) {
    Config("BannerPath1=banner.jpg\r\n");
    Write("dbimg1.dat", JpegBytes(Solid(201, 60, Qt::green)));
    auto w = Open();
    EXPECT_EQ(w->panBanner->height(), 70);
    EXPECT_EQ(w->panBanner->width(), 775);
    EXPECT_EQ(w->imgBanner->geometry(), QRect(775 / 2 - 201 / 2, 5, 201, 60));
    EXPECT_EQ(w->lvwItems->geometry(), QRect(0, 37 + 70, 775, 516 - 37 - 70 - 54));
    for (QSize size : {QSize(901, 600), QSize(778, 480), QSize(775, 516)}) {
        w->resize(size);
        ASSERT_TRUE(WaitFor([&] { return w->panBanner->width() == size.width(); }));
        EXPECT_EQ(w->panBanner->height(), 70);
        EXPECT_EQ(w->imgBanner->geometry(), QRect(size.width() / 2 - 100, 5, 201, 60)) << size.width();
    }
}

TEST_F(Branding, APictureWiderThanTheWindowIsCentredAndCutOnBothSides) {
    Config("BannerPath1=wide.bmp\r\n");
    Write("dbimg1.dat", QtBytes(Solid(1001, 41, Qt::blue), "bmp"));
    auto w = Open();
    EXPECT_EQ(w->panBanner->height(), 51);
    EXPECT_EQ(w->imgBanner->geometry(), QRect(387 - 500, 5, 1001, 41));
}

TEST_F(Branding, PicturesThatDoNotDecodeHideTheStripAndTheWindowOpens) {
    const std::string jpeg = JpegBytes(Solid(100, 50, Qt::green));
    const std::pair<const char*, std::string> cases[] = {
        {"damaged.jpg", "\xff\xd8\xff\xe0 this is not really a JPEG"},
        {"cut.jpg", jpeg.substr(0, jpeg.size() / 2)},
        {"empty.jpg", ""},
        {"damaged.gif", "GIF89a and then nothing sensible"},
        {"damaged.bmp", "BM nonsense"},
        {"picture.emf", QtBytes(Solid(10, 10, Qt::red), "bmp")},
        {"picture.wmf", QtBytes(Solid(10, 10, Qt::red), "bmp")},
        {"picture.png", QtBytes(Solid(10, 10, Qt::red), "png")},
        {"noextension", jpeg},
    };
    for (const auto& [path, bytes] : cases) {
        SCOPED_TRACE(path);
        Config(std::string("BannerPath1=") + path + "\r\nBannerURL1=http://shop.example/\r\n");
        Write("dbimg1.dat", bytes);
        ModalAction anyDialog([](QWidget* modal) { modal->close(); }, 200);
        auto w = Open();
        EXPECT_TRUE(w->isVisible());
        EXPECT_FALSE(w->panBanner->isVisible());
        EXPECT_FALSE(anyDialog.Ran());
        EXPECT_EQ(Listing(exeDir).count("dbimg1.dat"), 1u);
    }
}

TEST_F(Branding, HandPointerOnlyWithAClickAddress) {
    Write("dbimg1.dat", JpegBytes(Solid(100, 50, Qt::green)));
    Config("BannerPath1=a.jpg\r\nBannerURL1=http://shop.example/\r\n");
    auto w = Open(false);
    EXPECT_EQ(w->imgBanner->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(w->gifBanner->cursor().shape(), Qt::PointingHandCursor);
    Config("BannerPath1=a.jpg\r\n");
    w.reset();
    w = Open(false);
    EXPECT_EQ(w->BannerClickURL, "");
    EXPECT_EQ(w->imgBanner->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(w->gifBanner->cursor().shape(), Qt::ArrowCursor);
}

struct Shown {
    std::string url1, caption1, url2, caption2;
};

Shown LinksOf(const TfrmMain& w) {
    EXPECT_EQ(w.lblLink1URL->URL(), w.FirstLinkURL);
    EXPECT_EQ(w.lblLink1URL->Caption(), w.FirstLinkCaption);
    EXPECT_EQ(w.lblLink2URL->URL(), w.SecondLinkURL);
    EXPECT_EQ(w.lblLink2URL->Caption(), w.SecondLinkCaption);
    return {w.lblLink1URL->URL(), w.lblLink1URL->Caption(), w.lblLink2URL->URL(), w.lblLink2URL->Caption()};
}

TEST_F(Branding, NoLinkEmptiesBothLabels) {
    // A name without its address is not read.
    Config("AppName=Shop\r\nLink1Name=Orphan\r\n");
    Shown s = LinksOf(*Open(false));
    EXPECT_EQ(s.url1 + s.caption1 + s.url2 + s.caption2, "");
}

TEST_F(Branding, OneLinkGoesToTheLeftLabel) {
    Config("Link3URL=http://shop.example/three\r\nLink3Name=Three\r\nLink1Name=Orphan\r\n");
    Shown s = LinksOf(*Open(false));
    EXPECT_EQ(s.url1, "http://shop.example/three");
    EXPECT_EQ(s.caption1, "Three");
    EXPECT_EQ(s.url2, "");
    EXPECT_EQ(s.caption2, "");
}

TEST_F(Branding, ALinkWithoutANameKeepsItsAddress) {
    Config("Link2URL=http://shop.example/two\r\n");
    Shown s = LinksOf(*Open(false));
    EXPECT_EQ(s.url1, "http://shop.example/two");
    EXPECT_EQ(s.caption1, "");
}

TEST_F(Branding, TwoLinksAreBothShownEachInEitherLabel) {
    Config("Link1URL=http://one.example/\r\nLink1Name=One\r\nLink4URL=http://four.example/\r\n");
    UntilAllSeen({"One|", "|One"}, [](TfrmMain& w) {
        Shown s = LinksOf(w);
        std::set<std::string> urls{s.url1, s.url2};
        EXPECT_EQ(urls, (std::set<std::string>{"http://one.example/", "http://four.example/"}));
        return s.caption1 + "|" + s.caption2;
    });
}

TEST_F(Branding, TwoDifferentLinksOutOfFour) {
    Config("Link1URL=http://1.example/\r\nLink1Name=L1\r\nLink2URL=http://2.example/\r\nLink2Name=L2\r\n"
           "Link3URL=http://3.example/\r\nLink3Name=L3\r\nLink4URL=http://4.example/\r\nLink4Name=L4\r\n");
    UntilAllSeen({"L1", "L2", "L3", "L4"}, [](TfrmMain& w) {
        Shown s = LinksOf(w);
        EXPECT_NE(s.url1, s.url2);
        // Each caption stays with its own address.
        EXPECT_EQ("http://" + s.caption1.substr(1) + ".example/", s.url1);
        EXPECT_EQ("http://" + s.caption2.substr(1) + ".example/", s.url2);
        return s.caption1;
    });
}

TEST_F(Branding, ASkinFileReplacesTheBuiltInSkin) {
    Config("AppName=Shop\r\n");
    Write("dbskin.dat", qCompress(kSkin.toUtf8()).toStdString());
    auto w = Open();
    EXPECT_EQ(w->bsSkinData1.StyleSheet(), kSkin);
    EXPECT_EQ(qApp->styleSheet(), kSkin);
    EXPECT_EQ(w->btnHelp->palette().color(QPalette::ButtonText), QColor("#204060"));
}

TEST_F(Branding, ADamagedSkinFileKeepsTheBuiltInSkin) {
    const QString builtIn = TbsSkinData().StyleSheet();
    Config("AppName=Shop\r\n");
    for (const std::string& bytes : {std::string("not a skin"), qCompress("QWidget { color: red; }").toStdString(),
                                     qCompress(kSkin.toUtf8()).toStdString().substr(0, 12)}) {
        Write("dbskin.dat", bytes);
        auto w = Open(false);
        EXPECT_EQ(w->bsSkinData1.StyleSheet(), builtIn);
        EXPECT_EQ(qApp->styleSheet(), builtIn);
    }
}

TEST_F(Branding, TheIconIsTheFileOfThatNameInTheProgramDirectory) {
    Config("IconPath=D:\\art\\brand.ico\r\n");
    QImage picture = Solid(32, 32, Qt::red);
    Write("brand.ico", QtBytes(picture, "ico"));
    auto w = Open();
    EXPECT_EQ(w->BrandIconPath, "D:\\art\\brand.ico");
    QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
    EXPECT_TRUE(Near(icon.pixmap(32, 32).toImage().pixel(16, 16), qRgb(255, 0, 0)));
    EXPECT_EQ(w->windowIcon().cacheKey(), icon.cacheKey());
}

TEST_F(Branding, WithoutAUsableIconFileTheProgramIconStays) {
    const std::pair<const char*, const char*> cases[] = {
        {"IconPath=D:\\art\\brand.ico\r\n", nullptr},        // no such file here
        {"IconPath=D:\\art\\brand.ico\r\n", "not an icon"},  // damaged
        {"IconPath=\r\n", "not used"},
    };
    for (const auto& [lines, contents] : cases) {
        fs::remove(exeDir + "brand.ico");
        if (contents)
            Write("brand.ico", contents);
        Config(lines);
        auto w = Open(false);
        EXPECT_EQ(QApplication::windowIcon().cacheKey(), ProgramIcon().cacheKey()) << lines;
    }
}

} // namespace
