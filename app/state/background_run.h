// SPDX-License-Identifier: GPL-3.0-or-later
// One batch run for the window, on worker threads, so the window keeps
// painting and answering while it works.
//
// The run owns everything it reads: the job and a copy of the picture
// watermark the job points to. The window may change or release its own
// values at once; what the run stamps stays as it was at the start.
//
// The workers never wait for the window's thread. Log lines are collected
// and handed over by one queued call per batch, in the order the run hands
// them on; the progress is kept as a snapshot the window looks at when it
// likes (a display polls it, which also caps how often it repaints).
#pragma once

#include <QObject>
#include <QStringList>
#include <atomic>
#include <mutex>
#include <thread>

#include "run/batch.h"

class BackgroundRun : public QObject {
  Q_OBJECT

 public:
  // workers as BatchControl::workers (0: every core the process may use).
  // Throws std::bad_alloc when the watermark cannot be copied.
  BackgroundRun(WatermarkJob job, int workers, QObject* parent = nullptr);
  // Cancels a run still going and waits until its workers have ended.
  ~BackgroundRun() override;

  BackgroundRun(const BackgroundRun&) = delete;
  BackgroundRun& operator=(const BackgroundRun&) = delete;

  // Starts the run; once only. Throws std::system_error when no thread
  // can be made (nothing has run then).
  void Start();
  // No source is handed out any more; those in flight are finished.
  void Cancel() { cancel_.store(true); }
  bool CancelRequested() const { return cancel_.load(); }
  // Where the run stands now. All zero until the first source is started.
  BatchProgress Progress() const;

 signals:
  // On the window's thread: lines not handed over before, in log order.
  void LinesLogged(const QStringList& lines);
  // On the window's thread, once, after the last LinesLogged; the workers
  // have ended by then.
  void Ended(const BatchOutcome& outcome);

 private:
  void WorkOnThread();
  void QueueLine(const std::string& line);  // worker side
  void DeliverLines();                      // window side
  void DeliverEnd();                        // window side

  WatermarkJob job_;
  TDibImage watermark_{};  // the run's own copy; job_.watermark points here
  int workers_ = 0;
  std::atomic<bool> cancel_{false};
  std::thread thread_;
  BatchOutcome outcome_;  // written by the run's thread before it posts its end

  mutable std::mutex progress_mutex_;
  BatchProgress progress_;

  std::mutex lines_mutex_;
  QStringList pending_lines_;
  bool delivery_posted_ = false;
};
