#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "link/device_link_host.h"
#include "link/this_pc.h"
#include "link/transport.h"
#include "platform/log_debug.h"
#include "platform/thread.h"
#include "toolkit/application.h"

std::atomic<platform::SOCKET> g_sockfd{platform::INVALID_SOCKET};
std::atomic<int32_t> g_App_end{0};

namespace {

// One life of the UDP socket, from OpenUdpSocket to StopUdpReceiver, with its own receiver.
struct UdpReceiver {
  explicit UdpReceiver(platform::SOCKET s) : socket(s) {}
  ~UdpReceiver() {
    // Only reached once the thread's body has let go of this object.
    if (thread && thread->Joinable()) thread->Detach();
  }
  const platform::SOCKET socket;
  std::atomic<bool> stopped{false};
  std::optional<platform::Thread> thread;
};

std::mutex g_udp_mutex;
std::shared_ptr<UdpReceiver> g_udp;  // the open UDP socket, if any
thread_local const UdpReceiver* t_receiver = nullptr;

void Trace(const char* format, int value) {
  char text[128];
  std::snprintf(text, sizeof text, format, value);
  LogDebug(text);
}

// Runs on the main thread: the datagram reaches its handler unless its socket was stopped since.
void HandOver(const std::shared_ptr<UdpReceiver>& receiver, const NasPacket& datagram,
              const platform::SOCKADDR_IN& from, bool discovery) {
  DeviceLinkHost* host = CurrentDeviceLinkHost();
  if (receiver->stopped.load() || host == nullptr) {
    LogDebug("processRes- the socket was stopped, datagram dropped");
    return;
  }
  if (discovery) {
    host->GetDeviceDiscoveryRes(datagram, from);
  } else {
    host->GetRAIDCommnadRes(datagram, from);
  }
}

int processRes(const std::shared_ptr<UdpReceiver>& receiver) {
  if (receiver->stopped.load()) {
    LogDebug("processRes- g_App_end is true... so return....");
    return 0;
  }
  NasPacket datagram{};
  platform::SOCKADDR_IN from;
  int from_length = platform::kSockaddrInSize;
  if (RecvWithTimeout(receiver->socket, reinterpret_cast<char*>(datagram.data()), static_cast<int>(datagram.size()),
                      &from, &from_length, 1) == -1) {
    return 1;
  }
  DeviceLinkHost* host = CurrentDeviceLinkHost();
  if (host == nullptr || Application == nullptr) return 0;
  const bool discovery = host->isDiscoveryMode();
  Application->Post([receiver, datagram, from, discovery] { HandOver(receiver, datagram, from, discovery); });
  return 0;
}

void UdpReceiveThread(const std::shared_ptr<UdpReceiver>& receiver) {
  t_receiver = receiver.get();
  for (;;) {
    const int ready = platform::select(receiver->socket, nullptr);
    // An error means the socket is gone (closed by StopUdpReceiver) or unusable.
    if (ready == platform::SOCKET_ERROR) break;
    if (ready == 1) processRes(receiver);
    if (receiver->stopped.load()) break;
  }
}

std::shared_ptr<UdpReceiver> TakeOpenSocket() {
  std::lock_guard<std::mutex> lock(g_udp_mutex);
  return std::exchange(g_udp, nullptr);
}

void Stop(const std::shared_ptr<UdpReceiver>& receiver) {
  receiver->stopped.store(true);
  platform::SOCKET mine = receiver->socket;
  g_sockfd.compare_exchange_strong(mine, platform::INVALID_SOCKET);
  platform::closesocket(receiver->socket);
  if (!receiver->thread) return;
  if (t_receiver == receiver.get()) {
    receiver->thread->Detach();
  } else {
    receiver->thread->Join();
  }
}

}  // namespace

int RecvWithTimeout(platform::SOCKET s, char* buffer, int length, platform::SOCKADDR_IN* from, int* from_length,
                    long seconds) {
  const platform::TIMEVAL tv{seconds, 0};
  if (platform::select(s, &tv) == 0) return -1;
  return platform::recvfrom(s, buffer, length, 0, from, from_length);
}

void OpenUdpSocket() {
  if (std::shared_ptr<UdpReceiver> previous = TakeOpenSocket()) Stop(previous);
  // The replies of this life are judged by the PC's addresses as they are now.
  TakeThisPcsAddresses();
  g_App_end.store(0);
  const platform::SOCKET s = platform::socket(platform::kAfInet, platform::kSockDgram, 0);
  g_sockfd.store(s);
  if (s == platform::INVALID_SOCKET) {
    Trace("socket failed with: %d\n", platform::WSAGetLastError());
    return;
  }
  // Published when complete, so that StopUdpReceiver always finds the receiver with its thread.
  auto receiver = std::make_shared<UdpReceiver>(s);
  auto publish = [&] {
    std::lock_guard<std::mutex> lock(g_udp_mutex);
    g_udp = receiver;
  };
  const int on = 1;
  if (platform::setsockopt(s, platform::kSolSocket, platform::kSoBroadcast, &on, sizeof on) == platform::SOCKET_ERROR) {
    Trace("setsockopt failed with: %d\n", platform::WSAGetLastError());
    publish();
    return;
  }
  platform::SOCKADDR_IN any;
  any.sin_family = platform::kAfInet;
  any.sin_port = platform::Htons(kNasUdpPort);
  any.sin_addr.s_addr = platform::Htonl(platform::kInaddrAny);
  if (platform::bind(s, &any, sizeof any) != 0) platform::bind(s, &any, sizeof any);
  receiver->thread.emplace("udp receive", [receiver] { UdpReceiveThread(receiver); });
  publish();
}

void StopUdpReceiver() {
  g_App_end.store(1);
  if (std::shared_ptr<UdpReceiver> receiver = TakeOpenSocket()) Stop(receiver);
}
