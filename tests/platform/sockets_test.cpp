#include "platform/sockets.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct AddressCase {
  const char* text;
  uint32_t host_order;  // first octet most significant; kInaddrNone for "not an address"
};

TEST(InetAddr, ReadsTheDottedFormsAndRejectsTheRest) {
  const AddressCase cases[] = {
      {"192.168.1.10", 0xC0A8010A},
      {"0.0.0.0", 0},
      {"255.255.255.255", 0xFFFFFFFF},
      {"10.1", 0x0A000001},
      {"10.1.2", 0x0A010002},
      {"0x7f.1", 0x7F000001},
      {"010.0.0.1", 0x08000001},
      {"", platform::kInaddrNone},
      {"1.2.3.4.5", platform::kInaddrNone},
      {"256.1.1.1", platform::kInaddrNone},
      {"1.2.3.x", platform::kInaddrNone},
      {"192.168.1.10 ", platform::kInaddrNone},
      {"1..2.3", platform::kInaddrNone},
  };
  for (const AddressCase& c : cases) {
    EXPECT_EQ(platform::Ntohl(platform::inet_addr(c.text)), c.host_order) << "'" << c.text << "'";
  }
}

TEST(InetNtoa, WritesTheFourOctets) {
  platform::IN_ADDR a;
  a.s_addr = platform::inet_addr("10.0.0.7");
  EXPECT_STREQ(platform::inet_ntoa(a), "10.0.0.7");
  EXPECT_EQ(platform::Ntohs(platform::Htons(9999)), 9999);
  const uint16_t net = platform::Htons(0x270F);
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(&net)[0], 0x27) << "network order is the high byte first";
}

TEST(WsaStartup, GrantsTwoPointTwoAtMost) {
  platform::WSADATA data;
  EXPECT_EQ(platform::WSAStartup(platform::MAKEWORD(2, 2), &data), 0);
  EXPECT_EQ(data.wVersion, platform::MAKEWORD(2, 2));
  EXPECT_EQ(platform::WSAStartup(platform::MAKEWORD(3, 0), &data), 0);
  EXPECT_EQ(data.wVersion, platform::MAKEWORD(2, 2));
  EXPECT_EQ(platform::WSAStartup(platform::MAKEWORD(1, 1), &data), 0);
  EXPECT_EQ(data.wVersion, platform::MAKEWORD(1, 1));
  EXPECT_EQ(platform::WSAStartup(platform::MAKEWORD(0, 9), &data), platform::WSAVERNOTSUPPORTED);
}

}  // namespace
