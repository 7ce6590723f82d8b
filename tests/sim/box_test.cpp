#include "sim/box/box.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "link/codec.h"
#include "pc_client.h"
#include "platform/virtual_clock.h"
#include "sim/world.h"

namespace {

using sim::Ipv4Of;
using Bytes = std::vector<uint8_t>;

NasPassword Password(const std::string& text) {
  NasPassword p{};
  std::memcpy(p.data(), text.data(), std::min(text.size(), p.size()));
  return p;
}

Bytes DiskCommand(const std::string& text, const std::string& password = "") {
  Bytes p(512, 0);
  p[0] = 12;
  p[1] = 21;
  p[2] = 54;
  std::memcpy(&p[14], password.data(), password.size());
  p[46] = static_cast<uint8_t>(text.size());
  p[47] = static_cast<uint8_t>(text.size() >> 8);
  std::memcpy(&p[48], text.data(), text.size());
  return p;
}

// The reply text of a disk-command reply, as the wizard reads it (length at 14, text from 16).
std::string ReplyText(const Bytes& r) {
  const size_t length = std::min<size_t>(r[14] | (r[15] << 8), 420);
  std::string t;
  for (size_t i = 0; i < length && r[16 + i] != 0; ++i) t.push_back(static_cast<char>(r[16 + i]));
  return t;
}

NasPacket Packet(const Bytes& b) {
  NasPacket p{};
  std::copy_n(b.begin(), std::min(b.size(), p.size()), p.begin());
  return p;
}

std::string Ask(sim::Box& box, const std::string& command, uint64_t now = 0, const std::string& password = "") {
  const std::vector<Bytes> replies = box.HandleDatagram(DiskCommand(command, password), now, "pc");
  return replies.empty() ? "<no reply>" : ReplyText(replies.front());
}

TEST(BoxDiscovery, TheWizardsCodecReadsTheRecord) {
  struct Case {
    std::string model;
    uint8_t mode;
  };
  // The last two are the switches for a device the wizard must drop: mode 2, no "NAS" in the name.
  for (const Case& k : {Case{"Orvo NAS-220", 1}, Case{"NAS-120", 2}, Case{"Storage-1", 0}}) {
    sim::BoxConfig c;
    c.model_name = k.model;
    c.operation_mode = k.mode;
    sim::Box box(c);
    NasPacket request;
    BuildDiscoveryRequest(request);
    const std::vector<Bytes> replies = box.HandleDatagram(Bytes(request.begin(), request.end()), 0, "pc");
    ASSERT_EQ(replies.size(), 1u);
    ASSERT_EQ(replies[0].size(), 512u);
    NasDiscoveryRecord record;
    ASSERT_EQ(ParseDiscoveryReply(Packet(replies[0]), record), 0);
    EXPECT_EQ(ReadTextField(record.bytes, discovery_field::kModelName, discovery_field::kModelNameSize), k.model);
    EXPECT_EQ(record.bytes[discovery_field::kOperationMode], k.mode);
    EXPECT_TRUE(std::equal(c.mac.begin(), c.mac.end(), record.bytes.begin() + discovery_field::kMac));
  }
}

TEST(BoxProbe, PasswordDecidesAndTheRecordCarriesTheFlags) {
  sim::BoxConfig c;
  c.admin_password = "secret";
  c.configured_before = true;
  c.dhcp = false;
  sim::Box box(c);
  NasPacket request;
  const uint32_t id = BuildProbeRequest(request, NasMac{}, Password("wrong"));
  std::optional<Bytes> reply = box.HandleTcpRequest(Bytes(request.begin(), request.end()), 0, "pc");
  ASSERT_TRUE(reply);
  NasProbeRecord probe;
  EXPECT_EQ(ParseProbeReply(Packet(*reply), id, NasMac{}, probe), RESPONSE_HDR_ERR_PASSWORD);

  const uint32_t id2 = BuildProbeRequest(request, NasMac{}, Password("secret"));
  reply = box.HandleTcpRequest(Bytes(request.begin(), request.end()), 0, "pc");
  ASSERT_EQ(ParseProbeReply(Packet(*reply), id2, NasMac{}, probe), RESPONSE_HDR_OK);
  EXPECT_EQ(probe.bytes[probe_field::kIsNotDefault], 1);
  EXPECT_EQ(probe.bytes[probe_field::kIsDHCP], 0);
  EXPECT_EQ(ReadTextField(probe.bytes, probe_field::kProductId, probe_field::kProductIdSize), "NAS-220");
}

// The dotted text of an address field of a settings record.
std::string AddressText(const NasSettingsRecord& r, size_t offset) {
  return std::to_string(r.bytes[offset]) + "." + std::to_string(r.bytes[offset + 1]) + "." +
         std::to_string(r.bytes[offset + 2]) + "." + std::to_string(r.bytes[offset + 3]);
}

// nas-sim on every address of the host has no address of its own: it reports the network a
// request came in on, with the gateway as its DNS server. A box with its own address does not.
TEST(BoxSettings, WithoutAnAddressOfItsOwnTheBoxReportsTheNetworkItWasReachedOn) {
  const sim::ArrivalNetwork arrival{Ipv4Of("10.77.0.2"), Ipv4Of("255.255.0.0"), Ipv4Of("10.77.0.1")};
  struct Case {
    const char* what;
    const char* own_address;
    std::optional<sim::ArrivalNetwork> arrival;
    std::vector<std::string> reported;  // address, mask, gateway, DNS 1, DNS 2
  };
  const Case cases[] = {
      {"on every address, reached on one",
       "0.0.0.0",
       arrival,
       {"10.77.0.2", "255.255.0.0", "10.77.0.1", "10.77.0.1", "0.0.0.0"}},
      {"on an address of its own",
       "192.168.1.20",
       arrival,
       {"192.168.1.20", "255.255.255.0", "192.168.1.1", "192.168.1.1", "0.0.0.0"}},
      {"on every address, the network unknown",
       "0.0.0.0",
       std::nullopt,
       {"0.0.0.0", "255.255.255.0", "192.168.1.1", "192.168.1.1", "0.0.0.0"}},
  };
  for (const Case& c : cases) {
    sim::BoxConfig config;
    config.address = Ipv4Of(c.own_address);
    sim::Box box(config);
    NasSettingsRecord read{};
    read.bytes[settings_field::kAction] = kSettingsActionRead;
    NasPacket request;
    const uint32_t id = BuildSettingsRequest(request, NasMac{}, NasPassword{}, read);
    const std::optional<Bytes> reply = box.HandleTcpRequest(Bytes(request.begin(), request.end()), 0, "pc", c.arrival);
    ASSERT_TRUE(reply) << c.what;
    NasSettingsRecord got;
    ASSERT_EQ(ParseSettingsReply(Packet(*reply), id, NasMac{}, got), RESPONSE_HDR_OK) << c.what;
    const std::vector<std::string> reported = {
        AddressText(got, settings_field::kIpAddress), AddressText(got, settings_field::kSubnetMask),
        AddressText(got, settings_field::kGateway), AddressText(got, settings_field::kDns1),
        AddressText(got, settings_field::kDns2)};
    EXPECT_EQ(reported, c.reported) << c.what;
  }
}

TEST(BoxSettings, WriteAppliesAtOnceAndTheNetworkAfterTheReboot) {
  sim::BoxConfig c;
  c.reboot_duration_ms = 60000;
  sim::Box box(c);
  NasSettingsRecord write{};
  write.bytes[settings_field::kAction] = kSettingsActionWrite;
  WriteTextField(write.bytes, settings_field::kHostname, settings_field::kHostnameSize, "Cellar");
  WriteTextField(write.bytes, settings_field::kPassword, settings_field::kPasswordSize, "new-pass");
  WriteTextField(write.bytes, settings_field::kTimeZone, settings_field::kTimeZoneSize, "33");
  WriteTextField(write.bytes, settings_field::kDateTime, settings_field::kDateTimeSize, "123123592024.07");
  write.bytes[settings_field::kIpMode] = kIpModeFixed;
  const uint8_t ip[] = {192, 168, 1, 77};
  std::copy(ip, ip + 4, write.bytes.begin() + settings_field::kIpAddress);
  const uint8_t mask[] = {255, 255, 255, 0};
  std::copy(mask, mask + 4, write.bytes.begin() + settings_field::kSubnetMask);
  NasPacket request;
  const uint32_t id = BuildSettingsRequest(request, NasMac{}, NasPassword{}, write);
  std::optional<Bytes> reply = box.HandleTcpRequest(Bytes(request.begin(), request.end()), 1000, "pc");
  NasSettingsRecord got;
  ASSERT_EQ(ParseSettingsReply(Packet(*reply), id, NasMac{}, got), RESPONSE_HDR_OK);
  EXPECT_EQ(ReadTextField(got.bytes, settings_field::kHostname, 64), "Cellar");
  EXPECT_EQ(ReadTextField(got.bytes, settings_field::kDateTime, 16), "123123592024.07");
  EXPECT_EQ(ReadAddressField(got.bytes, settings_field::kIpAddress), ReadU32(ip));

  // The new password holds for the reboot command; the box stays at its address until then.
  const std::vector<Bytes> refused = box.HandleDatagram(DiskCommand("REBOOT", "old"), 2000, "pc");
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0][3], 1) << "error class 1: the old password no longer holds";
  EXPECT_EQ(Ask(box, "REBOOT", 2000, "new-pass"), "OK");
  EXPECT_EQ(box.Address(2000), Ipv4Of("192.168.1.20"));
  EXPECT_FALSE(box.Online(61999));
  EXPECT_TRUE(box.Online(62000));
  EXPECT_EQ(box.Address(62000), Ipv4Of("192.168.1.77"));
  EXPECT_EQ(box.DateTimeText(62000), "010100002025.08") << "the clock runs on from the written time";
}

struct DiskCase {
  std::array<sim::Bay, 2> bays;
  std::string status;  // what GETRAIDSTATUS answers
};

TEST(BoxDisks, StatusTextForEveryDiskState) {
  using sim::Bay;
  using FS = sim::FileSystem;
  using K = sim::VolumeKind;
  const DiskCase cases[] = {
      {{Bay{}, Bay{}}, "NODISK NULL"},
      {{Bay{true, K::kStandard, FS::kExt3}, Bay{}}, "STD_NODISK EXT3_NULL"},  // 1, 0, 3, 4, 0
      {{Bay{}, Bay{true, K::kStandard, FS::kExt2}}, "NODISK_STD NULL_EXT2"},  // 1, 4, 0, 0, 2
      {{Bay{true}, Bay{}}, "NULL_NODISK NULL_NULL"},                          // 1, 5, 1, 4, 0
      {{Bay{}, Bay{true}}, "NODISK_NULL NULL_NULL"},                          // 1, 4, 0, 5, 1
      {{Bay{true}, Bay{true}}, "NULL NULL"},                                  // 2, 5, 1, 5, 1
      {{Bay{true, K::kJbod, FS::kExt2}, Bay{true, K::kJbod, FS::kExt2}}, "JBOD EXT2"},
      {{Bay{true, K::kRaid0, FS::kExt3}, Bay{true, K::kRaid0, FS::kExt3}}, "RAID0 EXT3"},
      {{Bay{true, K::kRaid1, FS::kExt3}, Bay{true, K::kRaid1, FS::kExt3}}, "RAID1 EXT3"},
      {{Bay{true, K::kStandard, FS::kExt2}, Bay{true, K::kStandard, FS::kExt2}}, "STD_STD EXT2"},
      {{Bay{true}, Bay{true, K::kStandard, FS::kExt2}}, "NULL_STD NULL_EXT2"},  // 2, 5, 1, 0, 2
      {{Bay{true, K::kStandard, FS::kExt3}, Bay{true}}, "STD_NULL EXT3_NULL"},  // 2, 0, 3, 5, 1
  };
  for (const DiskCase& k : cases) {
    sim::BoxConfig c;
    c.disks = sim::Disks(k.bays);
    sim::Box box(c);
    EXPECT_EQ(Ask(box, "GETRAIDSTATUS"), k.status);
  }
}

TEST(BoxDisks, CreateFormatsOverTimeAndTheShareFolderNeedsAVolume) {
  sim::BoxConfig c;
  c.disks = sim::Disks({sim::Bay{true}, sim::Bay{true}});
  c.format_duration_ms = 10000;
  sim::Box box(c);
  EXPECT_EQ(Ask(box, "GETFORMATSTATUS 1", 0), "none");
  EXPECT_EQ(Ask(box, "CREATEDEFAULTSHAREFOLDER", 0), "NO VOLUME");
  EXPECT_EQ(Ask(box, "CREATE RAID1 1 EXT3", 0), "NEED TWO DISKS");
  EXPECT_EQ(Ask(box, "CREATE RAID5 ALL EXT3", 0), "ERROR");
  EXPECT_EQ(Ask(box, "CREATE RAID1 ALL EXT3", 1000), "OK");
  EXPECT_EQ(Ask(box, "CREATE RAID1 ALL EXT3", 1000), "BUSY");
  EXPECT_EQ(Ask(box, "GETFORMATSTATUS 1", 1000), "1") << "never 0 while formatting: 0 reads as idle";
  EXPECT_EQ(Ask(box, "GETFORMATSTATUS 1", 6000), "50");
  EXPECT_EQ(Ask(box, "GETRAIDSTATUS", 6000), "NULL NULL");
  EXPECT_EQ(Ask(box, "GETFORMATSTATUS 1", 11000), "100");
  EXPECT_EQ(Ask(box, "GETRAIDSTATUS", 11000), "RAID1 EXT3");
  EXPECT_EQ(Ask(box, "CREATEDEFAULTSHAREFOLDER", 11000), "OK");
  EXPECT_EQ(Ask(box, "FORMAT EVERYTHING", 11000), "ERROR");
}

// Each fault switch and the bytes it promises, read at the offsets the wizard reads.
TEST(BoxFaults, EachSwitchChangesTheRepliesAsPromised) {
  NasPacket probe;
  const uint32_t id = BuildProbeRequest(probe, NasMac{}, NasPassword{});
  const Bytes probe_bytes(probe.begin(), probe.end());
  auto tcp = [&](const sim::BoxFaults& f) {
    sim::BoxConfig c;
    c.faults = f;
    sim::Box box(c);
    return box.HandleTcpRequest(probe_bytes, 0, "pc");
  };
  NasProbeRecord record;
  EXPECT_FALSE(tcp({.silent = true}));
  EXPECT_EQ(ParseProbeReply(Packet(*tcp({.wrong_transaction_id = true})), id, NasMac{}, record), RESPONSE_HDR_IGNORE);
  EXPECT_EQ(ParseProbeReply(Packet(*tcp({.wrong_direction = true})), id, NasMac{}, record), RESPONSE_HDR_IGNORE);
  EXPECT_EQ(ParseProbeReply(Packet(*tcp({.wrong_mac = true})), id, NasMac{}, record), RESPONSE_HDR_IGNORE);
  EXPECT_EQ(ParseProbeReply(Packet(*tcp({.error_class = 1})), id, NasMac{}, record), RESPONSE_HDR_ERR_PASSWORD);
  EXPECT_EQ(ParseProbeReply(Packet(*tcp({.error_class = 2})), id, NasMac{}, record), RESPONSE_HDR_ERR_UNSUPPORT);
  EXPECT_EQ(ParseProbeReply(Packet(*tcp({.error_class = 3})), id, NasMac{}, record), RESPONSE_HDR_OK);

  auto udp = [&](const sim::BoxFaults& f, const std::string& command) {
    sim::BoxConfig c;
    c.faults = f;
    sim::Box box(c);
    return box.HandleDatagram(DiskCommand(command), 0, "pc");
  };
  std::vector<Bytes> r = udp({.disk_reply_opcode_31 = true}, "GETRAIDSTATUS");
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(ReadU16(&r[0][2]), 31);
  EXPECT_EQ(udp({.duplicate_replies = 4}, "GETRAIDSTATUS").size(), 5u);
  EXPECT_EQ(ReplyText(udp({.unmatched_disk_status = true}, "GETRAIDSTATUS")[0]), "READY");
  EXPECT_EQ(ReplyText(udp({.damaged_disk = true}, "GETFORMATSTATUS 1")[0]), "-1");
  r = udp({.error_class = 1}, "GETRAIDSTATUS");
  EXPECT_EQ(r[0][3], 1);

  sim::BoxConfig c;
  c.faults.never_return_after_reboot = true;
  sim::Box gone(c);
  EXPECT_EQ(Ask(gone, "REBOOT"), "OK");
  EXPECT_FALSE(gone.Online(10'000'000));
}

TEST(BoxRobustness, MalformedRequestsAreIgnored) {
  sim::Box box(sim::BoxConfig{});
  std::vector<std::string> ignored;
  box.SetRequestObserver([&](const sim::BoxRequest& r) { ignored.push_back(r.ignored); });
  Bytes too_long_text = DiskCommand("GETRAIDSTATUS");
  too_long_text[46] = 0xFF;
  too_long_text[47] = 0x01;  // 511 bytes of text in a 512-byte packet
  Bytes cut = DiskCommand("GETRAIDSTATUS");
  cut.resize(50);  // the text runs past the datagram's end
  Bytes reply_sent_back = DiskCommand("GETRAIDSTATUS");
  reply_sent_back[1] = 22;
  for (const Bytes& b : {Bytes{}, Bytes(45, 12), too_long_text, cut, reply_sent_back}) {
    EXPECT_TRUE(box.HandleDatagram(b, 0, "pc").empty());
    EXPECT_FALSE(box.HandleTcpRequest(b, 0, "pc") && b.size() < 46);
  }
  EXPECT_EQ(ignored.size(), 10u);
  EXPECT_EQ(ignored[4], "command text length beyond the packet");
}

// The box answers the whole road of one set-up over the simulated LAN.
TEST(BoxSession, AnswersAFullSetUp) {
  platform::ScopedVirtualClock clock;
  sim::World world;
  world.pc().AddInterface("lan", Ipv4Of("192.168.1.100"), Ipv4Of("255.255.255.0"));
  world.Install();
  sim::BoxConfig c;
  c.disks = sim::Disks({sim::Bay{true}, sim::Bay{true}});
  c.format_duration_ms = 30000;
  c.reboot_duration_ms = 60000;
  c.faults.address_after_reboot = Ipv4Of("192.168.1.30");
  sim::BoxNode& node = world.AddBox("box", "lan", c);
  const std::string ip = "192.168.1.20";
  pc::Udp udp(9999);
  auto command = [&](const std::string& text, const std::string& password = "") -> std::string {
    udp.SendTo(ip, 9999, DiskCommand(text, password));
    for (;;) {
      std::optional<pc::Received> r = udp.Receive(5);
      if (!r) return "<no reply>";
      if (r->from == ip + ":9999") return ReplyText(r->bytes);
    }
  };
  auto discover = [&] {
    NasPacket request;
    BuildDiscoveryRequest(request);
    udp.SendTo("255.255.255.255", 9999, Bytes(request.begin(), request.end()));
    std::vector<std::string> found;
    for (const pc::Received& r : udp.ReceiveAll(1)) {
      NasDiscoveryRecord record;
      if (ParseDiscoveryReply(Packet(r.bytes), record) == 0) found.push_back(r.from);
    }
    return found;
  };
  auto exchange = [&](const NasPacket& request) {
    return pc::TcpExchange(ip, 9998, Bytes(request.begin(), request.end()));
  };

  EXPECT_EQ(discover(), std::vector<std::string>{"192.168.1.20:9999"});
  NasPacket request;
  uint32_t id = BuildProbeRequest(request, NasMac{}, NasPassword{});
  NasProbeRecord probe;
  EXPECT_EQ(ParseProbeReply(Packet(exchange(request).reply), id, NasMac{}, probe), RESPONSE_HDR_OK);
  NasSettingsRecord read{};
  read.bytes[settings_field::kAction] = kSettingsActionRead;
  id = BuildSettingsRequest(request, NasMac{}, NasPassword{}, read);
  NasSettingsRecord settings;
  EXPECT_EQ(ParseSettingsReply(Packet(exchange(request).reply), id, NasMac{}, settings), RESPONSE_HDR_OK);
  EXPECT_EQ(ReadTextField(settings.bytes, settings_field::kHostname, 64), "NAS");
  EXPECT_EQ(command("GETRAIDSTATUS"), "NULL NULL");
  EXPECT_EQ(command("CREATE RAID1 ALL EXT3"), "OK");
  std::string progress;
  int polls = 0;
  while ((progress = command("GETFORMATSTATUS 1")) != "100") {
    ASSERT_NE(progress, "<no reply>");
    platform::Sleep(1000);
    ++polls;
  }
  EXPECT_EQ(polls, 30);
  EXPECT_EQ(command("CREATEDEFAULTSHAREFOLDER"), "OK");
  NasSettingsRecord write{};
  write.bytes[settings_field::kAction] = kSettingsActionWrite;
  WriteTextField(write.bytes, settings_field::kPassword, settings_field::kPasswordSize, "pw");
  id = BuildSettingsRequest(request, NasMac{}, NasPassword{}, write);
  EXPECT_EQ(ParseSettingsReply(Packet(exchange(request).reply), id, NasMac{}, settings), RESPONSE_HDR_OK);
  EXPECT_EQ(command("REBOOT", "pw"), "OK");
  EXPECT_TRUE(discover().empty()) << "silent while it reboots";
  platform::Sleep(60000);
  EXPECT_EQ(discover(), std::vector<std::string>{"192.168.1.30:9999"}) << "back, at its new address";
  EXPECT_EQ(node.host().Interfaces().front().address, Ipv4Of("192.168.1.30"));
  EXPECT_EQ(node.Requests().back().opcode, 31);
}

}  // namespace
