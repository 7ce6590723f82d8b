#include <algorithm>
#include <cstring>

#include "link/delay.h"
#include "link/device_link_host.h"
#include "link/transport.h"
#include "platform/clock.h"
#include "platform/log_debug.h"

namespace {

NasPacket g_reply;
// The socket of the exchange running on this thread.
thread_local platform::SOCKET t_tcp_socket = platform::INVALID_SOCKET;

void SetFailed() {
  if (DeviceLinkHost* host = CurrentDeviceLinkHost()) host->SetGetNASInfoResult(1);
}

// select until the deadline (in the clock's milliseconds): 1 readable, 0 once the deadline has
// come, SOCKET_ERROR on an error.
int SelectUntil(platform::SOCKET s, uint64_t deadline_ms) {
  const uint64_t now = platform::CurrentClock().NowMs();
  if (now >= deadline_ms) return 0;
  const uint64_t left = deadline_ms - now;
  const platform::TIMEVAL tv{static_cast<long>(left / 1000), static_cast<long>(left % 1000 * 1000)};
  return platform::select(s, &tv);
}

}  // namespace

const NasPacket& TcpReplyBuffer() { return g_reply; }

void CloseTcpSocket() {
  platform::SOCKET mine = t_tcp_socket;
  if (mine == platform::INVALID_SOCKET) return;
  t_tcp_socket = platform::INVALID_SOCKET;
  platform::closesocket(mine);
  g_sockfd.compare_exchange_strong(mine, platform::INVALID_SOCKET);
}

bool processPacket(platform::SOCKET s, uint64_t reply_deadline_ms) {
  g_reply.fill(0);
  uint8_t piece[kNasPacketSize];
  size_t have = 0;
  while (have < kNasPacketSize) {
    std::memset(piece, 0, sizeof piece);
    if (have > 0) {
      // The rest of the reply shares the bound of its first byte, however the box splits it.
      if (SelectUntil(s, reply_deadline_ms) != 1) {
        LogDebug("processPacket(): the rest of the reply did not arrive in time");
        SetFailed();
        return false;
      }
    }
    const int received = platform::recv(s, reinterpret_cast<char*>(piece), static_cast<int>(kNasPacketSize - have), 0);
    if (received == 0 || received == platform::SOCKET_ERROR) {
      LogDebug("if ((0==iRcv) || (SOCKET_ERROR==iRcv)) return 1;");
      LogDebug(received == 0 ? "(0==iRcv)" : "(SOCKET_ERROR==iRcv)");
      SetFailed();
      return false;
    }
    std::copy_n(piece, received, g_reply.begin() + static_cast<std::ptrdiff_t>(have));
    have += static_cast<size_t>(received);
  }
  DeviceLinkHost* host = CurrentDeviceLinkHost();
  if (host == nullptr) return false;
  switch (host->TcpCommandKind()) {
    case 0:
      return host->process_EZPROBE_result();
    case 1:
    case 2:
      return host->process_QUICKGW_result();
    default:
      return false;
  }
}

bool sendTcpPacket(const uint8_t* pdubuf, int len) {
  LogDebug("sendTcpPacket() is beginning...");
  DeviceLinkHost* host = CurrentDeviceLinkHost();
  bool free = false;
  for (int wait = 0; wait < 20 && !free; ++wait) {
    platform::SOCKET expected = platform::INVALID_SOCKET;
    free = g_sockfd.compare_exchange_strong(expected, kSocketReserved);
    if (free) break;
    Delay(500, true);
    LogDebug("(sendTcpPacket())socket is used by other function, wait...");
  }
  if (!free) {
    LogDebug("(sendTcpPacket)socket is used by other function, ERROR!!");
    SetFailed();
    return false;
  }
  const platform::SOCKET s = platform::socket(platform::kAfInet, platform::kSockStream, platform::kIpprotoTcp);
  g_sockfd.store(s);
  if (s == platform::INVALID_SOCKET) {
    LogDebug("sendTcpPacket(): error: if(INVALID_SOCKET == g_sockfd)");
    SetFailed();
    return false;
  }
  t_tcp_socket = s;
  platform::SOCKADDR_IN clientService;
  clientService.sin_family = platform::kAfInet;
  clientService.sin_addr.s_addr = platform::inet_addr(host ? host->SelectedDeviceIp().c_str() : "");
  clientService.sin_port = platform::Htons(kNasTcpPort);
  if (platform::connect(s, &clientService, sizeof clientService) == platform::SOCKET_ERROR) {
    LogDebug(
        "sendTcpPacket(): error: if ( SOCKET_ERROR == connect( g_sockfd, (SOCKADDR*) &clientService, "
        "sizeof(clientService) ))");
    CloseTcpSocket();
    SetFailed();
    return false;
  }
  if (platform::send(s, reinterpret_cast<const char*>(pdubuf), len, 0) == platform::SOCKET_ERROR) {
    LogDebug("sendTcpPacket(): error: if (SOCKET_ERROR == send(g_sockfd, pdubuf, len, 0))");
    CloseTcpSocket();
    SetFailed();
    return false;
  }
  const uint64_t reply_deadline = platform::CurrentClock().NowMs() + kTcpReplyTimeoutMs;
  const int ret = SelectUntil(s, reply_deadline);
  if (ret == 0 || ret == platform::SOCKET_ERROR) {
    LogDebug("sendTcpPacket(): select(0, &fd , NULL , NULL , &tv);");
    LogDebug(ret == 0 ? "(0==ret)" : "(SOCKET_ERROR==ret)");
    CloseTcpSocket();
    SetFailed();
    return false;
  }
  if (!processPacket(s, reply_deadline)) {
    LogDebug("sendTcpPacket(): if (!processPacket(g_sockfd))");
    CloseTcpSocket();
    return false;
  }
  CloseTcpSocket();
  return true;
}
