#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace platform {

// A key handle. The predefined root keys have fixed values; 0 is no key.
enum class HKEY : uintptr_t {};
constexpr HKEY HKEY_CLASSES_ROOT{0x80000000u};
constexpr HKEY HKEY_CURRENT_USER{0x80000001u};
constexpr HKEY HKEY_LOCAL_MACHINE{0x80000002u};
constexpr HKEY HKEY_USERS{0x80000003u};
constexpr HKEY HKEY_CURRENT_CONFIG{0x80000005u};

using REGSAM = DWORD;
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr REGSAM DELETE = 0x00010000;
constexpr REGSAM READ_CONTROL = 0x00020000;
constexpr REGSAM WRITE_DAC = 0x00040000;
constexpr REGSAM WRITE_OWNER = 0x00080000;
constexpr REGSAM STANDARD_RIGHTS_READ = READ_CONTROL;
constexpr REGSAM KEY_READ = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY;
constexpr REGSAM KEY_WRITE = READ_CONTROL | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;
constexpr REGSAM MAXIMUM_ALLOWED = 0x02000000;
constexpr REGSAM GENERIC_ALL = 0x10000000;
constexpr REGSAM GENERIC_WRITE = 0x40000000;
constexpr REGSAM GENERIC_READ = 0x80000000;

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

struct FILETIME {
  DWORD dwLowDateTime = 0;
  DWORD dwHighDateTime = 0;
};

// A value as the registry stores it: text types hold UTF-16 LE with their terminator.
struct RegistryValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// The registry service: the system's registry as the wide-character calls see it, with their
// handles, access rules and return codes. Names are UTF-8, matched without regard to letter case.
// Every call may come from any thread.
class Registry {
 public:
  virtual ~Registry() = default;
  // RegOpenKeyEx: `sub_key` is a path of names joined by "\" below `key` (empty: `key` again).
  virtual LONG OpenKey(HKEY key, std::string_view sub_key, REGSAM access, HKEY* result) = 0;
  // RegEnumKeyEx: the name of the subkey at `index`, in the registry's order of names.
  virtual LONG EnumKey(HKEY key, DWORD index, std::string* name) = 0;
  // RegQueryValueEx: the value of that name (empty: the key's default value).
  virtual LONG QueryValue(HKEY key, std::string_view name, RegistryValue* value) = 0;
  virtual LONG CloseKey(HKEY key) = 0;
};

// The registry in use: the host's emulated one unless a test installed another.
Registry& CurrentRegistry();
// Installs a registry for the whole process (nullptr: the host's again). Keys opened in one
// registry are closed in the same one.
void InstallRegistry(Registry* registry);

// Installs a registry for a scope (tests) and puts the previous one back.
class ScopedRegistry {
 public:
  explicit ScopedRegistry(Registry& registry);
  ~ScopedRegistry();
  ScopedRegistry(const ScopedRegistry&) = delete;
  ScopedRegistry& operator=(const ScopedRegistry&) = delete;

 private:
  Registry* previous_;
};

// The text of a string value (REG_SZ, REG_EXPAND_SZ) up to its terminator, as UTF-8.
std::string RegistryValueText(const RegistryValue& value);

// The 8-bit calls on the registry in use. Names and string data are in the system's ANSI code
// page; buffer sizes and return codes follow the platform: a name or data buffer that is too
// small gives ERROR_MORE_DATA (RegQueryValueExA then reports the size it needs), an index past
// the last subkey ERROR_NO_MORE_ITEMS, a missing key or value ERROR_FILE_NOT_FOUND. The registry
// is read-only: asking for any write access gives ERROR_ACCESS_DENIED.
LONG RegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD ulOptions, REGSAM samDesired, HKEY* phkResult);
LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName, DWORD* lpReserved, char* lpClass,
                   DWORD* lpcchClass, FILETIME* lpftLastWriteTime);
LONG RegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType, BYTE* lpData,
                      DWORD* lpcbData);
LONG RegCloseKey(HKEY hKey);

}  // namespace platform
