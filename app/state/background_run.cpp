// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/background_run.h"

#include <QMetaObject>
#include <new>
#include <utility>

#include "image/dib_access.h"
#include "image/replace_depth.h"

namespace {

// A picture watermark of the run's own: 24 bits, or 32 when it was loaded
// with its alpha channel. The stamping pass ignores any other record, so
// such a one is replaced by an empty one, which it ignores just the same.
TDibImage CopyOfWatermark(const TDibImage& watermark) {
  if (!DibHoldsPixels(watermark, 24) && !DibHoldsPixels(watermark, 32)) return TDibImage{};
  TDibImage copy = CopyDib(watermark);
  if (copy.Bits == nullptr) throw std::bad_alloc();
  return copy;
}

}  // namespace

BackgroundRun::BackgroundRun(WatermarkJob job, int workers, QObject* parent)
    : QObject(parent), job_(std::move(job)), workers_(workers) {
  if (job_.watermark != nullptr) {
    watermark_ = CopyOfWatermark(*job_.watermark);
    job_.watermark = &watermark_;
  }
  // The library's progress goes to the snapshot below, never to a
  // receiver registered for a window: that one would wait for the
  // window's thread.
  job_.owner = nullptr;
}

BackgroundRun::~BackgroundRun() {
  Cancel();
  if (thread_.joinable()) thread_.join();
  deldib(&watermark_);
}

void BackgroundRun::Start() {
  thread_ = std::thread([this] { WorkOnThread(); });
}

BatchProgress BackgroundRun::Progress() const {
  std::lock_guard<std::mutex> lock(progress_mutex_);
  return progress_;
}

void BackgroundRun::WorkOnThread() {
  BatchControl control;
  control.workers = workers_;
  control.cancel = &cancel_;
  control.progress = [this](const BatchProgress& progress) {
    std::lock_guard<std::mutex> lock(progress_mutex_);
    progress_ = progress;
  };
  // RunBatch reports every failure in its outcome and never throws.
  outcome_ = RunBatch(
      job_, [this](const std::string& line) { QueueLine(line); }, control);
  QMetaObject::invokeMethod(this, &BackgroundRun::DeliverEnd, Qt::QueuedConnection);
}

void BackgroundRun::QueueLine(const std::string& line) {
  // The run hands lines on one at a time and in order, so appending here
  // keeps the order; one queued call carries whatever has gathered by the
  // time the window's thread gets to it.
  std::lock_guard<std::mutex> lock(lines_mutex_);
  pending_lines_.append(QString::fromStdString(line));
  if (std::exchange(delivery_posted_, true)) return;
  QMetaObject::invokeMethod(this, &BackgroundRun::DeliverLines, Qt::QueuedConnection);
}

void BackgroundRun::DeliverLines() {
  QStringList lines;
  {
    std::lock_guard<std::mutex> lock(lines_mutex_);
    lines.swap(pending_lines_);
    delivery_posted_ = false;
  }
  if (!lines.isEmpty()) emit LinesLogged(lines);
}

void BackgroundRun::DeliverEnd() {
  // The thread has posted this as its last act; after the join every line
  // is in pending_lines_ and outcome_ is final.
  thread_.join();
  DeliverLines();
  emit Ended(outcome_);
}
