#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <set>
#include <string>

#include "link/codec.h"
#include "link/disk_command.h"
#include "pc_client.h"
#include "platform/adapters.h"
#include "platform/thread.h"
#include "platform/virtual_clock.h"
#include "sim/world.h"

namespace {

using sim::Ipv4Of;

pc::Bytes DiscoveryRequest() {
  NasPacket p;
  BuildDiscoveryRequest(p);
  return pc::Bytes(p.begin(), p.end());
}

sim::BoxConfig BoxAt(const std::string& address, const std::string& mask = "255.255.255.0") {
  sim::BoxConfig c;
  c.address = Ipv4Of(address);
  c.mask = Ipv4Of(mask);
  return c;
}

std::set<std::string> Senders(const std::vector<pc::Received>& received) {
  std::set<std::string> from;
  for (const pc::Received& r : received) {
    if (r.bytes.size() > 1 && r.bytes[1] == kNasDirectionReply) from.insert(r.from);
  }
  return from;
}

class LanTest : public ::testing::Test {
 protected:
  LanTest() {
    world_.pc().AddInterface("office", Ipv4Of("192.168.1.100"), Ipv4Of("255.255.255.0"), "eth0");
    world_.pc().AddInterface("lab", Ipv4Of("10.0.0.100"), Ipv4Of("255.255.255.0"), "eth1");
    world_.Install();
  }
  uint64_t Now() { return platform::CurrentClock().NowMs(); }

  platform::ScopedVirtualClock clock_;
  sim::World world_;
};

TEST_F(LanTest, LimitedBroadcastReachesTheFirstInterfacesWireOnly) {
  world_.AddBox("a", "office", BoxAt("192.168.1.20"));
  world_.AddBox("b", "office", BoxAt("192.168.1.21"));
  world_.AddBox("lab", "lab", BoxAt("10.0.0.20"));
  world_.AddBox("far", "elsewhere", BoxAt("192.168.1.22"));
  pc::Udp udp(9999);
  ASSERT_EQ(udp.SendTo("255.255.255.255", 9999, DiscoveryRequest()), 512);
  const std::vector<pc::Received> got = udp.ReceiveAll(1);
  EXPECT_EQ(Senders(got), (std::set<std::string>{"192.168.1.20:9999", "192.168.1.21:9999"}));
  // The PC hears its own broadcast too, as a real stack delivers it to the bound port.
  EXPECT_TRUE(std::any_of(got.begin(), got.end(), [](const pc::Received& r) {
    return r.from == "192.168.1.100:9999" && r.bytes[1] == kNasDirectionRequest;
  }));
}

TEST_F(LanTest, SubnetBroadcastReachesItsSubnetAndUnicastItsAddress) {
  world_.AddBox("a", "office", BoxAt("192.168.1.20"));
  world_.AddBox("lab", "lab", BoxAt("10.0.0.20"));
  world_.AddBox("other-subnet", "lab", BoxAt("172.16.0.20", "255.255.0.0"));
  pc::Udp udp;
  udp.SendTo("10.0.0.255", 9999, DiscoveryRequest());
  EXPECT_EQ(Senders(udp.ReceiveAll(1)), std::set<std::string>{"10.0.0.20:9999"});
  udp.SendTo("192.168.1.20", 9999, DiscoveryRequest());
  EXPECT_EQ(Senders(udp.ReceiveAll(1)), std::set<std::string>{"192.168.1.20:9999"});
}

TEST_F(LanTest, BroadcastNeedsTheBroadcastOption) {
  const platform::SOCKET s = platform::socket(platform::kAfInet, platform::kSockDgram, 0);
  const platform::SOCKADDR_IN to = pc::Address("192.168.1.255", 9999);
  const char byte = 0;
  EXPECT_EQ(platform::sendto(s, &byte, 1, 0, &to, sizeof to), platform::SOCKET_ERROR);
  EXPECT_EQ(platform::WSAGetLastError(), platform::WSAEACCES);
  platform::closesocket(s);
}

TEST_F(LanTest, LinkDelaysAddUpExactly) {
  world_.pc().SetLink({.delay_ms = 3});
  world_.AddBox("a", "office", BoxAt("192.168.1.20")).host().SetLink({.delay_ms = 40});
  pc::Udp udp;
  udp.SendTo("192.168.1.20", 9999, DiscoveryRequest());
  ASSERT_TRUE(udp.Receive(5));
  EXPECT_EQ(Now(), 86u) << "two links each way";
}

TEST_F(LanTest, DelaySwitchHoldsEveryReplyBack) {
  sim::BoxConfig c = BoxAt("192.168.1.20");
  c.faults.reply_delay_ms = 1234;
  world_.AddBox("a", "office", c);
  pc::Udp udp;
  udp.SendTo("192.168.1.20", 9999, DiscoveryRequest());
  ASSERT_TRUE(udp.Receive(5));
  EXPECT_EQ(Now(), 1234u);
  NasPacket probe;
  BuildProbeRequest(probe, NasMac{}, NasPassword{});
  const pc::TcpResult r = pc::TcpExchange("192.168.1.20", 9998, pc::Bytes(probe.begin(), probe.end()));
  EXPECT_EQ(r.reply.size(), 512u);
  EXPECT_EQ(Now(), 2468u);
}

TEST_F(LanTest, LossDuplicationAndReorderingComeFromTheSeed) {
  sim::BoxNode& box = world_.AddBox("a", "office", BoxAt("192.168.1.20"));
  pc::Udp udp;
  box.host().SetLink({.loss = 1.0});
  udp.SendTo("192.168.1.20", 9999, DiscoveryRequest());
  EXPECT_FALSE(udp.Receive(1)) << "lost";

  box.host().SetLink({.duplication = 1.0});
  udp.SendTo("192.168.1.20", 9999, DiscoveryRequest());
  EXPECT_EQ(udp.ReceiveAll(1).size(), 4u) << "the request and its reply each doubled";

  // Jitter: twenty numbered datagrams overtake one another but all arrive.
  box.host().SetLink({.jitter_ms = 50});
  for (uint8_t i = 0; i < 20; ++i) {
    NasPacket p;
    BuildDiscoveryRequest(p);
    WriteU32(&p[nas_header::kTransactionId], i);
    udp.SendTo("192.168.1.20", 9999, pc::Bytes(p.begin(), p.end()));
  }
  std::vector<uint32_t> order;
  for (const pc::Received& r : udp.ReceiveAll(1)) order.push_back(ReadU32(&r.bytes[nas_header::kTransactionId]));
  ASSERT_EQ(order.size(), 20u);
  EXPECT_FALSE(std::is_sorted(order.begin(), order.end()));
  std::sort(order.begin(), order.end());
  EXPECT_EQ(order.front(), 0u);
  EXPECT_EQ(order.back(), 19u);
}

TEST_F(LanTest, APortIsBoundOnce) {
  pc::Udp first(9999);
  pc::Udp second(9999);
  EXPECT_EQ(first.bind_result(), 0);
  EXPECT_EQ(second.bind_result(), platform::SOCKET_ERROR);
  EXPECT_EQ(platform::WSAGetLastError(), platform::WSAEADDRINUSE);
  first.Close();
  pc::Udp third(9999);
  EXPECT_EQ(third.bind_result(), 0) << "free again once closed";
}

TEST_F(LanTest, DatagramLongerThanTheBufferFailsAndIsDropped) {
  pc::Udp receiver(9999);
  pc::Udp sender;
  sender.SendTo("192.168.1.100", 9999, pc::Bytes(600, 1));
  sender.SendTo("192.168.1.100", 9999, pc::Bytes(100, 2));
  std::optional<pc::Received> r = receiver.Receive(1);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->result, platform::SOCKET_ERROR);
  EXPECT_EQ(r->error, platform::WSAEMSGSIZE);
  r = receiver.Receive(1);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->result, 100) << "the long one is gone; the next one is read";
}

TEST_F(LanTest, ClosingWakesTheWaiterAndTheHandleIsNeverSeenAgain) {
  pc::Udp udp(9999);
  const platform::SOCKET old = udp.handle();
  int result = 0;
  int error = 0;
  platform::Thread waiter("waiter", [&] {
    result = platform::select(old, nullptr);
    error = platform::WSAGetLastError();
  });
  platform::Sleep(100);
  udp.Close();
  waiter.Join();
  EXPECT_EQ(result, platform::SOCKET_ERROR);
  EXPECT_EQ(error, platform::WSAEINTR);
  EXPECT_EQ(Now(), 100u);
  pc::Udp next(9999);
  EXPECT_NE(next.handle(), old);
  EXPECT_EQ(platform::select(old, nullptr), platform::SOCKET_ERROR);
  EXPECT_EQ(platform::WSAGetLastError(), platform::WSAENOTSOCK);
}

TEST_F(LanTest, SilentTcpPeerCostsFifteenVirtualSecondsAndNoWallTime) {
  sim::BoxConfig c = BoxAt("192.168.1.20");
  c.faults.tcp_shape = sim::TcpShape::kSilent;
  world_.AddBox("a", "office", c);
  NasPacket probe;
  BuildProbeRequest(probe, NasMac{}, NasPassword{});
  const auto wall = std::chrono::steady_clock::now();
  const pc::TcpResult r = pc::TcpExchange("192.168.1.20", 9998, pc::Bytes(probe.begin(), probe.end()), 15);
  EXPECT_EQ(r.connect_result, 0);
  EXPECT_TRUE(r.timed_out);
  EXPECT_EQ(Now(), 15000u);
  EXPECT_LT(std::chrono::steady_clock::now() - wall, std::chrono::seconds(2));
}

struct ShapeCase {
  sim::TcpShape shape;
  std::vector<size_t> pieces;  // sizes as the PC reads them
  bool closed;
};

TEST_F(LanTest, TcpRepliesTakeTheShapeTheBoxIsSetTo) {
  const ShapeCase cases[] = {
      {sim::TcpShape::kWhole, {512}, true},
      {sim::TcpShape::kChunks, {100, 412}, true},
      {sim::TcpShape::kCloseAfter300, {300}, true},
      {sim::TcpShape::kOversize600, {600}, true},
      {sim::TcpShape::kDrip, std::vector<size_t>(512, 1), true},
  };
  sim::BoxConfig c = BoxAt("192.168.1.20");
  sim::BoxNode& box = world_.AddBox("a", "office", c);
  NasPacket probe;
  BuildProbeRequest(probe, NasMac{}, NasPassword{});
  for (const ShapeCase& k : cases) {
    box.WithBox([&](sim::Box& b) {
      b.faults().tcp_shape = k.shape;
      b.faults().tcp_chunk_gap_ms = 700;
    });
    const platform::SOCKET s = platform::socket(platform::kAfInet, platform::kSockStream, platform::kIpprotoTcp);
    const platform::SOCKADDR_IN to = pc::Address("192.168.1.20", 9998);
    ASSERT_EQ(platform::connect(s, &to, sizeof to), 0);
    platform::send(s, reinterpret_cast<const char*>(probe.data()), 512, 0);
    std::vector<size_t> pieces;
    const uint64_t start = Now();
    char buffer[1024];
    int n;
    while ((n = platform::recv(s, buffer, sizeof buffer, 0)) > 0) pieces.push_back(static_cast<size_t>(n));
    EXPECT_EQ(pieces, k.pieces);
    EXPECT_EQ(n, 0) << "closed by the box";
    if (k.shape == sim::TcpShape::kChunks) {
      EXPECT_EQ(Now() - start, 700u);
    }
    if (k.shape == sim::TcpShape::kDrip) {
      EXPECT_EQ(Now() - start, 511u * 700);
    }
    platform::closesocket(s);
  }
}

// A connection request fails at once when refused, and at the platform's bound whenever its
// answer does not come by then: nobody has the address, the box is rebooting, or the answer
// would arrive later over a slow link, or never once the LAN has stopped.
TEST_F(LanTest, ConnectionsRefusedAtOnceOrTimedOutWhenNoAnswerComesInTime) {
  sim::BoxConfig refusing = BoxAt("192.168.1.20");
  refusing.faults.tcp_shape = sim::TcpShape::kRefuse;
  world_.AddBox("refusing", "office", refusing);
  sim::BoxNode& rebooting = world_.AddBox("rebooting", "office", BoxAt("192.168.1.21"));
  NasPacket reboot;
  BuildDiskCommandPacket(reboot, 0, NasPassword{}, "REBOOT");
  rebooting.WithBox(
      [&](sim::Box& b) { b.HandleDatagram(std::vector<uint8_t>(reboot.begin(), reboot.end()), 0, "pc"); });
  sim::BoxNode& slow = world_.AddBox("slow", "office", BoxAt("192.168.1.22"));
  slow.host().SetLink(sim::LinkConditions{11000});
  world_.AddBox("whole", "office", BoxAt("192.168.1.23"));
  struct {
    const char* what;
    const char* ip;
    bool stop_lan_first;
    int error;
    uint64_t took;
  } const cases[] = {
      {"refused", "192.168.1.20", false, platform::WSAECONNREFUSED, 0},
      {"nobody there", "192.168.1.99", false, platform::WSAETIMEDOUT, platform::kConnectTimeoutMs},
      {"rebooting", "192.168.1.21", false, platform::WSAETIMEDOUT, platform::kConnectTimeoutMs},
      {"answer after the bound", "192.168.1.22", false, platform::WSAETIMEDOUT, platform::kConnectTimeoutMs},
      {"LAN stopped", "192.168.1.23", true, platform::WSAETIMEDOUT, platform::kConnectTimeoutMs},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    if (k.stop_lan_first) world_.lan().Stop();
    const uint64_t start = Now();
    const pc::TcpResult r = pc::TcpExchange(k.ip, 9998, pc::Bytes(512));
    EXPECT_EQ(r.connect_result, platform::SOCKET_ERROR);
    EXPECT_EQ(r.connect_error, k.error);
    EXPECT_EQ(Now() - start, k.took);
    EXPECT_EQ(world_.sockets().OpenSockets(), 0u);
  }
}

// A socket's local address (getsockname) is there once it is bound or connected: the address it
// was bound to (0.0.0.0 for every address), or the PC's address on the interface its connection
// went out by; the port is the bound or the connection's. "*" stands for a port the LAN chose.
TEST_F(LanTest, ASocketNamesTheAddressItWasBoundToOrConnectedFrom) {
  world_.AddBox("lab box", "lab", BoxAt("10.0.0.20"));
  auto Error = [](int error) { return "error " + std::to_string(error); };
  auto udp = [] { return platform::socket(platform::kAfInet, platform::kSockDgram, 0); };
  auto bound = [&](const char* ip, uint16_t port) {
    const platform::SOCKET s = udp();
    const platform::SOCKADDR_IN a = pc::Address(ip, port);
    EXPECT_EQ(platform::bind(s, &a, sizeof a), 0) << ip;
    return s;
  };
  // A TCP socket after its connect to the lab's box (which listens on 9998 only).
  auto connected = [](uint16_t port) {
    const platform::SOCKET s = platform::socket(platform::kAfInet, platform::kSockStream, platform::kIpprotoTcp);
    const platform::SOCKADDR_IN to = pc::Address("10.0.0.20", port);
    platform::connect(s, &to, sizeof to);
    return s;
  };
  const struct {
    const char* what;
    std::function<platform::SOCKET()> make;
    std::string named;
  } cases[] = {
      {"never bound", udp, Error(platform::WSAEINVAL)},
      {"bound to every address", [&] { return bound("0.0.0.0", 5000); }, "0.0.0.0:5000"},
      {"bound to the lab's address", [&] { return bound("10.0.0.100", 5001); }, "10.0.0.100:5001"},
      {"a datagram sent without a bind",
       [&] {
         const platform::SOCKET s = udp();
         const platform::SOCKADDR_IN to = pc::Address("10.0.0.20", 7);
         EXPECT_EQ(platform::sendto(s, "x", 1, 0, &to, sizeof to), 1);
         return s;
       },
       "0.0.0.0:*"},
      {"connected to a box in the lab", [&] { return connected(9998); }, "10.0.0.100:*"},
      {"refused", [&] { return connected(80); }, Error(platform::WSAEINVAL)},
      {"closed",
       [&] {
         const platform::SOCKET s = bound("0.0.0.0", 5002);
         platform::closesocket(s);
         return s;
       },
       Error(platform::WSAENOTSOCK)},
  };
  for (const auto& c : cases) {
    const platform::SOCKET s = c.make();
    platform::SOCKADDR_IN a;
    int length = sizeof a;
    std::string named;
    if (platform::getsockname(s, &a, &length) != 0) {
      named = Error(platform::WSAGetLastError());
    } else {
      EXPECT_EQ(length, platform::kSockaddrInSize) << c.what;
      const uint16_t port = platform::Ntohs(a.sin_port);
      named = std::string(platform::inet_ntoa(a.sin_addr)) + ":" +
              (c.named.ends_with(":*") && port != 0 ? "*" : std::to_string(port));
    }
    EXPECT_EQ(named, c.named) << c.what;
    platform::closesocket(s);
  }
  const platform::SOCKET s = bound("0.0.0.0", 5003);
  platform::SOCKADDR_IN a;
  int short_length = platform::kSockaddrInSize - 1;
  EXPECT_EQ(platform::getsockname(s, &a, &short_length), platform::SOCKET_ERROR);
  EXPECT_EQ(platform::WSAGetLastError(), platform::WSAEFAULT) << "a name buffer too short";
  platform::closesocket(s);
}

class AdapterTest : public ::testing::Test {
 protected:
  platform::ScopedVirtualClock clock_;
  sim::World world_;
};

std::vector<std::string> Scan(uint32_t* size_result = nullptr, uint32_t* list_result = nullptr) {
  platform::GetAdaptersInfoProc get = platform::LookUpGetAdaptersInfo();
  if (!get) return {"missing"};
  uint32_t size = 0;
  const uint32_t sized = get(nullptr, &size);
  if (size_result) *size_result = sized;
  if (sized != platform::ERROR_BUFFER_OVERFLOW) return {};
  std::vector<uint64_t> buffer((size + 7) / 8);
  auto* list = reinterpret_cast<platform::AdapterInfo*>(buffer.data());
  const uint32_t listed = get(list, &size);
  if (list_result) *list_result = listed;
  if (listed != platform::ERROR_SUCCESS) return {};
  std::vector<std::string> rows;
  for (const platform::AdapterInfo* a = list; a; a = a->Next) {
    for (const platform::IpAddressEntry* e = &a->IpAddressList; e; e = e->Next) {
      rows.push_back(std::string(a->AdapterName) + " " + e->IpAddress + "/" + e->IpMask);
    }
  }
  return rows;
}

TEST_F(AdapterTest, AdaptersListTheirAddressesAndAnEmptyOneListsZeros) {
  world_.pc().AddInterface("office", Ipv4Of("192.168.1.100"), Ipv4Of("255.255.255.0"), "eth0");
  world_.pc().AddInterface("office", Ipv4Of("192.168.1.101"), Ipv4Of("255.255.255.0"), "eth0");
  world_.pc().AddInterface("lab", Ipv4Of("10.0.0.5"), Ipv4Of("255.255.255.252"), "eth1");
  world_.pc().AddAdapterWithoutAddress("wifi");
  world_.Install();
  uint32_t sized = 0;
  EXPECT_EQ(Scan(&sized),
            (std::vector<std::string>{"eth0 192.168.1.100/255.255.255.0", "eth0 192.168.1.101/255.255.255.0",
                                      "eth1 10.0.0.5/255.255.255.252", "wifi 0.0.0.0/0.0.0.0"}));
  EXPECT_EQ(sized, platform::ERROR_BUFFER_OVERFLOW);
}

TEST_F(AdapterTest, FaultsMakeTheScanFailWhereAsked) {
  world_.pc().AddInterface("office", Ipv4Of("192.168.1.100"), Ipv4Of("255.255.255.0"));
  world_.Install();
  world_.adapters().SetFaults({.entry_point_missing = true});
  EXPECT_EQ(Scan(), std::vector<std::string>{"missing"});
  world_.adapters().SetFaults({.size_query_result = platform::ERROR_NO_DATA});
  uint32_t sized = 0;
  EXPECT_TRUE(Scan(&sized).empty());
  EXPECT_EQ(sized, platform::ERROR_NO_DATA);
  world_.adapters().SetFaults({.list_query_result = platform::ERROR_INVALID_PARAMETER});
  uint32_t listed = 0;
  EXPECT_TRUE(Scan(&sized, &listed).empty());
  EXPECT_EQ(sized, platform::ERROR_BUFFER_OVERFLOW);
  EXPECT_EQ(listed, platform::ERROR_INVALID_PARAMETER);
}

}  // namespace
