#pragma once

#include <string>

#include "platform/exception.h"
#include "platform/registry.h"
#include "toolkit/component.h"

// Raised by TRegistry when a value is not of the type asked for.
class ERegistryException : public platform::Exception {
 public:
  using Exception::Exception;
};

// The framework's registry class over the registry in use. Key paths starting with "\" are taken
// from the root key, others from the open key when there is one. Names and texts are UTF-8.
class TRegistry : public TObject {
 public:
  // The framework's defaults: root HKEY_CURRENT_USER, all access.
  TRegistry() : TRegistry(platform::KEY_ALL_ACCESS) {}
  explicit TRegistry(platform::REGSAM access) : access_(access) {}
  ~TRegistry() override;
  std::string ClassName() const override { return "TRegistry"; }

  platform::HKEY RootKey() const { return root_key_; }
  // A new root closes the open key.
  void SetRootKey(platform::HKEY root);
  platform::REGSAM Access() const { return access_; }
  void SetAccess(platform::REGSAM access) { access_ = access; }
  // The open key (none: HKEY{}) and its path below the root.
  platform::HKEY CurrentKey() const { return current_key_; }
  const std::string& CurrentPath() const { return current_path_; }

  // Opens the key for reading, trying ever fewer rights (all reading, query and enumeration,
  // query alone); on success it replaces the open key and Access becomes what was granted.
  bool OpenKeyReadOnly(const std::string& key);
  // Whether the key exists (opened and closed again for query and enumeration).
  bool KeyExists(const std::string& key);
  // Whether the open key has that value (false with no key open).
  bool ValueExists(const std::string& name);
  // The text of a string value of the open key; empty when the value or the key is missing.
  // Raises ERegistryException when the value is no string.
  std::string ReadString(const std::string& name);
  void CloseKey();

 private:
  // The key a path starts from, and the path without its leading "\".
  platform::HKEY BaseKey(std::string& path) const;

  platform::HKEY root_key_ = platform::HKEY_CURRENT_USER;
  platform::REGSAM access_;
  platform::HKEY current_key_{};
  std::string current_path_;
};
