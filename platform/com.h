#pragma once

#include <atomic>
#include <cstdint>

#include "platform/win_types.h"

// The part of COM the program uses: per-thread initialisation, in-process object creation,
// reference-counted interfaces, system strings and HRESULTs.
namespace platform {

using HRESULT = int32_t;
using ULONG = uint32_t;
using OLECHAR = char16_t;
using BSTR = OLECHAR*;
using VARIANT_BOOL = int16_t;  // any nonzero value is true
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

constexpr HRESULT HresultOf(uint32_t bits) { return static_cast<HRESULT>(bits); }
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = HresultOf(0x80004001u);
constexpr HRESULT E_NOINTERFACE = HresultOf(0x80004002u);
constexpr HRESULT E_POINTER = HresultOf(0x80004003u);
constexpr HRESULT E_FAIL = HresultOf(0x80004005u);
constexpr HRESULT E_ACCESSDENIED = HresultOf(0x80070005u);
constexpr HRESULT E_OUTOFMEMORY = HresultOf(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = HresultOf(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = HresultOf(0x80040110u);
constexpr HRESULT REGDB_E_CLASSNOTREG = HresultOf(0x80040154u);
constexpr HRESULT CO_E_NOTINITIALIZED = HresultOf(0x800401F0u);
constexpr HRESULT RPC_E_CHANGED_MODE = HresultOf(0x80010106u);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
constexpr HRESULT HRESULT_FROM_WIN32(DWORD error) {
  return error == 0 ? S_OK : HresultOf((error & 0xFFFFu) | 0x80070000u);
}

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
  friend constexpr bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;

inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD COINIT_DISABLE_OLE1DDE = 0x4;
constexpr DWORD COINIT_SPEED_OVER_MEMORY = 0x8;
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;

class IUnknown {
 public:
  virtual HRESULT QueryInterface(const IID& riid, void** ppvObject) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};

// A reference-counted object of one interface (which names its IID as `Interface::iid`); it
// starts with one reference, the creator's.
template <class Interface>
class ComObject : public Interface {
 public:
  HRESULT QueryInterface(const IID& riid, void** ppvObject) override {
    if (!ppvObject) return E_POINTER;
    if (riid == IID_IUnknown || riid == Interface::iid) {
      AddRef();
      *ppvObject = static_cast<Interface*>(this);
      return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
  ULONG Release() override {
    const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> refs_{1};
};

// COM on the calling thread. The first call gives S_OK, a further call of the same concurrency
// model S_FALSE (each of them is balanced by a CoUninitialize), a call of the other model
// RPC_E_CHANGED_MODE (no balance owed).
HRESULT CoInitializeEx(void* pvReserved, DWORD dwCoInit);
void CoUninitialize();
// Creates an object of a class the platform offers (the firewall's). Needs COM on the thread.
HRESULT CoCreateInstance(const CLSID& rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, const IID& riid, void** ppv);

// System strings: UTF-16 with their length kept before the text. A null text gives null.
BSTR SysAllocString(const OLECHAR* psz);
UINT SysStringLen(BSTR bstr);
void SysFreeString(BSTR bstr);

}  // namespace platform
