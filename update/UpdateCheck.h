// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The update check: downloads the update descriptor from the update site
// into the executable's directory, compares the published version with this
// one's and, when it is newer and the user agrees, starts the updater
// program next to the executable and closes the main window. It runs
// silently from the start-up tick and in full on "Check Updates"; the main
// window builds one for each run over its HTTP client and message dialog.

#include <functional>
#include <string>

class TIdHTTP;
class TbsSkinMessage;

class TUpdateCheck {
public:
    // close asks the main window to close (the application then ends once
    // control is back in the event loop).
    TUpdateCheck(TIdHTTP& http, TbsSkinMessage& msg, std::function<void()> close);

    // Silent only means no message says that there is no new version; an
    // offer to update is still made. Does nothing while the HTTP client is
    // busy with another exchange or another check is under way.
    void CheckForUpdates(bool silent);

    // Fetches url into fileName (replacing any file of that name) with the
    // HTTP client. True when the whole body of a success response was
    // stored; false after any failure of the transfer, and then no file of
    // that name is left. A file that cannot be created raises to the caller.
    bool DownloadFile(const std::string& url, const std::string& fileName);

private:
    TIdHTTP& http_;
    TbsSkinMessage& msg_;
    std::function<void()> close_;
};
