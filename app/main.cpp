// Stempora's window program.
#include "handler_guard.h"
#include "main_form.h"

int main(int argc, char** argv) {
  TGuardedApplication application(argc, argv);
  // The name shows in the task bar; a display name would be appended to
  // every window caption, so none is set.
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  TMainForm form;
  form.show();
  return application.exec();
}
