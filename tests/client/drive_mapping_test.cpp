#include "client/drive_mapping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "add_connection.h"
#include "platform/drives.h"
#include "platform/log_debug.h"
#include "sim/sim_drives.h"

namespace {

using platform::AnsiString;
using Items = std::vector<std::string>;

class DriveMappingTest : public ::testing::Test {
 protected:
  DriveMappingTest() { platform::InstallDrives(&drives_); }
  ~DriveMappingTest() override {
    platform::InstallDrives(nullptr);
    platform::SetTraceObserver(nullptr);
  }
  void Connect(const char* local, const std::string& remote) {
    ASSERT_EQ(AddConnection(local, remote.c_str()), 0u) << remote;
  }
  Items Rebuild() {
    Items texts;
    for (const AnsiString& item : RebuildDriveTable(table_)) texts.push_back(item.bytes());
    return texts;
  }
  // The used entries of the table as "letter=remote".
  Items Table() {
    Items entries;
    for (const DriveTableEntry& e : table_) {
      if (!e.letter.empty()) entries.push_back(e.letter.bytes() + "=" + e.remoteName.bytes());
    }
    return entries;
  }

  sim::SimDrives drives_;
  DriveTableEntries table_;
};

TEST_F(DriveMappingTest, AllFreeLettersFromZDownToE) {
  Items expected;
  for (char letter = 'Z'; letter >= 'E'; --letter) expected.push_back(std::string{letter, ':', ' ', ' '});
  EXPECT_EQ(Rebuild(), expected);
  EXPECT_EQ(expected.size(), 22u);
  for (size_t i = 22; i < kDriveTableSize; ++i) EXPECT_TRUE(table_[i].letter.empty());
}

TEST_F(DriveMappingTest, LocalDrivesAreLeftOutAndNetworkLettersCarryTheirShare) {
  drives_.SetLocalDrive('Y', platform::DRIVE_REMOVABLE);
  drives_.SetLocalDrive('X', platform::DRIVE_FIXED);
  drives_.SetLocalDrive('W', platform::DRIVE_CDROM);
  drives_.SetLocalDrive('V', platform::DRIVE_RAMDISK);
  drives_.SetLocalDrive('U', platform::DRIVE_UNKNOWN);
  Connect("T:", "\\\\Storage\\Volume_1");
  Connect(nullptr, "\\\\Storage\\Public");  // no letter: nothing to show
  const Items items = Rebuild();
  ASSERT_EQ(items.size(), 18u);
  EXPECT_EQ(Items(items.begin(), items.begin() + 3), (Items{"Z:  ", "U:  ", "T:  \\\\Storage\\Volume_1"}));
  EXPECT_EQ(items.back(), "E:  ");
  // A table left from before is rebuilt from scratch.
  drives_.SetLocalDrive('Z', platform::DRIVE_FIXED);
  EXPECT_EQ(Rebuild().front(), "U:  ");
}

TEST_F(DriveMappingTest, EveryConnectionIsReadWhatEverTheBufferHolds) {
  // 18 connections with long names need several calls of 1600 bytes; one name alone is longer than
  // the buffer, which then grows to the size the system asks for.
  const std::string huge = "\\\\Storage\\" + std::string(2000, 'h');
  Items expected;
  for (char letter = 'Z'; letter >= 'H'; --letter) {
    const std::string remote = letter == 'M' ? huge : "\\\\Storage\\Share_" + std::string(60, letter);
    Connect(std::string{letter, ':'}.c_str(), remote);
    expected.push_back(std::string(1, letter) + "=" + remote);
  }
  for (char letter = 'G'; letter >= 'E'; --letter) expected.push_back(std::string(1, letter) + "=");
  Rebuild();
  EXPECT_EQ(Table(), expected);
}

TEST_F(DriveMappingTest, AFailedEnumerationKeepsWhatItFound) {
  Connect("Z:", "\\\\Storage\\Volume_1");
  drives_.Fail(platform::DriveCall::kOpenEnum, platform::ERROR_NO_NETWORK);
  Rebuild();
  EXPECT_EQ(Table().front(), "Z=");  // listed as if it were free
  drives_.Fail(platform::DriveCall::kOpenEnum, 0);

  for (char letter = 'Y'; letter >= 'I'; --letter) {
    Connect(std::string{letter, ':'}.c_str(), "\\\\Storage\\Share_" + std::string(100, letter));
  }
  drives_.Fail(platform::DriveCall::kEnumResource, platform::ERROR_NO_NETWORK, 1);
  Rebuild();
  const Items table = Table();
  const size_t named = std::count_if(table.begin(), table.end(), [](const std::string& e) { return e.size() > 2; });
  EXPECT_GT(named, 0u);
  EXPECT_LT(named, 18u);
  EXPECT_EQ(table.front(), "Z=\\\\Storage\\Volume_1");
  // A system that keeps answering "more data" without asking for more does not hold the loop.
  drives_.Fail(platform::DriveCall::kEnumResource, platform::ERROR_MORE_DATA);
  Rebuild();
  EXPECT_EQ(Table().front(), "Z=");
}

TEST_F(DriveMappingTest, LettersMatchTheirLocalNameOnly) {
  // The first entry whose letter occurs in the local name takes the share.
  table_[0].letter = AnsiString("Z");
  table_[1].letter = AnsiString("Y");
  Connect("y:", "\\\\Storage\\Volume_2");
  EnumConnectedNetworkDrives(table_);
  EXPECT_EQ(table_[0].remoteName.bytes(), "");
  EXPECT_EQ(table_[1].remoteName.bytes(), "\\\\Storage\\Volume_2");
}

TEST_F(DriveMappingTest, MappingAndUnmapping) {
  std::vector<std::string> traces;
  platform::SetTraceObserver([&](std::string_view text, bool) { traces.emplace_back(text); });
  EXPECT_EQ(MapNetworkDrive(AnsiString("\\\\Storage\\Volume_1"), 'z', true), 0u);
  EXPECT_EQ(traces, (std::vector<std::string>{"\\\\Storage\\Volume_1"}));
  EXPECT_EQ(MapNetworkDrive(AnsiString("\\\\Storage\\Volume_2"), 'Y', false), 0u);
  EXPECT_EQ(GetDriveTypeByLetter('Z'), platform::DRIVE_REMOTE);
  EXPECT_EQ(MapNetworkDrive(AnsiString("\\\\Storage\\Volume_2"), 'Z', true),
            static_cast<uint32_t>(platform::ERROR_ALREADY_ASSIGNED));
  EXPECT_EQ(MapNetworkDrive(AnsiString(""), 'X', true), static_cast<uint32_t>(platform::ERROR_BAD_NET_NAME));
  drives_.Restart();
  EXPECT_EQ(GetDriveTypeByLetter('z'), platform::DRIVE_REMOTE);  // persistent
  EXPECT_EQ(GetDriveTypeByLetter('Y'), platform::DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(UnmapNetworkDrive('z', true), 0u);
  drives_.Restart();
  EXPECT_EQ(GetDriveTypeByLetter('Z'), platform::DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(UnmapNetworkDrive('Z', true), static_cast<uint32_t>(platform::ERROR_NOT_CONNECTED));
}

TEST_F(DriveMappingTest, DriveTypesByLetter) {
  drives_.SetLocalDrive('D', platform::DRIVE_CDROM);
  EXPECT_EQ(GetDriveTypeByLetter('d'), platform::DRIVE_CDROM);
  EXPECT_EQ(GetDriveTypeByLetter('C'), platform::DRIVE_FIXED);
  EXPECT_EQ(GetDriveTypeByLetter('Q'), platform::DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(GetDriveTypeByLetter('1'), platform::DRIVE_NO_ROOT_DIR);  // the empty root
}

}  // namespace
