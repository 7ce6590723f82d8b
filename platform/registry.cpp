#include "platform/registry.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "platform/ansi.h"
#include "platform/emulated_registry.h"
#include "platform/host_registry.h"
#include "platform/unicode.h"

namespace platform {
namespace {

std::atomic<Registry*> g_installed{nullptr};

// Built on first use; the problems of its files go to the standard error once.
Registry& HostRegistry() {
  static EmulatedRegistry host(BuildRegistryTree(
      HostSources(), [](const std::string& line) { std::fprintf(stderr, "registry: %s\n", line.c_str()); }));
  return host;
}

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

std::u16string Units(const RegistryValue& value) {
  std::u16string units;
  for (size_t i = 0; i + 1 < value.data.size(); i += 2) {
    units.push_back(static_cast<char16_t>(value.data[i] | value.data[i + 1] << 8));
  }
  return units;
}

// The data as the 8-bit calls give it: text types in the ANSI code page, terminators included.
std::string AnsiData(const RegistryValue& value) {
  if (!IsText(value.type)) return std::string(value.data.begin(), value.data.end());
  const std::u16string units = Units(value);
  std::string out;
  // Each NUL-separated piece on its own, so that terminators stay where they are.
  for (size_t start = 0; start <= units.size();) {
    const size_t end = std::min(units.find(u'\0', start), units.size());
    out += ToAnsi(Utf16ToUtf8(std::u16string_view(units).substr(start, end - start))).bytes();
    if (end == units.size()) break;
    out.push_back('\0');
    start = end + 1;
  }
  return out;
}

std::string Utf8Name(const char* ansi) { return ansi ? FromAnsi(AnsiString(ansi)) : std::string{}; }

}  // namespace

Registry& CurrentRegistry() {
  Registry* installed = g_installed.load(std::memory_order_acquire);
  return installed ? *installed : HostRegistry();
}

void InstallRegistry(Registry* registry) { g_installed.store(registry, std::memory_order_release); }

ScopedRegistry::ScopedRegistry(Registry& registry) : previous_(g_installed.load(std::memory_order_acquire)) {
  InstallRegistry(&registry);
}

ScopedRegistry::~ScopedRegistry() { InstallRegistry(previous_); }

std::string RegistryValueText(const RegistryValue& value) {
  const std::u16string units = Units(value);
  return Utf16ToUtf8(std::u16string_view(units).substr(0, units.find(u'\0')));
}

LONG RegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD, REGSAM samDesired, HKEY* phkResult) {
  return CurrentRegistry().OpenKey(hKey, Utf8Name(lpSubKey), samDesired, phkResult);
}

LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName, DWORD* lpReserved, char* lpClass,
                   DWORD* lpcchClass, FILETIME* lpftLastWriteTime) {
  if (!lpName || !lpcchName || lpReserved) return ERROR_INVALID_PARAMETER;
  std::string name;
  if (const LONG result = CurrentRegistry().EnumKey(hKey, dwIndex, &name); result != ERROR_SUCCESS) return result;
  const AnsiString ansi = ToAnsi(name);
  if (ansi.size() + 1 > *lpcchName) return ERROR_MORE_DATA;
  std::memcpy(lpName, ansi.c_str(), ansi.size() + 1);
  *lpcchName = static_cast<DWORD>(ansi.size());
  // The emulation keeps no class names or write times.
  if (lpClass && lpcchClass && *lpcchClass > 0) {
    lpClass[0] = '\0';
    *lpcchClass = 0;
  }
  if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{};
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType, BYTE* lpData,
                      DWORD* lpcbData) {
  if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  RegistryValue value;
  if (const LONG result = CurrentRegistry().QueryValue(hKey, Utf8Name(lpValueName), &value); result != ERROR_SUCCESS) {
    return result;
  }
  const std::string data = AnsiData(value);
  if (lpType) *lpType = value.type;
  if (!lpcbData) return ERROR_SUCCESS;
  const DWORD size = static_cast<DWORD>(data.size());
  if (lpData && *lpcbData < size) {
    *lpcbData = size;
    return ERROR_MORE_DATA;
  }
  if (lpData) std::memcpy(lpData, data.data(), data.size());
  *lpcbData = size;
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) { return CurrentRegistry().CloseKey(hKey); }

}  // namespace platform
