// SPDX-License-Identifier: GPL-3.0-or-later
// stempora-batch: runs the job stored in a settings file exactly as the
// window's start button would, without a window.
#include <unistd.h>

#include <QGuiApplication>
#include <QtGlobal>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "batch_console.h"
#include "cancel_signals.h"
#include "command_line.h"
#include "run/batch.h"
#include "run/failure_text.h"
#include "run/jpeg_quality.h"
#include "run/log_text.h"
#include "run/output_names.h"
#include "run/output_path.h"
#include "run/output_plan.h"
#include "settings/settings_file.h"
#include "settings/watermark_picture.h"
#include "source_list.h"

namespace {

constexpr int kAllWritten = 0;
constexpr int kSourcesFailed = 1;
constexpr int kJobNotRun = 2;
constexpr int kCancelledBase = 128;  // + the signal's number, as shells report it

constexpr char kRefusal[] =
    "Die Zieldateien würden Quelldateien überschreiben. Bitte einen anderen Namen für das "
    "Unterverzeichnis wählen.\nZuerst betroffen: ";

// Qt's own notes (a missing runtime folder and the like) are no business
// of someone running a job; stderr carries only our messages and Qt's
// real errors.
void print_only_qt_errors(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

// The job as the command line changes it. False (with the message
// printed) when the list of sources could not be read.
bool apply_command_line(const BatchCommandLine& line, WatermarkJob& job) {
  // Sources named here are meant from where the command is typed, not
  // from the settings file's folder.
  if (!line.sources.empty()) {
    job.sources = line.sources;
    job.sources_folder.clear();
  } else if (line.sources_from) {
    SourceListRead read = ReadSourceList(*line.sources_from);
    if (!read.error.empty()) {
      std::fprintf(stderr, "%s\n", read.error.c_str());
      return false;
    }
    job.sources = std::move(read.sources);
    job.sources_folder.clear();
  }
  if (line.out_dir) job.out_dir = *line.out_dir;
  ApplyExportFlags(line.output, job.output);
  if (line.quality) {
    job.jpeg_quality = *line.quality;
    // One quality on the command line, whichever setting applies.
    if (JpegQualityFallback(job.output) == JpegQualitySetting::kExport)
      job.output.jpeg.quality = *line.quality;
  }
  if (line.keep_jpeg_blocks) job.output.keep_jpeg_blocks = true;
  if (line.no_job_marks) job.add_picture = job.add_text = false;
  for (const MarkOption& given : line.marks) {
    FurtherMark mark = given.mark;
    if (!mark.is_text) {
      // From the current folder, as sources named here are.
      int reason = PIXKIT_REASON_NONE;
      TDibImage picture = LoadWatermarkPicture(given.picture_path, nullptr, given.keep_alpha, &reason);
      if (picture.Bits == nullptr) {
        std::fprintf(stderr, "--mark: %s\n", LoadFailedText(given.picture_path, reason).c_str());
        return false;
      }
      mark.picture = ShareMarkPicture(picture);
    }
    job.further_marks.push_back(std::move(mark));
  }
  return true;
}

// The run refused the job's output subfolder name.
int refuse_out_dir(const WatermarkJob& job) {
  std::fprintf(stderr, "%s%s\n", kOutDirLeavesSourceFolderText, job.out_dir.c_str());
  return kJobNotRun;
}

// The run refused the job's name pattern.
int refuse_name_pattern(const WatermarkJob& job) {
  std::fprintf(stderr, "%s%s\n", kNamePatternLeavesOutputFolderText, job.output.name_pattern.c_str());
  return kJobNotRun;
}

int print_plan(const WatermarkJob& job, const BatchControl& control, bool quiet) {
  const BatchPlan plan = PlanBatch(job, control);
  if (plan.out_dir_refused) return refuse_out_dir(job);
  if (plan.name_pattern_refused) return refuse_name_pattern(job);
  if (plan.refused) {
    std::fprintf(stderr, "%s%s\n", kRefusal, plan.overwritten_source.c_str());
    return kJobNotRun;
  }
  if (quiet) return kAllWritten;
  for (const PlannedSource& entry : plan.entries) {
    // The same path texts as the run's log, so a plan reads like the log
    // it announces.
    const std::string line = entry.output.empty() ? SkippedTypeText(LogPathText(entry.source))
                             : entry.skip_existing
                                 ? ExistingOutputSkippedText(LogPathText(entry.output))
                                 : LogPathText(entry.source) + " -> " + LogPathText(entry.output);
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
  }
  std::fflush(stdout);
  return kAllWritten;
}

int run(int& argc, char** argv, const WatermarkJob& job, BatchControl control, bool quiet) {
  // The text pass draws with QPainter, which needs a GUI application
  // object made on this thread; without a display the offscreen platform
  // serves.
  std::unique_ptr<QGuiApplication> application;
  const bool draws_text = job.add_text || std::any_of(job.further_marks.begin(), job.further_marks.end(),
                                                      [](const FurtherMark& mark) { return mark.is_text; });
  if (draws_text) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(print_only_qt_errors);
    application = std::make_unique<QGuiApplication>(argc, argv);
  }
  InstallCancelSignals();
  control.cancel = CancelFlag();

  BatchConsole console(quiet, isatty(STDERR_FILENO) == 1);
  if (console.shows_progress())
    control.progress = [&console](const BatchProgress& progress) { console.progress(progress); };
  const BatchOutcome outcome = RunBatch(
      job, [&console](const std::string& line) { console.log_line(line); }, control);
  console.finish();

  if (outcome.out_dir_refused) return refuse_out_dir(job);
  if (outcome.name_pattern_refused) return refuse_name_pattern(job);
  if (outcome.refused) {
    std::fprintf(stderr, "%s%s\n", kRefusal, outcome.overwritten_source.c_str());
    return kJobNotRun;
  }
  if (outcome.aborted) {
    std::fprintf(stderr, "Fehler: Der Lauf wurde abgebrochen: %s\n", AbortReasonText(outcome).c_str());
    return kSourcesFailed;
  }
  // A signal after the last source was handed out cancels nothing: the
  // log ends with "Fertig..." and the status says what the pictures did.
  if (outcome.cancelled) return kCancelledBase + CancelSignal();
  return outcome.sources_failed > 0 ? kSourcesFailed : kAllWritten;
}

int run_job_file(int& argc, char** argv, const BatchCommandLine& line) {
  SettingsReadResult read = ReadSettingsFile(line.job_file);
  if (!read.ok()) {
    std::fprintf(stderr, "%s\n", read.message.c_str());
    return kJobNotRun;
  }
  SettingsFileContent& content = read.content;
  WatermarkJob job = JobFromSettings(content);
  int status = kJobNotRun;
  if (apply_command_line(line, job)) {
    BatchControl control;
    control.workers = line.jobs;
    control.shard_index = line.shard_index;
    control.shard_count = line.shard_count;
    status = line.dry_run ? print_plan(job, control, line.quiet) : run(argc, argv, job, control, line.quiet);
  }
  deldib(&content.watermark);
  return status;
}

}  // namespace

// Whatever escapes (a failed allocation while the list of sources or the
// job is read, say) ends the program with a message, not with abort().
int main(int argc, char** argv) try {
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
  if (line.show_version) {
    std::fputs("stempora-batch " STEMPORA_VERSION "\n", stdout);
    return kAllWritten;
  }
  if (!line.error.empty()) {
    std::fprintf(stderr, "stempora-batch: %s\n\"stempora-batch --help\" zeigt die Optionen.\n",
                 line.error.c_str());
    return kJobNotRun;
  }
  return run_job_file(argc, argv, line);
} catch (const std::bad_alloc&) {
  std::fprintf(stderr, "%s\n", ErrorText(OutOfMemoryText()).c_str());
  return kJobNotRun;
} catch (const std::exception& error) {
  std::fprintf(stderr, "%s\n", ErrorText(error.what()).c_str());
  return kJobNotRun;
} catch (...) {
  std::fprintf(stderr, "%s\n", ErrorText(UnknownFailureText()).c_str());
  return kJobNotRun;
}
