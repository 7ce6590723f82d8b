#include "link/address.h"

#include <gtest/gtest.h>

#include "platform/exception.h"

namespace {

TEST(IpStrToInt, ReadsUpToFourFieldsMostSignificantFirst) {
  struct Case {
    const char* text;
    uint32_t expected;
  } const cases[] = {
      {"0.0.0.0", 0},
      {"192.168.1.10", 0xC0A8010A},
      {"10.1", 0x0A010000},
      {"1.2.3.4.5", 0x01020304},
      {"300.0.0.1", 0x2C000001},
      {"", 0},
      {"255.255.255.255", 0xFFFFFFFF},
      {" 7.8.9.10", 0x0708090A},
      {"-1.0.0.0", 0xFF000000},
  };
  for (const Case& c : cases) EXPECT_EQ(IpStrToInt(c.text), c.expected) << c.text;
}

TEST(IpStrToInt, EmptyOrNonNumericFieldRaisesConversionError) {
  for (const char* text : {"1..2", "a.b.c.d", "192.168.1.x", ".1", "12a"}) {
    EXPECT_THROW(IpStrToInt(text), platform::EConvertError) << text;
  }
}

TEST(IpIntToStr, WritesFourUnsignedOctets) {
  EXPECT_EQ(IpIntToStr(0), "0.0.0.0");
  EXPECT_EQ(IpIntToStr(0x0A000001), "10.0.0.1");
  EXPECT_EQ(IpIntToStr(0xFFFFFFFF), "255.255.255.255");
}

}  // namespace
