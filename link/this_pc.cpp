#include "link/this_pc.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/adapters.h"
#include "platform/sockets.h"

namespace {

struct ThisPc {
  std::mutex mutex;
  bool taken = false;
  bool local_boxes = false;
  std::vector<uint32_t> addresses;
};

ThisPc& State() {
  static ThisPc state;
  return state;
}

void Take(ThisPc& pc) {
  const char* allowed = std::getenv(kLocalBoxesVariable);
  pc.local_boxes = allowed != nullptr && std::strcmp(allowed, "1") == 0;
  pc.addresses = platform::CurrentAdapters().OwnAddresses();
  pc.taken = true;
}

}  // namespace

void TakeThisPcsAddresses() {
  ThisPc& pc = State();
  std::lock_guard<std::mutex> lock(pc.mutex);
  Take(pc);
}

bool IsFromThisPc(uint32_t address) {
  ThisPc& pc = State();
  std::lock_guard<std::mutex> lock(pc.mutex);
  if (!pc.taken) Take(pc);
  if (pc.local_boxes) return false;
  if ((platform::Ntohl(address) >> 24) == 127) return true;
  return std::find(pc.addresses.begin(), pc.addresses.end(), address) != pc.addresses.end();
}
