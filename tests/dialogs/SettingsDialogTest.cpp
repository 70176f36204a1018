// SPDX-License-Identifier: GPL-3.0-or-later
// The settings dialog, coupsettings.php and settings.dat, through the real
// main window's "Settings" button.

#include "dialogs/FSettings.h"
#include "tests/support/ReadOnlyDir.h"
#include "tests/support/gui/MainWindowFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include "tests/support/Process.h"

#include <QTest>
#include <sys/stat.h>

namespace {

struct Values {
    std::string site, host, db, user, password, invalid;
};

class SettingsDialog : public MainWindowTest {
protected:
    // Opens the dialog, runs inside() on it, and returns when it has closed.
    void Open(const std::function<void(TfrmSettings*)>& inside) {
        ModalAction action("frmSettings", [&](QWidget* w) { inside(static_cast<TfrmSettings*>(w)); });
        Click(window->bsSkinButton7);
        ASSERT_TRUE(action.Ran());
    }

    static void Type(TfrmSettings* d, const Values& v) {
        const std::pair<QLineEdit*, const std::string*> edits[] = {
            {d->edtSite, &v.site}, {d->edtHostname, &v.host}, {d->edtDatabase, &v.db},
            {d->edtUsername, &v.user}, {d->edtPassword, &v.password}, {d->edtInvalid, &v.invalid}};
        for (auto [edit, text] : edits) {
            edit->clear();
            QTest::keyClicks(edit, QString::fromStdString(*text));
        }
    }
};

TEST_F(SettingsDialog, LayoutLabelsEditsInOrder) {
    Start();
    Open([](TfrmSettings* d) {
        EXPECT_EQ(d->windowTitle(), "Settings");
        // The described size, grown to fit the check box below the edits.
        EXPECT_EQ(d->width(), 409);
        EXPECT_GE(d->height(), 217 + d->chkAllowHttps->height());
        EXPECT_GT(d->chkAllowHttps->y(), d->edtInvalid->y() + d->edtInvalid->height() - 1);
        EXPECT_LE(d->chkAllowHttps->y() + d->chkAllowHttps->height(), d->btnOk->y());
        EXPECT_EQ(d->chkAllowHttps->text(), "Allow secure https:// sites");
        EXPECT_EQ(d->chkAllowHttps->accessibleName(), "Allow secure https:// sites");
        EXPECT_FALSE(d->chkAllowHttps->isChecked());
        const char* labels[] = {"Site URL:", "MYSQL Host:", "Coupons Database:", "Database User:",
                                "User Password:", "Invalid Page:"};
        QLineEdit* edits[] = {d->edtSite, d->edtHostname, d->edtDatabase, d->edtUsername, d->edtPassword, d->edtInvalid};
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(edits[i]->accessibleName(), labels[i]);
            EXPECT_EQ(edits[i]->echoMode(), QLineEdit::Normal);
            if (i > 0) {
                EXPECT_GT(edits[i]->y(), edits[i - 1]->y());
            }
            // Tab order follows the edits, then the check box.
            QWidget* next = edits[i]->nextInFocusChain();
            while (!(next->focusPolicy() & Qt::TabFocus))
                next = next->nextInFocusChain();
            EXPECT_EQ(next, i < 5 ? static_cast<QWidget*>(edits[i + 1]) : d->chkAllowHttps);
        }
        Click(d->btnCancel);
    });
}

TEST_F(SettingsDialog, OkWritesTheSevenLineScriptAndTakesTheValues) {
    Start();
    Values v{" http://shop.example/ ", "db.example", "coupons", "owner", "secret", "http://shop.example/bad.html"};
    Open([&](TfrmSettings* d) {
        Type(d, v);
        Click(d->btnOk);
    });
    EXPECT_EQ(dir.Read("coupsettings.php"),
              "<?php\r\n  $hostname=\"db.example\";\r\n  $database=\"coupons\";\r\n  $username=\"owner\";\r\n"
              "  $password=\"secret\";\r\n  $invalidpage=\"http://shop.example/bad.html\";\r\n?>\r\n");
    struct stat st{};
    ASSERT_EQ(stat(dir.File("coupsettings.php").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // Blanks are kept, in memory and in settings.dat, which was rewritten
    // from memory and reads back the same at the next start.
    EXPECT_EQ(window->ServerSettings.WebServer, " http://shop.example/ ");
    EXPECT_EQ(window->ServerSettings.DbPassword, "secret");
    TServerSettings kept = window->ServerSettings;
    window.reset();
    Start();
    EXPECT_EQ(window->ServerSettings, kept);
}

TEST_F(SettingsDialog, PastedLineBreaksDoNotSplitTheSettingsFiles) {
    Start();
    Open([&](TfrmSettings* d) {
        Type(d, {"x", "db", "coupons", "owner", "secret", "bad"});
        d->edtSite->setText("http://shop.example\r\n[Other]\r\nx=1\n");
        d->edtPassword->setText("sec\nret");
        Click(d->btnOk);
    });
    EXPECT_EQ(window->ServerSettings.WebServer, "http://shop.example[Other]x=1");
    EXPECT_EQ(window->ServerSettings.DbPassword, "secret");
    EXPECT_NE(dir.Read("coupsettings.php").find("  $password=\"secret\";\r\n"), std::string::npos);
    window.reset();
    Start();
    EXPECT_EQ(window->ServerSettings.DbHostName, "db");
    EXPECT_EQ(window->ServerSettings.InvalidPage, "bad");
}

TEST_F(SettingsDialog, AllEmptyGivesLinesEndingInTwoQuotesAndEmptiesTheSettings) {
    dir.Write("settings.dat", "[Settings]\r\nwebserver=http://a\r\ndbhostname=h\r\n");
    Start();
    Open([&](TfrmSettings* d) {
        EXPECT_EQ(d->edtSite->text(), "http://a");
        Type(d, {});
        Click(d->btnOk);
    });
    EXPECT_EQ(dir.Read("coupsettings.php"),
              "<?php\r\n  $hostname=\"\";\r\n  $database=\"\";\r\n  $username=\"\";\r\n  $password=\"\";\r\n"
              "  $invalidpage=\"\";\r\n?>\r\n");
    EXPECT_EQ(window->ServerSettings.WebServer, "");
    EXPECT_EQ(window->ServerSettings.DbHostName, "");
}

TEST_F(SettingsDialog, PhpReadsBackExactlyTheTypedValues) {
    if (!HaveProgram("php"))
        GTEST_SKIP() << "php-cli is not installed (scripts/test installs it)";
    Start();
    Values v{"http://s", "h\"ost", "d$b{$x}", "us\\er", "p\\\"a$s's\\n", " blank  "};
    Open([&](TfrmSettings* d) {
        Type(d, v);
        Click(d->btnOk);
    });
    std::string script = dir.File("coupsettings.php");
    EXPECT_NE(RunCommand("php -l '" + script + "' 2>&1").find("No syntax errors"), std::string::npos);
    std::string printed = RunCommand("php -r 'include \"" + script +
                              "\"; echo $hostname, \"|\", $database, \"|\", $username, \"|\", $password, \"|\", $invalidpage;'");
    EXPECT_EQ(printed, v.host + "|" + v.db + "|" + v.user + "|" + v.password + "|" + v.invalid);
}

TEST_F(SettingsDialog, CancelLeavesTheScriptAndRewritesSettingsWithTheOldValues) {
    dir.Write("settings.dat", "[Settings]\r\nwebserver=http://old\r\n");
    dir.Write("coupsettings.php", "untouched");
    Start();
    Open([&](TfrmSettings* d) {
        Type(d, {"http://new", "x", "x", "x", "x", "x"});
        Click(d->btnCancel);
    });
    EXPECT_EQ(dir.Read("coupsettings.php"), "untouched");
    EXPECT_EQ(window->ServerSettings.WebServer, "http://old");
    EXPECT_EQ(dir.Read("settings.dat"),
              "[Settings]\r\nwebserver=http://old\r\ndbhostname=\r\ndbdatabase=\r\ndbusername=\r\ndbpassword=\r\n"
              "invalidpage=\r\n");
}

// Values that are no UTF-8 (a Latin-1 password kept from an older setup)
// reach both files as they were unless their edit was changed.
TEST_F(SettingsDialog, OkKeepsTheBytesOfValuesNotEdited) {
    dir.Write("settings.dat", "[Settings]\r\nwebserver=http://caf\xE9.example\r\ndbhostname=h\r\ndbdatabase=d\r\n"
                              "dbusername=\xFCser\r\ndbpassword=p\xE4ss\r\ninvalidpage=\r\n");
    Start();
    Open([&](TfrmSettings* d) {
        EXPECT_EQ(d->edtPassword->text(), QString::fromUtf8("p\u00E4ss"));
        d->edtHostname->setText(QString::fromUtf8("h\u00F6st"));
        Click(d->btnOk);
    });
    EXPECT_EQ(dir.Read("settings.dat"), "[Settings]\r\nwebserver=http://caf\xE9.example\r\ndbhostname=h\xC3\xB6st\r\n"
                                        "dbdatabase=d\r\ndbusername=\xFCser\r\ndbpassword=p\xE4ss\r\ninvalidpage=\r\n");
    const std::string script = dir.Read("coupsettings.php");
    EXPECT_NE(script.find("$password=\"p\xE4ss\";"), std::string::npos) << script;
    EXPECT_NE(script.find("$username=\"\xFCser\";"), std::string::npos) << script;
}

TEST_F(SettingsDialog, ClosingTheWindowIsCancelAndCreatesSettingsWithSixEmptyValues) {
    Start();
    Open([&](TfrmSettings* d) {
        Type(d, {"http://new", "x", "x", "x", "x", "x"});
        d->close();
    });
    EXPECT_FALSE(dir.Exists("coupsettings.php"));
    EXPECT_EQ(dir.Read("settings.dat"),
              "[Settings]\r\nwebserver=\r\ndbhostname=\r\ndbdatabase=\r\ndbusername=\r\ndbpassword=\r\ninvalidpage=\r\n");
}

TEST_F(SettingsDialog, AllowHttpsRoundTripsThroughSettingsButNotTheServerScript) {
    dir.Write("settings.dat", "[Settings]\r\nwebserver=https://shop.example\r\n");
    Start();
    EXPECT_FALSE(window->ServerSettings.AllowHttps);
    EXPECT_FALSE(window->IdHTTP1.AllowHttps());
    Open([&](TfrmSettings* d) {
        EXPECT_FALSE(d->chkAllowHttps->isChecked());
        Type(d, {"https://shop.example", "db", "coupons", "owner", "secret", "bad"});
        QTest::mouseClick(d->chkAllowHttps, Qt::LeftButton, {}, QPoint(8, d->chkAllowHttps->height() / 2));
        EXPECT_TRUE(d->chkAllowHttps->isChecked());
        Click(d->btnOk);
    });
    EXPECT_TRUE(window->ServerSettings.AllowHttps);
    EXPECT_TRUE(window->IdHTTP1.AllowHttps());
    EXPECT_EQ(dir.Read("settings.dat"),
              "[Settings]\r\nwebserver=https://shop.example\r\ndbhostname=db\r\ndbdatabase=coupons\r\n"
              "dbusername=owner\r\ndbpassword=secret\r\ninvalidpage=bad\r\nallowhttps=1\r\n");
    EXPECT_EQ(dir.Read("coupsettings.php").find("https"), std::string::npos);
    EXPECT_EQ(dir.Read("coupsettings.php").find("allow"), std::string::npos);

    // At the next start the box shows it; a cancelled untick takes nothing.
    window.reset();
    Start();
    EXPECT_TRUE(window->IdHTTP1.AllowHttps());
    Open([&](TfrmSettings* d) {
        EXPECT_TRUE(d->chkAllowHttps->isChecked());
        d->chkAllowHttps->setChecked(false);
        Click(d->btnCancel);
    });
    EXPECT_TRUE(window->ServerSettings.AllowHttps);
    EXPECT_NE(dir.Read("settings.dat").find("\r\nallowhttps=1\r\n"), std::string::npos);

    // Unticked with Ok: not allowed, and stored so.
    Open([&](TfrmSettings* d) {
        QTest::keyClick(d->chkAllowHttps, Qt::Key_Space);
        EXPECT_FALSE(d->chkAllowHttps->isChecked());
        Click(d->btnOk);
    });
    EXPECT_FALSE(window->ServerSettings.AllowHttps);
    EXPECT_FALSE(window->IdHTTP1.AllowHttps());
    EXPECT_NE(dir.Read("settings.dat").find("\r\ninvalidpage=bad\r\nallowhttps=0\r\n"), std::string::npos);
}

TEST_F(SettingsDialog, ReadOnlyDirectoryReportsTheFailureAndChangesNothing) {
    dir.Write("settings.dat", "[Settings]\r\nwebserver=http://old\r\n");
    Start();
    TServerSettings before = window->ServerSettings;
    std::vector<std::string> reports;
    auto report = [&](QWidget* e) {
        reports.push_back(Child<QLabel>(e, "message")->text().toStdString());
        Click(Child<QPushButton>(e, "btnContinue"));
    };
    std::unique_ptr<ModalAction> afterClose;
    {
        ReadOnlyDir guard(dir.Path());
        Open([&](TfrmSettings* d) {
            Type(d, {"http://new", "h", "d", "u", "p", "i"});
            {
                ModalAction onOk("ErrorDialog", report);
                Click(d->btnOk);
                EXPECT_TRUE(onOk.Ran());
            }
            // The dialog stays open and nothing was taken.
            EXPECT_TRUE(d->isVisible());
            EXPECT_EQ(window->ServerSettings, before);
            // Writing settings.dat after the dialog fails the same way.
            afterClose = std::make_unique<ModalAction>("ErrorDialog", report);
            Click(d->btnCancel);
        });
        ASSERT_TRUE(WaitFor([&] { return afterClose->Ran(); }));
    }
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_NE(reports[0].find("Cannot create file \"" + dir.File("coupsettings.php") + "\"."), std::string::npos)
        << reports[0];
    EXPECT_NE(reports[0].find("Permission denied"), std::string::npos);
    EXPECT_EQ(reports[1], "Unable to write to " + dir.File("settings.dat"));
    EXPECT_EQ(window->ServerSettings, before);
    EXPECT_FALSE(dir.Exists("coupsettings.php"));
    EXPECT_EQ(dir.Read("settings.dat"), "[Settings]\r\nwebserver=http://old\r\n");
}

TEST_F(SettingsDialog, FromTheKeyboardTheSiteComesFirstAndReturnInAnyFieldIsOk) {
    Start();
    ASSERT_TRUE(WaitForActive(window.get()));
    QLineEdit* TfrmSettings::*edits[] = {&TfrmSettings::edtSite,     &TfrmSettings::edtHostname,
                                         &TfrmSettings::edtDatabase, &TfrmSettings::edtUsername,
                                         &TfrmSettings::edtPassword, &TfrmSettings::edtInvalid};
    for (int field = 0; field < 6; ++field) {
        bool closedWithOk = false;
        ModalAction action("frmSettings", [&](QWidget* w) {
            auto* d = static_cast<TfrmSettings*>(w);
            ASSERT_TRUE(WaitForActive(d));
            EXPECT_EQ(QApplication::focusWidget(), d->edtSite);
            for (int i = 0; i < field; ++i)
                Press(Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), d->*edits[field]);
            ::Type(QString::number(field));
            Press(Qt::Key_Return);
            closedWithOk = !d->isVisible() && d->result() == 1;
        });
        Press(Qt::Key_Comma, Qt::ControlModifier);
        ASSERT_TRUE(action.Ran());
        EXPECT_TRUE(closedWithOk) << field;
    }
    const TServerSettings& s = window->ServerSettings;
    EXPECT_EQ((std::vector<std::string>{s.WebServer, s.DbHostName, s.DbDatabase, s.DbUserName, s.DbPassword,
                                        s.InvalidPage}),
              (std::vector<std::string>{"0", "1", "2", "3", "4", "5"}));
    EXPECT_NE(dir.Read("coupsettings.php").find("  $invalidpage=\"5\";\r\n"), std::string::npos);
}

} // namespace
