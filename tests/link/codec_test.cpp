#include "link/codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr NasMac kZeroMac{};

NasPassword Password(const char* text) {
  NasPassword p{};
  std::copy_n(text, std::min<size_t>(std::strlen(text), p.size()), p.begin());
  return p;
}

// A reply header as a box would send it: 12, 22, opcode bytes, id, MAC.
NasPacket Reply(uint8_t opcode_low, uint8_t error_class, uint32_t id, const NasMac& mac = kZeroMac,
                uint8_t direction = kNasDirectionReply, uint8_t service = kNasServiceId) {
  NasPacket p{};
  p[0] = service;
  p[1] = direction;
  p[2] = opcode_low;
  p[3] = error_class;
  WriteU32(&p[4], id);
  std::copy(mac.begin(), mac.end(), p.begin() + 8);
  return p;
}

class CodecTest : public ::testing::Test {
 protected:
  void SetUp() override { SetTransactionCounterForTest(1); }
};

TEST_F(CodecTest, TransactionIdsStartAtTwoAndSkipZeroOnWrap) {
  EXPECT_EQ(NextTransactionId(), 2u);
  EXPECT_EQ(NextTransactionId(), 3u);
  SetTransactionCounterForTest(0xFFFFFFFFu);
  EXPECT_EQ(NextTransactionId(), 1u);
  EXPECT_EQ(CurrentTransactionId(), 1u);
}

TEST_F(CodecTest, ProbeRequestCarriesHeaderAndZeroTail) {
  NasPacket packet;
  packet.fill(0xAA);
  const NasMac mac{1, 2, 3, 4, 5, 6};
  const uint32_t id = BuildProbeRequest(packet, mac, Password("secret"));
  EXPECT_EQ(id, 2u);
  EXPECT_EQ(packet[0], 12);
  EXPECT_EQ(packet[1], 21);
  EXPECT_EQ(packet[2], 41);
  EXPECT_EQ(packet[3], 0);
  EXPECT_EQ(ReadU32(&packet[4]), 2u);
  EXPECT_TRUE(std::equal(mac.begin(), mac.end(), packet.begin() + 8));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&packet[14])), "secret");
  EXPECT_TRUE(std::all_of(packet.begin() + 20, packet.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(CodecTest, SettingsRequestCopiesRecordAndLeavesTailZero) {
  NasSettingsRecord record;
  record.bytes.fill(0x5A);
  WriteAddressField(record.bytes, settings_field::kIpAddress, 0x0A01A8C0);  // 192.168.1.10
  NasPacket packet;
  packet.fill(0xFF);
  BuildSettingsRequest(packet, kZeroMac, Password(""), record);
  EXPECT_EQ(packet[2], 40);
  EXPECT_TRUE(std::all_of(packet.begin() + 14, packet.begin() + 46, [](uint8_t b) { return b == 0; }));
  EXPECT_TRUE(std::equal(record.bytes.begin(), record.bytes.end(), packet.begin() + 46));
  EXPECT_TRUE(std::all_of(packet.begin() + 483, packet.end(), [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(packet[46 + 305], 192);
  EXPECT_EQ(packet[46 + 306], 168);
  EXPECT_EQ(packet[46 + 307], 1);
  EXPECT_EQ(packet[46 + 308], 10);
}

TEST_F(CodecTest, DiscoveryRequestIsFixed) {
  NasPacket packet;
  packet.fill(0x11);
  BuildDiscoveryRequest(packet);
  EXPECT_EQ(packet[0], 12);
  EXPECT_EQ(packet[1], 21);
  EXPECT_EQ(ReadU16(&packet[2]), 31);
  EXPECT_TRUE(std::all_of(packet.begin() + 4, packet.end(), [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(CurrentTransactionId(), 1u) << "the discovery request takes no transaction id";
}

struct HeaderCase {
  const char* name;
  NasPacket reply;
  ResponseHeaderResult expected;
};

TEST_F(CodecTest, CheckResponseHeaderDecidesInOrder) {
  const NasMac other_mac{0, 0, 0, 0, 0, 1};
  const HeaderCase cases[] = {
      {"accepted", Reply(41, 0, 7), RESPONSE_HDR_OK},
      {"error class 3 is no error", Reply(0x29, 0x03, 7), RESPONSE_HDR_OK},
      {"opcode low byte not compared", Reply(40, 0, 7), RESPONSE_HDR_OK},
      {"wrong password", Reply(41, 0x01, 7), RESPONSE_HDR_ERR_PASSWORD},
      {"unsupported", Reply(41, 0x02, 7), RESPONSE_HDR_ERR_UNSUPPORT},
      {"direction 21", Reply(41, 0x01, 7, kZeroMac, kNasDirectionRequest), RESPONSE_HDR_IGNORE},
      {"service id", Reply(41, 0, 7, kZeroMac, kNasDirectionReply, 13), RESPONSE_HDR_IGNORE},
      {"password error with wrong id", Reply(41, 0x01, 8), RESPONSE_HDR_IGNORE},
      {"other MAC", Reply(41, 0x02, 7, other_mac), RESPONSE_HDR_IGNORE},
  };
  for (const HeaderCase& c : cases) {
    EXPECT_EQ(CheckResponseHeader(c.reply, 7, kZeroMac), c.expected) << c.name;
  }
}

TEST_F(CodecTest, ParsersCopyOnlyAcceptedReplies) {
  NasPacket reply = Reply(41, 0, 9);
  for (size_t i = 14; i < kNasPacketSize; ++i) reply[i] = static_cast<uint8_t>(i);

  NasProbeRecord probe;
  probe.bytes.fill(0xEE);
  EXPECT_EQ(ParseProbeReply(reply, 9, kZeroMac, probe), RESPONSE_HDR_OK);
  EXPECT_EQ(probe.bytes[0], 14);
  EXPECT_EQ(probe.bytes[228], 242);

  NasSettingsRecord settings;
  settings.bytes.fill(0xEE);
  EXPECT_EQ(ParseSettingsReply(reply, 10, kZeroMac, settings), RESPONSE_HDR_IGNORE);
  EXPECT_TRUE(std::all_of(settings.bytes.begin(), settings.bytes.end(), [](uint8_t b) { return b == 0xEE; }));
  EXPECT_EQ(ParseSettingsReply(reply, 9, kZeroMac, settings), RESPONSE_HDR_OK);
  EXPECT_EQ(settings.bytes[0], 14);
  EXPECT_EQ(settings.bytes[436], static_cast<uint8_t>(450));
}

TEST_F(CodecTest, DiscoveryReplyNeedsTheWholeOpcode) {
  NasPacket reply = Reply(0x1F, 0, 0);
  reply[8] = 0x77;
  reply[255] = 0x88;
  NasDiscoveryRecord record;
  EXPECT_EQ(ParseDiscoveryReply(reply, record), 0);
  EXPECT_EQ(record.bytes[0], 0x77);
  EXPECT_EQ(record.bytes[247], 0x88);

  NasDiscoveryRecord untouched;
  untouched.bytes.fill(1);
  const NasPacket rejected[] = {Reply(0x1F, 0x01, 0), Reply(0x1F, 0, 0, kZeroMac, kNasDirectionRequest),
                                Reply(54, 0, 0)};
  for (const NasPacket& r : rejected) {
    EXPECT_EQ(ParseDiscoveryReply(r, untouched), 1);
    EXPECT_EQ(untouched.bytes[0], 1);
  }
}

TEST(RecordFields, TextFieldsStopAtNulOrFieldEnd) {
  NasSettingsRecord record;
  WriteTextField(record.bytes, settings_field::kUsername, settings_field::kUsernameSize, "admin");
  EXPECT_EQ(ReadTextField(record.bytes, settings_field::kUsername, settings_field::kUsernameSize), "admin");
  const std::string long_name(80, 'x');
  WriteTextField(record.bytes, settings_field::kHostname, settings_field::kHostnameSize, long_name);
  EXPECT_EQ(ReadTextField(record.bytes, settings_field::kHostname, settings_field::kHostnameSize),
            std::string(64, 'x'));
  EXPECT_EQ(record.bytes[settings_field::kIpAddress], 0) << "the cut text must not run into the next field";
}

}  // namespace
