// nas-sim over real sockets: the PC in one network namespace (this test's thread enters it),
// nas-sim started in another with 'ip netns exec', real broadcasts between them.
#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "link/codec.h"
#include "netns.h"
#include "pc_client.h"
#include "platform/adapters.h"
#include "platform/clock.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class NasSimHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why_not;
    net_ = netns::TestNetwork::Create(1, &why_not);
    if (!net_) GTEST_SKIP() << why_not;
  }
  std::unique_ptr<netns::Process> StartNasSim(const std::vector<std::string>& options, const std::string& tag) {
    std::vector<std::string> argv = {"ip", "netns", "exec", net_->box(0), NAS_SIM_PATH};
    argv.insert(argv.end(), options.begin(), options.end());
    return std::make_unique<netns::Process>(argv, net_->TempFile(tag + ".out"), net_->TempFile(tag + ".err"));
  }
  // Broadcasts the discovery request until a reply comes: nas-sim may still be starting, for a
  // while on a busy machine.
  std::optional<pc::Received> Discover(pc::Udp& udp) {
    NasPacket request;
    BuildDiscoveryRequest(request);
    const uint64_t give_up = platform::CurrentClock().NowMs() + 30'000;
    while (platform::CurrentClock().NowMs() < give_up) {
      udp.SendTo("255.255.255.255", 9999, pc::Bytes(request.begin(), request.end()));
      platform::TIMEVAL tv{0, 100000};
      while (platform::select(udp.handle(), &tv) == 1) {
        std::optional<pc::Received> r = udp.Receive(0);
        if (r && r->bytes.size() > 1 && r->bytes[1] == kNasDirectionReply) return r;
      }
    }
    return std::nullopt;
  }

  std::unique_ptr<netns::TestNetwork> net_;
};

TEST_F(NasSimHostTest, AnswersARealBroadcastAndProbeAndLogsThem) {
  const std::string log = net_->TempFile("requests.jsonl");
  auto box = StartNasSim({"--name", "NAS-HOST", "--password", "pw", "--log", log}, "box");
  {
    netns::EnterNamespace pc(net_->pc());
    ASSERT_TRUE(pc.ok());
    pc::Udp udp(9999);
    const std::optional<pc::Received> reply = Discover(udp);
    ASSERT_TRUE(reply) << ReadFile(net_->TempFile("box.err"));
    EXPECT_EQ(reply->from, netns::TestNetwork::BoxAddress(0) + ":9999");
    NasDiscoveryRecord record;
    NasPacket packet{};
    std::copy(reply->bytes.begin(), reply->bytes.end(), packet.begin());
    ASSERT_EQ(ParseDiscoveryReply(packet, record), 0);
    EXPECT_EQ(ReadTextField(record.bytes, discovery_field::kModelName, 32), "NAS-HOST");

    NasPacket probe;
    NasPassword password{};
    password[0] = 'p';
    password[1] = 'w';
    const uint32_t id = BuildProbeRequest(probe, NasMac{}, password);
    const pc::TcpResult r =
        pc::TcpExchange(netns::TestNetwork::BoxAddress(0), 9998, pc::Bytes(probe.begin(), probe.end()), 5);
    ASSERT_EQ(r.connect_result, 0);
    ASSERT_EQ(r.reply.size(), 512u);
    std::copy(r.reply.begin(), r.reply.end(), packet.begin());
    NasProbeRecord probe_record;
    EXPECT_EQ(ParseProbeReply(packet, id, NasMac{}, probe_record), RESPONSE_HDR_OK);
  }
  box->Signal(SIGTERM);
  EXPECT_EQ(box->Wait(5000), 0) << "a clean exit on SIGTERM";
  std::vector<nlohmann::json> lines;
  std::istringstream in(ReadFile(log));
  for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
  auto answered = [&](int opcode) {
    return std::any_of(lines.begin(), lines.end(), [&](const nlohmann::json& j) {
      return j["opcode"] == opcode && !j.contains("ignored") &&
             j["peer"].get<std::string>().rfind(netns::TestNetwork::PcAddress() + ":", 0) == 0;
    });
  };
  EXPECT_TRUE(answered(31));
  EXPECT_TRUE(answered(41));
  const auto probe_line =
      std::find_if(lines.begin(), lines.end(), [](const nlohmann::json& j) { return j["opcode"] == 41; });
  ASSERT_NE(probe_line, lines.end());
  EXPECT_EQ((*probe_line)["password"], "pw");
  EXPECT_EQ((*probe_line)["transport"], "tcp");
}

// On every address of its host, the box reports the address, mask and gateway of the interface
// the request came in on (DNS: the gateway), as a box that took them from DHCP there would: the
// address the wizard connected to, also when the interface has a second one.
TEST_F(NasSimHostTest, WithoutAnAddressTheSettingsCarryTheNetworkTheRequestCameInOn) {
  ASSERT_TRUE(net_->SetBoxGateway(0, netns::TestNetwork::PcAddress()));
  ASSERT_TRUE(net_->AddBoxAddress(0, "10.77.0.12"));
  auto box = StartNasSim({"--log", net_->TempFile("settings.jsonl")}, "settings");
  netns::EnterNamespace pc(net_->pc());
  ASSERT_TRUE(pc.ok());
  pc::Udp udp(9999);
  ASSERT_TRUE(Discover(udp)) << ReadFile(net_->TempFile("settings.err"));
  const struct {
    const char* what;
    std::string address;
  } cases[] = {{"the interface's first address", netns::TestNetwork::BoxAddress(0)},
               {"its second address", "10.77.0.12"}};
  for (const auto& c : cases) {
    NasSettingsRecord read{};
    read.bytes[settings_field::kAction] = kSettingsActionRead;
    NasPacket request;
    const uint32_t id = BuildSettingsRequest(request, NasMac{}, NasPassword{}, read);
    const pc::TcpResult r = pc::TcpExchange(c.address, 9998, pc::Bytes(request.begin(), request.end()), 5);
    ASSERT_EQ(r.reply.size(), 512u) << c.what;
    NasPacket packet{};
    std::copy(r.reply.begin(), r.reply.end(), packet.begin());
    NasSettingsRecord settings;
    ASSERT_EQ(ParseSettingsReply(packet, id, NasMac{}, settings), RESPONSE_HDR_OK) << c.what;
    auto field = [&](size_t offset) {
      std::string dotted;
      for (size_t i = 0; i < 4; ++i) {
        if (i) dotted += '.';
        dotted += std::to_string(settings.bytes[offset + i]);
      }
      return dotted;
    };
    EXPECT_EQ(field(settings_field::kIpAddress), c.address) << c.what;
    EXPECT_EQ(field(settings_field::kSubnetMask), "255.255.255.0") << c.what;
    EXPECT_EQ(field(settings_field::kGateway), netns::TestNetwork::PcAddress()) << c.what;
    EXPECT_EQ(field(settings_field::kDns1), netns::TestNetwork::PcAddress()) << c.what;
  }
}

TEST_F(NasSimHostTest, ATakenPortIsAClearError) {
  auto first = StartNasSim({"--log", net_->TempFile("first.jsonl")}, "first");
  {
    netns::EnterNamespace pc(net_->pc());
    pc::Udp udp(9999);
    ASSERT_TRUE(Discover(udp)) << "the first one runs";
  }
  auto second = StartNasSim({"--log", net_->TempFile("second.jsonl")}, "second");
  EXPECT_EQ(second->Wait(5000), 1);
  EXPECT_NE(ReadFile(net_->TempFile("second.err")).find("port 9999 on 0.0.0.0 is already in use"), std::string::npos)
      << ReadFile(net_->TempFile("second.err"));
  first->Signal(SIGINT);
  EXPECT_EQ(first->Wait(5000), 0);
}

TEST_F(NasSimHostTest, SeveralBoxesEachAnswerFromTheirOwnAddress) {
  ASSERT_TRUE(net_->AddBoxAddress(0, "10.77.0.12"));
  const std::string config = net_->TempFile("boxes.json");
  std::ofstream(config) << R"({"log": ")" << net_->TempFile("boxes.jsonl") << R"(", "boxes": [
      {"name": "first", "address": "10.77.0.2", "mac": "00:11:32:00:00:01"},
      {"name": "second", "address": "10.77.0.12", "mac": "00:11:32:00:00:02", "disks": "raid1-ext3"}]})";
  auto boxes = StartNasSim({"--config", config}, "boxes");
  netns::EnterNamespace pc(net_->pc());
  pc::Udp udp(9999);
  ASSERT_TRUE(Discover(udp)) << ReadFile(net_->TempFile("boxes.err"));
  platform::Sleep(200);
  while (udp.Receive(0)) {
  }
  NasPacket request;
  BuildDiscoveryRequest(request);
  udp.SendTo("255.255.255.255", 9999, pc::Bytes(request.begin(), request.end()));
  std::set<std::string> from;
  for (const pc::Received& r : udp.ReceiveAll(1)) {
    if (r.bytes.size() > 1 && r.bytes[1] == kNasDirectionReply) from.insert(r.from);
  }
  EXPECT_EQ(from, (std::set<std::string>{"10.77.0.2:9999", "10.77.0.12:9999"}));
  udp.SendTo("10.77.0.12", 9999, pc::Bytes(request.begin(), request.end()));
  const std::vector<pc::Received> unicast = udp.ReceiveAll(1);
  ASSERT_EQ(unicast.size(), 1u);
  EXPECT_EQ(unicast[0].from, "10.77.0.12:9999");
}

TEST_F(NasSimHostTest, LongDatagramIsAnErrorAndDropped) {
  netns::EnterNamespace pc(net_->pc());
  pc::Udp receiver(9999);
  std::thread box([&] {
    netns::EnterNamespace in_box(net_->box(0));
    pc::Udp sender;
    sender.SendTo(netns::TestNetwork::PcAddress(), 9999, pc::Bytes(600, 7));
    sender.SendTo(netns::TestNetwork::PcAddress(), 9999, pc::Bytes(100, 8));
  });
  box.join();
  std::optional<pc::Received> r = receiver.Receive(2);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->result, platform::SOCKET_ERROR);
  EXPECT_EQ(r->error, platform::WSAEMSGSIZE);
  r = receiver.Receive(2);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->result, 100);
  EXPECT_EQ(r->from, netns::TestNetwork::BoxAddress(0) + ":" + r->from.substr(r->from.find(':') + 1));
}

TEST_F(NasSimHostTest, HostAdaptersListTheNamespacesInterface) {
  netns::EnterNamespace pc(net_->pc());
  platform::GetAdaptersInfoProc get = platform::LookUpGetAdaptersInfo();
  ASSERT_NE(get, nullptr);
  uint32_t size = 0;
  ASSERT_EQ(get(nullptr, &size), platform::ERROR_BUFFER_OVERFLOW);
  std::vector<uint64_t> buffer((size + 7) / 8);
  auto* list = reinterpret_cast<platform::AdapterInfo*>(buffer.data());
  ASSERT_EQ(get(list, &size), platform::ERROR_SUCCESS);
  EXPECT_STREQ(list->Description, "eth0");
  EXPECT_STREQ(list->IpAddressList.IpAddress, "10.77.0.1");
  EXPECT_STREQ(list->IpAddressList.IpMask, "255.255.255.0");
  EXPECT_EQ(list->Next, nullptr) << "the loopback is not an adapter";
}

}  // namespace
