// SPDX-License-Identifier: GPL-3.0-or-later
// Stempora's window program. Files given as arguments open as if chosen in
// the window: a job file as with "Einstellungen Öffnen...", pictures and
// folders as with "Hinzufügen...".
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "desktop_setup.h"
#include "handlers/handler_guard.h"
#include "main_form.h"
#include "handlers/opened_paths.h"
#include "window_arguments.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kNoDisplay = 1;

constexpr char kNoDisplayMessage[] =
    "Stempora braucht eine Desktop-Sitzung (X11 oder Wayland); ohne sie führt "
    "\"stempora-batch AUFTRAG.stx\" einen gesicherten Auftrag aus.\n";

// Qt's notes while it looks for a display, held back until it has one:
// without one, they and Qt's closing advice to reinstall would bury the
// one line that says what to do.
QStringList* held_notes = nullptr;

void hold_notes_until_displayed(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg) {
    // Qt ends the program after a fatal message; no platform plugin could
    // start, which on a desktop system means there is no display.
    std::fputs(kNoDisplayMessage, stderr);
    std::_Exit(kNoDisplay);
  }
  held_notes->append(qFormatLogMessage(type, context, message));
}

}  // namespace

int main(int argc, char** argv) try {
  // The help, the version and a wrong option need no display, so they are
  // answered before Qt looks for one.
  QStringList given;
  for (int i = 1; i < argc; ++i) given.append(QString::fromLocal8Bit(argv[i]));
  const WindowArguments early = ParseWindowArguments(given);
  if (!early.unknown_option.isEmpty()) {
    std::fprintf(stderr, "stempora: unbekannte Option %s\n\"stempora --help\" zeigt die Optionen.\n",
                 early.unknown_option.toLocal8Bit().constData());
    return kUsageError;
  }
  if (early.show_help) {
    std::fputs(kWindowUsage, stdout);
    return 0;
  }
  if (early.show_version) {
    std::fputs("stempora " STEMPORA_VERSION "\n", stdout);
    return 0;
  }

  QStringList notes;
  held_notes = &notes;
  const QtMessageHandler qt_handler = qInstallMessageHandler(hold_notes_until_displayed);
  TGuardedApplication application(argc, argv);
  qInstallMessageHandler(qt_handler);
  held_notes = nullptr;
  for (const QString& note : notes) std::fprintf(stderr, "%s\n", qPrintable(note));

  const WindowArguments arguments = ParseWindowArguments(QApplication::arguments().mid(1));
  // The name shows in the task bar; a display name would be appended to
  // every window caption, so none is set.
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  SetUpDesktopProgram(application);
  TMainForm form;
  // Shown first: the stored form state is restored at the first showing
  // and must not overwrite the job given here.
  form.show();
  OpenPathsInForm(form, SortOpenedPaths(arguments.paths, form.Options.output));
  return application.exec();
} catch (...) {
  // Nothing may leave main: an error while the window is made or a job
  // given here is opened is shown like one in a handler.
  return ReportErrorLeavingMain(argc, argv);
}
