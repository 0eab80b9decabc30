// SPDX-License-Identifier: GPL-3.0-or-later
// The information dialog: title, size, the year in place of the
// placeholder, OK closes it, and the web button asks the desktop to open
// the maker's address.
#include "dialogs/about_box.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QTimer>
#include <QUrl>

#include "form_fixture.h"
#include "widgets/bit_btn_xp.h"

namespace {

// Stands in for the browser: records the addresses the desktop is asked to open.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;
 public slots:
  void Open(const QUrl& url) { opened << url; }
};

// Clicks OK on the about box as soon as the modal loop shows it.
void ClickOkOnceShown() {
  QTimer::singleShot(0, [] {
    auto* box = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    box->OKButton()->click();
  });
}

}  // namespace

TEST(AboutBox, TitleSizeAndYear) {
  TAboutBox box(nullptr, 2031);
  EXPECT_EQ(box.windowTitle(), QStringLiteral("Info"));
  EXPECT_EQ(box.size(), QSize(664, 453));
  EXPECT_EQ(box.minimumSize(), box.maximumSize());
  EXPECT_TRUE(box.YearLabel()->text().contains(QStringLiteral("2031")));
  EXPECT_FALSE(box.YearLabel()->text().contains(QStringLiteral("XXXX")));
}

TEST(AboutBox, YearDefaultsToTheReleaseYearNotTodaysWithFourDigits) {
  TAboutBox box;
  EXPECT_EQ(box.YearLabel()->text(), QStringLiteral("Copyright © 2026 Velmora"));
  TAboutBox early(nullptr, 987);
  EXPECT_TRUE(early.YearLabel()->text().contains(QStringLiteral("0987")));
}

TEST(AboutBox, NamesTheLicencesOfProgramAndLibraryInsideTheDialog) {
  TAboutBox box;
  const auto* licence = box.findChild<QLabel*>(QStringLiteral("Licence"));
  ASSERT_NE(licence, nullptr);
  EXPECT_TRUE(licence->text().contains(QStringLiteral("Stempora unter der GPL-3.0-or-later")));
  EXPECT_TRUE(licence->text().contains(QStringLiteral("Pixkit unter der LGPL-2.1-or-later")));
  // Whole, and clear of the buttons.
  EXPECT_TRUE(box.rect().contains(licence->geometry()));
  EXPECT_GE(licence->height(), licence->heightForWidth(licence->width()));
  EXPECT_FALSE(licence->geometry().intersects(box.OKButton()->geometry()));
  EXPECT_FALSE(licence->geometry().intersects(box.WebButton()->geometry()));
}

TEST(AboutBox, OkButtonClosesTheModalDialog) {
  TAboutBox box;
  EXPECT_EQ(box.OKButton()->Kind(), TBitBtnKind::kOk);
  ClickOkOnceShown();
  EXPECT_EQ(box.exec(), int(mrOk));
  EXPECT_FALSE(box.isVisible());
}

TEST(AboutBox, WebButtonOpensMakerAddress) {
  UrlRecorder recorder;
  QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "Open");
  TAboutBox box;
  box.WebButton()->click();
  QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
  ASSERT_EQ(recorder.opened.size(), 1);
  EXPECT_EQ(recorder.opened.first(), QUrl(QStringLiteral("https://stempora.example/")));
}

using AboutBoxFromWindow = FormFixture;

TEST_F(AboutBoxFromWindow, AboutButtonShowsDialogAndReturnsUnchanged) {
  AddEntries({"/a.jpg"});
  ClickOkOnceShown();
  form->AboutBtnClick();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(ListEntries(), QStringList{"/a.jpg"});
  EXPECT_EQ(form->findChildren<TAboutBox*>().size(), 0);  // freed when closed
}

TEST_F(AboutBoxFromWindow, WebButtonOfWindowOpensMakerAddress) {
  UrlRecorder recorder;
  QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "Open");
  form->wwwBtnClick();
  QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
  ASSERT_EQ(recorder.opened.size(), 1);
  EXPECT_EQ(recorder.opened.first().host(), QStringLiteral("stempora.example"));
}

#include "about_box_test.moc"
