#include "platform/gtk_bookmarks.h"

#include <gtest/gtest.h>

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
}

}  // namespace
