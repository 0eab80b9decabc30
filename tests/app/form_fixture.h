// SPDX-License-Identifier: GPL-3.0-or-later
// A main window whose dialogs are scripted by the test: the source dialog
// returns queued answers, message boxes are recorded instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <optional>

#include "main_form.h"

struct ShownMessage {
  QString caption;
  QString text;
};

class FormFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Dialogs that answer from the fields below instead of showing anything;
  // for a test that makes its own window.
  FormDialogs ScriptedDialogs();

  // Shows the window and waits until it is active, so shortcuts reach it.
  void ShowActive();
  QStringList ListEntries() const;
  // Selects the entries at the given indices, and no others.
  void SelectEntries(std::initializer_list<int> indices);
  void AddEntries(const QStringList& paths);
  // Starts a run as the start button does and waits until it has ended.
  void RunToEnd();
  // Waits until the window's run has ended (generously: the machine may be
  // busy); false when it has not.
  bool WaitForRunEnd();

  // Each test's windows keep their state in a configuration folder of
  // their own ($XDG_CONFIG_HOME), made before the window.
  std::unique_ptr<QTemporaryDir> config_home;
  std::unique_ptr<TMainForm> form;
  std::deque<QStringList> source_answers;  // one per AddBtnClick; empty: cancelled
  int source_dialog_calls = 0;
  std::deque<QStringList> picture_answers;  // one per OpenPicBtnClick; empty: cancelled
  QStringList picture_dialog_filters;       // the filters the last picture dialog got
  std::optional<TextFont> font_answer;      // nothing: the font dialog is cancelled
  std::optional<TextFont> font_dialog_start;
  QString settings_save_answer;
  QString settings_open_answer;
  std::vector<ShownMessage> messages;
  std::vector<ShownMessage> questions;  // asked, answered with question_answer
  bool question_answer = false;
};
