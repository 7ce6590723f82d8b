#include "platform/registry_tree.h"

#include <iterator>
#include <stdexcept>

#include "platform/unicode.h"

namespace platform {
namespace {

std::u16string Folded(std::string_view name) { return UpcaseName(Utf8ToUtf16(name)); }

constexpr std::pair<std::string_view, HKEY> kRoots[] = {
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},     {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},   {"HKEY_USERS", HKEY_USERS},
    {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
};

}  // namespace

const RegistryKey* RegistryKey::FindSubKey(std::string_view name) const {
  const auto it = subkeys_.find(Folded(name));
  return it == subkeys_.end() ? nullptr : &it->second;
}

RegistryKey* RegistryKey::FindSubKey(std::string_view name) {
  return const_cast<RegistryKey*>(static_cast<const RegistryKey*>(this)->FindSubKey(name));
}

RegistryKey& RegistryKey::SubKey(std::string_view name) {
  return subkeys_.try_emplace(Folded(name), std::string(name)).first->second;
}

void RegistryKey::DeleteSubKey(std::string_view name) { subkeys_.erase(Folded(name)); }

const RegistryKey* RegistryKey::SubKeyAt(size_t index) const {
  if (index >= subkeys_.size()) return nullptr;
  return &std::next(subkeys_.begin(), static_cast<std::ptrdiff_t>(index))->second;
}

const RegistryValue* RegistryKey::FindValue(std::string_view name) const {
  const auto it = values_.find(Folded(name));
  return it == values_.end() ? nullptr : &it->second.value;
}

void RegistryKey::SetValue(std::string_view name, RegistryValue value) {
  values_.insert_or_assign(Folded(name), NamedValue{std::string(name), std::move(value)});
}

void RegistryKey::DeleteValue(std::string_view name) { values_.erase(Folded(name)); }

RegistryValue RegistryKey::StringValue(std::string_view utf8, DWORD type) {
  RegistryValue value{type, {}};
  for (char16_t unit : Utf8ToUtf16(utf8)) {
    value.data.push_back(static_cast<BYTE>(unit & 0xFF));
    value.data.push_back(static_cast<BYTE>(unit >> 8));
  }
  value.data.insert(value.data.end(), {0, 0});
  return value;
}

RegistryValue RegistryKey::DwordValue(DWORD number) {
  return {REG_DWORD,
          {static_cast<BYTE>(number), static_cast<BYTE>(number >> 8), static_cast<BYTE>(number >> 16),
           static_cast<BYTE>(number >> 24)}};
}

RegistryTree::RegistryTree() {
  for (const auto& [name, handle] : kRoots) roots_.emplace(handle, RegistryKey(std::string(name)));
}

const RegistryKey* RegistryTree::Root(HKEY root) const {
  const auto it = roots_.find(root);
  return it == roots_.end() ? nullptr : &it->second;
}

RegistryKey* RegistryTree::Root(HKEY root) {
  return const_cast<RegistryKey*>(static_cast<const RegistryTree*>(this)->Root(root));
}

std::optional<HKEY> RegistryTree::RootByName(std::string_view name) {
  for (const auto& [root_name, handle] : kRoots) {
    if (NamesEqual(Utf8ToUtf16(root_name), Utf8ToUtf16(name))) return handle;
  }
  return std::nullopt;
}

std::optional<std::vector<std::string_view>> RegistryTree::SplitKeyPath(std::string_view path) {
  if (path.ends_with('\\')) path.remove_suffix(1);
  std::vector<std::string_view> names;
  if (path.empty()) return names;
  for (size_t start = 0;;) {
    const size_t end = path.find('\\', start);
    const std::string_view name = path.substr(start, end == std::string_view::npos ? end : end - start);
    if (name.empty()) return std::nullopt;
    names.push_back(name);
    if (end == std::string_view::npos) return names;
    start = end + 1;
  }
}

const RegistryKey* RegistryTree::FindKey(HKEY root, std::string_view path) const {
  const RegistryKey* key = Root(root);
  const auto names = SplitKeyPath(path);
  if (!key || !names) return nullptr;
  for (std::string_view name : *names) {
    key = key->FindSubKey(name);
    if (!key) return nullptr;
  }
  return key;
}

RegistryKey& RegistryTree::CreateKey(HKEY root, std::string_view path) {
  RegistryKey* key = Root(root);
  const auto names = SplitKeyPath(path);
  if (!key) throw std::invalid_argument("not a root key of the registry");
  if (!names) throw std::invalid_argument("malformed registry key path: " + std::string(path));
  for (std::string_view name : *names) key = &key->SubKey(name);
  return *key;
}

void RegistryTree::DeleteKey(HKEY root, std::string_view path) {
  const auto names = SplitKeyPath(path);
  if (!names || names->empty()) return;
  const std::vector<std::string_view> parent_path(names->begin(), names->end() - 1);
  RegistryKey* parent = Root(root);
  for (std::string_view name : parent_path) {
    if (!parent) return;
    parent = parent->FindSubKey(name);
  }
  if (parent) parent->DeleteSubKey(names->back());
}

}  // namespace platform
