// The desktop's bookmarks of any bytes, among them our own bookmark lines with any line ends, and
// remembered connections gained and lost: as GTK reads the file afterwards (UTF-8, lines split
// at LF), every bookmark we add is a line of it, every one we remove is gone, and every other line
// is kept in its order. A file GTK cannot read is left as it was, and a change of it fails.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>
#include <vector>

#include "check.h"
#include "file_targets.h"
#include "platform/gtk_bookmarks.h"
#include "platform/text_file.h"
#include "platform/unicode.h"

namespace {

using fuzz::Check;
using platform::NetworkConnection;

const char* const kEnds[] = {"\n", "\r\n", "\r", ""};

// The lines GTK reads: the text split at LF, without the empty piece after a last LF.
std::vector<std::string> GtkLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool GtkReads(const std::string& text) {
  return text.find('\0') == std::string::npos && platform::Utf16ToUtf8(platform::Utf8ToUtf16(text)) == text;
}

template <typename T>
bool Holds(const std::vector<T>& list, const T& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static NamedScratchFolder& folder = fuzz::ScratchFolderForFiles("fuzz-bookmarks");
  FuzzedDataProvider input(data, size);
  std::vector<NetworkConnection> known;
  for (size_t n = input.ConsumeIntegralInRange<size_t>(1, 4); known.size() < n;) {
    const int letter = input.ConsumeIntegralInRange<int>(0, 26);
    known.push_back({letter == 26 ? std::string() : std::string{static_cast<char>('A' + letter), ':'},
                     "\\\\" + input.ConsumeRandomLengthString(10) + "\\" + input.ConsumeRandomLengthString(10)});
  }
  std::vector<NetworkConnection> before, after;
  for (const NetworkConnection& c : known) {
    if (input.ConsumeBool()) before.push_back(c);
    if (input.ConsumeBool()) after.push_back(c);
  }
  // The file: pieces of any bytes and bookmark lines of the connections.
  std::string text;
  for (size_t pieces = input.ConsumeIntegralInRange<size_t>(0, 8); pieces > 0; --pieces) {
    if (input.ConsumeBool()) {
      text += platform::ConnectionBookmark(known[input.ConsumeIntegralInRange<size_t>(0, known.size() - 1)]);
      text += kEnds[input.ConsumeIntegralInRange<size_t>(0, 3)];
    } else {
      text += input.ConsumeRandomLengthString(60);
    }
  }
  const std::string file = folder.Write("bookmarks", text);

  std::vector<std::string> gone, added;
  for (const NetworkConnection& c : before) {
    if (!c.local_name.empty() && !Holds(after, c)) gone.push_back(platform::ConnectionBookmark(c));
  }
  for (const NetworkConnection& c : after) {
    if (!c.local_name.empty() && !Holds(before, c)) added.push_back(platform::ConnectionBookmark(c));
  }
  const bool done = platform::FollowRememberedConnections(file, before, after);
  const std::string now = platform::ReadFileBytes(file).bytes;
  if (!GtkReads(text)) {
    Check(done == (gone.empty() && added.empty()));
    Check(now == text);
    return 0;
  }
  Check(done);
  Check(GtkReads(now));
  // The user's lines in their order, then each bookmark added that the file does not hold. A line
  // both gone and added (two connections with one bookmark) stays once, in its first place.
  std::vector<std::string> expected;
  for (const std::string& line : GtkLines(text)) {
    if (!Holds(gone, line) || (Holds(added, line) && !Holds(expected, line))) expected.push_back(line);
  }
  for (const std::string& bookmark : added) {
    if (!Holds(expected, bookmark)) expected.push_back(bookmark);
  }
  Check(GtkLines(now) == expected);
  return 0;
}
