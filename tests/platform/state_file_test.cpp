#include "platform/state_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::StateDocument;
using platform::StateEntry;
using Entries = std::vector<StateEntry>;

std::string Read(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A service of "<key> <value>" lines, keys a letter and a digit, each in the group of its letter.
StateEntry Record(const std::string& key, const std::string& value) {
  return {key.substr(0, 1), key, key + " " + value};
}
Entries Tag(StateDocument& document) {
  Entries found;
  for (size_t n = 0; n < document.size(); ++n) {
    const std::string& line = document.Line(n);
    const size_t gap = line.find(' ');
    if (gap != 2 || !std::isalpha(static_cast<unsigned char>(line[0])) ||
        !std::isdigit(static_cast<unsigned char>(line[1]))) {
      continue;
    }
    found.push_back(Record(line.substr(0, gap), line.substr(gap + 1)));
    document.Entry(n, found.back().group, found.back().key);
  }
  return found;
}

const platform::StateLayout kLayout{
    "# made by the test\n", [](const std::string& group) { return std::vector<std::string>{"# group " + group}; }};

TEST(StateDocument, ASaveRewritesOnlyTheRecordsThatChanged) {
  ScratchFolder folder;
  const struct {
    const char* name;
    std::string bytes;
    Entries after;
    std::string expected;
  } cases[] = {
      {"nothing changed", "# mine\na1 x\n\xE9t\xE9 ?\n", {Record("a1", "x")}, "# mine\na1 x\n\xE9t\xE9 ?\n"},
      {"a value changed in its place",
       "a1 x\n# mine\nb1 y\n",
       {Record("a1", "z"), Record("b1", "y")},
       "a1 z\n# mine\nb1 y\n"},
      {"a record goes", "a1 x\n# mine\nb1 y\n", {Record("b1", "y")}, "# mine\nb1 y\n"},
      {"a new one after its group",
       "a1 x\nb1 y\n# end\n",
       {Record("a1", "x"), Record("a2", "n"), Record("b1", "y")},
       "a1 x\na2 n\nb1 y\n# end\n"},
      {"a new group at the end",
       "a1 x\n# end",
       {Record("a1", "x"), Record("c1", "n")},
       "a1 x\n# end\n# group c\nc1 n\n"},
      {"CR LF stays, new lines take it",
       "a1 x\r\n# mine\r\n",
       {Record("a1", "x"), Record("a2", "n")},
       "a1 x\r\na2 n\r\n# mine\r\n"},
      {"the byte-order mark stays",
       "\xEF\xBB\xBF"
       "a1 x\n",
       {Record("a1", "y")},
       "\xEF\xBB\xBF"
       "a1 y\n"},
      {"UTF-16 stays UTF-16",
       std::string("\xFF\xFE"
                   "a\0001\000 \000x\000\n\000",
                   12),
       {Record("a1", "\xC3\xA9")},
       std::string("\xFF\xFE"
                   "a\0001\000 \000\xE9\000\n\000",
                   12)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = folder.Write("state.txt", c.bytes);
    StateDocument document = StateDocument::Read(file);
    const Entries before = Tag(document);
    ASSERT_TRUE(document.Save("test", file, before, c.after, kLayout));
    EXPECT_EQ(Read(file), c.expected);
  }
}

TEST(StateDocument, ANewFileIsWrittenWholeForTheUserAlone) {
  ScratchFolder folder;
  const std::string file = (folder.path() / "state" / "state.txt").string();
  StateDocument document = StateDocument::Read(file);
  EXPECT_FALSE(document.exists());
  ASSERT_TRUE(document.Save("test", file, {Record("a1", "old")}, {Record("a1", "x"), Record("b1", "y")}, kLayout));
  EXPECT_EQ(Read(file), "# made by the test\n# group a\na1 x\n# group b\nb1 y\n");
  EXPECT_EQ(fs::status(folder.path() / "state").permissions(), fs::perms::owner_all);
  EXPECT_EQ(fs::status(file).permissions() & (fs::perms::group_all | fs::perms::others_all), fs::perms::none);
}

// The link stays a link; its target is replaced at once and keeps its permissions.
TEST(StateDocument, ALinkIsWrittenThroughToItsTarget) {
  ScratchFolder folder;
  fs::create_directories(folder.path() / "dotfiles");
  const std::string target = folder.Write("dotfiles/state.txt", "# mine\na1 x\n");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_directories(folder.path() / "state");
  fs::create_symlink("../dotfiles/state.txt", folder.path() / "state" / "state.txt");
  const std::string link = (folder.path() / "state" / "state.txt").string();
  StateDocument document = StateDocument::Read(link);
  const Entries before = Tag(document);
  ASSERT_TRUE(document.Save("test", link, before, {Record("a1", "y")}, kLayout));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Read(target), "# mine\na1 y\n");
  EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path() / "dotfiles"), fs::directory_iterator()), 1);
}

// Something under the name that cannot be read reads as a file that is not there, but is never
// replaced: what it holds would be lost.
TEST(StateDocument, WhatIsThereButCannotBeReadIsNeverWrittenOver) {
  ScratchFolder folder;
  const struct {
    const char* name;
    std::function<void(const std::string&)> make;
  } cases[] = {
      {"a FIFO", [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }},
      {"a folder", [](const std::string& path) { fs::create_directories(fs::path(path) / "mine"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = folder.File(c.name);
    c.make(file);
    const fs::file_type type = fs::symlink_status(file).type();
    StateDocument document = StateDocument::Read(file);
    EXPECT_FALSE(document.exists());
    EXPECT_EQ(document.size(), 0u);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(document.Save("test", file, {}, {Record("a1", "x")}, kLayout));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "test: cannot write " + file + ": it is there but cannot be read (not a regular file)\n");
    EXPECT_EQ(fs::symlink_status(file).type(), type);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2)
      << "no temporary file is left";
}

// A field with a line break would become a record of its own: nothing is written.
TEST(StateDocument, ALineWithAControlCharacterIsNeverWritten) {
  ScratchFolder folder;
  const std::string file = folder.Write("state.txt", "a1 x\n");
  for (const char* value : {"y\nremembered Q: \\\\evil\\share", "y\rz", "tab\there", "\x7F"}) {
    StateDocument document = StateDocument::Read(file);
    const Entries before = Tag(document);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(document.Save("test", file, before, {Record("a1", value)}, kLayout));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "test: cannot write " + file + ": a field holds a control character\n");
    EXPECT_EQ(Read(file), "a1 x\n");
  }
}

}  // namespace
