#include "toolkit/registry.h"

namespace {

using platform::CurrentRegistry;
using platform::ERROR_SUCCESS;
using platform::HKEY;
using platform::REGSAM;

bool IsRelative(const std::string& path) { return path.empty() || path.front() != '\\'; }

}  // namespace

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY root) {
  if (root == root_key_) return;
  root_key_ = root;
  CloseKey();
}

HKEY TRegistry::BaseKey(std::string& path) const {
  const bool relative = IsRelative(path);
  if (!relative) path.erase(0, 1);
  return relative && current_key_ != HKEY{} ? current_key_ : root_key_;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
  std::string path = key;
  const bool relative = IsRelative(path) && current_key_ != HKEY{};
  const HKEY base = BaseKey(path);
  constexpr REGSAM kTries[] = {
      platform::KEY_READ, platform::STANDARD_RIGHTS_READ | platform::KEY_QUERY_VALUE | platform::KEY_ENUMERATE_SUB_KEYS,
      platform::KEY_QUERY_VALUE};
  for (REGSAM access : kTries) {
    HKEY opened{};
    if (CurrentRegistry().OpenKey(base, path, access, &opened) != ERROR_SUCCESS) continue;
    const std::string new_path = relative ? current_path_ + "\\" + path : path;
    CloseKey();
    current_key_ = opened;
    current_path_ = new_path;
    access_ = access;
    return true;
  }
  return false;
}

bool TRegistry::KeyExists(const std::string& key) {
  std::string path = key;
  const HKEY base = BaseKey(path);
  HKEY opened{};
  const REGSAM access = platform::STANDARD_RIGHTS_READ | platform::KEY_QUERY_VALUE | platform::KEY_ENUMERATE_SUB_KEYS;
  if (CurrentRegistry().OpenKey(base, path, access, &opened) != ERROR_SUCCESS) return false;
  CurrentRegistry().CloseKey(opened);
  return true;
}

bool TRegistry::ValueExists(const std::string& name) {
  if (current_key_ == HKEY{}) return false;
  platform::RegistryValue value;
  return CurrentRegistry().QueryValue(current_key_, name, &value) == ERROR_SUCCESS;
}

std::string TRegistry::ReadString(const std::string& name) {
  if (current_key_ == HKEY{}) return {};
  platform::RegistryValue value;
  if (CurrentRegistry().QueryValue(current_key_, name, &value) != ERROR_SUCCESS || value.data.empty()) return {};
  if (value.type != platform::REG_SZ && value.type != platform::REG_EXPAND_SZ) {
    throw ERegistryException("Invalid data type for '" + name + "'");
  }
  return platform::RegistryValueText(value);
}

void TRegistry::CloseKey() {
  if (current_key_ == HKEY{}) return;
  CurrentRegistry().CloseKey(current_key_);
  current_key_ = HKEY{};
  current_path_.clear();
}
