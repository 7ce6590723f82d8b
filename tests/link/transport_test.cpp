#include "link/transport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/codec.h"
#include "link/delay.h"
#include "link/device_link_host.h"
#include "platform/log_debug.h"
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
    platform::SetTraceObserver([this](std::string_view text, bool debugger) {
      if (debugger) return;
      std::lock_guard<std::mutex> lock(traces_mutex_);
      traces_.emplace_back(text);
    });
  }
  ~TransportTest() override {
    StopUdpReceiver();
    SetDeviceLinkHost(nullptr);
    platform::SetTraceObserver(nullptr);
  }
  // The LogDebug lines since the last call.
  std::vector<std::string> TakeTraces() {
    std::lock_guard<std::mutex> lock(traces_mutex_);
    return std::exchange(traces_, {});
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
  std::mutex traces_mutex_;
  std::vector<std::string> traces_;
};

constexpr const char* kBegin = "sendTcpPacket() is beginning...";
constexpr const char* kWaiting = "(sendTcpPacket())socket is used by other function, wait...";
constexpr const char* kSelectFailed = "sendTcpPacket(): select(0, &fd , NULL , NULL , &tv);";
constexpr const char* kShortRead = "if ((0==iRcv) || (SOCKET_ERROR==iRcv)) return 1;";
constexpr const char* kReadFailed = "sendTcpPacket(): if (!processPacket(g_sockfd))";
constexpr const char* kRestLate = "processPacket(): the rest of the reply did not arrive in time";

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

// One way an exchange ends: the box's behaviour, or a socket call of the PC that fails.
struct EndCase {
  const char* what;
  sim::TcpShape shape;
  uint32_t gap_ms;
  std::optional<sim::SocketCall> failing;
  bool succeeds;
  uint64_t took;
  std::vector<std::string> traces;
};

TEST_F(TransportTest, EachWayAnExchangeEndsTracesItsStepAndFreesTheHandle) {
  const EndCase cases[] = {
      {"whole reply", sim::TcpShape::kWhole, 0, std::nullopt, true, 0, {kBegin}},
      {"no socket",
       sim::TcpShape::kWhole,
       0,
       sim::SocketCall::kSocket,
       false,
       0,
       {kBegin, "sendTcpPacket(): error: if(INVALID_SOCKET == g_sockfd)"}},
      {"refused",
       sim::TcpShape::kRefuse,
       0,
       std::nullopt,
       false,
       0,
       {kBegin,
        "sendTcpPacket(): error: if ( SOCKET_ERROR == connect( g_sockfd, (SOCKADDR*) &clientService, "
        "sizeof(clientService) ))"}},
      {"send fails",
       sim::TcpShape::kWhole,
       0,
       sim::SocketCall::kSend,
       false,
       0,
       {kBegin, "sendTcpPacket(): error: if (SOCKET_ERROR == send(g_sockfd, pdubuf, len, 0))"}},
      {"silent", sim::TcpShape::kSilent, 0, std::nullopt, false, 15000, {kBegin, kSelectFailed, "(0==ret)"}},
      {"select fails",
       sim::TcpShape::kWhole,
       0,
       sim::SocketCall::kSelect,
       false,
       0,
       {kBegin, kSelectFailed, "(SOCKET_ERROR==ret)"}},
      {"300 bytes, then closed",
       sim::TcpShape::kCloseAfter300,
       0,
       std::nullopt,
       false,
       0,
       {kBegin, kShortRead, "(0==iRcv)", kReadFailed}},
      {"recv fails",
       sim::TcpShape::kWhole,
       0,
       sim::SocketCall::kRecv,
       false,
       0,
       {kBegin, kShortRead, "(SOCKET_ERROR==iRcv)", kReadFailed}},
      {"100 bytes, then nothing for longer than 15 s",
       sim::TcpShape::kChunks,
       20000,
       std::nullopt,
       false,
       15000,
       {kBegin, kRestLate, kReadFailed}},
      // Every byte comes well within 15 s of the one before; the whole reply still has 15 s.
      {"one byte every 200 ms",
       sim::TcpShape::kDrip,
       200,
       std::nullopt,
       false,
       15000,
       {kBegin, kRestLate, kReadFailed}},
      {"one byte every 4 s", sim::TcpShape::kDrip, 4000, std::nullopt, false, 15000, {kBegin, kRestLate, kReadFailed}},
  };
  sim::BoxNode& box = Box(sim::TcpShape::kWhole);
  auto shape_box = [&](sim::TcpShape shape, uint32_t gap_ms) {
    box.WithBox([&](sim::Box& b) {
      b.faults().tcp_shape = shape;
      b.faults().tcp_chunk_gap_ms = gap_ms;
    });
  };
  for (const EndCase& k : cases) {
    SCOPED_TRACE(k.what);
    shape_box(k.shape, k.gap_ms);
    if (k.failing) world_.sockets().Fail(*k.failing, platform::WSAECONNRESET);
    window_.result = -1;
    window_.replies.clear();
    TakeTraces();
    const uint64_t start = Now();
    EXPECT_EQ(Exchange(), k.succeeds);
    EXPECT_EQ(Now() - start, k.took);
    EXPECT_EQ(window_.result.load(), k.succeeds ? -1 : 1);
    EXPECT_EQ(window_.replies.size(), k.succeeds ? 1u : 0u);
    EXPECT_EQ(TakeTraces(), k.traces);
    EXPECT_EQ(g_sockfd.load(), platform::INVALID_SOCKET) << "the handle is free";
    EXPECT_EQ(world_.sockets().OpenSockets(), 0u) << "the socket is closed";
    if (k.failing) world_.sockets().Fail(*k.failing, 0);
    platform::Sleep(30000);  // let the box's side of a stalled reply run out

    // The next exchange finds the handle free at its first test.
    shape_box(sim::TcpShape::kWhole, 0);
    const uint64_t next = Now();
    EXPECT_TRUE(Exchange());
    EXPECT_EQ(Now(), next);
    EXPECT_EQ(TakeTraces(), std::vector<std::string>{kBegin});
  }
}

TEST_F(TransportTest, ReplyCompleteJustInsideTheBoundIsAssembled) {
  struct {
    sim::TcpShape shape;
    uint32_t gap_ms;
    uint64_t last_byte_at;
  } const cases[] = {{sim::TcpShape::kChunks, 14990, 14990}, {sim::TcpShape::kDrip, 29, 511 * 29}};
  sim::BoxNode& box = Box(sim::TcpShape::kWhole);
  for (const auto& k : cases) {
    box.WithBox([&](sim::Box& b) {
      b.faults().tcp_shape = k.shape;
      b.faults().tcp_chunk_gap_ms = k.gap_ms;
    });
    window_.replies.clear();
    const uint64_t start = Now();
    EXPECT_TRUE(Exchange());
    EXPECT_EQ(Now() - start, k.last_byte_at);
    ASSERT_EQ(window_.replies.size(), 1u);
    EXPECT_EQ(window_.replies[0], WholeReply());
  }
}

// Nobody has the selected address: the connect gives up at the platform's bound and the exchange
// fails as a refused one does.
TEST_F(TransportTest, AConnectNeverAnsweredFailsAtItsBound) {
  EXPECT_FALSE(Exchange());
  EXPECT_EQ(Now(), platform::kConnectTimeoutMs);
  EXPECT_EQ(window_.result.load(), 1);
  EXPECT_EQ(TakeTraces(), (std::vector<std::string>{kBegin,
                                                    "sendTcpPacket(): error: if ( SOCKET_ERROR == connect( g_sockfd, "
                                                    "(SOCKADDR*) &clientService, sizeof(clientService) ))"}));
  EXPECT_EQ(g_sockfd.load(), platform::INVALID_SOCKET);
  EXPECT_EQ(world_.sockets().OpenSockets(), 0u);
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
  int waits;
};

TEST_F(TransportTest, ExchangeWaitsTwentyTimesForTheHandle) {
  Box(sim::TcpShape::kWhole);
  // Each wait is Delay(500): 510 ms of 10 ms turns. The handle is tested before each of the 20.
  const BusyCase cases[] = {
      {std::nullopt, false, 10200, 20},
      {9700, false, 10200, 20},  // during the twentieth wait: not seen
      {9200, true, 9690, 19},    // during the nineteenth: seen by the twentieth test
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
    TakeTraces();
    EXPECT_EQ(Exchange(), k.succeeds);
    EXPECT_EQ(Now() - start, k.ends_at);
    EXPECT_EQ(window_.result.load(), k.succeeds ? -1 : 1);
    EXPECT_EQ(pumped, 1) << "the waits pump the main thread's messages";
    std::vector<std::string> traces{kBegin};
    traces.insert(traces.end(), k.waits, kWaiting);
    if (!k.succeeds) traces.push_back("(sendTcpPacket)socket is used by other function, ERROR!!");
    EXPECT_EQ(TakeTraces(), traces);
    if (freer) freer->Join();
    g_sockfd.store(platform::INVALID_SOCKET);
  }
}

struct OffMainWait {
  const char* what;
  std::function<void()> work;
  uint64_t took;
};

TEST_F(TransportTest, WaitsOffTheMainThreadOnlySleep) {
  Box(sim::TcpShape::kWhole);
  const OffMainWait cases[] = {
      {"Delay with pumping", [] { Delay(500, true); }, 510},
      {"an exchange waiting for a busy handle", [this] { EXPECT_FALSE(Exchange()); }, 10200},
  };
  for (const OffMainWait& k : cases) {
    SCOPED_TRACE(k.what);
    g_sockfd.store(4242);  // held by the UDP side all along
    int pumped = 0;
    app_.Post([&] { ++pumped; });
    const uint64_t start = Now();
    uint64_t ended = 0;
    platform::Thread apply("apply", [&] {
      k.work();
      ended = Now();
    });
    apply.Join();
    EXPECT_EQ(ended - start, k.took);
    EXPECT_EQ(pumped, 0) << "the main thread's message waited for the main thread";
    app_.ProcessMessages();
    EXPECT_EQ(pumped, 1);
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

struct UdpOpenFailure {
  sim::SocketCall failing;
  const char* trace;
  bool socket_held;  // the socket stays in g_sockfd until the next StopUdpReceiver
};

TEST_F(UdpTransportTest, AFailedOpenRunsNoReceiverAndTheNextStopAndOpenWork) {
  const UdpOpenFailure cases[] = {
      {sim::SocketCall::kSocket, "socket failed with: 10055\n", false},
      {sim::SocketCall::kSetOption, "setsockopt failed with: 10055\n", true},
  };
  size_t handled = 0;
  for (const UdpOpenFailure& k : cases) {
    SCOPED_TRACE(k.trace);
    for (const bool stop_first : {true, false}) {
      world_.sockets().Fail(k.failing, platform::WSAENOBUFS);
      TakeTraces();
      OpenUdpSocket();
      EXPECT_EQ(TakeTraces(), std::vector<std::string>{k.trace});
      EXPECT_EQ(g_App_end.load(), 0);
      EXPECT_EQ(g_sockfd.load() != platform::INVALID_SOCKET, k.socket_held);
      EXPECT_EQ(world_.sockets().OpenSockets(), k.socket_held ? 1u : 0u);
      EXPECT_EQ(clock_->Participants(), 2) << "no receiver runs";
      SendFromPeer(64, 1);
      platform::Sleep(2000);
      app_.ProcessMessages();
      EXPECT_EQ(window_.datagrams.size(), handled);
      world_.sockets().Fail(k.failing, 0);
      if (stop_first) {
        StopUdpReceiver();
        EXPECT_EQ(g_App_end.load(), 1);
        EXPECT_EQ(g_sockfd.load(), platform::INVALID_SOCKET);
        EXPECT_EQ(world_.sockets().OpenSockets(), 0u);
      }
      OpenUdpSocket();
      EXPECT_EQ(world_.sockets().OpenSockets(), 1u) << "a socket left from the failed open is closed";
      SendFromPeer(64, 2);
      RunUntil([&] { return window_.datagrams.size() == handled + 1; });
      EXPECT_EQ(window_.datagrams[handled++].bytes[0], 2);
      StopUdpReceiver();
      EXPECT_EQ(world_.sockets().OpenSockets(), 0u);
    }
  }
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
