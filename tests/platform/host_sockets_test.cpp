// The host's sockets on the loopback interface, in real time.
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/sockets.h"
#include "platform/thread.h"
#include "platform/wait_keeper.h"

namespace {

platform::SOCKADDR_IN Loopback(uint16_t port) {
  platform::SOCKADDR_IN a;
  a.sin_family = platform::kAfInet;
  a.sin_port = platform::Htons(port);
  a.sin_addr.s_addr = platform::inet_addr("127.0.0.1");
  return a;
}

// A UDP socket bound to the first free loopback port from 40000 on.
platform::SOCKET BoundUdp(uint16_t& port) {
  for (port = 40000; port < 40100; ++port) {
    const platform::SOCKET s = platform::socket(platform::kAfInet, platform::kSockDgram, 0);
    const platform::SOCKADDR_IN a = Loopback(port);
    if (platform::bind(s, &a, sizeof a) == 0) return s;
    platform::closesocket(s);
  }
  return platform::INVALID_SOCKET;
}

TEST(HostSockets, CloseWakesAWaiterAndItsHandleStaysUnknown) {
  uint16_t port = 0;
  const platform::SOCKET s = BoundUdp(port);
  ASSERT_NE(s, platform::INVALID_SOCKET);
  std::atomic<int> result{0};
  std::atomic<int> error{0};
  platform::Thread waiter("waiter", [&] {
    result = platform::select(s, nullptr);
    error = platform::WSAGetLastError();
  });
  platform::Sleep(50);
  const auto start = std::chrono::steady_clock::now();
  platform::closesocket(s);
  waiter.Join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(result.load(), platform::SOCKET_ERROR);
  EXPECT_EQ(error.load(), platform::WSAEINTR);
  const platform::SOCKET next = platform::socket(platform::kAfInet, platform::kSockDgram, 0);
  EXPECT_NE(next, s);
  char byte;
  EXPECT_EQ(platform::recv(s, &byte, 1, 0), platform::SOCKET_ERROR);
  EXPECT_EQ(platform::WSAGetLastError(), platform::WSAENOTSOCK);
  platform::closesocket(next);
}

TEST(HostSockets, DatagramLongerThanTheBufferFailsAndIsDropped) {
  uint16_t port = 0;
  const platform::SOCKET receiver = BoundUdp(port);
  const platform::SOCKET sender = platform::socket(platform::kAfInet, platform::kSockDgram, 0);
  const platform::SOCKADDR_IN to = Loopback(port);
  const std::string big(600, 'x');
  const std::string small(100, 'y');
  ASSERT_EQ(platform::sendto(sender, big.data(), 600, 0, &to, sizeof to), 600);
  ASSERT_EQ(platform::sendto(sender, small.data(), 100, 0, &to, sizeof to), 100);
  char buffer[512];
  platform::SOCKADDR_IN from;
  int from_length = sizeof from;
  platform::TIMEVAL tv{2, 0};
  ASSERT_EQ(platform::select(receiver, &tv), 1);
  EXPECT_EQ(platform::recvfrom(receiver, buffer, 512, 0, &from, &from_length), platform::SOCKET_ERROR);
  EXPECT_EQ(platform::WSAGetLastError(), platform::WSAEMSGSIZE);
  EXPECT_EQ(platform::recvfrom(receiver, buffer, 512, 0, &from, &from_length), 100);
  EXPECT_STREQ(platform::inet_ntoa(from.sin_addr), "127.0.0.1");
  platform::closesocket(sender);
  platform::closesocket(receiver);
}

TEST(HostSockets, SelectTimesOutAndConnectToAClosedPortIsRefused) {
  uint16_t port = 0;
  const platform::SOCKET s = BoundUdp(port);
  platform::TIMEVAL tv{0, 200000};
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(platform::select(s, &tv), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(190));
  platform::closesocket(s);
  const platform::SOCKET t = platform::socket(platform::kAfInet, platform::kSockStream, platform::kIpprotoTcp);
  const platform::SOCKADDR_IN to = Loopback(port);
  EXPECT_EQ(platform::connect(t, &to, sizeof to), platform::SOCKET_ERROR);
  EXPECT_EQ(platform::WSAGetLastError(), platform::WSAECONNREFUSED);
  platform::closesocket(t);
}

std::string Named(platform::SOCKET s) {
  platform::SOCKADDR_IN a;
  int length = sizeof a;
  if (platform::getsockname(s, &a, &length) != 0) return "error " + std::to_string(platform::WSAGetLastError());
  return std::string(platform::inet_ntoa(a.sin_addr)) + ":" + std::to_string(platform::Ntohs(a.sin_port));
}

// A socket's local address: none before a bind; the address and port it was bound to, a port the
// system chose included; for a connection accepted on every address, the address the peer
// connected to (127.0.0.2 is the loopback's as well as 127.0.0.1).
TEST(HostSockets, ASocketNamesTheAddressItWasBoundToOrConnectedOn) {
  const platform::SOCKET fresh = platform::socket(platform::kAfInet, platform::kSockDgram, 0);
  EXPECT_EQ(Named(fresh), "error " + std::to_string(platform::WSAEINVAL));
  platform::closesocket(fresh);
  uint16_t port = 0;
  const platform::SOCKET udp = BoundUdp(port);
  EXPECT_EQ(Named(udp), "127.0.0.1:" + std::to_string(port));
  platform::closesocket(udp);
  EXPECT_EQ(Named(udp), "error " + std::to_string(platform::WSAENOTSOCK));

  const platform::SOCKET listener = platform::socket(platform::kAfInet, platform::kSockStream, platform::kIpprotoTcp);
  platform::SOCKADDR_IN any = Loopback(0);
  any.sin_addr.s_addr = platform::kInaddrAny;
  ASSERT_EQ(platform::bind(listener, &any, sizeof any), 0);
  ASSERT_EQ(platform::listen(listener, 1), 0);
  const std::string listening = Named(listener);
  ASSERT_EQ(listening.rfind("0.0.0.0:", 0), 0u) << listening;
  const std::string listener_port = listening.substr(listening.find(':') + 1);
  EXPECT_NE(listener_port, "0") << "the port the system chose";
  platform::SOCKADDR_IN to = Loopback(static_cast<uint16_t>(std::stoi(listener_port)));
  to.sin_addr.s_addr = platform::inet_addr("127.0.0.2");
  const platform::SOCKET client = platform::socket(platform::kAfInet, platform::kSockStream, platform::kIpprotoTcp);
  ASSERT_EQ(platform::connect(client, &to, sizeof to), 0);
  const platform::SOCKET accepted = platform::accept(listener, nullptr, nullptr);
  ASSERT_NE(accepted, platform::INVALID_SOCKET);
  EXPECT_EQ(Named(accepted), "127.0.0.2:" + listener_port);
  EXPECT_EQ(Named(client).rfind("127.0.0.", 0), 0u) << Named(client);
  platform::SOCKADDR_IN a;
  int short_length = platform::kSockaddrInSize - 1;
  EXPECT_EQ(platform::getsockname(accepted, &a, &short_length), platform::SOCKET_ERROR);
  EXPECT_EQ(platform::WSAGetLastError(), platform::WSAEFAULT) << "a name buffer too short";
  for (const platform::SOCKET s : {accepted, client, listener}) platform::closesocket(s);
}

// A signal ends a poll early; the wait goes on with what is left of its time-out, not with all of
// it again, so that signals that keep coming cannot hold a timed wait (a connect's bound, a
// reply's) open for as long as they come.
TEST(HostSockets, SignalsDoNotStretchATimedWait) {
  struct sigaction ignore {};
  ignore.sa_handler = [](int) {};
  sigemptyset(&ignore.sa_mask);
  struct sigaction previous {};
  ASSERT_EQ(sigaction(SIGUSR1, &ignore, &previous), 0);
  uint16_t port = 0;
  const platform::SOCKET s = BoundUdp(port);
  ASSERT_NE(s, platform::INVALID_SOCKET);
  const pthread_t waiter = pthread_self();
  std::atomic<bool> waiting{true};
  int signals = 0;
  bool outlasted = false;
  // Every 10 ms for up to 10 s: far longer than the wait's 300 ms.
  platform::Thread signaller("signaller", [&] {
    for (; signals < 1000 && waiting; ++signals) {
      pthread_kill(waiter, SIGUSR1);
      platform::Sleep(10);
    }
    outlasted = waiting;
  });
  platform::TIMEVAL tv{0, 300000};
  EXPECT_EQ(platform::select(s, &tv), 0);
  waiting = false;
  signaller.Join();
  sigaction(SIGUSR1, &previous, nullptr);
  platform::closesocket(s);
  EXPECT_FALSE(outlasted) << "the wait lasted as long as the signals came";
  EXPECT_GT(signals, 1) << "the wait met signals";
}

// A socket wait of the main thread keeps the program's windows alive: it waits in slices and calls
// the keeper between them, and still ends at its time-out, or as soon as a datagram comes.
TEST(HostSockets, AWaitOfTheMainThreadCallsTheKeeperBetweenItsSlices) {
  platform::MarkMainThread();
  struct Keeper : platform::WaitKeeper {
    Keeper() { platform::InstallWaitKeeper(this); }
    ~Keeper() override { platform::InstallWaitKeeper(nullptr); }
    void KeepAlive() override { ++calls; }
    std::atomic<int> calls{0};
  } keeper;
  struct Case {
    const char* what;
    bool datagram_at_250ms;
    int result;
    int fewest, most;
    double shortest, longest;
  } const cases[] = {
      {"the time-out", false, 0, 2, 3, 349, 1350},
      {"a datagram during the wait", true, 1, 1, 2, 249, 1250},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    uint16_t port = 0;
    const platform::SOCKET s = BoundUdp(port);
    ASSERT_NE(s, platform::INVALID_SOCKET);
    keeper.calls = 0;
    std::optional<platform::Thread> sender;
    if (c.datagram_at_250ms) {
      sender.emplace("sender", [port] {
        platform::Sleep(250);
        const platform::SOCKET out = platform::socket(platform::kAfInet, platform::kSockDgram, 0);
        const platform::SOCKADDR_IN to = Loopback(port);
        platform::sendto(out, "x", 1, 0, &to, sizeof to);
        platform::closesocket(out);
      });
    }
    const auto start = std::chrono::steady_clock::now();
    platform::TIMEVAL tv{0, 350000};
    const int result = platform::select(s, &tv);
    const double elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const int calls = keeper.calls.load();
    if (sender) sender->Join();
    platform::closesocket(s);
    EXPECT_EQ(result, c.result);
    EXPECT_GE(calls, c.fewest);
    EXPECT_LE(calls, c.most);
    EXPECT_GE(elapsed, c.shortest);
    EXPECT_LT(elapsed, c.longest);
  }
}

// A listener whose accept queue is full leaves further connection requests unanswered, as a box
// whose SYN-ACK never comes: the connect gives up at the platform's bound, not after the kernel's
// two minutes, with the error the platform gives for it.
TEST(HostSockets, AConnectionRequestNeverAnsweredFailsAtTheBound) {
  platform::SOCKET listener = platform::INVALID_SOCKET;
  uint16_t port = 40200;
  for (; port < 40300 && listener == platform::INVALID_SOCKET; ++port) {
    const platform::SOCKET s = platform::socket(platform::kAfInet, platform::kSockStream, platform::kIpprotoTcp);
    const platform::SOCKADDR_IN a = Loopback(port);
    if (platform::bind(s, &a, sizeof a) == 0 && platform::listen(s, 0) == 0) {
      listener = s;
      break;
    }
    platform::closesocket(s);
  }
  ASSERT_NE(listener, platform::INVALID_SOCKET);
  const platform::SOCKADDR_IN to = Loopback(port);
  // A backlog of 0 queues one connection; nobody accepts it.
  const platform::SOCKET queued = platform::socket(platform::kAfInet, platform::kSockStream, platform::kIpprotoTcp);
  ASSERT_EQ(platform::connect(queued, &to, sizeof to), 0);

  const platform::SOCKET s = platform::socket(platform::kAfInet, platform::kSockStream, platform::kIpprotoTcp);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(platform::connect(s, &to, sizeof to), platform::SOCKET_ERROR);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(platform::WSAGetLastError(), platform::WSAETIMEDOUT);
  EXPECT_GE(took, std::chrono::milliseconds(platform::kConnectTimeoutMs));
  EXPECT_LT(took, std::chrono::milliseconds(platform::kConnectTimeoutMs + 2000));
  EXPECT_EQ(platform::closesocket(s), 0);
  platform::closesocket(queued);
  platform::closesocket(listener);
}

}  // namespace
