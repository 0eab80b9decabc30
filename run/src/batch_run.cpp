// SPDX-License-Identifier: GPL-3.0-or-later
// The batch loop: load, promote, stamp, reduce, save, release, for each
// source on one of several workers; the log comes out in list order. The
// steps from load to reduce are stamp_source's, shared with the preview.
#include <sched.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <mutex>
#include <new>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "image/dib_access.h"
#include "keep_jpeg_blocks.h"
#include "run/batch.h"
#include "run/failure_text.h"
#include "run/log_text.h"
#include "run/output_path.h"
#include "run/output_plan.h"
#include "run/output_save.h"
#include "run/stamp_source.h"
#include "worker_limit.h"

namespace {

// Releases the record it watches exactly once, whatever the record holds
// by then: the depth conversions replace the caller's record in place.
class RecordRelease {
 public:
  explicit RecordRelease(TDibImage& record) : record_(record) {}
  ~RecordRelease() { deldib(&record_); }
  RecordRelease(const RecordRelease&) = delete;
  RecordRelease& operator=(const RecordRelease&) = delete;

 private:
  TDibImage& record_;
};

void create_output_folder(const std::string& folder) {
  // A folder that cannot be created shows up as a failed save.
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty()) return;
  std::error_code ignored;
  std::filesystem::create_directories(path, ignored);
}

// One listed entry of the run's shard.
struct Entry {
  std::string source;  // as opened
  int row = 0;         // SourceExtensionRow; 0: passed over
  size_t number = 0;   // position in the whole list, from 1
  std::string output;  // where it is written (PlanOutputs)
  bool skip_existing = false;
};

// Hands each entry's lines on in list order: the lines of the entry at
// the front go straight out, those of later entries wait until every
// earlier entry is done.
class OrderedLog {
 public:
  OrderedLog(const LogSink& sink, size_t entries) : sink_(sink), slots_(entries) {}

  void line(size_t entry, std::string text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (entry == front_)
      send(text);
    else
      slots_[entry].waiting.push_back(std::move(text));
  }

  void done(size_t entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    slots_[entry].done = true;
    while (front_ < slots_.size()) {
      Slot& slot = slots_[front_];
      for (const std::string& text : slot.waiting) send(text);
      std::vector<std::string>().swap(slot.waiting);
      if (!slot.done) break;
      ++front_;
    }
  }

  // After every worker has stopped.
  void last_line(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    send(text);
  }

  // What the sink threw, if it did; it hears nothing after that.
  std::exception_ptr failure() {
    std::lock_guard<std::mutex> lock(mutex_);
    return failure_;
  }

 private:
  struct Slot {
    std::vector<std::string> waiting;
    bool done = false;
  };
  // Under the lock. An error of the sink must not leave a worker thread:
  // it is kept and ends the run once the workers have stopped.
  void send(const std::string& text) {
    if (failure_) return;
    try {
      sink_(text);
    } catch (...) {
      failure_ = std::current_exception();
    }
  }

  const LogSink& sink_;
  std::mutex mutex_;
  std::vector<Slot> slots_;
  size_t front_ = 0;
  std::exception_ptr failure_;
};

class Run;

// The library's progress of the source a worker has in hand.
struct WorkerProgress {
  Run* run = nullptr;
  int load_percent = 0;  // written and read under the run's progress lock
  int save_percent = 0;
  bool saving = false;
  bool busy = false;
};

class Run {
 public:
  Run(const WatermarkJob& job, const LogSink& sink, const BatchControl& control, std::vector<Entry> entries)
      : job_(job), control_(control), entries_(std::move(entries)), log_(sink, entries_.size()) {
    for (const Entry& entry : entries_)
      if (entry.row != 0 && !entry.skip_existing) ++progress_.total;
    if (job_.output.keep_jpeg_blocks) {
      keep_jpeg_blocks_ = !ExportForbidsKeptJpegBlocks(job_.output);
      if (!keep_jpeg_blocks_)
        for (size_t i = 0; i < entries_.size() && !blocks_note_at_; ++i)
          if (entries_[i].row != 0) blocks_note_at_ = i;
    }
  }

  // Runs the entries on up to the given number of workers (WorkerLimit).
  void work(int workers) {
    workers = std::max(1, std::min(workers, progress_.total));
    workers_ = std::vector<WorkerProgress>(size_t(workers));
    for (WorkerProgress& p : workers_) p.run = this;
    limit_.emplace(workers, control_.memory_bytes > 0 ? control_.memory_bytes : AvailableMemoryBytes());
    if (workers == 1) {
      worker(workers_[0]);
      return;
    }
    std::vector<std::thread> threads;
    threads.reserve(size_t(workers));
    try {
      // A worker starts once the pictures loaded so far leave room for it.
      while (int(threads.size()) < workers && limit_->wait_for_room(int(threads.size())))
        threads.emplace_back([this, w = threads.size()] { worker(workers_[w]); });
    } catch (const std::system_error&) {
      // Fewer threads than asked for: those that started share the list,
      // and with none this thread works through it.
    }
    if (threads.empty()) worker(workers_[0]);
    for (std::thread& thread : threads) thread.join();
  }

  // After every worker has stopped. An error of the log or the progress
  // receiver ends the run like an error of a step, with the counts of what
  // was done.
  BatchOutcome finish() {
    if (!outcome_.aborted && !log_.failure() && !progress_failure_) {
      outcome_.cancelled = next_ < entries_.size();
      log_.last_line(outcome_.cancelled ? "Abgebrochen..." : "Fertig...");
    }
    for (const std::exception_ptr& failure : {log_.failure(), progress_failure_}) {
      if (!failure || outcome_.aborted) continue;
      outcome_.aborted = true;
      outcome_.cancelled = false;
      try {
        std::rethrow_exception(failure);
      } catch (const std::bad_alloc&) {
        outcome_.out_of_memory = true;
      } catch (const std::exception& error) {
        outcome_.abort_reason = error.what();
      } catch (...) {
      }
    }
    return outcome_;
  }

  static void library_progress(void* owner, int percent) {
    auto* worker = static_cast<WorkerProgress*>(owner);
    worker->run->worker_progress(*worker, percent);
  }

 private:
  // The next entry to work on, or none when the list is through, the run
  // was cancelled or an error stopped it. Waits while as many sources as
  // allowed are in work; a worker handed an entry ends it with
  // limit_->end_source().
  std::optional<size_t> take_entry() {
    limit_->begin_source();
    std::optional<size_t> entry = next_entry();
    if (!entry) {
      limit_->end_source();
      limit_->close();
    }
    return entry;
  }

  std::optional<size_t> next_entry() {
    std::lock_guard<std::mutex> lock(hand_out_mutex_);
    if (stopped_ || next_ >= entries_.size()) return std::nullopt;
    if (log_.failure()) {
      stopped_ = true;
      return std::nullopt;
    }
    if (control_.cancel && control_.cancel->load()) {
      stopped_ = true;
      return std::nullopt;
    }
    return next_++;
  }

  void worker(WorkerProgress& progress) {
    while (std::optional<size_t> index = take_entry()) {
      const Entry& entry = entries_[*index];
      const bool recognised = entry.row != 0 && !entry.skip_existing;
      if (recognised) begin_source(progress);
      // An error that escapes a step stops the run; the source counts
      // neither as written nor as failed.
      std::optional<bool> written;
      try {
        if (recognised) {
          written = stamp_one_source(*index, entry, progress);
        } else if (entry.skip_existing) {
          // The job keeps what is there; nothing is loaded.
          log_.line(*index, ExistingOutputSkippedText(LogPathText(entry.output)));
          count([](BatchOutcome& o) { ++o.sources_skipped; });
        } else {
          // Passed over, but said so: the file dialog offers more types
          // than the run writes. No folder is made for it.
          log_.line(*index, SkippedTypeText(LogPathText(entry.source)));
          count([](BatchOutcome& o) { ++o.sources_skipped; });
        }
      } catch (const std::bad_alloc&) {
        stop_with_error(*index, true, std::string());
      } catch (const std::exception& error) {
        stop_with_error(*index, false, error.what());
      } catch (...) {
        stop_with_error(*index, false, std::string());
      }
      if (recognised) end_source(progress, written);
      log_.done(*index);
      limit_->end_source();
    }
  }

  bool stamp_one_source(size_t index, const Entry& entry, WorkerProgress& progress) {
    const PixkitCallOptions call = call_options(progress);
    const std::string& source = entry.source;
    if (blocks_note_at_ == index) log_.line(index, KeptJpegBlocksOffText());
    if (keep_jpeg_blocks_ && is_jpeg_row(entry.row))
      if (std::optional<bool> written = stamp_keeping_blocks(index, entry, call)) return *written;
    LoadedSource loaded = LoadSource(source, &call, job_.output);
    RecordRelease release(loaded.record);
    TDibImage& record = loaded.record;
    if (record.Bits == nullptr) {
      log_.line(index, ErrorText(LoadFailedText(LogPathText(source), loaded.reason)));
      return false;
    }
    limit_->note_picture(DibWidth(record), DibHeight(record));
    // Only a source that loaded gets its folder: a job listing files that
    // are gone leaves no empty folders behind.
    const std::string& output = entry.output;
    create_output_folder(SourceFolder(output));

    SourceDepth depth = BringTo24Bits(record);
    if (!FitForOutput(record, depth, loaded, job_.output)) throw std::bad_alloc();
    log_.line(index, LogPathText(source) + " geladen...");
    StampSource(record, job_, source, int64_t(entry.number));
    BringBackToSourceDepth(record, depth);

    if (control_.progress) {
      std::lock_guard<std::mutex> lock(progress_mutex_);
      progress.saving = true;
    }
    int reason = PIXKIT_REASON_NONE;
    if (SaveOutput(record, output, source, loaded, job_, call, &reason)) {
      log_.line(index, LogPathText(output) + " geschrieben...");
      return true;
    }
    log_.line(index, ErrorText(SaveFailedText(LogPathText(output), reason)));
    return false;
  }

  static bool is_jpeg_row(int row) { return row + 2 == PIXKIT_FORMAT_JPG || row + 2 == PIXKIT_FORMAT_JIF; }

  // A JPEG written with the blocks the marks cannot touch kept; nothing
  // when the library gives that up, and the ordinary steps follow.
  std::optional<bool> stamp_keeping_blocks(size_t index, const Entry& entry, const PixkitCallOptions& call) {
    const std::string& source = entry.source;
    PixkitJpegBlocksInfo info = PixkitJpegBlocksInfoInit();
    if (!PixkitProbeJpegBlocks(source.c_str(), &info)) return std::nullopt;
    limit_->note_picture(info.width, info.height);
    const std::string& output = entry.output;
    const std::string folder = SourceFolder(output);
    // The folder only once the source has loaded, as on the ordinary path.
    const KeptBlocksSave save = SaveKeepingJpegBlocks(job_, source, int64_t(entry.number), info, output,
                                                      &call, [&folder] { create_output_folder(folder); });
    if (!save.applied) return std::nullopt;
    log_.line(index, LogPathText(source) + " geladen...");
    if (save.written) {
      log_.line(index, LogPathText(output) + " geschrieben...");
      return true;
    }
    log_.line(index, ErrorText(SaveFailedText(LogPathText(output), save.reason)));
    return false;
  }

  // The library's settings for this worker's loads and saves: the job's
  // quality, and its progress going to this worker's share of the run's.
  PixkitCallOptions call_options(WorkerProgress& progress) {
    PixkitCallOptions call = PixkitCallOptionsInit();
    call.jpeg_quality = job_.jpeg_quality;
    if (control_.progress) {
      call.progress = &Run::library_progress;
      call.progress_owner = &progress;
    } else {
      call.progress_owner = job_.owner;  // the handler registered for it
    }
    return call;
  }

  template <class Change>
  void count(Change change) {
    std::lock_guard<std::mutex> lock(outcome_mutex_);
    change(outcome_);
  }

  // The first error in list order is the one reported; the run hands out
  // nothing more.
  void stop_with_error(size_t index, bool out_of_memory, const std::string& reason) {
    {
      std::lock_guard<std::mutex> lock(hand_out_mutex_);
      stopped_ = true;
    }
    std::lock_guard<std::mutex> lock(outcome_mutex_);
    if (outcome_.aborted && index > aborted_at_) return;
    outcome_.aborted = true;
    aborted_at_ = index;
    outcome_.out_of_memory = out_of_memory;
    outcome_.abort_reason = reason;
  }

  void begin_source(WorkerProgress& progress) {
    count([](BatchOutcome& o) { ++o.sources_recognised; });
    if (!control_.progress) return;
    std::lock_guard<std::mutex> lock(progress_mutex_);
    progress = WorkerProgress{this, 0, 0, false, true};
    ++progress_.started;
    report();
  }

  void end_source(WorkerProgress& progress, std::optional<bool> written) {
    if (written) count([ok = *written](BatchOutcome& o) { ++(ok ? o.sources_written : o.sources_failed); });
    if (!control_.progress) return;
    std::lock_guard<std::mutex> lock(progress_mutex_);
    progress.busy = false;
    ++progress_.finished;
    report();
  }

  void worker_progress(WorkerProgress& worker, int percent) {
    std::lock_guard<std::mutex> lock(progress_mutex_);
    (worker.saving ? worker.save_percent : worker.load_percent) = std::clamp(percent, 0, 100);
    report();
  }

  // Under the progress lock.
  void report() {
    if (progress_.total <= 0) return;
    double in_flight = 0;
    for (const WorkerProgress& w : workers_)
      if (w.busy) in_flight += (w.load_percent + w.save_percent) / 200.0;
    const double fraction = std::min(1.0, (progress_.finished + in_flight) / progress_.total);
    progress_.fraction = std::max(progress_.fraction, fraction);
    if (progress_failure_) return;
    try {
      control_.progress(progress_);
    } catch (...) {
      // Kept like the log's errors; the run hands out nothing more.
      progress_failure_ = std::current_exception();
      std::lock_guard<std::mutex> lock(hand_out_mutex_);
      stopped_ = true;
    }
  }

  const WatermarkJob& job_;
  const BatchControl& control_;
  const std::vector<Entry> entries_;
  OrderedLog log_;

  std::mutex hand_out_mutex_;
  size_t next_ = 0;
  bool stopped_ = false;

  std::mutex outcome_mutex_;
  BatchOutcome outcome_;
  size_t aborted_at_ = 0;

  std::mutex progress_mutex_;
  BatchProgress progress_;
  std::exception_ptr progress_failure_;
  std::vector<WorkerProgress> workers_;

  std::optional<WorkerLimit> limit_;  // from the start of work()

  bool keep_jpeg_blocks_ = false;
  std::optional<size_t> blocks_note_at_;  // the entry that says the export forbids kept blocks
};

std::vector<std::string> opened_sources(const WatermarkJob& job) {
  // The list keeps its paths as stored; relative ones are opened from the
  // settings file's folder, and the log names what was opened.
  std::vector<std::string> sources;
  sources.reserve(job.sources.size());
  for (const std::string& listed : job.sources)
    sources.push_back(OpenedSourcePath(listed, job.sources_folder));
  return sources;
}

bool valid_shard(const BatchControl& control) {
  return control.shard_count >= 1 && control.shard_index >= 0 && control.shard_index < control.shard_count;
}

// The entries of the control's shard, in list order; the outputs were
// planned over the whole list.
std::vector<Entry> shard_entries(std::vector<std::string>& sources, std::vector<PlannedOutput>& outputs,
                                 const ExportOptions& output, const BatchControl& control) {
  std::vector<Entry> entries;
  const size_t step = size_t(control.shard_count);
  for (size_t i = size_t(control.shard_index); i < sources.size(); i += step) {
    const int row = SourceRowForJob(sources[i], output);
    entries.push_back(
        Entry{std::move(sources[i]), row, i + 1, std::move(outputs[i].path), outputs[i].skip_existing});
  }
  return entries;
}

// Why the run would not start: a source an output would replace, or an
// output subfolder name leading out of the source's folder.
bool refuses(const std::vector<std::string>& sources, const std::vector<PlannedOutput>& outputs,
             const WatermarkJob& job, bool& refused, std::string& overwritten, bool& out_dir_refused) {
  if (std::optional<std::string> source = FirstSourceReplacedBy(sources, outputs)) {
    refused = true;
    overwritten = std::move(*source);
    return true;
  }
  // A target folder is named on purpose and may lie anywhere; the
  // subfolder name is not used then.
  if (!WritesToTargetFolder(job.output) && OutDirLeavesSourceFolder(job.out_dir)) {
    out_dir_refused = true;
    return true;
  }
  return false;
}

// A save killed between naming its finished file and renaming it leaves
// the hidden name behind; the run clears such leftovers from the output
// folders it is about to write into, once each.
void remove_leftover_saves(const std::vector<Entry>& entries) {
  std::set<std::string> folders;
  for (const Entry& entry : entries) {
    if (entry.row == 0 || entry.skip_existing) continue;
    const std::string folder = SourceFolder(entry.output);
    if (folders.insert(folder).second) PixkitRemoveLeftoverSaves(folder.c_str());
  }
}

}  // namespace

int DefaultWorkerCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return count;
  }
  return std::max(1u, std::thread::hardware_concurrency());
}

BatchPlan PlanBatch(const WatermarkJob& job, const BatchControl& control) {
  BatchPlan plan;
  std::vector<std::string> sources = opened_sources(job);
  std::vector<PlannedOutput> outputs = PlanOutputs(sources, job);
  if (refuses(sources, outputs, job, plan.refused, plan.overwritten_source, plan.out_dir_refused))
    return plan;
  if (!valid_shard(control)) return plan;
  for (Entry& entry : shard_entries(sources, outputs, job.output, control))
    plan.entries.push_back(PlannedSource{entry.source, entry.output, entry.skip_existing});
  return plan;
}

BatchOutcome RunBatch(const WatermarkJob& job, const LogSink& log, const BatchControl& control) {
  BatchOutcome outcome;
  try {
    std::vector<std::string> sources = opened_sources(job);
    std::vector<PlannedOutput> outputs = PlanOutputs(sources, job);
    if (refuses(sources, outputs, job, outcome.refused, outcome.overwritten_source, outcome.out_dir_refused))
      return outcome;
    if (!valid_shard(control)) throw std::invalid_argument("invalid shard");
    std::vector<Entry> entries = shard_entries(sources, outputs, job.output, control);
    remove_leftover_saves(entries);
    Run run(job, log, control, std::move(entries));
    run.work(control.workers > 0 ? control.workers : DefaultWorkerCount());
    return run.finish();
  } catch (const std::bad_alloc&) {
    outcome.aborted = true;
    outcome.out_of_memory = true;
  } catch (const std::exception& error) {
    outcome.aborted = true;
    outcome.abort_reason = error.what();
  } catch (...) {
    outcome.aborted = true;
  }
  return outcome;
}
