// SPDX-License-Identifier: GPL-3.0-or-later
// The widget tests need one QApplication for the whole run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  // Windows that are shown and closed keep their state in a scratch
  // configuration folder, never in the user's.
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Stempora"));
  // Closing the window under test must not end the application.
  QApplication::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
