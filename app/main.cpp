// SPDX-License-Identifier: GPL-3.0-or-later
// Stempora's window program. Files given as arguments open as if chosen in
// the window: a job file as with "Einstellungen Öffnen...", pictures and
// folders as with "Hinzufügen...".
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "desktop_setup.h"
#include "handlers/handler_guard.h"
#include "handlers/opened_paths.h"
#include "main_form.h"
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

// No display at all: the session names neither an X11 nor a Wayland
// display, and no platform is asked for that would do without one (such as
// offscreen or vnc). A platform plugin that fails otherwise has a reason of
// its own, which Qt's notes give.
bool session_has_no_display() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return false;
  }
  // "wayland;xcb", "xcb:option=value": each choice up to its options.
  const QString asked = QString::fromLocal8Bit(qgetenv("QT_QPA_PLATFORM"));
  for (const QString& choice : asked.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    const QString platform = choice.section(QLatin1Char(':'), 0, 0).trimmed();
    if (platform != QLatin1String("xcb") && !platform.startsWith(QLatin1String("wayland"))) return false;
  }
  return true;
}

void hold_notes_until_displayed(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg) {
    // Qt ends the program after a fatal message: no platform plugin could
    // start. Without a display that is all there is to it; with one, Qt's
    // notes say why the plugin failed (a library missing, a display that
    // does not answer).
    if (session_has_no_display()) {
      std::fputs(kNoDisplayMessage, stderr);
      std::_Exit(kNoDisplay);
    }
    for (const QString& note : *held_notes) std::fprintf(stderr, "%s\n", qPrintable(note));
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
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
