#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/service.h"
#include "platform/win_types.h"

// The PC's network adapters as the system's IP helper lists them: an entry point looked up at run
// time, a size query that answers "buffer too small" with the size needed, then the list laid out
// in the caller's buffer as linked entries.
namespace platform {

// One IPv4 address of an adapter, dotted texts. An adapter without an address has one entry
// "0.0.0.0" with mask "0.0.0.0".
struct IpAddressEntry {
  IpAddressEntry* Next = nullptr;
  char IpAddress[16] = {};
  char IpMask[16] = {};
};

struct AdapterInfo {
  AdapterInfo* Next = nullptr;
  char AdapterName[260] = {};
  char Description[132] = {};
  uint32_t Index = 0;
  IpAddressEntry IpAddressList;  // the first address; the others follow through Next
};

using GetAdaptersInfoProc = uint32_t (*)(AdapterInfo* list, uint32_t* size);

// What a backend knows of one adapter.
struct AdapterDescription {
  std::string name;
  std::string description;
  struct Address {
    std::string address;
    std::string mask;
  };
  std::vector<Address> addresses;  // empty: the adapter has no IPv4 address
};

// Lays `adapters` out in the caller's buffer: ERROR_INVALID_PARAMETER without a size,
// ERROR_NO_DATA when there are none, ERROR_BUFFER_OVERFLOW with *size set when the buffer is
// missing or too small, else ERROR_SUCCESS. The size needed is a multiple of the entry size.
uint32_t LayOutAdapterList(const std::vector<AdapterDescription>& adapters, AdapterInfo* list, uint32_t* size);

class Adapters {
 public:
  virtual ~Adapters() = default;
  // False when the system lacks the entry point.
  virtual bool HasGetAdaptersInfo() = 0;
  virtual uint32_t GetAdaptersInfo(AdapterInfo* list, uint32_t* size) = 0;
  // Every IPv4 address of the PC itself, on any interface (the loopback's too), in network byte
  // order as a socket address holds it: what only a program of this PC can send from. Not an
  // IP helper call, so the helper's faults do not touch it.
  virtual std::vector<uint32_t> OwnAddresses() = 0;
};

Adapters& CurrentAdapters();
void InstallAdapters(Adapters* adapters);
Adapters& HostAdapters();

// The run-time look-up of the entry point ("iphlpapi.dll", "GetAdaptersInfo"); nullptr when the
// system lacks it. The entry point reaches the current backend.
GetAdaptersInfoProc LookUpGetAdaptersInfo();

}  // namespace platform
