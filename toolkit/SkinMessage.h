// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one message dialog of the application. Every message of every window
// goes through TbsSkinMessage::MessageDlg: a text, a kind, a set of buttons
// and a help context (accepted and ignored); the result is the value of the
// button that closed the dialog.

#include <QDialog>
#include <initializer_list>
#include <string>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };

// The buttons, in the order they stand in the dialog.
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };

// A set of buttons.
class TMsgDlgButtons {
public:
    constexpr TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> buttons) {
        for (TMsgDlgBtn b : buttons)
            bits_ |= 1u << b;
    }
    constexpr bool Has(TMsgDlgBtn b) const { return (bits_ >> b) & 1u; }

private:
    unsigned bits_ = 0;
};

// Modal results.
enum : int {
    mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
    mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10
};

// The window of one message. Its object name is "msgMainForm"; the message
// as passed, byte for byte, is its property "messageText".
class TbsSkinMessageForm : public QDialog {
    Q_OBJECT
public:
    TbsSkinMessageForm(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);

    // The result that Enter and Escape give for this set of buttons; mrNone
    // when the key does nothing.
    int EnterResult() const { return enterResult_; }
    int EscapeResult() const { return escapeResult_; }

public slots:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int enterResult_ = mrNone;
    int escapeResult_ = mrNone;
};

class TbsSkinMessage {
public:
    int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);

    // Once the application is closing, no message is shown any more: each
    // answers Cancel at once, so nothing new is started.
    bool Silenced = false;
};

// The title of each kind: "Warning", "Error", "Information", "Confirm".
const char* MessageTitle(TMsgDlgType type);
