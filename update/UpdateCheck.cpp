#include "update/UpdateCheck.h"

TUpdateCheck::TUpdateCheck(TIdHTTP& http, TbsSkinMessage& msg, std::function<void()> close)
    : http_(http), msg_(msg), close_(std::move(close)) {}

void TUpdateCheck::CheckForUpdates(bool /*silent*/) {}
