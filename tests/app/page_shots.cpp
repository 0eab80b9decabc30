// Saves a picture of each page of the main window and of the information
// dialog, for looking at the layout: page_shots <folder>.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QIcon>
#include <QTabWidget>
#include <QTimer>

#include "about_box.h"
#include "desktop_setup.h"
#include "main_form.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  SetUpDesktopProgram(application);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
  TMainForm form;
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
