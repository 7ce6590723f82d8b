// The sockets of the host. Every descriptor is non-blocking; a blocking call is a poll on the
// descriptor and on the socket's wake-up descriptor, so that closing the socket wakes the waiter.
// The descriptor itself is closed only when the last call using it has returned, so the kernel
// cannot hand its number to a new socket while an old call still holds it.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/clock.h"
#include "platform/sockets.h"
#include "platform/wait_keeper.h"

namespace platform {
namespace {

int WsaErrorOf(int error) {
  switch (error) {
    case EINTR:
      return WSAEINTR;
    case EACCES:
    case EPERM:
      return WSAEACCES;
    case EFAULT:
      return WSAEFAULT;
    case EINVAL:
      return WSAEINVAL;
    case EMFILE:
    case ENFILE:
      return WSAEMFILE;
    case EAGAIN:
      return WSAEWOULDBLOCK;
    case EMSGSIZE:
      return WSAEMSGSIZE;
    case EPROTONOSUPPORT:
      return WSAEPROTONOSUPPORT;
    case EOPNOTSUPP:
      return WSAEOPNOTSUPP;
    case EAFNOSUPPORT:
      return WSAEAFNOSUPPORT;
    case EADDRINUSE:
      return WSAEADDRINUSE;
    case EADDRNOTAVAIL:
      return WSAEADDRNOTAVAIL;
    case ENETUNREACH:
      return WSAENETUNREACH;
    case ECONNABORTED:
      return WSAECONNABORTED;
    case ECONNRESET:
      return WSAECONNRESET;
    case ENOBUFS:
    case ENOMEM:
      return WSAENOBUFS;
    case EISCONN:
      return WSAEISCONN;
    case ENOTCONN:
      return WSAENOTCONN;
    case EPIPE:
      return WSAESHUTDOWN;
    case ETIMEDOUT:
      return WSAETIMEDOUT;
    case ECONNREFUSED:
      return WSAECONNREFUSED;
    case EHOSTUNREACH:
      return WSAEHOSTUNREACH;
    default:
      return WSASYSCALLFAILURE;
  }
}

int FailErrno() {
  SetLastSocketError(WsaErrorOf(errno));
  return SOCKET_ERROR;
}

int Fail(int error) {
  SetLastSocketError(error);
  return SOCKET_ERROR;
}

sockaddr_in ToNative(const SOCKADDR_IN& a) {
  sockaddr_in n{};
  n.sin_family = AF_INET;
  n.sin_port = a.sin_port;  // both in network order
  n.sin_addr.s_addr = a.sin_addr.s_addr;
  return n;
}

SOCKADDR_IN FromNative(const sockaddr_in& n) {
  SOCKADDR_IN a;
  a.sin_family = static_cast<int16_t>(kAfInet);
  a.sin_port = n.sin_port;
  a.sin_addr.s_addr = n.sin_addr.s_addr;
  return a;
}

struct Entry {
  Entry(int f, int w) : fd(f), wake_fd(w) {}
  ~Entry() {
    ::close(fd);
    ::close(wake_fd);
  }
  const int fd;
  const int wake_fd;
  std::atomic<bool> closed{false};
};
using EntryPtr = std::shared_ptr<Entry>;

enum class WaitResult { kReady, kTimeout, kClosed, kError };

// Waits for `events` on the socket, or for its close. timeout_ms < 0 waits without end. The
// time-out is a deadline: a signal that ends a poll early leaves only what is left of it. The
// main thread waits in slices and keeps the program's windows alive between them.
WaitResult WaitFor(const Entry& e, short events, int timeout_ms) {
  Clock& clock = RealClock();
  const uint64_t deadline = clock.NowMs() + static_cast<uint64_t>(std::max(timeout_ms, 0));
  constexpr int kSlice = static_cast<int>(kWaitSliceMs);
  for (;;) {
    if (e.closed.load()) return WaitResult::kClosed;
    int left = -1;
    if (timeout_ms >= 0) {
      const uint64_t now = clock.NowMs();
      left = now < deadline ? static_cast<int>(deadline - now) : 0;
    }
    const bool sliced = WaitsInSlices() && (left < 0 || left > kSlice);
    pollfd fds[2] = {{e.fd, events, 0}, {e.wake_fd, POLLIN, 0}};
    const int n = ::poll(fds, 2, sliced ? kSlice : left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return WaitResult::kError;
    }
    if (e.closed.load() || (fds[1].revents & POLLIN)) return WaitResult::kClosed;
    if (n == 0) {
      if (!sliced) return WaitResult::kTimeout;
      KeepWindowsAlive();
      continue;
    }
    if (fds[0].revents != 0) return WaitResult::kReady;
  }
}

int FailWait(WaitResult r) {
  if (r == WaitResult::kClosed) return Fail(WSAEINTR);
  if (r == WaitResult::kTimeout) return Fail(WSAETIMEDOUT);
  return FailErrno();
}

class HostSocketsImpl final : public Sockets {
 public:
  SOCKET Socket(int af, int type, int protocol) override {
    if (af != kAfInet) return FailHandle(WSAEAFNOSUPPORT);
    int native_type;
    if (type == kSockDgram && (protocol == 0 || protocol == kIpprotoUdp)) {
      native_type = SOCK_DGRAM;
    } else if (type == kSockStream && (protocol == 0 || protocol == kIpprotoTcp)) {
      native_type = SOCK_STREAM;
    } else if (type != kSockDgram && type != kSockStream) {
      return FailHandle(WSAESOCKTNOSUPPORT);
    } else {
      return FailHandle(WSAEPROTONOSUPPORT);
    }
    const int fd = ::socket(AF_INET, native_type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return FailHandle(WsaErrorOf(errno));
    return Adopt(fd);
  }

  int SetOption(SOCKET s, int level, int name, int value) override {
    EntryPtr e = Find(s);
    if (!e) return Fail(WSAENOTSOCK);
    if (level != kSolSocket) return Fail(WSAEINVAL);
    int native;
    if (name == kSoBroadcast) {
      native = SO_BROADCAST;
    } else if (name == kSoReuseAddr) {
      native = SO_REUSEADDR;
    } else {
      return Fail(WSAEINVAL);
    }
    const int on = value != 0 ? 1 : 0;
    return ::setsockopt(e->fd, SOL_SOCKET, native, &on, sizeof on) == 0 ? 0 : FailErrno();
  }

  int Bind(SOCKET s, const SOCKADDR_IN& address) override {
    EntryPtr e = Find(s);
    if (!e) return Fail(WSAENOTSOCK);
    const sockaddr_in n = ToNative(address);
    return ::bind(e->fd, reinterpret_cast<const sockaddr*>(&n), sizeof n) == 0 ? 0 : FailErrno();
  }

  int Listen(SOCKET s, int backlog) override {
    EntryPtr e = Find(s);
    if (!e) return Fail(WSAENOTSOCK);
    return ::listen(e->fd, backlog) == 0 ? 0 : FailErrno();
  }

  SOCKET Accept(SOCKET s, SOCKADDR_IN* peer) override {
    EntryPtr e = Find(s);
    if (!e) return FailHandle(WSAENOTSOCK);
    for (;;) {
      sockaddr_in n{};
      socklen_t len = sizeof n;
      const int fd = ::accept4(e->fd, reinterpret_cast<sockaddr*>(&n), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd >= 0) {
        if (peer) *peer = FromNative(n);
        return Adopt(fd);
      }
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return FailHandle(WsaErrorOf(errno));
      const WaitResult r = WaitFor(*e, POLLIN, -1);
      if (r != WaitResult::kReady) {
        FailWait(r);
        return INVALID_SOCKET;
      }
    }
  }

  int Connect(SOCKET s, const SOCKADDR_IN& peer) override {
    EntryPtr e = Find(s);
    if (!e) return Fail(WSAENOTSOCK);
    const sockaddr_in n = ToNative(peer);
    if (::connect(e->fd, reinterpret_cast<const sockaddr*>(&n), sizeof n) == 0) return 0;
    if (errno != EINPROGRESS) return FailErrno();
    // The kernel would retry for about two minutes; the platform gives up much sooner.
    const WaitResult r = WaitFor(*e, POLLOUT, static_cast<int>(kConnectTimeoutMs));
    if (r != WaitResult::kReady) return FailWait(r);
    int error = 0;
    socklen_t len = sizeof error;
    ::getsockopt(e->fd, SOL_SOCKET, SO_ERROR, &error, &len);
    if (error != 0) return Fail(WsaErrorOf(error));
    return 0;
  }

  int Send(SOCKET s, const char* data, int length) override {
    EntryPtr e = Find(s);
    if (!e) return Fail(WSAENOTSOCK);
    int sent = 0;
    while (sent < length) {
      const ssize_t n = ::send(e->fd, data + sent, static_cast<size_t>(length - sent), MSG_NOSIGNAL);
      if (n >= 0) {
        sent += static_cast<int>(n);
        continue;
      }
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return FailErrno();
      const WaitResult r = WaitFor(*e, POLLOUT, -1);
      if (r != WaitResult::kReady) return FailWait(r);
    }
    return sent;
  }

  int Recv(SOCKET s, char* buffer, int length) override {
    EntryPtr e = Find(s);
    if (!e) return Fail(WSAENOTSOCK);
    for (;;) {
      const ssize_t n = ::recv(e->fd, buffer, static_cast<size_t>(length), 0);
      if (n >= 0) return static_cast<int>(n);
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return FailErrno();
      const WaitResult r = WaitFor(*e, POLLIN, -1);
      if (r != WaitResult::kReady) return FailWait(r);
    }
  }

  int SendTo(SOCKET s, const char* data, int length, const SOCKADDR_IN& to) override {
    EntryPtr e = Find(s);
    if (!e) return Fail(WSAENOTSOCK);
    const sockaddr_in n = ToNative(to);
    for (;;) {
      const ssize_t sent = ::sendto(e->fd, data, static_cast<size_t>(length), MSG_NOSIGNAL,
                                    reinterpret_cast<const sockaddr*>(&n), sizeof n);
      if (sent >= 0) return static_cast<int>(sent);
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return FailErrno();
      const WaitResult r = WaitFor(*e, POLLOUT, -1);
      if (r != WaitResult::kReady) return FailWait(r);
    }
  }

  int RecvFrom(SOCKET s, char* buffer, int length, SOCKADDR_IN* from) override {
    EntryPtr e = Find(s);
    if (!e) return Fail(WSAENOTSOCK);
    for (;;) {
      sockaddr_in n{};
      socklen_t len = sizeof n;
      // MSG_TRUNC makes the call report the datagram's real length; the rest is gone either way.
      const ssize_t got =
          ::recvfrom(e->fd, buffer, static_cast<size_t>(length), MSG_TRUNC, reinterpret_cast<sockaddr*>(&n), &len);
      if (got >= 0) {
        if (from) *from = FromNative(n);
        if (got > length) return Fail(WSAEMSGSIZE);
        return static_cast<int>(got);
      }
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return FailErrno();
      const WaitResult r = WaitFor(*e, POLLIN, -1);
      if (r != WaitResult::kReady) return FailWait(r);
    }
  }

  int SelectReadable(SOCKET s, std::optional<uint64_t> timeout_ms) override {
    EntryPtr e = Find(s);
    if (!e) return Fail(WSAENOTSOCK);
    const int timeout = timeout_ms ? static_cast<int>(std::min<uint64_t>(*timeout_ms, INT32_MAX)) : -1;
    switch (WaitFor(*e, POLLIN, timeout)) {
      case WaitResult::kReady:
        return 1;
      case WaitResult::kTimeout:
        return 0;
      case WaitResult::kClosed:
        return Fail(WSAEINTR);
      case WaitResult::kError:
        break;
    }
    return FailErrno();
  }

  int LocalAddress(SOCKET s, SOCKADDR_IN* local) override {
    EntryPtr e = Find(s);
    if (!e) return Fail(WSAENOTSOCK);
    sockaddr_in n{};
    socklen_t length = sizeof n;
    if (::getsockname(e->fd, reinterpret_cast<sockaddr*>(&n), &length) != 0) return FailErrno();
    // Linux names a socket that was never bound 0.0.0.0:0, where the platform refuses.
    if (n.sin_port == 0) return Fail(WSAEINVAL);
    *local = FromNative(n);
    return 0;
  }

  int Close(SOCKET s) override {
    EntryPtr e;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = table_.find(s);
      if (it == table_.end()) return Fail(WSAENOTSOCK);
      e = std::move(it->second);
      table_.erase(it);
    }
    e->closed.store(true);
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(e->wake_fd, &one, sizeof one);
    return 0;
  }

 private:
  SOCKET FailHandle(int error) {
    SetLastSocketError(error);
    return INVALID_SOCKET;
  }

  SOCKET Adopt(int fd) {
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0) {
      const int error = errno;
      ::close(fd);
      return FailHandle(WsaErrorOf(error));
    }
    const SOCKET handle = NewSocketHandle();
    std::lock_guard<std::mutex> lock(mutex_);
    table_.emplace(handle, std::make_shared<Entry>(fd, wake));
    return handle;
  }

  EntryPtr Find(SOCKET s) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = table_.find(s);
    return it == table_.end() ? nullptr : it->second;
  }

  std::mutex mutex_;
  std::unordered_map<SOCKET, EntryPtr> table_;
};

}  // namespace

Sockets& HostSockets() {
  static HostSocketsImpl sockets;
  return sockets;
}

}  // namespace platform
