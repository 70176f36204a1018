// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Answers the next file dialog with the given name (objectName, such as
// "dlgSaveCsv") the way a user does: types the path into its file name
// field and presses Return. Records the name the dialog proposed.

#include "tests/support/gui/WidgetTest.h"

#include <memory>
#include <string>

class FileDialogAnswer {
public:
    FileDialogAnswer(const char* dialogName, const std::string& path);
    bool Ran() const { return action_.Ran(); }
    // The file name the dialog offered before the path was typed.
    const std::string& Proposed() const { return *proposed_; }

private:
    std::shared_ptr<std::string> proposed_;
    ModalAction action_;
};
