#include "platform/com.h"

#include <cstring>
#include <new>

#include "platform/firewall.h"

namespace platform {
namespace {

struct ThreadCom {
  int count = 0;
  DWORD model = 0;
};
thread_local ThreadCom t_com;

constexpr DWORD kKnownFlags = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE | COINIT_SPEED_OVER_MEMORY;

}  // namespace

HRESULT CoInitializeEx(void* pvReserved, DWORD dwCoInit) {
  if (pvReserved || (dwCoInit & ~kKnownFlags)) return E_INVALIDARG;
  const DWORD model = dwCoInit & COINIT_APARTMENTTHREADED;
  if (t_com.count == 0) {
    t_com = {1, model};
    return S_OK;
  }
  if (t_com.model != model) return RPC_E_CHANGED_MODE;
  ++t_com.count;
  return S_FALSE;
}

void CoUninitialize() {
  if (t_com.count > 0) --t_com.count;
}

HRESULT CoCreateInstance(const CLSID& rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, const IID& riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (t_com.count == 0) return CO_E_NOTINITIALIZED;
  if (pUnkOuter) return CLASS_E_NOAGGREGATION;
  if (!(dwClsContext & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
  return CreateFirewallObject(rclsid, riid, ppv);
}

BSTR SysAllocString(const OLECHAR* psz) {
  if (!psz) return nullptr;
  size_t length = 0;
  while (psz[length]) ++length;
  const uint32_t bytes = static_cast<uint32_t>(length * sizeof(OLECHAR));
  auto* block = static_cast<char*>(::operator new(sizeof(uint32_t) + bytes + sizeof(OLECHAR), std::nothrow));
  if (!block) return nullptr;
  std::memcpy(block, &bytes, sizeof bytes);
  auto* text = reinterpret_cast<OLECHAR*>(block + sizeof(uint32_t));
  std::memcpy(text, psz, bytes + sizeof(OLECHAR));
  return text;
}

UINT SysStringLen(BSTR bstr) {
  if (!bstr) return 0;
  uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<char*>(bstr) - sizeof(uint32_t), sizeof bytes);
  return bytes / sizeof(OLECHAR);
}

void SysFreeString(BSTR bstr) {
  if (bstr) ::operator delete(reinterpret_cast<char*>(bstr) - sizeof(uint32_t));
}

}  // namespace platform
