// SPDX-License-Identifier: GPL-3.0-or-later
// An exception escaping a handler is reported in a box titled "Stempora"
// and the program goes on.
#include "handlers/handler_guard.h"

#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>
#include <stdexcept>

#include "widgets/bit_btn_xp.h"
#include "form_fixture.h"

namespace {

class HandlerGuard : public FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    SetHandlerErrorReporter([this](QWidget* parent, const QString& text) {
      reports << text;
      parents << parent;
    });
  }
  void TearDown() override {
    SetHandlerErrorReporter({});
    FormFixture::TearDown();
  }
  QStringList reports;
  QList<QWidget*> parents;
};

}  // namespace

TEST_F(HandlerGuard, ErrorTextIsReportedAndRunEnds) {
  bool after_throw = false;
  RunGuarded(form.get(), [&] {
    throw std::runtime_error("Disk full");
    after_throw = true;
  });
  EXPECT_FALSE(after_throw);
  EXPECT_EQ(reports, QStringList{"Disk full"});
  EXPECT_EQ(parents.first(), form.get());
}

TEST_F(HandlerGuard, ForeignExceptionsAreReportedToo) {
  RunGuarded(nullptr, [] { throw 17; });
  EXPECT_EQ(reports, QStringList{"Unbekannter Fehler"});
}

TEST_F(HandlerGuard, ButtonHandlerThatThrowsLeavesWindowWorking) {
  form->Dialogs().choose_source_files = [calls = 0](QWidget*, const QString&, const QStringList&) mutable {
    if (++calls == 1) throw std::runtime_error("Read beyond end of file");
    return QStringList{"/b.jpg"};
  };
  form->sources.AddBtn->click();
  EXPECT_EQ(reports, QStringList{"Read beyond end of file"});
  EXPECT_EQ(form->sources.ListBox1->count(), 0);
  form->sources.AddBtn->click();
  EXPECT_EQ(ListEntries(), QStringList{"/b.jpg"});
}

TEST_F(HandlerGuard, StandardReportIsMessageBoxTitledWithApplicationTitle) {
  SetHandlerErrorReporter({});
  QString title;
  QString text;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    box->accept();
  });
  RunGuarded(form.get(), [] { throw std::runtime_error("I/O error 5"); });
  EXPECT_EQ(title, QStringLiteral("Stempora"));
  EXPECT_EQ(text, QStringLiteral("I/O error 5"));
}
