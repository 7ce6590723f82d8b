#include "platform/emulated_registry.h"

namespace platform {
namespace {

constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC |
                                WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// Generic and maximum rights stand for what reading needs.
REGSAM Granted(REGSAM access) {
  if (access & (GENERIC_READ | MAXIMUM_ALLOWED)) access |= KEY_READ;
  return access;
}

}  // namespace

bool EmulatedRegistry::Lookup(HKEY key, Handle& out) {
  if (const RegistryKey* root = tree_.Root(key)) {
    out = {root, KEY_ALL_ACCESS};
    return true;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = handles_.find(key);
  if (it == handles_.end()) return false;
  out = it->second;
  return true;
}

LONG EmulatedRegistry::OpenKey(HKEY key, std::string_view sub_key, REGSAM access, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = HKEY{};
  Handle parent{};
  if (!Lookup(key, parent)) return ERROR_INVALID_HANDLE;
  const auto names = RegistryTree::SplitKeyPath(sub_key);
  if (!names) return ERROR_BAD_PATHNAME;
  const RegistryKey* found = parent.key;
  for (std::string_view name : *names) {
    found = found->FindSubKey(name);
    if (!found) return ERROR_FILE_NOT_FOUND;
  }
  if (access & kWriteRights) return ERROR_ACCESS_DENIED;
  std::lock_guard<std::mutex> lock(mutex_);
  const HKEY handle{next_handle_};
  next_handle_ += 4;
  handles_.emplace(handle, Handle{found, Granted(access)});
  *result = handle;
  return ERROR_SUCCESS;
}

LONG EmulatedRegistry::EnumKey(HKEY key, DWORD index, std::string* name) {
  Handle h{};
  if (!Lookup(key, h)) return ERROR_INVALID_HANDLE;
  if (!(h.access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  const RegistryKey* sub = h.key->SubKeyAt(index);
  if (!sub) return ERROR_NO_MORE_ITEMS;
  if (name) *name = sub->Name();
  return ERROR_SUCCESS;
}

LONG EmulatedRegistry::QueryValue(HKEY key, std::string_view name, RegistryValue* value) {
  Handle h{};
  if (!Lookup(key, h)) return ERROR_INVALID_HANDLE;
  if (!(h.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  const RegistryValue* found = h.key->FindValue(name);
  if (!found) return ERROR_FILE_NOT_FOUND;
  if (value) *value = *found;
  return ERROR_SUCCESS;
}

LONG EmulatedRegistry::CloseKey(HKEY key) {
  if (tree_.Root(key)) return ERROR_SUCCESS;
  std::lock_guard<std::mutex> lock(mutex_);
  return handles_.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

size_t EmulatedRegistry::OpenHandles() {
  std::lock_guard<std::mutex> lock(mutex_);
  return handles_.size();
}

}  // namespace platform
