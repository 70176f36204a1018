// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in skin and replacement skins.

#include "tests/support/TempDir.h"
#include "toolkit/SkinButton.h"
#include "toolkit/SkinData.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

QByteArray Pack(const QString& sheet) { return qCompress(sheet.toUtf8()); }

TEST(Skin, BuiltInSkinIsAppliedToTheWholeApplication) {
    TbsSkinData skin;
    ASSERT_FALSE(skin.StyleSheet().isEmpty());
    EXPECT_TRUE(skin.StyleSheet().startsWith("/* corvanta-skin */"));
    EXPECT_EQ(qApp->styleSheet(), skin.StyleSheet());
}

TEST(Skin, AValidSkinFileReplacesTheBuiltInOne) {
    TbsSkinData skin;
    TempDir dir;
    const QString sheet = "/* corvanta-skin */\nTbsSkinButton { color: #123456; }\n";
    dir.Write("dbskin.dat", Pack(sheet).toStdString());
    ASSERT_TRUE(skin.LoadFromCompressedFile(dir.File("dbskin.dat")));
    EXPECT_EQ(qApp->styleSheet(), sheet);
    TbsSkinButton button("x");
    button.ensurePolished();
    EXPECT_EQ(button.palette().color(QPalette::ButtonText), QColor("#123456"));
}

TEST(Skin, DamagedOrForeignDataKeepsTheCurrentSkin) {
    TbsSkinData skin;
    const QString before = qApp->styleSheet();
    const QByteArray damaged[] = {
        QByteArray(),
        QByteArray("not compressed at all"),
        Pack("/* corvanta-skin */ x").left(10),
        Pack("QWidget { color: red; }"),  // a style sheet, but not a skin
    };
    for (const QByteArray& data : damaged) {
        EXPECT_FALSE(skin.LoadFromCompressedData(data));
        EXPECT_EQ(qApp->styleSheet(), before);
    }
    EXPECT_FALSE(skin.LoadFromCompressedFile("/nonexistent/dbskin.dat"));
}

} // namespace
