// SPDX-License-Identifier: GPL-3.0-or-later
// Saves a picture of each page of the main window and of the information
// dialog, for looking at the layout: page_shots <folder> [picture]
// [sources]. With a picture, page 3 is also shown with it loaded as the
// watermark (give "" for none). With a folder of sources, the window is
// also shown half-way through a run of them and after it; the run writes
// into the sources' "Wasserzeichen" subfolder.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QIcon>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>

#include "dialogs/about_box.h"
#include "dialogs/export_dialog.h"
#include "desktop_setup.h"
#include "dialogs/options_dialogs.h"
#include "dialogs/font_dialog.h"
#include "main_form.h"
#include "handlers/opened_paths.h"
#include "dialogs/preview_window.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  SetUpDesktopProgram(application);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
  const QString picture = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
  const QString sources = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
  FormDialogs dialogs = FormDialogs::Standard();
  dialogs.choose_picture_files = [&](QWidget*, const QString&, const QStringList&) {
    return QStringList{picture};
  };
  TMainForm form(dialogs);
  form.show();
  application.processEvents();
  for (int page = 0; page < form.PageControl1->count(); ++page) {
    form.PageControl1->setCurrentIndex(page);
    application.processEvents();
    form.grab().save(QStringLiteral("%1/page%2.png").arg(folder).arg(page + 1));
  }
  form.SetProStatus(60);
  application.processEvents();
  form.grab().save(QStringLiteral("%1/progress60.png").arg(folder));
  if (!picture.isEmpty()) {
    form.PageControl1->setCurrentIndex(2);
    form.OpenPicBtnClick();
    for (int i = 0; i < 3; ++i) application.processEvents();
    form.grab().save(QStringLiteral("%1/page3-picture.png").arg(folder));
    // Scrolled to the picture's bottom-right corner: shown at full size.
    QScrollArea* box = form.picture.ScrollBox1;
    box->horizontalScrollBar()->setValue(box->horizontalScrollBar()->maximum());
    box->verticalScrollBar()->setValue(box->verticalScrollBar()->maximum());
    for (int i = 0; i < 3; ++i) application.processEvents();
    form.grab().save(QStringLiteral("%1/page3-picture-end.png").arg(folder));
  }
  if (!sources.isEmpty()) {
    OpenPathsInForm(form, SortOpenedPaths({sources}));
    form.PageControl1->setCurrentIndex(3);
    form.AddPDFBtnClick();
    // Caught once a third of the batch is done, or after ten seconds.
    QElapsedTimer waited;
    waited.start();
    while (form.RunGoing() && form.ProStatus < 33 && waited.elapsed() < 10000)
      application.processEvents(QEventLoop::WaitForMoreEvents, 20);
    form.grab().save(QStringLiteral("%1/running.png").arg(folder));
    while (form.RunGoing()) application.processEvents(QEventLoop::WaitForMoreEvents, 20);
    application.processEvents();
    form.grab().save(QStringLiteral("%1/run-ended.png").arg(folder));
  }
  if (!sources.isEmpty()) {
    // The preview of the first source with text, tiled and turned.
    form.text.Memo1->setPlainText(QStringLiteral("Vorschau {Nr}\n{Dateiname}"));
    form.Options.text.variables = true;
    form.Options.text.angle = 30;
    form.Options.text.tile.enabled = true;
    form.Options.text.tile.gap_x = 40;
    form.Options.text.tile.gap_y = 40;
    form.Options.text.outline = true;
    form.PreviewBtnClick();
    QElapsedTimer waited;
    waited.start();
    while (form.Preview()->renders_finished() < 1 && waited.elapsed() < 10000)
      application.processEvents(QEventLoop::WaitForMoreEvents, 20);
    application.processEvents();
    form.Preview()->grab().save(QStringLiteral("%1/preview.png").arg(folder));
    form.Preview()->hide();
  }
  TTextOptionsDialog text_options(form.Options.text, &form);
  text_options.show();
  application.processEvents();
  text_options.grab().save(QStringLiteral("%1/text_options.png").arg(folder));
  text_options.hide();
  TPictureOptionsDialog picture_options(form.Options.picture, &form);
  picture_options.show();
  application.processEvents();
  picture_options.grab().save(QStringLiteral("%1/picture_options.png").arg(folder));
  picture_options.hide();
  ExportOptions output;
  output.size.mode = ExportSizeMode::kLongEdge;
  output.format = ExportFormat::kJpeg;
  output.name_pattern = "Hochzeit-Meier-{Nr:4}";
  TExportDialog export_dialog(output, &form);
  export_dialog.show();
  application.processEvents();
  export_dialog.grab().save(QStringLiteral("%1/export.png").arg(folder));
  export_dialog.hide();
  TFontDialog font_dialog(form.Font, &form);
  font_dialog.show();
  application.processEvents();
  font_dialog.grab().save(QStringLiteral("%1/font.png").arg(folder));
  font_dialog.hide();
  TAboutBox about(&form);
  about.show();
  application.processEvents();
  about.grab().save(QStringLiteral("%1/about.png").arg(folder));
  // The settings dialog as the window shows it: Qt's own, in German.
  QFileDialog dialog(&form);
  dialog.setNameFilter(QStringLiteral("Einstellungen (*.stx)"));
  dialog.show();
  application.processEvents();
  dialog.grab().save(QStringLiteral("%1/file_dialog.png").arg(folder));
  QApplication::windowIcon().pixmap(256).save(QStringLiteral("%1/window_icon.png").arg(folder));
  return 0;
}
