// SPDX-License-Identifier: LGPL-2.1-or-later
#include "progress.h"

#include <map>
#include <mutex>

namespace pixkit {
namespace {
std::mutex g_handlers_mutex;
std::map<void*, void (*)(void*, int)> g_handlers;

struct CurrentProgress {
  void* owner = nullptr;
  void (*handler)(void*, int) = nullptr;
  int last_percent = -1;
};
thread_local CurrentProgress t_current;
}  // namespace

ProgressScope::ProgressScope(void* owner) {
  t_current = CurrentProgress{};
  if (!owner) return;
  std::lock_guard<std::mutex> lock(g_handlers_mutex);
  auto it = g_handlers.find(owner);
  if (it == g_handlers.end()) return;
  t_current.owner = owner;
  t_current.handler = it->second;
}

ProgressScope::ProgressScope(void* owner, void (*handler)(void*, int)) : ProgressScope(owner) {
  if (!handler) return;
  t_current.owner = owner;
  t_current.handler = handler;
}

ProgressScope::~ProgressScope() { t_current = CurrentProgress{}; }

void report_progress(uint64_t done, uint64_t total) {
  if (!t_current.handler || total == 0) return;
  if (done > total) done = total;
  const int percent = int(done * 100 / total);
  if (percent == t_current.last_percent) return;
  t_current.last_percent = percent;
  t_current.handler(t_current.owner, percent);
}

void register_progress_handler(void* owner, void (*handler)(void*, int)) {
  std::lock_guard<std::mutex> lock(g_handlers_mutex);
  if (handler)
    g_handlers[owner] = handler;
  else
    g_handlers.erase(owner);
}

}  // namespace pixkit
