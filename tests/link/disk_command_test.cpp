#include "link/disk_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

TEST(DiskCommand, SequenceStartsAtZeroAndReturnsToZeroInsteadOfTurningNegative) {
  SetDiskCommandSequenceForTest(0);
  EXPECT_EQ(NextDiskCommandSequence(), 0);
  EXPECT_EQ(NextDiskCommandSequence(), 1);
  SetDiskCommandSequenceForTest(2147483647);
  EXPECT_EQ(NextDiskCommandSequence(), 2147483647);
  EXPECT_EQ(NextDiskCommandSequence(), 0);
}

TEST(DiskCommand, PacketCarriesTheTextAfterItsLength) {
  NasPacket packet;
  packet.fill(0xCC);
  NasPassword password{};
  std::memcpy(password.data(), "pw", 2);
  BuildDiskCommandPacket(packet, 7, password, "GETRAIDSTATUS");
  EXPECT_EQ(packet[0], 12);
  EXPECT_EQ(packet[1], 21);
  EXPECT_EQ(ReadU16(&packet[2]), 54);
  EXPECT_EQ(ReadU32(&packet[4]), 7u);
  EXPECT_TRUE(std::all_of(packet.begin() + 8, packet.begin() + 14, [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(packet[14], 'p');
  EXPECT_EQ(packet[16], 0);
  EXPECT_EQ(ReadU16(&packet[46]), 13);
  EXPECT_EQ(std::string(packet.begin() + 48, packet.begin() + 61), "GETRAIDSTATUS");
  EXPECT_TRUE(std::all_of(packet.begin() + 61, packet.end(), [](uint8_t b) { return b == 0; }));
}

NasPacket Reply(uint16_t opcode, std::string_view text, uint16_t length) {
  NasPacket p{};
  p[0] = 12;
  p[1] = 22;
  WriteU16(&p[2], opcode);
  WriteU16(&p[14], length);
  std::copy(text.begin(), text.end(), p.begin() + 16);
  return p;
}

TEST(DiskCommand, ReplyHeaderAndTextRules) {
  struct Case {
    NasPacket reply;
    bool accepted;
    std::string text;
  } const cases[] = {
      {Reply(54, "OK", 2), true, "OK"},
      {Reply(31, "OK", 2), true, "OK"},
      {Reply(54 | 0x0100, "OK", 2), false, ""},
      {Reply(40, "OK", 2), false, ""},
      {Reply(54, "OKAY", 2), true, "OK"},
      {Reply(54, std::string_view("O\0K", 3), 3), true, "O"},
      {Reply(54, std::string(480, 'x'), 500), true, std::string(420, 'x')},
  };
  for (const Case& c : cases) {
    std::string text = "untouched";
    EXPECT_EQ(ParseDiskCommandReply(c.reply, text), c.accepted);
    if (c.accepted) {
      EXPECT_EQ(text, c.text);
    }
  }
}

TEST(DiskCommand, CreateTextFollowsDiskCountBayAndChoices) {
  struct Case {
    int32_t disks, fs1;
    RaidLevel level;
    bool ext3;
    std::optional<std::string> text;
  } const cases[] = {
      {1, 3, RaidLevel::kNone, true, "CREATE STANDARD 1 EXT3"},
      {1, 0, RaidLevel::kNone, false, "CREATE STANDARD 2 EXT2"},
      {2, 2, RaidLevel::kStandard, true, "CREATE STANDARD ALL EXT3"},
      {2, 2, RaidLevel::kJbod, false, "CREATE JBOD ALL EXT2"},
      {2, 2, RaidLevel::kRaid0, true, "CREATE RAID0 ALL EXT3"},
      {2, 2, RaidLevel::kRaid1, false, "CREATE RAID1 ALL EXT2"},
      {2, 2, RaidLevel::kNone, true, std::nullopt},
      {0, 0, RaidLevel::kStandard, true, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(CreateCommandText(c.disks, c.fs1, c.level, c.ext3), c.text);
}

TEST(DiskStatus, GrammarRows) {
  const NasDiskLayout before{9, 9, 7, 9, 8};
  struct Case {
    const char* reply;
    NasDiskLayout expected;
  } const cases[] = {
      {"NODISK NULL", {0, 4, 0, 4, 0}},
      {"NODISK_STD NULL_EXT3", {1, 4, 0, 0, 3}},
      {"NODISK_STD EXT3", {1, 4, 0, 0, 3}},
      {"NODISK_STD XFS", {1, 4, 0, 0, 8}},
      {"STD_NODISK EXT2_NULL", {1, 0, 2, 4, 0}},
      {"STD_NODISK EXT3", {1, 0, 7, 4, 0}},
      {"NODISK_NULL x", {1, 4, 0, 5, 1}},
      {"NULL_NODISK x", {1, 5, 1, 4, 0}},
      {"NULL NULL", {2, 5, 1, 5, 1}},
      {"JBOD EXT2", {2, 1, 2, 1, 2}},
      {"raid0 ext3", {2, 2, 3, 2, 3}},
      {"RAID1 EXT2", {2, 3, 2, 3, 2}},
      {"std_std ext2", {2, 0, 2, 0, 2}},
      {"STD_STD EXT2_EXT2", {2, 0, 3, 0, 3}},
      {"NULL_STD NULL_EXT2", {2, 5, 1, 0, 2}},
      {"NULL_STD NULL_EXT2 TAIL", {2, 5, 1, 0, 2}},
      {"STD_NULL EXT2_NULL", {2, 0, 2, 5, 1}},
      {"STD_NULL EXT3_NULL", {2, 0, 3, 5, 1}},
      {"READY", {-1, -1, -1, -1, -1}},
      {"JBOD EXT4", {-1, -1, -1, -1, -1}},
      {"", {-1, -1, -1, -1, -1}},
  };
  for (const Case& c : cases) {
    NasDiskLayout layout = before;
    const auto row = ParseDiskStatus(c.reply, layout);
    EXPECT_EQ(layout, c.expected) << c.reply;
    EXPECT_EQ(row.has_value(), c.expected.diskAmount != -1) << c.reply;
  }
}

}  // namespace
