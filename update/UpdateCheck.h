#pragma once
// The update check: downloads the update descriptor from the fixed update
// location, compares the published version with this one's and, when it is
// newer and the user agrees, starts the updater program next to the
// executable and closes the main window.

#include <functional>
#include <string>

class TIdHTTP;
class TbsSkinMessage;

class TUpdateCheck {
public:
    // close asks the main window to close (the application then ends once
    // control is back in the event loop).
    TUpdateCheck(TIdHTTP& http, TbsSkinMessage& msg, std::function<void()> close);

    // Silent only means no message says that there is no new version.
    void CheckForUpdates(bool silent);

private:
    TIdHTTP& http_;
    TbsSkinMessage& msg_;
    std::function<void()> close_;
};
