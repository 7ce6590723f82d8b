#include "toolkit/resources.h"

#include <map>
#include <mutex>

namespace {
std::mutex g_mutex;
std::map<std::string, std::string_view, std::less<>>& Files() {
  static std::map<std::string, std::string_view, std::less<>> files;
  return files;
}
}  // namespace

void RegisterEmbeddedFiles(const TEmbeddedFile* files, size_t count) {
  std::lock_guard<std::mutex> lock(g_mutex);
  for (size_t i = 0; i < count; ++i) {
    Files()[files[i].path] = std::string_view(reinterpret_cast<const char*>(files[i].data), files[i].size);
  }
}

std::optional<std::string_view> FindEmbeddedFile(std::string_view path) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = Files().find(path);
  if (it == Files().end()) return std::nullopt;
  return it->second;
}

std::vector<std::string> EmbeddedFilesUnder(std::string_view folder) {
  std::lock_guard<std::mutex> lock(g_mutex);
  std::vector<std::string> paths;
  for (const auto& [path, data] : Files()) {
    if (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/') {
      paths.push_back(path);
    }
  }
  return paths;
}
