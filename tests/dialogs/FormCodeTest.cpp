// SPDX-License-Identifier: GPL-3.0-or-later
// The order-page form snippet, through the main window's button.

#include "dialogs/FFormCode.h"
#include "platform/Clipboard.h"
#include "tests/support/gui/MainWindowFixture.h"

#include <QApplication>
#include <QPlainTextEdit>

namespace {

const std::string kTail =
    "\"><p>Enter the coupon code <input type=\"text\" name=\"coupcode\" size=\"15\" ><input name=\"action\" "
    "type=\"hidden\" id=\"action\" value=\"7\" /></p><p><input type=\"submit\" value=\"Submit\" name=\"send\"></FORM>";

class FormCode : public MainWindowTest {
protected:
    // Opens the snippet dialog and returns the memo's text and the clipboard after "Copy".
    std::pair<std::string, std::string> ShowAndCopy() {
        std::string shown, copied;
        ModalAction action("frmFormCode", [&](QWidget* w) {
            auto* d = static_cast<TfrmFormCode*>(w);
            EXPECT_EQ(d->windowTitle(), "Form HTML Code");
            EXPECT_TRUE(d->memForm->isReadOnly());
            shown = d->memForm->toPlainText().toStdString();
            SetClipboardText("something else");
            Click(d->btnOk);
            copied = ClipboardText();
            EXPECT_TRUE(d->isVisible());  // "Copy" keeps the dialog open
            Click(d->btnCancel);
        });
        Click(window->btnLoad);
        EXPECT_TRUE(action.Ran());
        return {shown, copied};
    }
};

TEST_F(FormCode, PlainSiteURL) {
    PrepareSite("http://shop.example");
    Start();
    auto [shown, copied] = ShowAndCopy();
    std::string expected = "<FORM METHOD=\"POST\" ACTION=\"http://shop.example/couponsactions.php" + kTail;
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(copied, expected);  // one line, nothing appended
}

TEST_F(FormCode, EmptySiteURLAndTrailingSlash) {
    Start();
    EXPECT_EQ(ShowAndCopy().second, "<FORM METHOD=\"POST\" ACTION=\"/couponsactions.php" + kTail);
    window->ServerSettings.WebServer = "http://shop.example/";
    EXPECT_EQ(ShowAndCopy().second, "<FORM METHOD=\"POST\" ACTION=\"http://shop.example//couponsactions.php" + kTail);
}

TEST_F(FormCode, SiteURLIsEscapedForTheAttribute) {
    PrepareSite("http://shop.example/a?x=1&y=\"<2>\"");
    Start();
    EXPECT_EQ(ShowAndCopy().second,
              "<FORM METHOD=\"POST\" ACTION=\"http://shop.example/a?x=1&amp;y=&quot;&lt;2&gt;&quot;/couponsactions.php" +
                  kTail);
}

TEST_F(FormCode, ASiteURLByteThatIsNoUtf8IsShownAndCopiedAsItsLetter) {
    PrepareSite("http://caf\xE9.example");
    Start();
    auto [shown, copied] = ShowAndCopy();
    // Latin-1 0xE9, shown and copied as the letter e-acute, never as U+FFFD.
    const std::string expected = "<FORM METHOD=\"POST\" ACTION=\"http://caf\xC3\xA9.example/couponsactions.php" + kTail;
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(copied, expected);
}

TEST_F(FormCode, CtrlCCopiesTheWholeCode) {
    PrepareSite("http://shop.example");
    Start();
    ASSERT_TRUE(WaitForActive(window.get()));
    std::string copied, tip;
    ModalAction action("frmFormCode", [&](QWidget* w) {
        auto* d = static_cast<TfrmFormCode*>(w);
        ASSERT_TRUE(WaitForActive(d));
        EXPECT_EQ(QApplication::focusWidget(), d->memForm);
        SetClipboardText("something else");
        Press(Qt::Key_C, Qt::ControlModifier);
        copied = ClipboardText();
        tip = d->btnOk->toolTip().toStdString();
        d->close();
    });
    Press(Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(action.Ran());
    EXPECT_EQ(copied, "<FORM METHOD=\"POST\" ACTION=\"http://shop.example/couponsactions.php" + kTail);
    EXPECT_EQ(tip, "Copy (Ctrl+C)");
}

} // namespace
