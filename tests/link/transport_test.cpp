#include "link/transport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "link/codec.h"
#include "link/delay.h"
#include "link/device_link_host.h"
#include "platform/thread.h"
#include "platform/virtual_clock.h"
#include "sim/world.h"
#include "toolkit/application.h"

namespace {

using sim::Ipv4Of;

// The main window's part, as the transport sees it.
class FakeMainWindow final : public DeviceLinkHost {
 public:
  bool isDiscoveryMode() override { return discovery.load(); }
  int TcpCommandKind() override { return kind.load(); }
  void SetGetNASInfoResult(int value) override { result.store(value); }
  std::string SelectedDeviceIp() override { return "192.168.1.20"; }
  void GetDeviceDiscoveryRes(const NasPacket& d, const platform::SOCKADDR_IN& from) override { Got(d, from, true); }
  void GetRAIDCommnadRes(const NasPacket& d, const platform::SOCKADDR_IN& from) override { Got(d, from, false); }
  bool process_EZPROBE_result() override {
    replies.push_back(TcpReplyBuffer());
    return accept;
  }
  bool process_QUICKGW_result() override {
    replies.push_back(TcpReplyBuffer());
    return accept;
  }

  struct Datagram {
    NasPacket bytes;
    std::string from;
    bool discovery;
    bool on_main;
  };
  void Got(const NasPacket& d, const platform::SOCKADDR_IN& from, bool discovery_handler) {
    datagrams.push_back({d, platform::inet_ntoa(from.sin_addr), discovery_handler, platform::IsMainThread()});
  }

  std::atomic<bool> discovery{true};
  std::atomic<int> kind{0};
  std::atomic<int> result{-1};
  bool accept = true;
  std::vector<NasPacket> replies;
  std::vector<Datagram> datagrams;
};

class TransportTest : public ::testing::Test {
 protected:
  TransportTest() {
    world_.pc().AddInterface("lan", Ipv4Of("192.168.1.100"), Ipv4Of("255.255.255.0"));
    world_.Install();
    SetDeviceLinkHost(&window_);
    g_sockfd.store(platform::INVALID_SOCKET);
    BuildProbeRequest(probe_, NasMac{}, NasPassword{});
  }
  ~TransportTest() override {
    StopUdpReceiver();
    SetDeviceLinkHost(nullptr);
  }
  uint64_t Now() { return platform::CurrentClock().NowMs(); }
  sim::BoxNode& Box(sim::TcpShape shape, uint32_t gap_ms = 50) {
    sim::BoxConfig c;
    c.faults.tcp_shape = shape;
    c.faults.tcp_chunk_gap_ms = gap_ms;
    return world_.AddBox("box", "lan", c);
  }
  // What a box answers to the probe in one piece.
  NasPacket WholeReply() {
    sim::Box box{sim::BoxConfig{}};
    const std::optional<std::vector<uint8_t>> r =
        box.HandleTcpRequest(std::vector<uint8_t>(probe_.begin(), probe_.end()), 0, "pc");
    NasPacket p{};
    std::copy(r->begin(), r->end(), p.begin());
    return p;
  }
  bool Exchange() { return sendTcpPacket(probe_.data(), 512); }
  void RunUntil(const std::function<bool()>& done) {
    while (!done()) app_.HandleMessage();
  }

  platform::ScopedVirtualClock clock_;
  TApplication app_;
  sim::World world_;
  FakeMainWindow window_;
  NasPacket probe_;
};

TEST_F(TransportTest, ReplyInTwoPiecesIsAssembled) {
  Box(sim::TcpShape::kChunks, 700);
  EXPECT_TRUE(Exchange());
  ASSERT_EQ(window_.replies.size(), 1u);
  EXPECT_EQ(window_.replies[0], WholeReply());
  EXPECT_EQ(Now(), 700u);
  EXPECT_EQ(g_sockfd.load(), platform::INVALID_SOCKET);
  EXPECT_EQ(world_.sockets().OpenSockets(), 0u);
}

TEST_F(TransportTest, OnlyTheFirst512BytesOfALongerReplyCount) {
  Box(sim::TcpShape::kOversize600);
  EXPECT_TRUE(Exchange());
  ASSERT_EQ(window_.replies.size(), 1u);
  EXPECT_EQ(window_.replies[0], WholeReply());
}

struct FailureCase {
  sim::TcpShape shape;
  uint32_t gap_ms;
  uint64_t failed_at;
};

TEST_F(TransportTest, ShortSilentStalledOrRefusedRepliesFailWithStatusOne) {
  const FailureCase cases[] = {
      {sim::TcpShape::kCloseAfter300, 0, 0},
      {sim::TcpShape::kSilent, 0, 15000},
      {sim::TcpShape::kRefuse, 0, 0},
      {sim::TcpShape::kChunks, 20000, 15000},  // 100 bytes, then nothing for longer than 15 s
  };
  sim::BoxNode& box = Box(sim::TcpShape::kWhole);
  for (const FailureCase& k : cases) {
    box.WithBox([&](sim::Box& b) {
      b.faults().tcp_shape = k.shape;
      b.faults().tcp_chunk_gap_ms = k.gap_ms;
    });
    window_.result = -1;
    const uint64_t start = Now();
    EXPECT_FALSE(Exchange());
    EXPECT_EQ(window_.result.load(), 1);
    EXPECT_EQ(Now() - start, k.failed_at);
    EXPECT_TRUE(window_.replies.empty());
    EXPECT_EQ(g_sockfd.load(), platform::INVALID_SOCKET);
    EXPECT_EQ(world_.sockets().OpenSockets(), 0u) << "the socket is closed";
    platform::Sleep(30000);  // let the box's side of a stalled reply run out
  }
}

TEST_F(TransportTest, PieceJustInsideTheBoundIsWaitedFor) {
  Box(sim::TcpShape::kChunks, 14990);
  EXPECT_TRUE(Exchange());
  EXPECT_EQ(Now(), 14990u);
}

TEST_F(TransportTest, UnknownCommandKindReturnsFalseAndLeavesTheStatus) {
  Box(sim::TcpShape::kWhole);
  window_.kind = 3;
  EXPECT_FALSE(Exchange());
  EXPECT_EQ(window_.result.load(), -1);
  EXPECT_TRUE(window_.replies.empty());
}

struct BusyCase {
  std::optional<uint64_t> freed_at;
  bool succeeds;
  uint64_t ends_at;
};

TEST_F(TransportTest, ExchangeWaitsTwentyTimesForTheHandle) {
  Box(sim::TcpShape::kWhole);
  // Each wait is Delay(500): 510 ms of 10 ms turns. The handle is tested before each of the 20.
  const BusyCase cases[] = {
      {std::nullopt, false, 10200},
      {9700, false, 10200},  // during the twentieth wait: not seen
      {9200, true, 9690},    // during the nineteenth: seen by the twentieth test
  };
  for (const BusyCase& k : cases) {
    const uint64_t start = Now();
    g_sockfd.store(4242);
    std::optional<platform::Thread> freer;
    if (k.freed_at) {
      freer.emplace("freer", [&] {
        platform::Sleep(static_cast<uint32_t>(*k.freed_at));
        g_sockfd.store(platform::INVALID_SOCKET);
      });
    }
    int pumped = 0;
    app_.Post([&] { ++pumped; });
    window_.result = -1;
    EXPECT_EQ(Exchange(), k.succeeds);
    EXPECT_EQ(Now() - start, k.ends_at);
    EXPECT_EQ(window_.result.load(), k.succeeds ? -1 : 1);
    EXPECT_EQ(pumped, 1) << "the waits pump the main thread's messages";
    if (freer) freer->Join();
    g_sockfd.store(platform::INVALID_SOCKET);
  }
}

TEST_F(TransportTest, StoppingTheUdpReceiverLeavesATcpExchangeAlone) {
  Box(sim::TcpShape::kSilent);
  std::atomic<bool> done{false};
  uint64_t ended = 0;
  platform::Thread apply("apply", [&] {
    EXPECT_FALSE(Exchange());
    ended = Now();
    done = true;
  });
  platform::Sleep(1000);
  const platform::SOCKET tcp = g_sockfd.load();
  EXPECT_NE(tcp, platform::INVALID_SOCKET);
  StopUdpReceiver();  // a disk command's time-out firing while the exchange runs
  EXPECT_EQ(g_sockfd.load(), tcp);
  apply.Join();
  EXPECT_EQ(ended, 15000u) << "the exchange ran to its own time-out";
  EXPECT_EQ(g_sockfd.load(), platform::INVALID_SOCKET);
}

class UdpTransportTest : public TransportTest {
 protected:
  UdpTransportTest() : peer_host_(world_.lan().AddHost("peer")), peer_(peer_host_) {
    peer_host_.AddInterface("lan", Ipv4Of("192.168.1.50"), Ipv4Of("255.255.255.0"));
    peer_socket_ = peer_.Socket(platform::kAfInet, platform::kSockDgram, 0);
  }
  ~UdpTransportTest() override {
    StopUdpReceiver();
    world_.lan().Stop();
  }
  void SendFromPeer(size_t size, uint8_t fill) {
    const std::vector<char> bytes(size, static_cast<char>(fill));
    platform::SOCKADDR_IN to;
    to.sin_family = platform::kAfInet;
    to.sin_port = platform::Htons(9999);
    to.sin_addr.s_addr = platform::inet_addr("192.168.1.100");
    peer_.SendTo(peer_socket_, bytes.data(), static_cast<int>(size), to);
  }

  sim::Host& peer_host_;
  sim::LanSockets peer_;
  platform::SOCKET peer_socket_;
};

TEST_F(UdpTransportTest, DatagramsReachTheHandlerOnTheMainThreadZeroFilled) {
  OpenUdpSocket();
  EXPECT_EQ(g_App_end.load(), 0);
  SendFromPeer(100, 0x5A);
  SendFromPeer(600, 0x77);
  SendFromPeer(30, 0x11);
  RunUntil([&] { return window_.datagrams.size() == 2; });
  const FakeMainWindow::Datagram& first = window_.datagrams[0];
  EXPECT_TRUE(first.on_main);
  EXPECT_TRUE(first.discovery);
  EXPECT_EQ(first.from, "192.168.1.50");
  for (size_t i = 0; i < 512; ++i) ASSERT_EQ(first.bytes[i], i < 100 ? 0x5A : 0) << i;
  EXPECT_EQ(window_.datagrams[1].bytes[0], 0x11) << "the 600-byte datagram was dropped";
  window_.discovery = false;  // a disk command's replies go to the other handler
  SendFromPeer(20, 0x22);
  RunUntil([&] { return window_.datagrams.size() == 3; });
  EXPECT_FALSE(window_.datagrams[2].discovery);
  platform::Sleep(2000);
  app_.ProcessMessages();
  EXPECT_EQ(window_.datagrams.size(), 3u);
}

TEST_F(UdpTransportTest, StoppingEndsTheReceiverAndDropsWhatItHandedOver) {
  OpenUdpSocket();
  const platform::SOCKET udp = g_sockfd.load();
  SendFromPeer(100, 1);
  platform::Sleep(10);  // received and posted, not yet handled
  StopUdpReceiver();
  EXPECT_EQ(g_App_end.load(), 1);
  EXPECT_EQ(g_sockfd.load(), platform::INVALID_SOCKET);
  EXPECT_EQ(clock_->Participants(), 2) << "only the main thread and the LAN's are left";
  app_.ProcessMessages();
  EXPECT_TRUE(window_.datagrams.empty());
  EXPECT_EQ(platform::select(udp, nullptr), platform::SOCKET_ERROR);
}

TEST_F(UdpTransportTest, OpeningAgainStopsTheSocketStillOpen) {
  OpenUdpSocket();
  const platform::SOCKET first = g_sockfd.load();
  OpenUdpSocket();
  EXPECT_NE(g_sockfd.load(), first);
  EXPECT_EQ(clock_->Participants(), 3) << "one receiver: the first one ended";
  SendFromPeer(10, 9);
  RunUntil([&] { return window_.datagrams.size() == 1; });
  EXPECT_EQ(window_.datagrams[0].bytes[0], 9) << "the new socket holds port 9999";
}

TEST_F(UdpTransportTest, AReceiverNeverServesALaterSocket) {
  for (int round = 0; round < 50; ++round) {
    OpenUdpSocket();
    StopUdpReceiver();
    OpenUdpSocket();
    SendFromPeer(64, static_cast<uint8_t>(round));
    RunUntil([&] { return window_.datagrams.size() == static_cast<size_t>(round + 1); });
    StopUdpReceiver();
  }
  platform::Sleep(1000);
  app_.ProcessMessages();
  ASSERT_EQ(window_.datagrams.size(), 50u);
  for (int round = 0; round < 50; ++round) EXPECT_EQ(window_.datagrams[round].bytes[0], round);
  EXPECT_EQ(clock_->Participants(), 2);
}

TEST_F(TransportTest, DelayWithPumpingEndsWithin510MsPlusTheMessageWork) {
  app_.Post([] { platform::Sleep(30); });
  const uint32_t start = platform::TimeGetTime();
  Delay(500, true);
  const uint32_t took = platform::TimeGetTime() - start;
  EXPECT_GE(took, 500u);
  EXPECT_LE(took, 510u + 30u);
}

}  // namespace
