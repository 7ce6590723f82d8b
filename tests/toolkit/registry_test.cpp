#include "toolkit/registry.h"

#include <gtest/gtest.h>

#include "platform/emulated_registry.h"
#include "platform/reg_file.h"
#include "platform/unicode.h"

namespace {

using platform::HKEY;
using platform::HKEY_LOCAL_MACHINE;

platform::RegistryTree Tree() {
  platform::RegistryTree tree;
  platform::ApplyRegText(platform::Utf8ToUtf16(R"reg(Windows Registry Editor Version 5.00
[HKEY_LOCAL_MACHINE\SOFTWARE\Orvo\Orvo Fenwold Utilities]
"Language"="Chinese(Simplified)"
"Number"=dword:00000001
"Nothing"=hex(1):
"Path"=hex(2):25,00,54,00,00,00
[HKEY_LOCAL_MACHINE\SOFTWARE\Orvo\Orvo Fenwold Utilities\Sub]
"Inner"="in sub"
[HKEY_CURRENT_USER\SOFTWARE\Orvo\Orvo Fenwold Utilities]
"Language"="German"
)reg"),
                         tree);
  return tree;
}

class TRegistryTest : public ::testing::Test {
 protected:
  platform::EmulatedRegistry registry_{Tree()};
  platform::ScopedRegistry scope_{registry_};
};

TEST_F(TRegistryTest, ReadsTheLanguageAsTheMainWindowDoes) {
  TRegistry reg;
  EXPECT_EQ(reg.RootKey(), platform::HKEY_CURRENT_USER);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.KeyExists("SOFTWARE\\Orvo\\Orvo Fenwold Utilities"));
  ASSERT_TRUE(reg.OpenKeyReadOnly("SOFTWARE\\Orvo\\Orvo Fenwold Utilities"));
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Orvo\\Orvo Fenwold Utilities");
  EXPECT_EQ(reg.Access(), platform::KEY_READ);
  EXPECT_TRUE(reg.ValueExists("Language"));
  EXPECT_EQ(reg.ReadString("Language"), "Chinese(Simplified)");
  EXPECT_FALSE(reg.ValueExists("Missing"));
  EXPECT_EQ(reg.ReadString("Missing"), "");
  EXPECT_EQ(reg.ReadString("Nothing"), "") << "an empty value is empty text whatever its type";
  EXPECT_EQ(reg.ReadString("Path"), "%T");
  EXPECT_THROW(reg.ReadString("Number"), ERegistryException);
  reg.CloseKey();
  EXPECT_EQ(reg.CurrentKey(), HKEY{});
  EXPECT_FALSE(reg.ValueExists("Language"));
  EXPECT_EQ(registry_.OpenHandles(), 0u);
}

TEST_F(TRegistryTest, PathsStartAtTheOpenKeyUnlessTheyStartWithABackslash) {
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKeyReadOnly("SOFTWARE\\Orvo"));
  EXPECT_TRUE(reg.KeyExists("Orvo Fenwold Utilities\\Sub"));
  EXPECT_FALSE(reg.KeyExists("SOFTWARE")) << "relative to the open key";
  EXPECT_TRUE(reg.KeyExists("\\SOFTWARE"));
  ASSERT_TRUE(reg.OpenKeyReadOnly("Orvo Fenwold Utilities\\Sub"));
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Orvo\\Orvo Fenwold Utilities\\Sub");
  EXPECT_EQ(reg.ReadString("Inner"), "in sub");
  EXPECT_FALSE(reg.OpenKeyReadOnly("\\SOFTWARE\\Nowhere"));
  EXPECT_EQ(reg.ReadString("Inner"), "in sub") << "a failed open keeps the open key";
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\Orvo\\Orvo Fenwold Utilities"));
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Orvo\\Orvo Fenwold Utilities");
  EXPECT_EQ(registry_.OpenHandles(), 1u) << "the previous key was closed";

  reg.SetRootKey(platform::HKEY_CURRENT_USER);
  EXPECT_EQ(reg.CurrentKey(), HKEY{}) << "a new root closes the open key";
  ASSERT_TRUE(reg.OpenKeyReadOnly("SOFTWARE\\Orvo\\Orvo Fenwold Utilities"));
  EXPECT_EQ(reg.ReadString("Language"), "German");
}

TEST_F(TRegistryTest, DestructionClosesTheOpenKey) {
  {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKeyReadOnly("SOFTWARE"));
    EXPECT_EQ(registry_.OpenHandles(), 1u);
  }
  EXPECT_EQ(registry_.OpenHandles(), 0u);
}

}  // namespace
