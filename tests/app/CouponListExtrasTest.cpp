// SPDX-License-Identifier: GPL-3.0-or-later
// What the coupon list offers beyond its buttons, on the real main window
// against the scripted server: Copy Code, Export List as CSV read back by
// Python, and sorting by a header click with rows keeping their check
// boxes, their selection and their identifiers.

#include "app/CouponListMenu.h"
#include "platform/Clipboard.h"
#include "tests/support/CsvReadBack.h"
#include "tests/support/ServiceScript.h"
#include "tests/support/gui/FileDialogAnswer.h"
#include "tests/support/gui/ListClicks.h"
#include "tests/support/gui/MainWindowFixture.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

namespace {

const Fields kCheck{{"action", "1"}, {"end", ""}};
const Fields kList{{"action", "5"}, {"end", ""}};
// Names with a quote and a letter beyond ASCII; the server's order is by
// identifier, not by name.
const std::string kRows = "\"4\",\"CODE10\",\"Winter \"XMAS\" sale\",\"0\"^\"9\",\"code9\",\"\xC3\x89t\xC3\xA9\",\"1\"^"
                          "\"12\",\"ABC\",\"autumn\",\"0\"^OK";

class CouponListExtras : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        server = std::make_unique<ScriptedServer>(std::vector<ScriptedServer::Exchange>{Action(kCheck, "OK"), Action(kList, kRows)});
        PrepareSite("http://" + server->HostPort());
        Start();
        ASSERT_TRUE(server->WaitDone());
    }
    std::vector<std::string> Column(int column) const {
        std::vector<std::string> out;
        QAbstractItemModel* m = window->lvwItems->model();
        for (int r = 0; r < m->rowCount(); ++r)
            out.push_back(m->data(m->index(r, column)).toString().toStdString());
        return out;
    }
    std::vector<std::string> Ids() const {
        std::vector<std::string> out;
        for (int r = 0; r < window->CouponList->rowCount(); ++r)
            out.push_back(window->CouponList->Row(r).Id);
        return out;
    }
    void ClickHeader(int column) {
        QHeaderView* h = window->lvwItems->horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2));
    }
    std::unique_ptr<ScriptedServer> server;
};

TEST_F(CouponListExtras, CtrlCCopiesTheHighlightedRowsCodeAndNothingWithoutOne) {
    SetClipboardText("before");
    QTest::keyClick(window.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), "before");
    ClickCell(window->lvwItems, 1, 2);  // any cell of the row: the code is copied
    QTest::keyClick(window->lvwItems, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), "code9");
    EXPECT_TRUE(server->Check());
    EXPECT_EQ(server->ServedCount(), 2);
}

TEST_F(CouponListExtras, CtrlCCopiesACodeThatIsNoUtf8AsTheListShowsIt) {
    // A code from an older database, in Latin-1.
    server->Add(Action(kList, "\"5\",\"CAF\xC9\",\"Caf\xE9\",\"0\"^OK"));
    Click(window->bsSkinButton8);
    ASSERT_TRUE(server->WaitDone());
    ClickCell(window->lvwItems, 0, 1);
    QTest::keyClick(window->lvwItems, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"CAF\xC3\x89"}));
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "CAF\xC3\x89");
}

TEST_F(CouponListExtras, ExportListWritesEveryRowForAnotherParser) {
    TempDir out;
    FileDialogAnswer save("dlgSaveCsv", out.File("list.csv"));
    window->CouponListMenu->actExport->trigger();
    ASSERT_TRUE(save.Ran());
    EXPECT_EQ(save.Proposed(), "coupons-" + QDate::currentDate().toString("yyyy-MM-dd").toStdString() + ".csv");
    std::string error;
    EXPECT_EQ(ReadCsvWithPython(out.File("list.csv"), error), (std::vector<std::vector<std::string>>{
                                                                   {"Coupon Name", "Code", "Expired", "Id"},
                                                                   {"Winter \"XMAS\" sale", "CODE10", "False", "4"},
                                                                   {"\xC3\x89t\xC3\xA9", "code9", "True", "9"},
                                                                   {"autumn", "ABC", "False", "12"},
                                                               }))
        << error;
    EXPECT_EQ(out.Read("list.csv"), "\xEF\xBB\xBF" "Coupon Name,Code,Expired,Id\r\n"
                                    "\"Winter \"\"XMAS\"\" sale\",CODE10,False,4\r\n"
                                    "\xC3\x89t\xC3\xA9,code9,True,9\r\n"
                                    "autumn,ABC,False,12\r\n");
    EXPECT_EQ(server->ServedCount(), 2);
}

TEST_F(CouponListExtras, AHeaderClickSortsRowsWithTheirChecksAndSelectionAndAReloadUndoesIt) {
    ClickCheckBox(window->lvwItems, 0);  // Winter, id 4
    ClickCell(window->lvwItems, 2, 1);   // autumn, id 12, highlighted
    ClickHeader(1);
    // Codes without regard to case, numbers by value.
    EXPECT_EQ(Column(1), (std::vector<std::string>{"ABC", "code9", "CODE10"}));
    EXPECT_EQ(Ids(), (std::vector<std::string>{"12", "9", "4"}));
    EXPECT_TRUE(window->CouponList->IsChecked(2));
    EXPECT_FALSE(window->CouponList->IsChecked(0));
    EXPECT_EQ(window->lvwItems->selectionModel()->selectedRows().first().row(), 0);
    ClickHeader(1);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"CODE10", "code9", "ABC"}));
    EXPECT_TRUE(window->CouponList->IsChecked(0));
    ClickHeader(0);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"autumn", "Winter \"XMAS\" sale", "\xC3\x89t\xC3\xA9"}));

    // Delete Selected sends the checked row's identifier wherever it stands.
    server->Add(Action({{"action", "4"}, {"coupdeleteids", "4"}, {"end", ""}}, "OK"));
    server->Add(Action(kList, kRows));
    MessageAnswer confirm("OK");
    Click(window->bsSkinButton3);
    ASSERT_TRUE(server->WaitDone());
    // The reload shows the server's order, with no column sorted.
    EXPECT_EQ(Ids(), (std::vector<std::string>{"4", "9", "12"}));
    EXPECT_EQ(window->lvwItems->horizontalHeader()->sortIndicatorSection(), -1);

    // Sorting again after the reload starts from the first direction.
    ClickHeader(1);
    EXPECT_EQ(Column(1).front(), "ABC");
}

} // namespace
