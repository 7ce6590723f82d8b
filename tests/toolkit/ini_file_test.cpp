#include "toolkit/ini_file.h"

#include <gtest/gtest.h>

#include "scratch_folder.h"

namespace {

TEST(TIniFile, ReadsThroughTheProfileReader) {
  ScratchFolder folder;
  const TIniFile ini(folder.Write("Quillmere.ini", "[German]\nstr_BtnNext=Weiter\nlong=" + std::string(3000, 'x')));
  EXPECT_EQ(ini.ReadString("german", "STR_BTNNEXT", "Next"), "Weiter");
  EXPECT_EQ(ini.ReadString("German", "str_BtnBack", "Back"), "Back");
  EXPECT_EQ(ini.ReadString("German", "long", "").size(), 2047u) << "the framework's buffer holds 2048 characters";
}

}  // namespace
