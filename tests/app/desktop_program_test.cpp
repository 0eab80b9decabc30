// SPDX-License-Identifier: GPL-3.0-or-later
// The window as a Linux desktop program: files given at the start or
// dropped on page 1, Qt's German dialogs, message box icons, the program
// icon and a minimum size that keeps every control in view.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <QUrl>

#include "desktop_setup.h"
#include "form_fixture.h"
#include "handlers/opened_paths.h"
#include "widgets/rx_spin_edit.h"
#include "handlers/source_drop.h"
#include "window_arguments.h"

namespace {

void Touch(const QString& path) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

QMimeData* UrlsOf(const QStringList& paths) {
  auto* data = new QMimeData;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  data->setUrls(urls);
  return data;
}

}  // namespace

class DesktopProgram : public FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    ASSERT_TRUE(folder.isValid());
  }
  QString Path(const QString& name) const { return folder.filePath(name); }

  // A job saved by another window: one source, its own output folder and
  // JPEG quality.
  QString SaveJob(const QString& name) {
    settings_save_answer = Path(name);
    TMainForm other(ScriptedDialogs());
    AppendSourceEntry(other.sources.ListBox1, QStringLiteral("/fotos/aus-dem-auftrag.jpg"));
    other.process.OutDirEd->setText(QStringLiteral("Gestempelt"));
    other.process.jpeged->SetValue(42);
    other.SaveBtnClick();
    return settings_save_answer;
  }

  QTemporaryDir folder;
};

TEST_F(DesktopProgram, StartWithAJobAndTwoPicturesShowsTheJobThenThePictures) {
  const QString job = SaveJob(QStringLiteral("auftrag.stx"));
  form->show();
  // Relative pictures become full paths, as the list holds them.
  const QString previous_folder = QDir::currentPath();
  QDir::setCurrent(folder.path());
  OpenPathsInForm(*form, SortOpenedPaths({QStringLiteral("b.tga"), job, Path(QStringLiteral("a.bmp"))}));
  QDir::setCurrent(previous_folder);
  EXPECT_EQ(form->process.OutDirEd->text(), QStringLiteral("Gestempelt"));
  EXPECT_EQ(form->process.jpeged->Value(), 42.0);
  EXPECT_EQ(ListEntries(), (QStringList{QStringLiteral("/fotos/aus-dem-auftrag.jpg"),
                                        Path(QStringLiteral("b.tga")), Path(QStringLiteral("a.bmp"))}));
  EXPECT_TRUE(messages.empty());
}

TEST_F(DesktopProgram, LastOfSeveralJobsWins) {
  const QString first = Path(QStringLiteral("erster.stx"));
  const QString last = Path(QStringLiteral("LETZTER.STX"));
  EXPECT_EQ(SortOpenedPaths({first, Path(QStringLiteral("a.jpg")), last}).settings_file, last);
}

TEST_F(DesktopProgram, DropOfTwoFilesAndAFolderAddsThemInOrder) {
  AddEntries({QStringLiteral("/schon/da.jpg")});
  Touch(Path(QStringLiteral("z.bmp")));
  Touch(Path(QStringLiteral("a.jpg")));
  ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("ordner/unter")));
  for (const char* name :
       {"ordner/c.gif", "ordner/B.TIF", "ordner/notiz.txt", "ordner/.versteckt.bmp", "ordner/unter/tief.bmp"})
    Touch(Path(QString::fromUtf8(name)));

  std::unique_ptr<QMimeData> data(
      UrlsOf({Path(QStringLiteral("z.bmp")), Path(QStringLiteral("a.jpg")), Path(QStringLiteral("ordner"))}));
  QWidget* target = form->sources.ListBox1->viewport();
  const QPoint spot = target->rect().center();
  QDragEnterEvent enter(spot, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, data.get(), Qt::LeftButton,
                        Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  EXPECT_TRUE(enter.isAccepted());
  EXPECT_EQ(enter.dropAction(), Qt::CopyAction);

  QDropEvent drop(spot, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, data.get(), Qt::LeftButton,
                  Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  EXPECT_TRUE(drop.isAccepted());
  QApplication::processEvents();
  EXPECT_EQ(ListEntries(), (QStringList{QStringLiteral("/schon/da.jpg"), Path(QStringLiteral("z.bmp")),
                                        Path(QStringLiteral("a.jpg")), Path(QStringLiteral("ordner/B.TIF")),
                                        Path(QStringLiteral("ordner/c.gif"))}));
}

TEST_F(DesktopProgram, DropCursorTellsOpeningFromAddingFromNothing) {
  std::unique_ptr<QMimeData> job(UrlsOf({QStringLiteral("/a/b.jpg"), QStringLiteral("/a/auftrag.Stx")}));
  std::unique_ptr<QMimeData> pictures(UrlsOf({QStringLiteral("/a/b.jpg")}));
  QMimeData remote;
  remote.setUrls({QUrl(QStringLiteral("https://stempora.example/b.jpg"))});
  QMimeData text;
  text.setText(QStringLiteral("/a/b.jpg"));
  EXPECT_EQ(SourceDropAction(job.get()), Qt::LinkAction);
  EXPECT_EQ(SourceDropAction(pictures.get()), Qt::CopyAction);
  EXPECT_EQ(SourceDropAction(&remote), Qt::IgnoreAction);
  EXPECT_EQ(SourceDropAction(&text), Qt::IgnoreAction);

  // Dropped anywhere on the page, a drag without files is refused.
  QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form->sources.TabSheet1, &enter);
  EXPECT_FALSE(enter.isAccepted());
}

TEST(DesktopDialogs, StandardFileDialogButtonsAreGerman) {
  QTranslator* german = LoadGermanQtTranslations(*qApp);
  ASSERT_NE(german, nullptr) << "qtbase_de.qm missing (qt6-translations-l10n)";
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  auto* buttons = dialog.findChild<QDialogButtonBox*>();
  ASSERT_NE(buttons, nullptr);
  QString open = buttons->button(QDialogButtonBox::Open)->text();
  QString cancel = buttons->button(QDialogButtonBox::Cancel)->text();
  QMessageBox box(QMessageBox::Warning, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
  QString yes = box.button(QMessageBox::Yes)->text();
  QApplication::removeTranslator(german);
  delete german;
  EXPECT_EQ(open.remove(u'&'), QStringLiteral("Öffnen"));
  EXPECT_EQ(cancel.remove(u'&'), QStringLiteral("Abbrechen"));
  EXPECT_EQ(yes.remove(u'&'), QStringLiteral("Ja"));
}

TEST(DesktopDialogs, ErrorMessagesShowTheErrorIcon) {
  QMessageBox::Icon shown = QMessageBox::NoIcon;
  QTimer::singleShot(0, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown = box->icon();
      box->accept();
    }
  });
  FormDialogs::Standard().show_message(nullptr, QStringLiteral("Fehler"), QStringLiteral("Datei fehlt"));
  EXPECT_EQ(shown, QMessageBox::Critical);
}

TEST(DesktopDialogs, ProgramIconComesInEveryThemeSize) {
  const QList<QSize> sizes = ProgramIcon().availableSizes();
  for (const int side : {16, 22, 24, 32, 48, 64, 128, 256})
    EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
}

// The desktop ties the window to its entry by this name; an entry renamed
// without it loses the task bar's icon and name.
TEST(DesktopDialogs, TheWindowNamesTheDesktopEntryThatIsInstalled) {
  const QString entry =
      QStringLiteral(STEMPORA_TEST_DATA "/../../dist/%1.desktop").arg(QLatin1String(kDesktopEntryName));
  EXPECT_TRUE(QFile::exists(entry)) << entry.toStdString();
}

// Every control of every page lies inside the window and inside each
// widget it sits in, so nothing is cut off at the smallest size allowed.
TEST_F(DesktopProgram, MinimumSizeKeepsEveryControlInView) {
  ASSERT_TRUE(form->minimumSize().isValid());
  form->show();
  form->resize(form->minimumSize());
  QApplication::processEvents();
  for (int page = 0; page < form->PageControl1->count(); ++page) {
    form->PageControl1->setCurrentIndex(page);
    QApplication::processEvents();
    for (QWidget* control : form->findChildren<QWidget*>()) {
      if (!control->isVisible() || control->isWindow()) continue;
      bool scrolled = false;
      for (QWidget* up = control->parentWidget(); up != nullptr && up != form.get();
           up = up->parentWidget()) {
        if (qobject_cast<QAbstractScrollArea*>(up) != nullptr) scrolled = true;
      }
      if (scrolled) continue;  // contents of a scroll box may scroll
      const QWidget* parent = control->parentWidget();
      EXPECT_TRUE(parent->rect().contains(control->geometry()))
          << "page " << page << ": " << control->metaObject()->className() << " "
          << control->objectName().toStdString() << " cut off: " << control->geometry().right() << ","
          << control->geometry().bottom() << " in " << parent->width() << "x" << parent->height();
    }
  }
}

TEST(WindowArguments, HelpIsAnOptionAndADoubleDashEndsTheOptions) {
  const WindowArguments help = ParseWindowArguments({"a.jpg", "--help"});
  EXPECT_TRUE(help.show_help);
  const WindowArguments files = ParseWindowArguments({"a.jpg", "--", "--help", "-h"});
  EXPECT_FALSE(files.show_help);
  EXPECT_EQ(files.paths, (QStringList{"a.jpg", "--help", "-h"}));
}

TEST(WindowArguments, AnUnknownOptionIsNoFileButQtsOwnOptionsPassWithTheirValues) {
  const WindowArguments typo = ParseWindowArguments({"a.jpg", "--versio", "-x"});
  EXPECT_EQ(typo.unknown_option, QStringLiteral("--versio"));
  EXPECT_EQ(typo.paths, (QStringList{"a.jpg"}));
  EXPECT_TRUE(ParseWindowArguments({"--version"}).show_version);
  const WindowArguments qt =
      ParseWindowArguments({"-platform", "offscreen", "--style", "Fusion", "-stylesheet=a.qss", "-reverse",
                            "b.jpg", "-", "--", "-c.jpg"});
  EXPECT_EQ(qt.unknown_option, QString());
  EXPECT_EQ(qt.paths, (QStringList{"b.jpg", "-", "-c.jpg"}));
}
