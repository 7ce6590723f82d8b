#pragma once

#include <cstdint>
#include <optional>

#include "platform/service.h"

// The sockets library as the device link uses it: Winsock 2.2 calls and their semantics, on the
// host's sockets or on the simulated LAN. Names that the host's own socket headers define as
// macros (AF_INET, SOCK_DGRAM, htons, ...) get names of their own here.
namespace platform {

using SOCKET = uint64_t;
constexpr SOCKET INVALID_SOCKET = ~SOCKET{0};
constexpr int SOCKET_ERROR = -1;

constexpr int kAfInet = 2;
constexpr int kSockStream = 1;
constexpr int kSockDgram = 2;
constexpr int kIpprotoTcp = 6;
constexpr int kIpprotoUdp = 17;
constexpr int kSolSocket = 0xFFFF;
constexpr int kSoReuseAddr = 0x0004;
constexpr int kSoBroadcast = 0x0020;
constexpr uint32_t kInaddrAny = 0;
constexpr uint32_t kInaddrNone = 0xFFFFFFFFu;  // also what inet_addr gives for an unreadable text
constexpr uint32_t kInaddrBroadcast = 0xFFFFFFFFu;

// Error numbers of WSAGetLastError.
constexpr int WSAEINTR = 10004;
constexpr int WSAEFAULT = 10014;
constexpr int WSAEACCES = 10013;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEMFILE = 10024;
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEMSGSIZE = 10040;
constexpr int WSAEPROTONOSUPPORT = 10043;
constexpr int WSAESOCKTNOSUPPORT = 10044;
constexpr int WSAEOPNOTSUPP = 10045;
constexpr int WSAEAFNOSUPPORT = 10047;
constexpr int WSAEADDRINUSE = 10048;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAENETUNREACH = 10051;
constexpr int WSAECONNABORTED = 10053;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAENOBUFS = 10055;
constexpr int WSAEISCONN = 10056;
constexpr int WSAENOTCONN = 10057;
constexpr int WSAESHUTDOWN = 10058;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAEHOSTUNREACH = 10065;
constexpr int WSAVERNOTSUPPORTED = 10092;
constexpr int WSASYSCALLFAILURE = 10107;

// A connection request that the peer leaves unanswered fails after this long with WSAETIMEDOUT,
// as the platform's connect gives up (its SYN retries) after about 21 s.
constexpr uint64_t kConnectTimeoutMs = 21000;

// An IPv4 address in network byte order, as the sockets library keeps it.
struct IN_ADDR {
  uint32_t s_addr = 0;
};

// The 16-byte IPv4 socket address; port and address in network byte order.
struct SOCKADDR_IN {
  int16_t sin_family = 0;
  uint16_t sin_port = 0;
  IN_ADDR sin_addr;
  char sin_zero[8] = {};
};
static_assert(sizeof(SOCKADDR_IN) == 16);
constexpr int kSockaddrInSize = static_cast<int>(sizeof(SOCKADDR_IN));

struct TIMEVAL {
  long tv_sec = 0;
  long tv_usec = 0;
};

struct WSADATA {
  uint16_t wVersion = 0;
  uint16_t wHighVersion = 0;
  char szDescription[257] = {};
  char szSystemStatus[129] = {};
};

constexpr uint16_t MAKEWORD(uint8_t low, uint8_t high) { return static_cast<uint16_t>(low | (high << 8)); }

// Network byte order conversions.
uint16_t Htons(uint16_t host);
uint16_t Ntohs(uint16_t net);
uint32_t Htonl(uint32_t host);
uint32_t Ntohl(uint32_t net);

// A sockets backend. Calls reach it through the free functions below, which check the arguments
// that every backend treats alike (address lengths, flags). Failures return SOCKET_ERROR (or
// INVALID_SOCKET) after SetLastSocketError. Rules every backend keeps:
// - handles are never reused within a run, so a handle that was closed stays unknown (WSAENOTSOCK);
// - closing a socket wakes every thread waiting on it; the waiter's call fails with WSAEINTR;
// - a datagram longer than the receive buffer fails the receive with WSAEMSGSIZE and is dropped;
// - every wait is a wait on the program's clock (simulation) or a real wait (host).
class Sockets {
 public:
  virtual ~Sockets() = default;
  virtual SOCKET Socket(int af, int type, int protocol) = 0;
  // SOL_SOCKET options with an integer value: SO_BROADCAST, SO_REUSEADDR.
  virtual int SetOption(SOCKET s, int level, int name, int value) = 0;
  virtual int Bind(SOCKET s, const SOCKADDR_IN& address) = 0;
  virtual int Listen(SOCKET s, int backlog) = 0;
  virtual SOCKET Accept(SOCKET s, SOCKADDR_IN* peer) = 0;
  virtual int Connect(SOCKET s, const SOCKADDR_IN& peer) = 0;
  // Blocking send of the whole buffer on a connected socket.
  virtual int Send(SOCKET s, const char* data, int length) = 0;
  // Blocking receive on a connected socket: 0 when the peer closed its side.
  virtual int Recv(SOCKET s, char* buffer, int length) = 0;
  virtual int SendTo(SOCKET s, const char* data, int length, const SOCKADDR_IN& to) = 0;
  virtual int RecvFrom(SOCKET s, char* buffer, int length, SOCKADDR_IN* from) = 0;
  // Waits until the socket is readable (data, a datagram, the peer's close or a pending
  // connection): 1; 0 when the time-out passed; no time-out waits without end.
  virtual int SelectReadable(SOCKET s, std::optional<uint64_t> timeout_ms) = 0;
  virtual int Close(SOCKET s) = 0;
  // The address and port the socket is bound to: for a socket bound to every address, the local
  // address of its connection once it has one (an accepted socket: the address the peer
  // connected to). WSAEINVAL for a socket that is neither bound nor connected.
  virtual int LocalAddress(SOCKET s, SOCKADDR_IN* local) = 0;
};

Sockets& CurrentSockets();
void InstallSockets(Sockets* sockets);
Sockets& HostSockets();

// The last error of the calling thread; set by the backends.
void SetLastSocketError(int error);
// A new handle number: unique for the whole run, across backends.
SOCKET NewSocketHandle();

// The calls, with the Winsock shapes the device link is written against. `flags` must be 0.
int WSAStartup(uint16_t version_requested, WSADATA* data);
int WSACleanup();
int WSAGetLastError();
SOCKET socket(int af, int type, int protocol);
int setsockopt(SOCKET s, int level, int optname, const void* optval, int optlen);
int bind(SOCKET s, const SOCKADDR_IN* name, int namelen);
int listen(SOCKET s, int backlog);
SOCKET accept(SOCKET s, SOCKADDR_IN* addr, int* addrlen);
int connect(SOCKET s, const SOCKADDR_IN* name, int namelen);
int send(SOCKET s, const char* buf, int len, int flags);
int recv(SOCKET s, char* buf, int len, int flags);
int sendto(SOCKET s, const char* buf, int len, int flags, const SOCKADDR_IN* to, int tolen);
int recvfrom(SOCKET s, char* buf, int len, int flags, SOCKADDR_IN* from, int* fromlen);
// select for the readability of one socket; a null time-out waits without end. 1 ready, 0 time-out.
int select(SOCKET s, const TIMEVAL* timeout);
int closesocket(SOCKET s);
// The socket's local address (see Sockets::LocalAddress); *namelen must hold a SOCKADDR_IN.
int getsockname(SOCKET s, SOCKADDR_IN* name, int* namelen);

// Dotted text and addresses. inet_addr gives kInaddrNone (255.255.255.255) for a text that is not
// an address; inet_ntoa writes into a buffer of the calling thread, valid until its next call.
uint32_t inet_addr(const char* cp);
const char* inet_ntoa(IN_ADDR in);

}  // namespace platform
