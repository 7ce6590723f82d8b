#include "platform/log_debug.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace platform {
namespace {

std::mutex g_observer_mutex;
std::shared_ptr<TraceObserver> g_observer;
std::atomic<bool> g_observed{false};

void Deliver(std::string_view text, bool debugger) {
  if (!g_observed.load(std::memory_order_relaxed)) return;
  std::shared_ptr<TraceObserver> observer;
  {
    std::lock_guard<std::mutex> lock(g_observer_mutex);
    observer = g_observer;
  }
  if (observer) (*observer)(text, debugger);
}

}  // namespace

void SetTraceObserver(TraceObserver observer) {
  std::lock_guard<std::mutex> lock(g_observer_mutex);
  g_observer = observer ? std::make_shared<TraceObserver>(std::move(observer)) : nullptr;
  g_observed.store(g_observer != nullptr, std::memory_order_relaxed);
}

}  // namespace platform

void LogDebug(std::string_view text) { platform::Deliver(text, false); }

void OutputDebugStringA(std::string_view text) { platform::Deliver(text, true); }
