// SPDX-License-Identifier: GPL-3.0-or-later
#include "ordered_log.h"

#include <utility>

void OrderedLog::line(size_t entry, std::string text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (entry == front_)
    send(text);
  else
    slots_[entry].waiting.push_back(std::move(text));
}

void OrderedLog::done(size_t entry) {
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

void OrderedLog::last_line(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  send(text);
}

std::exception_ptr OrderedLog::failure() {
  std::lock_guard<std::mutex> lock(mutex_);
  return failure_;
}

void OrderedLog::send(const std::string& text) {
  if (failure_) return;
  try {
    sink_(text);
  } catch (...) {
    failure_ = std::current_exception();
  }
}
