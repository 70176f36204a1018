// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/gui/FileDialogAnswer.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

FileDialogAnswer::FileDialogAnswer(const char* dialogName, const std::string& path)
    : proposed_(std::make_shared<std::string>()),
      action_(dialogName, [proposed = proposed_, path](QWidget* dialog) {
          auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
          if (!name) {
              dialog->close();
              return;
          }
          *proposed = name->text().toStdString();
          name->setText(QString::fromStdString(path));
          // Keys go to the dialog once it is the active window, as a user's
          // do; before that they would still reach the window beneath.
          EXPECT_TRUE(WaitForActive(dialog));
          QTest::keyClick(name, Qt::Key_Return);
      }) {}
