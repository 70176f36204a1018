// SPDX-License-Identifier: GPL-3.0-or-later
#include "branding/Branding.h"

#include "branding/GifBanner.h"
#include "branding/StillBanner.h"
#include "platform/ProfileReader.h"
#include "toolkit/SkinData.h"
#include "toolkit/SkinLinkLabel.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QIcon>
#include <QImageReader>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <vector>

namespace {

constexpr char kSection[] = "Settings";

bool FileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

QString ToQString(const std::string& s) { return QString::fromLocal8Bit(s.data(), qsizetype(s.size())); }

// The file-name part of a path written for Windows or for this system:
// "C:\pics\Top.GIF" gives "Top.GIF". Only that part is ever looked up, and
// only in the executable directory; the directory named in the branding
// file is never read.
std::string FileNamePart(const std::string& path) {
    std::size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string Extension(const std::string& fileName) {
    std::size_t dot = fileName.rfind('.');
    return dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A uniform index below count, from a generator seeded afresh from the
// clock for this one draw, so every start shows another banner and links.
std::size_t DrawIndex(std::size_t count) {
    auto seed = static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    std::mt19937_64 generator(seed);
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(generator);
}

// Shows banner k, whose path names the kind of picture stored in
// dbimg<k+1>.dat. The stored file is decoded where it lies: nothing in the
// executable directory is renamed or created, so a read-only program
// directory shows its banner too and no crash can leave the file under
// another name. False when the strip has nothing to show.
bool ShowBanner(const std::string& exeDir, std::size_t k, const std::string& bannerPath,
                const TBrandingTargets& t) {
    const std::string stored = exeDir + "dbimg" + std::to_string(k + 1) + ".dat";
    if (!FileExists(stored))
        return false;
    QFile file(ToQString(stored));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    const std::string name = FileNamePart(bannerPath);
    if (Lower(name).find(".gif") != std::string::npos) {
        t.gifBanner->setVisible(true);
        t.imgBanner->setVisible(false);
        if (!t.gifBanner->LoadFromData(bytes))
            return false;
        t.panBanner->setFixedHeight(t.gifBanner->height() + 10);
    } else {
        t.gifBanner->setVisible(false);
        t.imgBanner->setVisible(true);
        if (!t.imgBanner->LoadPicture(bytes, Extension(name)))
            return false;
        t.panBanner->setFixedHeight(t.imgBanner->height() + 10);
    }
    return true;
}

void LoadIcon(const std::string& path) {
    // Only a file that holds a picture replaces the application icon.
    QImageReader probe(ToQString(path));
    if (!probe.canRead())
        return;
    QIcon icon(ToQString(path));
    if (!icon.availableSizes().isEmpty())
        QApplication::setWindowIcon(icon);
}

} // namespace

TBrandingValues LoadBranding(const std::string& exeDir, const TBrandingTargets& t) {
    TBrandingValues v;
    const std::string config = exeDir + "dbconfig.dat";
    if (!FileExists(config))
        return v;
    const TProfileReader file(config);
    auto read = [&](const std::string& key) { return file.Read(kSection, key); };

    const std::string appName = read("AppName");
    if (!appName.empty())
        t.window->setWindowTitle(ToQString(appName));
    t.window->setWindowTitle(t.window->windowTitle() + QStringLiteral(" v") + QLatin1String(AppVersionText));

    if (std::string id = read("AfiliateID"); !id.empty())
        v.AffiliateID = id;

    // Banners: the stored files are numbered by position among the
    // configured banners, not by key number.
    std::vector<std::string> paths, urls;
    for (int i = 1; i <= 3; ++i) {
        std::string path = read("BannerPath" + std::to_string(i));
        if (path.empty())
            continue;
        paths.push_back(path);
        urls.push_back(read("BannerURL" + std::to_string(i)));
    }
    std::size_t k = 0;
    if (!paths.empty()) {
        k = DrawIndex(paths.size());
        v.BannerClickURL = urls[k];
        v.BannerImagePath = paths[k];
    }
    if (!v.BannerClickURL.empty()) {
        t.imgBanner->setCursor(Qt::PointingHandCursor);
        t.gifBanner->setCursor(Qt::PointingHandCursor);
    }
    if (v.BannerImagePath.empty() || !ShowBanner(exeDir, k, v.BannerImagePath, t))
        t.panBanner->hide();

    // Links: two different entries of the file.
    std::vector<std::string> linkURLs, linkCaptions;
    for (int i = 1; i <= 4; ++i) {
        std::string url = read("Link" + std::to_string(i) + "URL");
        if (url.empty())
            continue;
        linkURLs.push_back(url);
        linkCaptions.push_back(read("Link" + std::to_string(i) + "Name"));
    }
    if (!linkURLs.empty()) {
        std::size_t k1 = DrawIndex(linkURLs.size());
        v.FirstLinkURL = linkURLs[k1];
        v.FirstLinkCaption = linkCaptions[k1];
        linkURLs.erase(linkURLs.begin() + std::ptrdiff_t(k1));
        linkCaptions.erase(linkCaptions.begin() + std::ptrdiff_t(k1));
        if (!linkURLs.empty()) {
            std::size_t k2 = DrawIndex(linkURLs.size());
            v.SecondLinkURL = linkURLs[k2];
            v.SecondLinkCaption = linkCaptions[k2];
        }
    }
    // Whatever was found: a label without a link shows and opens nothing.
    t.lblLink1URL->SetCaption(v.FirstLinkCaption);
    t.lblLink1URL->SetURL(v.FirstLinkURL);
    t.lblLink2URL->SetCaption(v.SecondLinkCaption);
    t.lblLink2URL->SetURL(v.SecondLinkURL);

    // A damaged skin file keeps the current skin.
    if (FileExists(exeDir + "dbskin.dat"))
        t.skin->LoadFromCompressedFile(exeDir + "dbskin.dat");

    if (std::string icon = read("IconPath"); !icon.empty()) {
        v.BrandIconPath = icon;
        const std::string local = exeDir + FileNamePart(icon);
        if (FileExists(local))
            LoadIcon(local);
    }
    return v;
}

void CentreBanner(const QFrame* panBanner, QWidget* banner) {
    banner->move(panBanner->width() / 2 - banner->width() / 2, panBanner->height() / 2 - banner->height() / 2);
}
