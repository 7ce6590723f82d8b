#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/records.h"
#include "toolkit/thread.h"

// The devices accepted by the discovery round under way, in the order of arrival; the other
// parts read the device list, not this table.
constexpr int kMaxNasCount = 255;
extern NasDiscoveryRecord NasTable[kMaxNasCount];
extern int32_t NasCount;

// The adapter scan: reads the PC's adapter list on its own thread. Its rows (per IPv4 address
// of an adapter: the adapter's description, the address and its mask) reach the three combo
// boxes of the device page in the completion handler, on the main thread.
class thread_IPConfig : public TThread {
 public:
  struct Row {
    std::string description;
    std::string address;
    std::string mask;
  };
  thread_IPConfig() : TThread("adapter scan") { FreeOnTerminate = true; }
  const std::vector<Row>& Rows() const { return rows_; }

 protected:
  void Execute() override;

 private:
  std::vector<Row> rows_;
};
