// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdAntiFreeze.h"

#include "http/IdException.h"

#include <atomic>

namespace {
std::atomic<TIdAntiFreeze*> gInstance{nullptr};
}

TIdAntiFreeze::TIdAntiFreeze() : owner_(std::this_thread::get_id()) {
    TIdAntiFreeze* none = nullptr;
    if (!gInstance.compare_exchange_strong(none, this))
        throw EIdException("Only one TIdAntiFreeze can exist per application.");
}

TIdAntiFreeze::~TIdAntiFreeze() {
    TIdAntiFreeze* self = this;
    gInstance.compare_exchange_strong(self, nullptr);
}

TIdAntiFreeze* TIdAntiFreeze::Instance() {
    return gInstance.load();
}

bool TIdAntiFreeze::ShouldUse() {
    TIdAntiFreeze* instance = gInstance.load();
    return instance && instance->Active && instance->owner_ == std::this_thread::get_id();
}

void TIdAntiFreeze::DoProcess(bool idle) {
    if (!ShouldUse())
        return;
    TIdAntiFreeze* instance = gInstance.load();
    if ((idle || !instance->OnlyWhenIdle) && instance->Pump)
        instance->Pump();
}
