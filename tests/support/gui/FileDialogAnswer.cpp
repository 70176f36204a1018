// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/gui/FileDialogAnswer.h"

#include <QLineEdit>
#include <QTest>

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
          QTest::keyClick(name, Qt::Key_Return);
      }) {}
