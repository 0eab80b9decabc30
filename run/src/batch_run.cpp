// SPDX-License-Identifier: GPL-3.0-or-later
// The batch loop: hands each source of the shard to one of several
// workers, which write it through WriteSource; keeps the counts and the
// progress, and lets the log come out in list order.
#include <sched.h>

#include <algorithm>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "ordered_log.h"
#include "output/keep_jpeg_blocks.h"
#include "run/batch.h"
#include "run/failure_text.h"
#include "run/log_text.h"
#include "shard_plan.h"
#include "worker_limit.h"
#include "write_source.h"

namespace {

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
  Run(const WatermarkJob& job, const LogSink& sink, const BatchControl& control,
      std::vector<ShardEntry> entries)
      : job_(job), control_(control), entries_(std::move(entries)), log_(sink, entries_.size()) {
    for (const ShardEntry& entry : entries_)
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
      log_.last_line(RunEndText(outcome_.cancelled));
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
      const ShardEntry& entry = entries_[*index];
      const bool recognised = entry.row != 0 && !entry.skip_existing;
      if (recognised) begin_source(progress);
      // An error that escapes a step stops the run; the source counts
      // neither as written nor as failed.
      std::optional<bool> written;
      try {
        if (recognised) {
          written = write_one_source(*index, entry, progress);
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

  bool write_one_source(size_t index, const ShardEntry& entry, WorkerProgress& progress) {
    if (blocks_note_at_ == index) log_.line(index, KeptJpegBlocksOffText());
    SourceWriteHooks hooks;
    hooks.log = [this, index](std::string line) { log_.line(index, std::move(line)); };
    hooks.size = [this](int64_t width, int64_t height) { limit_->note_picture(width, height); };
    if (control_.progress)
      hooks.saving = [this, &progress] {
        std::lock_guard<std::mutex> lock(progress_mutex_);
        progress.saving = true;
      };
    const SourceToWrite work{entry.source, entry.output, entry.folder_base, int64_t(entry.number),
                             keep_jpeg_blocks_ && is_jpeg_row(entry.row)};
    return WriteSource(job_, work, call_options(progress), hooks);
  }

  static bool is_jpeg_row(int row) { return row + 2 == PIXKIT_FORMAT_JPG || row + 2 == PIXKIT_FORMAT_JIF; }

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
  const std::vector<ShardEntry> entries_;
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
  ShardPlan shard = PlanShard(job, control);
  plan.refused = shard.refused;
  plan.overwritten_source = std::move(shard.overwritten_source);
  plan.out_dir_refused = shard.out_dir_refused;
  plan.name_pattern_refused = shard.name_pattern_refused;
  for (ShardEntry& entry : shard.entries)
    plan.entries.push_back(PlannedSource{entry.source, entry.output, entry.skip_existing});
  return plan;
}

BatchOutcome RunBatch(const WatermarkJob& job, const LogSink& log, const BatchControl& control) {
  BatchOutcome outcome;
  try {
    ShardPlan shard = PlanShard(job, control);
    if (shard.refused || shard.out_dir_refused || shard.name_pattern_refused) {
      outcome.refused = shard.refused;
      outcome.overwritten_source = std::move(shard.overwritten_source);
      outcome.out_dir_refused = shard.out_dir_refused;
      outcome.name_pattern_refused = shard.name_pattern_refused;
      return outcome;
    }
    if (shard.invalid_shard) throw std::invalid_argument("invalid shard");
    RemoveLeftoverSaves(shard.entries);
    Run run(job, log, control, std::move(shard.entries));
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
