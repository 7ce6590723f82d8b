#include "platform/sockets.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace platform {
namespace {

constinit ServiceSlot<Sockets> g_sockets(&HostSockets);
std::atomic<SOCKET> g_next_handle{1};
thread_local int t_last_error = 0;
thread_local char t_ntoa_buffer[16];

int Fail(int error) {
  SetLastSocketError(error);
  return SOCKET_ERROR;
}

bool AddressArgumentOk(const SOCKADDR_IN* address, int length) {
  return address != nullptr && length >= kSockaddrInSize;
}

// One part of a dotted address in C notation: decimal, 0x hexadecimal or 0 octal.
bool ParsePart(const char*& p, uint32_t& value) {
  int base = 10;
  if (*p == '0') {
    base = 8;
    if (p[1] == 'x' || p[1] == 'X') {
      base = 16;
      p += 2;
      if (!std::isxdigit(static_cast<unsigned char>(*p))) return false;
    }
  }
  if (!std::isxdigit(static_cast<unsigned char>(*p))) return false;
  uint64_t v = 0;
  for (;; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    int digit;
    if (std::isdigit(c)) {
      digit = c - '0';
    } else if (base == 16 && std::isxdigit(c)) {
      digit = std::tolower(c) - 'a' + 10;
    } else {
      break;
    }
    if (digit >= base) return false;
    v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (v > 0xFFFFFFFFu) return false;
  }
  value = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

uint16_t Htons(uint16_t host) {
  uint8_t bytes[2] = {static_cast<uint8_t>(host >> 8), static_cast<uint8_t>(host)};
  uint16_t net;
  std::memcpy(&net, bytes, 2);
  return net;
}
uint16_t Ntohs(uint16_t net) {
  uint8_t bytes[2];
  std::memcpy(bytes, &net, 2);
  return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}
uint32_t Htonl(uint32_t host) {
  uint8_t bytes[4] = {static_cast<uint8_t>(host >> 24), static_cast<uint8_t>(host >> 16),
                      static_cast<uint8_t>(host >> 8), static_cast<uint8_t>(host)};
  uint32_t net;
  std::memcpy(&net, bytes, 4);
  return net;
}
uint32_t Ntohl(uint32_t net) {
  uint8_t bytes[4];
  std::memcpy(bytes, &net, 4);
  return (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
         (static_cast<uint32_t>(bytes[2]) << 8) | bytes[3];
}

Sockets& CurrentSockets() { return g_sockets.Current(); }
void InstallSockets(Sockets* sockets) { g_sockets.Install(sockets); }

void SetLastSocketError(int error) { t_last_error = error; }
SOCKET NewSocketHandle() { return g_next_handle.fetch_add(1, std::memory_order_relaxed); }

int WSAStartup(uint16_t version_requested, WSADATA* data) {
  const uint8_t major = static_cast<uint8_t>(version_requested & 0xFF);
  const uint8_t minor = static_cast<uint8_t>(version_requested >> 8);
  if (data == nullptr) return WSAEFAULT;
  if (major == 0 || (major == 1 && minor == 0)) return WSAVERNOTSUPPORTED;
  const bool above = major > 2 || (major == 2 && minor > 2);
  data->wVersion = above ? MAKEWORD(2, 2) : version_requested;
  data->wHighVersion = MAKEWORD(2, 2);
  std::snprintf(data->szDescription, sizeof data->szDescription, "WinSock 2.0");
  std::snprintf(data->szSystemStatus, sizeof data->szSystemStatus, "Running");
  return 0;
}

int WSACleanup() { return 0; }

int WSAGetLastError() { return t_last_error; }

SOCKET socket(int af, int type, int protocol) { return CurrentSockets().Socket(af, type, protocol); }

int setsockopt(SOCKET s, int level, int optname, const void* optval, int optlen) {
  if (optval == nullptr || optlen < static_cast<int>(sizeof(int))) return Fail(WSAEFAULT);
  int value;
  std::memcpy(&value, optval, sizeof value);
  return CurrentSockets().SetOption(s, level, optname, value);
}

int bind(SOCKET s, const SOCKADDR_IN* name, int namelen) {
  if (!AddressArgumentOk(name, namelen)) return Fail(WSAEFAULT);
  if (name->sin_family != kAfInet) return Fail(WSAEAFNOSUPPORT);
  return CurrentSockets().Bind(s, *name);
}

int listen(SOCKET s, int backlog) { return CurrentSockets().Listen(s, backlog); }

SOCKET accept(SOCKET s, SOCKADDR_IN* addr, int* addrlen) {
  if (addr != nullptr && (addrlen == nullptr || *addrlen < kSockaddrInSize)) {
    SetLastSocketError(WSAEFAULT);
    return INVALID_SOCKET;
  }
  SOCKADDR_IN peer;
  const SOCKET accepted = CurrentSockets().Accept(s, &peer);
  if (accepted != INVALID_SOCKET && addr != nullptr) {
    *addr = peer;
    *addrlen = kSockaddrInSize;
  }
  return accepted;
}

int connect(SOCKET s, const SOCKADDR_IN* name, int namelen) {
  if (!AddressArgumentOk(name, namelen)) return Fail(WSAEFAULT);
  if (name->sin_family != kAfInet) return Fail(WSAEAFNOSUPPORT);
  if (name->sin_addr.s_addr == kInaddrAny || name->sin_port == 0) return Fail(WSAEADDRNOTAVAIL);
  return CurrentSockets().Connect(s, *name);
}

int send(SOCKET s, const char* buf, int len, int flags) {
  if (flags != 0) return Fail(WSAEOPNOTSUPP);
  if (len < 0 || (buf == nullptr && len > 0)) return Fail(WSAEFAULT);
  return CurrentSockets().Send(s, buf, len);
}

int recv(SOCKET s, char* buf, int len, int flags) {
  if (flags != 0) return Fail(WSAEOPNOTSUPP);
  if (len < 0 || (buf == nullptr && len > 0)) return Fail(WSAEFAULT);
  return CurrentSockets().Recv(s, buf, len);
}

int sendto(SOCKET s, const char* buf, int len, int flags, const SOCKADDR_IN* to, int tolen) {
  if (flags != 0) return Fail(WSAEOPNOTSUPP);
  if (len < 0 || (buf == nullptr && len > 0) || !AddressArgumentOk(to, tolen)) return Fail(WSAEFAULT);
  if (to->sin_family != kAfInet) return Fail(WSAEAFNOSUPPORT);
  if (to->sin_port == 0) return Fail(WSAEADDRNOTAVAIL);
  return CurrentSockets().SendTo(s, buf, len, *to);
}

int recvfrom(SOCKET s, char* buf, int len, int flags, SOCKADDR_IN* from, int* fromlen) {
  if (flags != 0) return Fail(WSAEOPNOTSUPP);
  if (len < 0 || (buf == nullptr && len > 0)) return Fail(WSAEFAULT);
  if (from != nullptr && (fromlen == nullptr || *fromlen < kSockaddrInSize)) return Fail(WSAEFAULT);
  SOCKADDR_IN sender;
  const int result = CurrentSockets().RecvFrom(s, buf, len, &sender);
  if (result != SOCKET_ERROR && from != nullptr) {
    *from = sender;
    *fromlen = kSockaddrInSize;
  }
  return result;
}

int select(SOCKET s, const TIMEVAL* timeout) {
  std::optional<uint64_t> timeout_ms;
  if (timeout != nullptr) {
    if (timeout->tv_sec < 0 || timeout->tv_usec < 0) return Fail(WSAEINVAL);
    timeout_ms = static_cast<uint64_t>(timeout->tv_sec) * 1000 + static_cast<uint64_t>(timeout->tv_usec) / 1000;
  }
  return CurrentSockets().SelectReadable(s, timeout_ms);
}

int closesocket(SOCKET s) { return CurrentSockets().Close(s); }

int getsockname(SOCKET s, SOCKADDR_IN* name, int* namelen) {
  if (name == nullptr || namelen == nullptr || *namelen < kSockaddrInSize) return Fail(WSAEFAULT);
  SOCKADDR_IN local;
  if (CurrentSockets().LocalAddress(s, &local) != 0) return SOCKET_ERROR;
  *name = local;
  *namelen = kSockaddrInSize;
  return 0;
}

uint32_t inet_addr(const char* cp) {
  if (cp == nullptr || *cp == '\0') return kInaddrNone;
  uint32_t parts[4];
  int count = 0;
  const char* p = cp;
  for (;;) {
    if (count == 4 || !ParsePart(p, parts[count])) return kInaddrNone;
    ++count;
    if (*p == '.') {
      ++p;
      continue;
    }
    if (*p != '\0') return kInaddrNone;
    break;
  }
  // a, a.b (b: 24 bits), a.b.c (c: 16 bits), a.b.c.d: the last part fills the remaining bytes.
  uint32_t value = 0;
  for (int i = 0; i < count - 1; ++i) {
    if (parts[i] > 0xFF) return kInaddrNone;
    value |= parts[i] << (24 - 8 * i);
  }
  const uint32_t last_max = count == 1 ? 0xFFFFFFFFu : (0xFFFFFFFFu >> (8 * (count - 1)));
  if (parts[count - 1] > last_max) return kInaddrNone;
  value |= parts[count - 1];
  return Htonl(value);
}

const char* inet_ntoa(IN_ADDR in) {
  const uint32_t v = Ntohl(in.s_addr);
  std::snprintf(t_ntoa_buffer, sizeof t_ntoa_buffer, "%u.%u.%u.%u", v >> 24, (v >> 16) & 0xFF, (v >> 8) & 0xFF,
                v & 0xFF);
  return t_ntoa_buffer;
}

}  // namespace platform
