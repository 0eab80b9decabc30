// Stempora's window program. Files given as arguments open as if chosen in
// the window: a job file as with "Einstellungen Öffnen...", pictures and
// folders as with "Hinzufügen...".
#include <cstdio>

#include "desktop_setup.h"
#include "handlers/handler_guard.h"
#include "main_form.h"
#include "handlers/opened_paths.h"
#include "window_arguments.h"

int main(int argc, char** argv) try {
  // The help needs no display, so it is answered before Qt looks for one.
  QStringList given;
  for (int i = 1; i < argc; ++i) given.append(QString::fromLocal8Bit(argv[i]));
  if (ParseWindowArguments(given).show_help) {
    std::fputs(kWindowUsage, stdout);
    return 0;
  }
  TGuardedApplication application(argc, argv);
  const WindowArguments arguments = ParseWindowArguments(QApplication::arguments().mid(1));
  // The name shows in the task bar; a display name would be appended to
  // every window caption, so none is set.
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  SetUpDesktopProgram(application);
  TMainForm form;
  // Shown first: the stored form state is restored at the first showing
  // and must not overwrite the job given here.
  form.show();
  OpenPathsInForm(form, SortOpenedPaths(arguments.paths));
  return application.exec();
} catch (...) {
  // Nothing may leave main: an error while the window is made or a job
  // given here is opened is shown like one in a handler.
  return ReportErrorLeavingMain(argc, argv);
}
