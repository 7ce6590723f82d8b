#include "platform/wait_keeper.h"

#include <atomic>

#include "platform/thread.h"

namespace platform {
namespace {

std::atomic<WaitKeeper*> g_keeper{nullptr};
thread_local bool t_keeping = false;

}  // namespace

void InstallWaitKeeper(WaitKeeper* keeper) { g_keeper.store(keeper); }

bool WaitsInSlices() { return !t_keeping && IsMainThread() && g_keeper.load() != nullptr; }

void KeepWindowsAlive() {
  if (!WaitsInSlices()) return;
  struct Keeping {
    Keeping() { t_keeping = true; }
    ~Keeping() { t_keeping = false; }
  } keeping;
  g_keeper.load()->KeepAlive();
}

}  // namespace platform
