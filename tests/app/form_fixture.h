// A main window whose dialogs are scripted by the test: the source dialog
// returns queued answers, message boxes are recorded instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <deque>
#include <memory>

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

  std::unique_ptr<TMainForm> form;
  std::deque<QStringList> source_answers;  // one per AddBtnClick; empty: cancelled
  int source_dialog_calls = 0;
  QString settings_save_answer;
  QString settings_open_answer;
  std::vector<ShownMessage> messages;
};
