#include "platform/state_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <tuple>

#include "platform/state_folder.h"
#include "platform/text_file.h"
#include "platform/unicode.h"

namespace platform {

std::string StateFilePath(const std::string& folder, const char* name) {
  const std::string base = folder.empty() ? StateFolderPath() : folder;
  return base.empty() ? std::string{} : base + "/" + name;
}

std::optional<std::vector<std::string>> ReadStateLines(const std::string& path) {
  const auto text = ReadTextFile(path);
  if (!text) return std::nullopt;
  const std::string utf8 = Utf16ToUtf8(*text);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < utf8.size()) {
    size_t end = utf8.find_first_of("\r\n", start);
    if (end == std::string::npos) end = utf8.size();
    lines.push_back(utf8.substr(start, end - start));
    if (end + 1 < utf8.size() && utf8[end] == '\r' && utf8[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return lines;
}

bool WriteStateFile(const std::string& path, const std::string& text) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path target(path);
  if (target.has_parent_path() && fs::create_directories(target.parent_path(), error)) {
    fs::permissions(target.parent_path(), fs::perms::owner_all, error);
  }
  if (error) return false;
  const fs::path temporary = target.string() + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    if (!out) {
      fs::remove(temporary, error);
      return false;
    }
  }
  fs::rename(temporary, target, error);
  if (error) fs::remove(temporary, error);
  return !error;
}

void ReportSkippedLine(std::string_view service, const std::string& file, size_t line, std::string_view text,
                       std::string_view reason) {
  static std::mutex mutex;
  static std::set<std::tuple<std::string, size_t, std::string>> reported;
  std::lock_guard<std::mutex> lock(mutex);
  if (!reported.emplace(file, line, std::string(text)).second) return;
  std::fprintf(stderr, "%.*s: %s:%zu: %.*s; line skipped\n", static_cast<int>(service.size()), service.data(),
               file.c_str(), line, static_cast<int>(reason.size()), reason.data());
}

std::string_view TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsStateComment(std::string_view line) {
  line = TrimBlanks(line);
  return line.empty() || line.front() == '#';
}

}  // namespace platform
