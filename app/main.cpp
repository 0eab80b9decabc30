// Stempora's window program. Files given as arguments open as if chosen in
// the window: a job file as with "Einstellungen Öffnen...", pictures and
// folders as with "Hinzufügen...".
#include "desktop_setup.h"
#include "handler_guard.h"
#include "main_form.h"
#include "opened_paths.h"

int main(int argc, char** argv) {
  TGuardedApplication application(argc, argv);
  // The name shows in the task bar; a display name would be appended to
  // every window caption, so none is set.
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  SetUpDesktopProgram(application);
  TMainForm form;
  // Shown first: the stored form state is restored at the first showing
  // and must not overwrite the job given here.
  form.show();
  OpenPathsInForm(form, SortOpenedPaths(QApplication::arguments().mid(1)));
  return application.exec();
}
