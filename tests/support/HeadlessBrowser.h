// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A real browser for end-to-end tests: headless Chromium, driven through its
// DevTools protocol over the pipe that --remote-debugging-pipe opens (JSON
// messages ended by a NUL byte on descriptors 3 and 4), so no WebSocket or
// driver program is needed. It plays a buyer: opens a page, types into a
// field, clicks, and reports where the browser ended up.
//
// The browser runs with a throw-away profile in a temporary directory; the
// destructor closes it, stops every process it started and removes the
// profile.

#include "tests/support/ChildProcess.h"

#include <string>

class HeadlessBrowser {
public:
    // The browser's path, empty when it is not installed.
    static std::string Program();

    // Starts the browser and opens one blank page. Throws std::runtime_error
    // when it does not start or answer within a generous bound.
    HeadlessBrowser();
    ~HeadlessBrowser();
    HeadlessBrowser(const HeadlessBrowser&) = delete;
    HeadlessBrowser& operator=(const HeadlessBrowser&) = delete;

    // Opens the address and waits until the page has loaded.
    void Open(const std::string& url);
    // Runs a script expression in the page and returns its value as text
    // (an expression that throws, or a page in the middle of loading, gives
    // the empty text and ok false).
    std::string Evaluate(const std::string& expression, bool* ok = nullptr);
    // Focuses the element and types the text into it, as keyboard input.
    void Type(const std::string& selector, const std::string& text);
    // Clicks the element the way a user does: a mouse press and release at
    // its centre.
    void Click(const std::string& selector);
    // Waits until the page at url has loaded; false at the bound.
    bool WaitForPage(const std::string& url, int boundMs = 30000);
    std::string CurrentURL();
    std::string BodyText();

private:
    // Sends one command and returns its response message; throws on a
    // protocol error or when no response comes within the bound.
    std::string Command(const std::string& method, const std::string& params, bool toPage = true);
    std::string ReadMessage(int boundMs);

    ChildProcess browser_;
    std::string profileDir_;
    int toBrowser_ = -1;
    int fromBrowser_ = -1;
    int nextId_ = 1;
    std::string sessionId_;
    std::string pending_;  // bytes read past the last whole message
};
