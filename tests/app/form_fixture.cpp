// SPDX-License-Identifier: GPL-3.0-or-later
#include "form_fixture.h"

#include <QListWidget>
#include <QTest>

FormDialogs FormFixture::ScriptedDialogs() {
  FormDialogs dialogs;
  dialogs.choose_source_files = [this](QWidget*, const QString&, const QStringList&) {
    ++source_dialog_calls;
    if (source_answers.empty()) return QStringList();
    QStringList answer = source_answers.front();
    source_answers.pop_front();
    return answer;
  };
  dialogs.choose_settings_to_save = [this](QWidget*, const QString&) { return settings_save_answer; };
  dialogs.choose_settings_to_open = [this](QWidget*, const QString&) { return settings_open_answer; };
  dialogs.choose_picture_files = [this](QWidget*, const QString&, const QStringList& filters) {
    picture_dialog_filters = filters;
    if (picture_answers.empty()) return QStringList();
    QStringList answer = picture_answers.front();
    picture_answers.pop_front();
    return answer;
  };
  dialogs.choose_font = [this](QWidget*, const TextFont& font) {
    font_dialog_start = font;
    return font_answer;
  };
  dialogs.show_message = [this](QWidget*, const QString& caption, const QString& text) {
    messages.push_back({caption, text});
  };
  dialogs.ask_question = [this](QWidget*, const QString& caption, const QString& text) {
    questions.push_back({caption, text});
    return question_answer;
  };
  return dialogs;
}

void FormFixture::SetUp() {
  config_home = std::make_unique<QTemporaryDir>();
  qputenv("XDG_CONFIG_HOME", config_home->path().toLocal8Bit());
  form = std::make_unique<TMainForm>(ScriptedDialogs());
}

void FormFixture::TearDown() {
  form.reset();
  config_home.reset();
}

void FormFixture::ShowActive() {
  form->show();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
}

QStringList FormFixture::ListEntries() const {
  QStringList entries;
  for (int i = 0; i < form->sources.ListBox1->count(); ++i)
    entries << form->sources.ListBox1->item(i)->text();
  return entries;
}

void FormFixture::SelectEntries(std::initializer_list<int> indices) {
  QListWidget* list = form->sources.ListBox1;
  list->clearSelection();
  for (int index : indices) list->item(index)->setSelected(true);
}

void FormFixture::AddEntries(const QStringList& paths) {
  source_answers.push_back(paths);
  form->AddBtnClick();
}

bool FormFixture::WaitForRunEnd() {
  return QTest::qWaitFor([this] { return !form->RunGoing(); }, 120000);
}

void FormFixture::RunToEnd() {
  ASSERT_FALSE(form->RunGoing());
  form->AddPDFBtnClick();
  ASSERT_TRUE(WaitForRunEnd());
}
