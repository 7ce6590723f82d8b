#include "platform/adapters.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace platform {
namespace {

constinit ServiceSlot<Adapters> g_adapters(&HostAdapters);

void CopyText(char* field, size_t size, const std::string& text) {
  const size_t n = std::min(text.size(), size - 1);
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

uint32_t CallGetAdaptersInfo(AdapterInfo* list, uint32_t* size) {
  return CurrentAdapters().GetAdaptersInfo(list, size);
}

}  // namespace

Adapters& CurrentAdapters() { return g_adapters.Current(); }
void InstallAdapters(Adapters* adapters) { g_adapters.Install(adapters); }

GetAdaptersInfoProc LookUpGetAdaptersInfo() {
  return CurrentAdapters().HasGetAdaptersInfo() ? &CallGetAdaptersInfo : nullptr;
}

uint32_t LayOutAdapterList(const std::vector<AdapterDescription>& adapters, AdapterInfo* list, uint32_t* size) {
  if (size == nullptr) return ERROR_INVALID_PARAMETER;
  if (adapters.empty()) return ERROR_NO_DATA;
  size_t extra_addresses = 0;
  for (const AdapterDescription& a : adapters) {
    if (a.addresses.size() > 1) extra_addresses += a.addresses.size() - 1;
  }
  const size_t needed = adapters.size() * sizeof(AdapterInfo) + extra_addresses * sizeof(IpAddressEntry);
  if (list == nullptr || *size < needed) {
    *size = static_cast<uint32_t>(needed);
    return ERROR_BUFFER_OVERFLOW;
  }
  // The adapters first, then the extra address entries behind them, all inside the buffer.
  std::memset(static_cast<void*>(list), 0, needed);
  auto* infos = list;
  for (size_t i = 0; i < adapters.size(); ++i) new (&infos[i]) AdapterInfo;
  auto* extra =
      reinterpret_cast<IpAddressEntry*>(reinterpret_cast<unsigned char*>(list) + adapters.size() * sizeof(AdapterInfo));
  for (size_t i = 0; i < adapters.size(); ++i) {
    const AdapterDescription& a = adapters[i];
    AdapterInfo& info = infos[i];
    info.Next = i + 1 < adapters.size() ? &infos[i + 1] : nullptr;
    CopyText(info.AdapterName, sizeof info.AdapterName, a.name);
    CopyText(info.Description, sizeof info.Description, a.description);
    info.Index = static_cast<uint32_t>(i + 1);
    IpAddressEntry* entry = &info.IpAddressList;
    if (a.addresses.empty()) {
      CopyText(entry->IpAddress, sizeof entry->IpAddress, "0.0.0.0");
      CopyText(entry->IpMask, sizeof entry->IpMask, "0.0.0.0");
      continue;
    }
    for (size_t k = 0; k < a.addresses.size(); ++k) {
      if (k > 0) {
        IpAddressEntry* next = new (extra++) IpAddressEntry;
        entry->Next = next;
        entry = next;
      }
      CopyText(entry->IpAddress, sizeof entry->IpAddress, a.addresses[k].address);
      CopyText(entry->IpMask, sizeof entry->IpMask, a.addresses[k].mask);
    }
  }
  return ERROR_SUCCESS;
}

}  // namespace platform
