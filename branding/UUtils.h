// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small utilities of the application: opening an address in the default web
// browser, the addresses of the help and affiliate pages, and the text
// splitter shared with the protocol decoders.

#include "service/SplitByChar.h"

#include <string>

// Starts the desktop's default web browser with the address, unchanged, as
// its only argument. True when a browser is registered and its start was
// requested, whatever became of the start; false, without any message, when
// no browser is registered.
bool OpenURL(const std::string& url);

// The fixed help page.
std::string HelpURL();
// The affiliate site's root with the affiliate id appended after the final slash.
std::string AffiliateURL(const std::string& affiliateID);
