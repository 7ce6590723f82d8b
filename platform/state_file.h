#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_save.h"

// The files in which the emulated services (drives, services, firewall) keep what the real system
// would remember: readable text that a user may edit, one record a line. A save changes only the
// lines of the records that changed; everything else the user wrote stays as it was.
namespace platform {

// The path of a state file in `folder`, or in the user's state folder when `folder` is empty;
// empty when there is no home for it.
std::string StateFilePath(const std::string& folder, const char* name);

// One record of a state file as its service writes it: the line, the group it belongs to (a
// section; empty for a file without sections) and its key within the group.
struct StateEntry {
  std::string group;
  std::string key;
  std::string line;
  friend bool operator==(const StateEntry&, const StateEntry&) = default;
};

// How a service lays out what a save adds: the comment that opens a new file, the lines that
// open a group the file does not have yet (a section heading), and the line end of new lines.
struct StateLayout {
  std::string header;  // whole lines, each ending in "\n"
  std::function<std::vector<std::string>(const std::string& group)> opening;
  // Empty: the file's own (that of its first line that has one), "\n" for a file without one.
  std::string newline = {};
};

// How a file's lines are told apart, and what a file must be to be read at all.
enum class StateFormat {
  // Lines end in CR LF, LF or CR; UTF-8, or UTF-16 after its byte-order mark.
  kStateFile,
  // GTK's bookmarks: lines end in LF alone, and the file is UTF-8 throughout without a NUL (GTK
  // reads nothing of a file that is not, nor anything after a NUL); any other is not read.
  kGtkBookmarks,
};

// A state file as it was read: its lines as bytes with their own line ends, in the file's
// encoding (UTF-8, or UTF-16 after its byte-order mark), and what its service found in them. The
// document holds the file's lock (SaveLock) from before its read until it goes, so that a save
// writes over exactly what was read and no other writer of ours comes in between.
class StateDocument {
 public:
  StateDocument() = default;

  // The file at `path`, read under its lock; one that is missing or cannot be read is an empty
  // document that does not exist(). One that is there but cannot be read (no permission, a FIFO
  // under its name) is never saved over: the service reads its defaults, and a change of them
  // cannot be kept.
  static StateDocument Read(const std::string& path, StateFormat format = StateFormat::kStateFile);

  bool exists() const { return exists_; }
  // Something is there that could not be read; it is never saved over.
  bool unreadable() const { return !unreadable_.empty(); }
  size_t size() const { return lines_.size(); }
  // Line n as UTF-8 text without its line end; bytes that are not text read as U+FFFD.
  const std::string& Line(size_t n) const { return lines_[n].text; }

  // What the service found while it read the lines: line n belongs to `group` (entries new to
  // the group go after its last line), or holds the record `key` of `group` (when a key is told
  // for several lines, the last one told counts).
  void Group(size_t n, const std::string& group);
  void Entry(size_t n, const std::string& group, const std::string& key);
  // Line n holds another copy of the record `key` that the service skipped: it stays while the
  // record does, and goes with it, so that a removed record does not come back from it.
  void Copy(size_t n, const std::string& group, const std::string& key);

  // Writes the file with the records `after` where it held `before` (what the service read from
  // it): a record whose line says the same keeps its line byte for byte, a changed one gets its
  // new line in the place of the old, a new one goes after the last line of its group (or, with
  // the group's opening, at the end), and the line of one that is gone is removed with its copies. Every other
  // line stays as it was, in its place. A file that did not exist is written whole, after the
  // layout's header. The file is replaced as SaveLock::ReplaceFile replaces it: at once, durably,
  // a link written through to its target. A line that would hold a control character (which
  // could break the line in two) is never written, nor a file that was there but could not be
  // read, nor one whose lock was not had, nor one the user cannot write: the save is refused.
  // False on failure, with a line on the standard error naming `service`, the file and why.
  bool Save(std::string_view service, const std::string& path, const std::vector<StateEntry>& before,
            const std::vector<StateEntry>& after, const StateLayout& layout) const;

 private:
  enum class Encoding { kUtf8, kUtf16Le, kUtf16Be };
  struct RawLine {
    std::string content;  // bytes in the file's encoding
    std::string end;      // the line end's bytes; empty for a last line without one
    std::string text;     // UTF-8
  };

  std::string Encode(std::string_view utf8) const;

  SaveLock lock_;
  bool exists_ = false;
  std::string unreadable_;  // why a file that is there could not be read
  Encoding encoding_ = Encoding::kUtf8;
  std::string prefix_;  // the byte-order mark
  std::vector<RawLine> lines_;
  std::string tail_;  // half a UTF-16 unit that ends the file, kept after every line
  std::map<std::string, size_t> group_end_;
  std::map<std::pair<std::string, std::string>, size_t> entry_line_;
  std::multimap<std::pair<std::string, std::string>, size_t> copy_lines_;
};

// Reports a line of a state file that the service cannot read, on the standard error, once per
// file, line and text: "<service>: <file>:<line>: <reason>; line skipped".
void ReportSkippedLine(std::string_view service, const std::string& file, size_t line, std::string_view text,
                       std::string_view reason);

// The text without blanks (space, tab) at its ends.
std::string_view TrimBlanks(std::string_view text);

// Whether the line carries no record: empty, blanks only, or a comment starting with "#".
bool IsStateComment(std::string_view line);

}  // namespace platform
