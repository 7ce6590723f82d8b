#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace platform {

// One key of an emulated registry: its name as written, its subkeys and its values. Names are
// matched without regard to letter case; subkeys are kept in the order the registry enumerates
// them (by their upper-case names).
class RegistryKey {
 public:
  explicit RegistryKey(std::string name = {}) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }

  const RegistryKey* FindSubKey(std::string_view name) const;
  RegistryKey* FindSubKey(std::string_view name);
  // The subkey of that name, made when missing.
  RegistryKey& SubKey(std::string_view name);
  void DeleteSubKey(std::string_view name);
  size_t SubKeyCount() const { return subkeys_.size(); }
  // The subkey at that place of the enumeration order, or nullptr past the last.
  const RegistryKey* SubKeyAt(size_t index) const;

  // An empty name is the key's default value.
  const RegistryValue* FindValue(std::string_view name) const;
  void SetValue(std::string_view name, RegistryValue value);
  void SetString(std::string_view name, std::string_view utf8) { SetValue(name, StringValue(utf8)); }
  void DeleteValue(std::string_view name);

  // A REG_SZ (or REG_EXPAND_SZ) value holding the text, and a REG_DWORD value.
  static RegistryValue StringValue(std::string_view utf8, DWORD type = REG_SZ);
  static RegistryValue DwordValue(DWORD number);

 private:
  struct NamedValue {
    std::string name;
    RegistryValue value;
  };
  std::string name_;
  std::map<std::u16string, RegistryKey> subkeys_;
  std::map<std::u16string, NamedValue> values_;
};

// The keys of an emulated registry below its predefined root keys. It is built before the
// registry opens (from registry files and from keys generated from the host) and then only read.
class RegistryTree {
 public:
  RegistryTree();

  // The root key behind a predefined handle, or nullptr.
  const RegistryKey* Root(HKEY root) const;
  RegistryKey* Root(HKEY root);
  // The predefined handle of a root key's name ("HKEY_LOCAL_MACHINE"), matched without regard
  // to letter case.
  static std::optional<HKEY> RootByName(std::string_view name);

  // A "\"-separated path below a root; nullptr when a key on the way is missing or the path is
  // malformed (see SplitKeyPath).
  const RegistryKey* FindKey(HKEY root, std::string_view path) const;
  // The key of that path, made with the keys on the way when missing. Raises
  // std::invalid_argument for a malformed path or a root that is not predefined.
  RegistryKey& CreateKey(HKEY root, std::string_view path);
  void DeleteKey(HKEY root, std::string_view path);

  // The names of a key path. One trailing "\" is allowed; an empty name (a leading "\", "\\"
  // inside) makes the path malformed. An empty path is no names.
  static std::optional<std::vector<std::string_view>> SplitKeyPath(std::string_view path);

 private:
  std::map<HKEY, RegistryKey> roots_;
};

}  // namespace platform
