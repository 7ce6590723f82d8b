#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/sockets.h"

// The PC side of a test: a few calls on the platform's sockets, whatever backend serves them.
namespace pc {

using Bytes = std::vector<uint8_t>;

inline platform::SOCKADDR_IN Address(const std::string& ip, uint16_t port) {
  platform::SOCKADDR_IN a;
  a.sin_family = platform::kAfInet;
  a.sin_port = platform::Htons(port);
  a.sin_addr.s_addr = platform::inet_addr(ip.c_str());
  return a;
}

inline std::string Text(const platform::SOCKADDR_IN& a) {
  return std::string(platform::inet_ntoa(a.sin_addr)) + ":" + std::to_string(platform::Ntohs(a.sin_port));
}

struct Received {
  int result = 0;  // recvfrom's result
  int error = 0;   // WSAGetLastError when it failed
  Bytes bytes;
  std::string from;
};

// A UDP socket with broadcast enabled, bound to `port` (0: any free port).
class Udp {
 public:
  explicit Udp(uint16_t port = 0) {
    socket_ = platform::socket(platform::kAfInet, platform::kSockDgram, 0);
    const int on = 1;
    platform::setsockopt(socket_, platform::kSolSocket, platform::kSoBroadcast, &on, sizeof on);
    if (port != 0) {
      platform::SOCKADDR_IN any = Address("0.0.0.0", port);
      bind_result_ = platform::bind(socket_, &any, sizeof any);
    }
  }
  ~Udp() { Close(); }
  Udp(const Udp&) = delete;
  Udp& operator=(const Udp&) = delete;

  platform::SOCKET handle() const { return socket_; }
  int bind_result() const { return bind_result_; }
  void Close() {
    if (socket_ != platform::INVALID_SOCKET) platform::closesocket(socket_);
    socket_ = platform::INVALID_SOCKET;
  }
  int SendTo(const std::string& ip, uint16_t port, const Bytes& bytes) {
    const platform::SOCKADDR_IN to = Address(ip, port);
    return platform::sendto(socket_, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), 0,
                            &to, sizeof to);
  }
  // Waits up to `seconds` for a datagram; nullopt on time-out.
  std::optional<Received> Receive(long seconds, int buffer = 512) {
    platform::TIMEVAL tv{seconds, 0};
    if (platform::select(socket_, &tv) != 1) return std::nullopt;
    Received r;
    r.bytes.resize(static_cast<size_t>(buffer));
    platform::SOCKADDR_IN from;
    int from_length = sizeof from;
    r.result = platform::recvfrom(socket_, reinterpret_cast<char*>(r.bytes.data()), buffer, 0, &from, &from_length);
    if (r.result == platform::SOCKET_ERROR) {
      r.error = platform::WSAGetLastError();
      r.bytes.clear();
    } else {
      r.bytes.resize(static_cast<size_t>(r.result));
    }
    r.from = Text(from);
    return r;
  }
  // Every datagram that arrives within `seconds` of quiet.
  std::vector<Received> ReceiveAll(long seconds) {
    std::vector<Received> all;
    while (std::optional<Received> r = Receive(seconds)) all.push_back(*r);
    return all;
  }

 private:
  platform::SOCKET socket_ = platform::INVALID_SOCKET;
  int bind_result_ = 0;
};

struct TcpResult {
  int connect_result = 0;
  int connect_error = 0;
  Bytes reply;  // everything read until the peer closed or `limit` bytes
  bool peer_closed = false;
  bool timed_out = false;
};

// One exchange: connect, send the request, read until the peer closes, `limit` bytes arrived or
// nothing came for `seconds`.
inline TcpResult TcpExchange(const std::string& ip, uint16_t port, const Bytes& request, long seconds = 15,
                             size_t limit = 4096) {
  TcpResult r;
  const platform::SOCKET s = platform::socket(platform::kAfInet, platform::kSockStream, platform::kIpprotoTcp);
  const platform::SOCKADDR_IN to = Address(ip, port);
  r.connect_result = platform::connect(s, &to, sizeof to);
  if (r.connect_result != 0) {
    r.connect_error = platform::WSAGetLastError();
    platform::closesocket(s);
    return r;
  }
  platform::send(s, reinterpret_cast<const char*>(request.data()), static_cast<int>(request.size()), 0);
  while (r.reply.size() < limit) {
    platform::TIMEVAL tv{seconds, 0};
    if (platform::select(s, &tv) != 1) {
      r.timed_out = true;
      break;
    }
    char piece[1024];
    const int n = platform::recv(s, piece, static_cast<int>(std::min(sizeof piece, limit - r.reply.size())), 0);
    if (n <= 0) {
      r.peer_closed = n == 0;
      break;
    }
    r.reply.insert(r.reply.end(), piece, piece + n);
  }
  platform::closesocket(s);
  return r;
}

}  // namespace pc
