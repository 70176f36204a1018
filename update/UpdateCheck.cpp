// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/UpdateCheck.h"

#include "http/IdFileStream.h"
#include "http/IdHTTP.h"
#include "http/IdURI.h"
#include "platform/AtomicFile.h"
#include "platform/ExeDir.h"
#include "platform/ProfileFile.h"
#include "platform/ShellOpen.h"
#include "toolkit/SkinMessage.h"
#include "update/UpdateSite.h"
#include "update/UpdateVersion.h"

#include <QCoreApplication>

#include <algorithm>
#include <cctype>
#include <memory>
#include <unistd.h>

namespace {

const char* const DescriptorName = "mainappupdate.inf";
// A descriptor is a few lines; anything longer is not one.
constexpr std::int64_t DescriptorLimit = std::int64_t(1) << 20;
const char* const UpdaterName = "Updater.exe";

const char* const M1 = "There's no new updates for this application!";
std::string M2(const std::string& version) {
    return "There is a new update: (version " + version +
           ") available for your application!. Do you want download this update now?";
}
const char* const M3 = "The updater module is missing. Please reinstall again the current version!";
const char* const M4 =
    "To update your software the application will close to\n\rreplace some files. Do you want to update now?";

// Set while a check runs: the pumping inside its download lets window
// events through, and a second press of "Check Updates" arriving then must
// not delete and rewrite the descriptor under the first check.
bool checkRunning = false;

struct RunningScope {
    RunningScope() { checkRunning = true; }
    ~RunningScope() { checkRunning = false; }
};

// Puts a maximum body size in force on the client for one download.
class BodyLimitScope {
public:
    BodyLimitScope(TIdHTTP& http, std::int64_t bytes) : http_(http), previous_(http.MaxBodySize()) {
        http_.SetMaxBodySize(bytes);
    }
    ~BodyLimitScope() { http_.SetMaxBodySize(previous_); }

private:
    TIdHTTP& http_;
    std::int64_t previous_;
};

// Names under the reserved top-level domains "example" and "invalid" are
// never delegated, so their lookup can only fail. The built-in update host
// is such a name until a packager sets a real one, and asking the name
// server about it would only cost time at every start: with a name server
// that does not answer, the lookup (which does not let the window repaint)
// would hold up the start-up for the resolver's whole time-out.
bool NeverResolves(const std::string& url) {
    std::string host = ParseURL(url).Host;
    std::transform(host.begin(), host.end(), host.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    while (!host.empty() && host.back() == '.')
        host.pop_back();
    const std::string top = host.substr(host.rfind('.') == std::string::npos ? 0 : host.rfind('.') + 1);
    return top == "example" || top == "invalid";
}

void DeleteIfExists(const std::string& fileName) {
    if (FileExists(fileName))
        ::unlink(fileName.c_str());
}

} // namespace

TUpdateCheck::TUpdateCheck(TIdHTTP& http, TbsSkinMessage& msg, std::function<void()> close)
    : http_(http), msg_(msg), close_(std::move(close)) {}

bool TUpdateCheck::DownloadFile(const std::string& url, const std::string& fileName) {
    DeleteIfExists(fileName);
    auto file = std::make_unique<TIdFileStream>(fileName, TIdFileMode::fmCreate);
    QCoreApplication::processEvents();

    bool stored = false;
    try {
        if (!NeverResolves(url)) {
            http_.GetToStream(url, *file);
            // The client ends a redirect chain past its maximum without a
            // failure and without a body: that stored nothing of the file.
            stored = http_.ResponseCode() / 100 == 2;
        }
    } catch (...) {
        // HTTP error statuses, refused connections, broken transfers and a
        // sink that cannot be written all end alike, without a message.
    }
    if (!stored) {
        try {
            http_.CloseConnection();
        } catch (...) {
        }
        file.reset();
        DeleteIfExists(fileName);
        return false;
    }
    file.reset();
    try {
        http_.CloseConnection();
    } catch (...) {
    }
    return true;
}

void TUpdateCheck::CheckForUpdates(bool silent) {
    if (http_.Busy() || checkRunning)
        return;
    RunningScope running;

    const std::string baseURL = UpdateBaseURL();
    const std::string localName = ExeDir() + DescriptorName;
    bool downloaded = false;
    BodyLimitScope limit(http_, DescriptorLimit);
    if (silent) {
        // The start-up tick reports nothing: a directory where the
        // descriptor cannot be created (an installation the user may not
        // write to) is no reason to stop the start-up with a failure report.
        try {
            downloaded = DownloadFile(baseURL + DescriptorName, localName);
        } catch (...) {
        }
    } else {
        downloaded = DownloadFile(baseURL + DescriptorName, localName);
    }

    // Name is informational only; the version alone decides.
    const std::string versionText =
        downloaded && FileExists(localName) ? ReadProfileString(localName, "APPLICATION", "Version", "") : "";
    const std::string separator = LocaleDecimalSeparator();
    if (AppVersionNumber >= VersionFromText(versionText, separator)) {
        if (!silent)
            msg_.MessageDlg(M1, mtInformation, {mbOK}, 0);
        return;
    }

    if (msg_.MessageDlg(M2(versionText), mtInformation, {mbOK, mbCancel}, 0) != mrOk)
        return;
    const std::string updater = ExeDir() + UpdaterName;
    if (!FileExists(updater)) {
        msg_.MessageDlg(M3, mtWarning, {mbOK}, 0);
        return;
    }
    if (msg_.MessageDlg(M4, mtInformation, {mbOK, mbCancel}, 0) == mrCancel)
        return;

    // Started directly, not through a shell, so each word arrives as one
    // argument whatever it holds. Whether it started is not looked at: the
    // client hands over all the same.
    StartProgram(updater, {baseURL, AppVersionParameter(separator), UpdaterFlag});
    close_();
}
