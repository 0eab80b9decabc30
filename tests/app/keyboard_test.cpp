// SPDX-License-Identifier: GPL-3.0-or-later
// Esc closes the window from every page but never removes list entries;
// the memos keep Esc. Alt accelerators press their buttons.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "form_fixture.h"
#include "widgets/bit_btn_xp.h"
#include "widgets/rx_spin_edit.h"

using MainFormKeyboard = FormFixture;

TEST_F(MainFormKeyboard, EscInListClosesWindowAndKeepsSelectedEntries) {
  AddEntries({"/a.jpg", "/b.jpg", "/c.jpg"});
  ShowActive();
  SelectEntries({0, 2});
  form->sources.ListBox1->setFocus();
  QTest::keyClick(form->sources.ListBox1, Qt::Key_Escape);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(ListEntries(), (QStringList{"/a.jpg", "/b.jpg", "/c.jpg"}));
}

TEST_F(MainFormKeyboard, EscClosesWindowFromEveryPage) {
  for (int page = 0; page < 4; ++page) {
    ShowActive();
    form->PageControl1->setCurrentIndex(page);
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible()) << "page " << page;
  }
}

TEST_F(MainFormKeyboard, EscInSingleLineEditClosesWindow) {
  ShowActive();
  form->PageControl1->setCurrentIndex(3);
  form->process.OutDirEd->setFocus();
  QTest::keyClick(form->process.OutDirEd, Qt::Key_Escape);
  EXPECT_FALSE(form->isVisible());
}

TEST_F(MainFormKeyboard, EscInSpinEditClosesWindow) {
  ShowActive();
  form->PageControl1->setCurrentIndex(1);
  form->text.RandEd->setFocus();
  QTest::keyClick(form->text.RandEd, Qt::Key_Escape);
  EXPECT_FALSE(form->isVisible());
}

TEST_F(MainFormKeyboard, MemosKeepEsc) {
  ShowActive();
  form->PageControl1->setCurrentIndex(1);
  form->text.Memo1->setFocus();
  QTest::keyClick(form->text.Memo1, Qt::Key_Escape);
  EXPECT_TRUE(form->isVisible());

  form->PageControl1->setCurrentIndex(3);
  form->process.Memo2->setFocus();
  QTest::keyClick(form->process.Memo2, Qt::Key_Escape);
  EXPECT_TRUE(form->isVisible());
}

TEST_F(MainFormKeyboard, OnlyQuitButtonHasTheCancelRole) {
  EXPECT_TRUE(form->QuitBtn->Cancel());
  EXPECT_EQ(form->sources.DelBtn->Kind(), TBitBtnKind::kCancel);
  EXPECT_FALSE(form->sources.DelBtn->Cancel());
}

TEST_F(MainFormKeyboard, ToolBarAcceleratorsWorkFromAnyPage) {
  ShowActive();
  QSignalSpy new_clicks(form->NewBtn, &QToolButton::clicked);
  QSignalSpy open_clicks(form->OpenBtn, &QToolButton::clicked);
  QSignalSpy save_clicks(form->SaveBtn, &QToolButton::clicked);
  form->PageControl1->setCurrentIndex(2);
  QTest::keyClick(form.get(), Qt::Key_N, Qt::AltModifier);
  QTRY_COMPARE(new_clicks.count(), 1);
  form->PageControl1->setCurrentIndex(3);
  QTest::keyClick(form.get(), Qt::Key_F, Qt::AltModifier);
  QTRY_COMPARE(open_clicks.count(), 1);
  form->PageControl1->setCurrentIndex(0);
  QTest::keyClick(form.get(), Qt::Key_S, Qt::AltModifier);
  QTRY_COMPARE(save_clicks.count(), 1);
}

TEST_F(MainFormKeyboard, ListAcceleratorsWorkOnlyOnFirstPage) {
  ShowActive();
  source_answers.push_back({"/x.jpg"});
  QTest::keyClick(form.get(), Qt::Key_H, Qt::AltModifier);
  QTRY_COMPARE(source_dialog_calls, 1);
  EXPECT_EQ(ListEntries(), QStringList{"/x.jpg"});

  SelectEntries({0});
  QTest::keyClick(form.get(), Qt::Key_L, Qt::AltModifier);
  QTRY_COMPARE(form->sources.ListBox1->count(), 0);

  form->PageControl1->setCurrentIndex(1);
  QTest::keyClick(form.get(), Qt::Key_H, Qt::AltModifier);
  QTest::qWait(250);  // longer than a button's animated click
  EXPECT_EQ(source_dialog_calls, 1);
}

// "Erweitert..." right of the first field was reached last.
TEST_F(MainFormKeyboard, TabOnTheTextPageGoesAsThePageReads) {
  ShowActive();
  form->PageControl1->setCurrentIndex(1);
  form->text.RandEd->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(form->text.TextOptionsBtn));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(form->text.Position1));
}

// Esc in an open "Position:" list closed the whole window: the window's
// cancel key came before the list it was meant for.
TEST_F(MainFormKeyboard, EscClosesAnOpenDropDownListFirstAndTheWindowOnlyThen) {
  for (int page : {1, 2}) {
    ShowActive();
    form->PageControl1->setCurrentIndex(page);
    QComboBox* list = page == 1 ? form->text.Position1 : form->picture.Position2;
    list->setFocus();
    list->showPopup();
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }))
        << "page " << page;
    QTest::keyClick(QApplication::activePopupWidget()->focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() == nullptr; }))
        << "page " << page;
    EXPECT_TRUE(form->isVisible()) << "page " << page;

    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible()) << "page " << page;
  }
}
