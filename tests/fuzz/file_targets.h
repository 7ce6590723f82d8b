#pragma once

#include <cstddef>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "named_scratch_folder.h"
#include "platform/state_file.h"
#include "platform/unicode.h"

// What the targets of the files a user keeps share.
namespace fuzz {

// The run's folder for a target's files, kept for the run: in memory where the system has
// /dev/shm, since every save syncs its file and its folder, which on a disk slows a run threefold.
inline NamedScratchFolder& ScratchFolderForFiles(std::string_view name) {
  std::error_code error;
  const std::filesystem::path memory = "/dev/shm";
  return *new NamedScratchFolder(name, std::filesystem::is_directory(memory, error) ? memory : std::filesystem::path());
}

// UTF-8 text as a file of one of the readers' encodings holds it: 0 UTF-8, 1 UTF-8 with its mark,
// 2 UTF-16 LE and 3 UTF-16 BE, each after its mark.
inline std::string EncodedText(const std::string& utf8, int encoding) {
  if (encoding < 2) return (encoding == 1 ? "\xEF\xBB\xBF" : "") + utf8;
  std::string bytes = encoding == 2 ? "\xFF\xFE" : "\xFE\xFF";
  for (const char16_t unit : platform::Utf8ToUtf16(utf8)) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += encoding == 2 ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

// The lines of a state file as its services read them (their own line ends and encoding).
inline std::vector<std::string> StateLines(const std::string& path) {
  const platform::StateDocument document = platform::StateDocument::Read(path);
  std::vector<std::string> lines;
  for (size_t n = 0; n < document.size(); ++n) lines.push_back(document.Line(n));
  return lines;
}

// Whether a save kept the user's lines: leaving out the lines a save may write (`ours`, on both
// sides), the lines after it are the lines before it in their order, but for at most `changed`
// lines (those of the records that changed or went), none of them a comment.
inline bool KeepsTheUsersLines(const std::vector<std::string>& before, const std::vector<std::string>& after,
                               const std::set<std::string>& ours, size_t changed) {
  std::vector<std::string> was, is;
  for (const std::string& line : before) {
    if (!ours.count(line)) was.push_back(line);
  }
  for (const std::string& line : after) {
    if (!ours.count(line)) is.push_back(line);
  }
  size_t gone = 0, next = 0;
  for (const std::string& line : was) {
    if (next < is.size() && is[next] == line) {
      ++next;
    } else if (platform::IsStateComment(line) || ++gone > changed) {
      return false;
    }
  }
  return next == is.size();
}

}  // namespace fuzz
