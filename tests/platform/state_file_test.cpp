#include "platform/state_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/virtual_clock.h"
#include "processes_at_once.h"
#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::SaveStep;
using platform::StateDocument;
using platform::StateEntry;
using Entries = std::vector<StateEntry>;

// The names in a folder.
std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

// A save's temporary files left in a folder.
std::set<std::string> Temporaries(const fs::path& folder) {
  std::set<std::string> found;
  for (const std::string& name : Names(folder)) {
    if (name.find(".orvo-save-") != std::string::npos) found.insert(name);
  }
  return found;
}

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
      // A bare CR never comes to stand before an empty line's LF, which would read as one line end.
      {"a CR before an empty line, the line between them gone", "a1 x\rb1 y\n\n", {Record("a1", "x")}, "a1 x\r\n\n"},
      {"a CR before an empty line, a new line ending in it",
       "# c\ra1 x\n\n",
       {Record("a1", "x"), Record("a2", "n")},
       "# c\ra1 x\na2 n\r\n\n"},
      // The stray byte stays at the end; what is written before it keeps to whole units.
      {"UTF-16 with half a unit at its end",
       std::string("\xFF\xFE"
                   "a\0001\000 \000x\000\n\000Z",
                   13),
       {Record("a1", "x"), Record("a2", "n")},
       std::string("\xFF\xFE"
                   "a\0001\000 \000x\000\n\000"
                   "a\0002\000 \000n\000\n\000Z",
                   23)},
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
  EXPECT_EQ(Names(folder.path() / "dotfiles"), (std::set<std::string>{"state.txt", ".state.txt.orvo-lock"}))
      << "the lock is beside the file the link leads to, and no temporary file is left";
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
  EXPECT_EQ(Temporaries(folder.path()), std::set<std::string>{});
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

// A file the user made read-only, or one with further hard links, is never replaced: a rename
// would write over the user's choice, or part the file from its other names.
TEST(StateDocument, AFileTheUserCannotWriteOrWithHardLinksIsNeverReplaced) {
  ScratchFolder folder;
  const struct {
    const char* name;
    std::function<void(const std::string&)> make;
    std::string reason;
  } cases[] = {
      {"read-only",
       [](const std::string& file) {
         fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
       },
       "it is read-only"},
      {"hard-linked", [&](const std::string& file) { fs::create_hard_link(file, folder.File("elsewhere.txt")); },
       "it has 2 hard links, which a save would part from it"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = folder.Write(std::string(c.name) + ".txt", "a1 x\n");
    c.make(file);
    const fs::file_status status = fs::status(file);
    StateDocument document = StateDocument::Read(file);
    const Entries before = Tag(document);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(document.Save("test", file, before, {Record("a1", "y")}, kLayout));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "test: cannot write " + file + ": " + c.reason + "\n");
    EXPECT_EQ(Read(file), "a1 x\n");
    EXPECT_EQ(fs::status(file).permissions(), status.permissions());
    EXPECT_EQ(fs::hard_link_count(file), c.name == std::string("hard-linked") ? 2u : 1u);
  }
  EXPECT_EQ(Temporaries(folder.path()), std::set<std::string>{});
}

// The file is synced before its rename and the folder after it, and only then is the save done:
// a step that fails fails the save. Before the rename the file stays as it was.
TEST(StateDocument, ASaveIsDoneOnlyOnceTheFileAndItsFolderAreSynced) {
  ScratchFolder folder;
  const std::string file = folder.Write("state.txt", "a1 x\n");
  std::vector<SaveStep> steps;
  platform::SetSaveStepHookForTest([&](SaveStep step) {
    steps.push_back(step);
    return 0;
  });
  {
    StateDocument document = StateDocument::Read(file);
    ASSERT_TRUE(document.Save("test", file, Tag(document), {Record("a1", "y")}, kLayout));
  }
  EXPECT_EQ(steps, (std::vector<SaveStep>{SaveStep::kSyncFile, SaveStep::kRename, SaveStep::kSyncFolder}));
  const struct {
    SaveStep failing;
    std::string reason;
    std::string after;
  } cases[] = {
      {SaveStep::kSyncFile, "Input/output error", "a1 y\n"},
      {SaveStep::kRename, "Input/output error", "a1 y\n"},
      // Renamed, but not yet safe from a power cut.
      {SaveStep::kSyncFolder, "cannot sync its folder: Input/output error", "a1 z\n"},
  };
  for (const auto& c : cases) {
    platform::SetSaveStepHookForTest([&](SaveStep step) { return step == c.failing ? EIO : 0; });
    std::ofstream(file, std::ios::binary) << "a1 y\n";
    StateDocument document = StateDocument::Read(file);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(document.Save("test", file, Tag(document), {Record("a1", "z")}, kLayout));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "test: cannot write " + file + ": " + c.reason + "\n");
    EXPECT_EQ(Read(file), c.after);
  }
  platform::SetSaveStepHookForTest(nullptr);
  EXPECT_EQ(Temporaries(folder.path()), std::set<std::string>{});
}

// A save that dies before its rename leaves the file as it was and its temporary file behind;
// the next save removes that one, and nothing that is another's, in use, or the user's own.
TEST(StateDocument, ASaveClearsAwayWhatASaveThatDiedLeft) {
  ScratchFolder folder;
  const std::string file = folder.Write("state.txt", "a1 x\n");
  EXPECT_EQ(InProcessesAtOnce(1,
                              [&](size_t) {
                                platform::SetSaveStepHookForTest([](SaveStep step) {
                                  if (step == SaveStep::kRename) std::_Exit(0);
                                  return 0;
                                });
                                StateDocument document = StateDocument::Read(file);
                                document.Save("test", file, Tag(document), {Record("a1", "y")}, kLayout);
                                return 1;
                              }),
            std::vector<int>{0})
      << "the child died at the rename";
  EXPECT_EQ(Read(file), "a1 x\n");
  const std::set<std::string> died = Temporaries(folder.path());
  ASSERT_EQ(died.size(), 1u);

  std::set<std::string> kept = {"state.txt.backup", ".state.txt.orvo-save-long-name", ".other.txt.orvo-save-AAAAAA"};
  for (const std::string& name : kept) folder.Write(name, "mine");
  const std::string in_use = folder.Write(".state.txt.orvo-save-BBBBBB", "a save under way");
  const int held = ::open(in_use.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  kept.insert(".state.txt.orvo-save-BBBBBB");
  if (::geteuid() == 0) {
    const std::string others = folder.Write(".state.txt.orvo-save-CCCCCC", "another user's");
    ASSERT_EQ(::chown(others.c_str(), 65534, 65534), 0);
    kept.insert(".state.txt.orvo-save-CCCCCC");
  }

  StateDocument document = StateDocument::Read(file);
  ASSERT_TRUE(document.Save("test", file, Tag(document), {Record("a1", "z")}, kLayout));
  ::close(held);
  EXPECT_EQ(Read(file), "a1 z\n");
  std::set<std::string> expected = kept;
  expected.insert({"state.txt", ".state.txt.orvo-lock"});
  EXPECT_EQ(Names(folder.path()), expected);
}

// Two processes that add records to one file at once both keep theirs: each reads the file under
// the lock that the other's save holds until its rename.
TEST(StateDocument, TwoWritersAtOnceLoseNothing) {
  ScratchFolder folder;
  const std::string file = folder.Write("state.txt", "# shared\n");
  constexpr int kRounds = 40;
  const char groups[] = {'a', 'b'};
  const std::vector<int> codes = InProcessesAtOnce(2, [&](size_t writer) {
    const std::string group(1, groups[writer]);
    for (int round = 0; round < kRounds; ++round) {
      StateDocument document = StateDocument::Read(file);
      const Entries before = Tag(document);
      Entries after = before;
      after.push_back({group, group + std::to_string(round), group + std::to_string(round) + " added"});
      if (!document.Save("test", file, before, after, kLayout)) return 1;
    }
    return 0;
  });
  EXPECT_EQ(codes, (std::vector<int>{0, 0}));
  const std::string text = Read(file);
  for (const char group : groups) {
    for (int round = 0; round < kRounds; ++round) {
      const std::string line = std::string(1, group) + std::to_string(round) + " added\n";
      EXPECT_NE(text.find(line), std::string::npos) << line;
    }
  }
}

// A writer that holds the lock too long does not hang the next: it gives up on its save, and what
// it read stands.
TEST(StateDocument, ALockHeldTooLongFailsTheSaveAfterABoundedWait) {
  ScratchFolder folder;
  const std::string file = folder.Write("state.txt", "a1 x\n");
  platform::ScopedVirtualClock clock;
  const platform::SaveLock other = platform::SaveLock::Take(file);
  ASSERT_TRUE(other.held());
  const uint64_t start = clock->NowMs();
  StateDocument document = StateDocument::Read(file);
  EXPECT_EQ(clock->NowMs() - start, platform::kSaveLockWaitMs);
  const Entries before = Tag(document);
  EXPECT_EQ(before, Entries{Record("a1", "x")});
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(document.Save("test", file, before, {Record("a1", "y")}, kLayout));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "test: cannot write " + file + ": its lock was not had (another writer held its lock too long)\n");
  EXPECT_EQ(Read(file), "a1 x\n");
}

}  // namespace
