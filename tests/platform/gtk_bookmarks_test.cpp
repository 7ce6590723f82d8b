#include "platform/gtk_bookmarks.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "scratch_folder.h"

namespace {

using platform::NetworkConnection;

TEST(GtkBookmarks, TheLineOfAConnection) {
  struct Case {
    NetworkConnection connection;
    std::string bookmark;
  };
  const Case cases[] = {
      {{"Z:", "\\\\Storage\\Volume_1"}, "smb://Storage/Volume_1 Z: Volume_1 on Storage"},
      {{"Y:", "\\\\My NAS\\Volume 2"}, "smb://My%20NAS/Volume%202 Y: Volume 2 on My NAS"},
      {{"X:", "\\\\Bücher\\50%#?"}, "smb://B%C3%BCcher/50%25%23%3F X: 50%#? on Bücher"},
      {{"W:", "\\\\nas\\Volume_1\\Photos\\2024"}, "smb://nas/Volume_1/Photos/2024 W: Volume_1/Photos/2024 on nas"},
      // A line end in a name would end the bookmark and start another line of the file.
      {{"V:", "\\\\nas\\a\nsmb://evil/x"}, "smb://nas/a%0Asmb%3A%2F%2Fevil%2Fx V: a smb://evil/x on nas"},
      {{"U:", "\\\\nas\\caf\xE9"}, "smb://nas/caf%E9 U: caf\uFFFD on nas"},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::ConnectionBookmark(c.connection), c.bookmark);
}

TEST(GtkBookmarks, TheFileOfTheUser) {
  EXPECT_EQ(platform::GtkBookmarksPathFor("/xdg/config", "/home/u"), "/xdg/config/gtk-3.0/bookmarks");
  EXPECT_EQ(platform::GtkBookmarksPathFor("relative/config", "/home/u"), "/home/u/.config/gtk-3.0/bookmarks")
      << "a relative XDG_CONFIG_HOME does not count";
  EXPECT_EQ(platform::GtkBookmarksPathFor(nullptr, "/home/u"), "/home/u/.config/gtk-3.0/bookmarks");
}

TEST(GtkBookmarks, FollowsTheRememberedConnectionsAndNothingElse) {
  ScratchFolder folder;
  const std::string file = folder.File("config/gtk-3.0/bookmarks");
  auto read = [&] {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const NetworkConnection z{"Z:", "\\\\Storage\\Volume_1"}, y{"Y:", "\\\\Storage\\Volume_2"};
  const NetworkConnection deviceless{"", "\\\\Storage\\Public"};
  EXPECT_TRUE(platform::FollowRememberedConnections(file, {}, {z, deviceless}));
  EXPECT_EQ(read(), "smb://Storage/Volume_1 Z: Volume_1 on Storage\n") << "the folder is made; no letter, no bookmark";
  EXPECT_TRUE(platform::FollowRememberedConnections(file, {z}, {z, y}));
  EXPECT_EQ(read(), "smb://Storage/Volume_1 Z: Volume_1 on Storage\nsmb://Storage/Volume_2 Y: Volume_2 on Storage\n");
  // A bookmark the file holds already is not added twice; a removal takes one line.
  EXPECT_TRUE(platform::FollowRememberedConnections(file, {}, {y}));
  EXPECT_TRUE(platform::FollowRememberedConnections(file, {z, y}, {}));
  EXPECT_EQ(read(), "");
  // A file it cannot write is reported, and nothing else happens.
  std::filesystem::create_directories(folder.File("blocked"));
  std::ofstream(folder.File("blocked/gtk-3.0")) << "a file where the folder should be";
  EXPECT_FALSE(platform::FollowRememberedConnections(folder.File("blocked/gtk-3.0/bookmarks"), {}, {z}));
  // Nor is what is there but cannot be read written over.
  const std::string fifo = folder.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(platform::FollowRememberedConnections(fifo, {}, {z}));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "bookmarks: cannot write " + fifo + ": it is there but cannot be read (not a regular file)\n");
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

// A file kept elsewhere and linked stays a link; our line ends in LF, which is all GTK splits at,
// whatever the user's lines end in.
TEST(GtkBookmarks, ALinkedFileIsWrittenWhereItPoints) {
  ScratchFolder folder;
  std::filesystem::create_directories(folder.File("dotfiles"));
  std::filesystem::create_directories(folder.File("config/gtk-3.0"));
  const std::string target = folder.Write("dotfiles/bookmarks", "file:///srv/music Music\r\n");
  const std::string link = folder.File("config/gtk-3.0/bookmarks");
  std::filesystem::create_symlink("../../dotfiles/bookmarks", link);
  EXPECT_TRUE(platform::FollowRememberedConnections(link, {}, {{"Z:", "\\\\Storage\\Volume_1"}}));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  std::ifstream in(target, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
            "file:///srv/music Music\r\nsmb://Storage/Volume_1 Z: Volume_1 on Storage\n");
}

// Whatever the file held, our lines are GTK's: UTF-8 ending in LF, which alone ends a line for
// GTK. A file GTK cannot read (not UTF-8, or with a NUL after which GTK reads nothing) is left
// alone and the change fails; a bookmark the file holds twice goes with every copy.
TEST(GtkBookmarks, TheFileIsWrittenAsGtkReadsIt) {
  ScratchFolder folder;
  const std::string ours = "smb://Storage/Volume_1 Z: Volume_1 on Storage";
  const NetworkConnection z{"Z:", "\\\\Storage\\Volume_1"};
  const struct {
    const char* name;
    std::string before;
    bool adding;
    std::string after;  // empty: refused and left as it was
  } cases[] = {
      {"a last line ending in a bare CR", "file:///srv/a A\r", true, "file:///srv/a A\r\n" + ours + "\n"},
      {"CR inside a line", "file:///srv/a A\rB\n", true, "file:///srv/a A\rB\n" + ours + "\n"},
      {"UTF-8 with its mark",
       "\xEF\xBB\xBF"
       "file:///srv/a A\n",
       true,
       "\xEF\xBB\xBF"
       "file:///srv/a A\n" +
           ours + "\n"},
      {"UTF-16 with its mark", std::string("\xFF\xFEh\0i\0\n\0", 8), true, ""},
      {"not UTF-8", "file:///srv/caf\xE9 Caf\xE9\n", true, ""},
      {"a NUL", std::string("file:///srv/a A\n\0file:///srv/b B\n", 33), true, ""},
      {"ours twice", ours + "\nfile:///srv/a A\n" + ours + "\n", false, "file:///srv/a A\n"},
      {"ours twice, refused", std::string("\xFF\xFE", 2) + ours, false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = folder.Write("bookmarks", c.before);
    ::testing::internal::CaptureStderr();
    const bool done = c.adding ? platform::FollowRememberedConnections(file, {}, {z})
                               : platform::FollowRememberedConnections(file, {z}, {});
    const std::string reported = ::testing::internal::GetCapturedStderr();
    std::ifstream in(file, std::ios::binary);
    const std::string now(std::istreambuf_iterator<char>(in), {});
    if (c.after.empty()) {
      EXPECT_FALSE(done);
      EXPECT_EQ(reported,
                "bookmarks: cannot write " + file +
                    ": it is there but cannot be read (not UTF-8 without NUL bytes, which GTK does not read)\n");
      EXPECT_EQ(now, c.before);
    } else {
      EXPECT_TRUE(done) << reported;
      EXPECT_EQ(now, c.after);
    }
  }
}

}  // namespace
