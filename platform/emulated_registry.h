#pragma once

#include <map>
#include <mutex>

#include "platform/registry.h"
#include "platform/registry_tree.h"

namespace platform {

// A registry over a tree of keys that is read only: opening a key for any write access is
// refused with ERROR_ACCESS_DENIED, as it is for a user without the right to change a key. A
// handle gives the access it was opened with: values need KEY_QUERY_VALUE, enumeration
// KEY_ENUMERATE_SUB_KEYS. The predefined root keys are always open with every right.
class EmulatedRegistry final : public Registry {
 public:
  explicit EmulatedRegistry(RegistryTree tree) : tree_(std::move(tree)) {}

  LONG OpenKey(HKEY key, std::string_view sub_key, REGSAM access, HKEY* result) override;
  LONG EnumKey(HKEY key, DWORD index, std::string* name) override;
  LONG QueryValue(HKEY key, std::string_view name, RegistryValue* value) override;
  LONG CloseKey(HKEY key) override;

  const RegistryTree& Tree() const { return tree_; }
  // Handles opened and not yet closed.
  size_t OpenHandles();

 private:
  struct Handle {
    const RegistryKey* key;
    REGSAM access;
  };
  // The key and rights behind a handle; false for no open handle.
  bool Lookup(HKEY key, Handle& out);

  const RegistryTree tree_;
  std::mutex mutex_;
  std::map<HKEY, Handle> handles_;
  uintptr_t next_handle_ = 0x100;
};

}  // namespace platform
