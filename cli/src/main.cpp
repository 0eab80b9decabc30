// stempora-batch: runs the job stored in a settings file exactly as the
// window's start button would, without a window.
#include <QGuiApplication>
#include <QtGlobal>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "command_line.h"
#include "run/batch.h"
#include "settings/settings_file.h"

namespace {

constexpr int kAllWritten = 0;
constexpr int kSourcesFailed = 1;
constexpr int kJobNotRun = 2;

// Qt's own notes (a missing runtime folder and the like) are no business
// of someone running a job; stderr carries only our messages and Qt's
// real errors.
void print_only_qt_errors(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

int run_job_file(int& argc, char** argv, const std::string& path) {
  SettingsReadResult read = ReadSettingsFile(path);
  if (!read.ok()) {
    std::fprintf(stderr, "%s\n", read.message.c_str());
    return kJobNotRun;
  }
  SettingsFileContent& content = read.content;
  const WatermarkJob job = JobFromSettings(content);

  // The text pass draws with QPainter, which needs a GUI application
  // object; without a display the offscreen platform serves.
  std::unique_ptr<QGuiApplication> application;
  if (job.add_text) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(print_only_qt_errors);
    application = std::make_unique<QGuiApplication>(argc, argv);
  }
  // Write errors of the log (a closed pipe, a full disk) are not the
  // pictures' failures: the exit status says only what the pictures did.
  const BatchOutcome outcome = RunBatch(job, [](const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  });
  deldib(&content.watermark);

  if (outcome.refused) {
    std::fprintf(stderr,
                 "Die Zieldateien würden Quelldateien überschreiben. Bitte einen anderen Namen für das "
                 "Unterverzeichnis wählen.\nZuerst betroffen: %s\n",
                 outcome.overwritten_source.c_str());
    return kJobNotRun;
  }
  if (outcome.aborted) {
    const std::string reason = outcome.out_of_memory          ? "Nicht genügend Arbeitsspeicher"
                               : outcome.abort_reason.empty() ? "Unbekannter Fehler"
                                                              : outcome.abort_reason;
    std::fprintf(stderr, "Fehler: Der Lauf wurde abgebrochen: %s\n", reason.c_str());
    return kSourcesFailed;
  }
  return outcome.sources_failed > 0 ? kSourcesFailed : kAllWritten;
}

}  // namespace

int main(int argc, char** argv) {
  // The log is a report, not the work: a reader that goes away early
  // (stempora-batch JOB | head -n 1) must not end the run with SIGPIPE.
  // With the signal ignored, a log line to a closed pipe fails with EPIPE,
  // which the log sink passes over, and the pictures are still written.
  std::signal(SIGPIPE, SIG_IGN);
  const BatchCommandLine line = ParseBatchCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (line.show_help) {
    std::fputs(kBatchUsage, stdout);
    return kAllWritten;
  }
  if (!line.error.empty()) {
    std::fprintf(stderr, "stempora-batch: %s\n\n%s", line.error.c_str(), kBatchUsage);
    return kJobNotRun;
  }
  return run_job_file(argc, argv, line.job_file);
}
