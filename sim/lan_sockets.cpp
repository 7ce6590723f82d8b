#include "sim/lan_sockets.h"

#include <algorithm>
#include <cstring>
#include <deque>

namespace sim {

using platform::SOCKET;
using platform::SOCKET_ERROR;

namespace {

int Error(int error) {
  platform::SetLastSocketError(error);
  return SOCKET_ERROR;
}

platform::SOCKADDR_IN Address(Ipv4 address, uint16_t port) {
  platform::SOCKADDR_IN a;
  a.sin_family = platform::kAfInet;
  a.sin_port = platform::Htons(port);
  a.sin_addr.s_addr = platform::Htonl(address);
  return a;
}

constexpr int kMaxDatagram = 65507;

}  // namespace

struct LanSockets::SimSocket final : UdpEndpoint, TcpEnd {
  enum class Tcp { kIdle, kConnecting, kConnected, kFailed };

  SimSocket(std::shared_ptr<std::mutex> m, SOCKET h, int t) : mutex(std::move(m)), handle(h), type(t) {}

  void Deliver(const Datagram& d) override {
    std::lock_guard<std::mutex> lock(*mutex);
    if (closed) return;
    datagrams.push_back(d);
    changed.NotifyAll();
  }
  void OnBytes(const std::vector<uint8_t>& bytes) override {
    std::lock_guard<std::mutex> lock(*mutex);
    if (closed) return;
    stream.insert(stream.end(), bytes.begin(), bytes.end());
    changed.NotifyAll();
  }
  void OnPeerClosed() override {
    std::lock_guard<std::mutex> lock(*mutex);
    peer_closed = true;
    changed.NotifyAll();
  }
  bool Readable() const {
    if (type == platform::kSockDgram) return !datagrams.empty();
    return tcp == Tcp::kConnected && (!stream.empty() || peer_closed);
  }

  std::shared_ptr<std::mutex> mutex;
  const SOCKET handle;
  const int type;
  bool closed = false;
  bool broadcast = false;
  Ipv4 address = 0;  // bound to, or of the connection; 0 for every address
  uint16_t port = 0;
  std::deque<Datagram> datagrams;
  Tcp tcp = Tcp::kIdle;
  int connect_error = 0;
  std::shared_ptr<TcpConnection> connection;
  std::deque<uint8_t> stream;
  bool peer_closed = false;
  platform::CondVar changed{"a simulated socket"};
};

LanSockets::LanSockets(Host& host) : host_(host), mutex_(std::make_shared<std::mutex>()) {}

LanSockets::~LanSockets() {
  std::vector<SOCKET> open;
  {
    std::lock_guard<std::mutex> lock(*mutex_);
    for (const auto& [handle, socket] : sockets_) open.push_back(handle);
  }
  for (SOCKET s : open) Close(s);
}

size_t LanSockets::OpenSockets() {
  std::lock_guard<std::mutex> lock(*mutex_);
  return sockets_.size();
}

std::shared_ptr<LanSockets::SimSocket> LanSockets::Find(SOCKET s) {
  auto it = sockets_.find(s);
  return it == sockets_.end() ? nullptr : it->second;
}

SOCKET LanSockets::Socket(int af, int type, int protocol) {
  auto fail = [](int error) {
    platform::SetLastSocketError(error);
    return platform::INVALID_SOCKET;
  };
  if (const int error = faults_.Meet(SocketCall::kSocket)) return fail(error);
  if (af != platform::kAfInet) return fail(platform::WSAEAFNOSUPPORT);
  if (type != platform::kSockDgram && type != platform::kSockStream) return fail(platform::WSAESOCKTNOSUPPORT);
  const int expected = type == platform::kSockDgram ? platform::kIpprotoUdp : platform::kIpprotoTcp;
  if (protocol != 0 && protocol != expected) return fail(platform::WSAEPROTONOSUPPORT);
  const SOCKET handle = platform::NewSocketHandle();
  std::lock_guard<std::mutex> lock(*mutex_);
  sockets_[handle] = std::make_shared<SimSocket>(mutex_, handle, type);
  return handle;
}

int LanSockets::SetOption(SOCKET s, int level, int name, int value) {
  if (const int error = faults_.Meet(SocketCall::kSetOption)) return Error(error);
  std::lock_guard<std::mutex> lock(*mutex_);
  std::shared_ptr<SimSocket> socket = Find(s);
  if (!socket) return Error(platform::WSAENOTSOCK);
  if (level != platform::kSolSocket) return Error(platform::WSAEINVAL);
  if (name == platform::kSoBroadcast) {
    socket->broadcast = value != 0;
    return 0;
  }
  if (name == platform::kSoReuseAddr) return 0;
  return Error(platform::WSAEINVAL);
}

int LanSockets::Bind(SOCKET s, const platform::SOCKADDR_IN& address) {
  if (const int error = faults_.Meet(SocketCall::kBind)) return Error(error);
  std::lock_guard<std::mutex> lock(*mutex_);
  std::shared_ptr<SimSocket> socket = Find(s);
  if (!socket) return Error(platform::WSAENOTSOCK);
  if (socket->type != platform::kSockDgram) return Error(platform::WSAEOPNOTSUPP);
  if (socket->port != 0) return Error(platform::WSAEINVAL);
  const Ipv4 local = platform::Ntohl(address.sin_addr.s_addr);
  if (local != platform::kInaddrAny) {
    const std::vector<Interface> interfaces = host_.Interfaces();
    if (std::none_of(interfaces.begin(), interfaces.end(), [&](const Interface& i) { return i.address == local; })) {
      return Error(platform::WSAEADDRNOTAVAIL);
    }
  }
  uint16_t port = platform::Ntohs(address.sin_port);
  if (!host_.lan().BindUdp(host_, port, socket)) return Error(platform::WSAEADDRINUSE);
  socket->address = local;
  socket->port = port;
  return 0;
}

int LanSockets::Listen(SOCKET s, int) {
  std::lock_guard<std::mutex> lock(*mutex_);
  return Error(Find(s) ? platform::WSAEOPNOTSUPP : platform::WSAENOTSOCK);
}

SOCKET LanSockets::Accept(SOCKET s, platform::SOCKADDR_IN*) {
  std::lock_guard<std::mutex> lock(*mutex_);
  Error(Find(s) ? platform::WSAEOPNOTSUPP : platform::WSAENOTSOCK);
  return platform::INVALID_SOCKET;
}

int LanSockets::Connect(SOCKET s, const platform::SOCKADDR_IN& peer) {
  if (const int error = faults_.Meet(SocketCall::kConnect)) return Error(error);
  std::unique_lock<std::mutex> lock(*mutex_);
  std::shared_ptr<SimSocket> socket = Find(s);
  if (!socket) return Error(platform::WSAENOTSOCK);
  if (socket->type != platform::kSockStream) return Error(platform::WSAEOPNOTSUPP);
  if (socket->tcp == SimSocket::Tcp::kConnected) return Error(platform::WSAEISCONN);
  if (socket->tcp != SimSocket::Tcp::kIdle) return Error(platform::WSAEINVAL);
  socket->tcp = SimSocket::Tcp::kConnecting;
  std::weak_ptr<SimSocket> weak = socket;
  host_.lan().Connect(
      host_, socket, platform::Ntohl(peer.sin_addr.s_addr), platform::Ntohs(peer.sin_port),
      [weak](std::shared_ptr<TcpConnection> connection, Ipv4 local_address, uint16_t local_port, int error) {
        std::shared_ptr<SimSocket> socket = weak.lock();
        if (!socket) {
          if (connection) connection->Close(TcpConnection::kClient);
          return;
        }
        std::lock_guard<std::mutex> lock(*socket->mutex);
        // A socket closed meanwhile, or whose connect has given up, takes nothing.
        if (socket->closed || socket->tcp != SimSocket::Tcp::kConnecting) {
          if (connection) connection->Close(TcpConnection::kClient);
          return;
        }
        socket->address = local_address;
        socket->port = local_port;
        socket->connection = std::move(connection);
        socket->connect_error = error;
        socket->tcp = socket->connection ? SimSocket::Tcp::kConnected : SimSocket::Tcp::kFailed;
        socket->changed.NotifyAll();
      });
  const uint64_t deadline = platform::CurrentClock().NowMs() + platform::kConnectTimeoutMs;
  const bool answered = socket->changed.WaitUntil(
      lock, deadline, [&] { return socket->closed || socket->tcp != SimSocket::Tcp::kConnecting; });
  if (socket->closed) return Error(platform::WSAEINTR);
  if (!answered) {
    socket->tcp = SimSocket::Tcp::kFailed;
    return Error(platform::WSAETIMEDOUT);
  }
  if (socket->tcp == SimSocket::Tcp::kFailed) return Error(socket->connect_error);
  return 0;
}

int LanSockets::Send(SOCKET s, const char* data, int length) {
  if (const int error = faults_.Meet(SocketCall::kSend)) return Error(error);
  std::lock_guard<std::mutex> lock(*mutex_);
  std::shared_ptr<SimSocket> socket = Find(s);
  if (!socket) return Error(platform::WSAENOTSOCK);
  if (socket->tcp != SimSocket::Tcp::kConnected) return Error(platform::WSAENOTCONN);
  socket->connection->Send(TcpConnection::kClient, std::vector<uint8_t>(data, data + length));
  return length;
}

int LanSockets::Recv(SOCKET s, char* buffer, int length) {
  if (const int error = faults_.Meet(SocketCall::kRecv)) return Error(error);
  std::unique_lock<std::mutex> lock(*mutex_);
  std::shared_ptr<SimSocket> socket = Find(s);
  if (!socket) return Error(platform::WSAENOTSOCK);
  if (socket->tcp != SimSocket::Tcp::kConnected) return Error(platform::WSAENOTCONN);
  socket->changed.Wait(lock, [&] { return socket->closed || socket->Readable(); });
  if (socket->closed) return Error(platform::WSAEINTR);
  const size_t n = std::min(static_cast<size_t>(length), socket->stream.size());
  std::copy_n(socket->stream.begin(), n, buffer);
  socket->stream.erase(socket->stream.begin(), socket->stream.begin() + static_cast<std::ptrdiff_t>(n));
  return static_cast<int>(n);
}

int LanSockets::SendTo(SOCKET s, const char* data, int length, const platform::SOCKADDR_IN& to) {
  if (const int error = faults_.Meet(SocketCall::kSendTo)) return Error(error);
  std::lock_guard<std::mutex> lock(*mutex_);
  std::shared_ptr<SimSocket> socket = Find(s);
  if (!socket) return Error(platform::WSAENOTSOCK);
  if (socket->type != platform::kSockDgram) return Error(platform::WSAENOTCONN);
  if (length > kMaxDatagram) return Error(platform::WSAEMSGSIZE);
  const Ipv4 destination = platform::Ntohl(to.sin_addr.s_addr);
  Lan& lan = host_.lan();
  if (lan.IsBroadcastFor(host_, destination) && !socket->broadcast) return Error(platform::WSAEACCES);
  if (socket->port == 0) {
    uint16_t port = 0;
    if (!lan.BindUdp(host_, port, socket)) return Error(platform::WSAENOBUFS);
    socket->port = port;
  }
  if (!lan.SendDatagram(host_, socket->port, destination, platform::Ntohs(to.sin_port),
                        std::vector<uint8_t>(data, data + length))) {
    return Error(platform::WSAENETUNREACH);
  }
  return length;
}

int LanSockets::RecvFrom(SOCKET s, char* buffer, int length, platform::SOCKADDR_IN* from) {
  if (const int error = faults_.Meet(SocketCall::kRecvFrom)) return Error(error);
  std::unique_lock<std::mutex> lock(*mutex_);
  std::shared_ptr<SimSocket> socket = Find(s);
  if (!socket) return Error(platform::WSAENOTSOCK);
  if (socket->type != platform::kSockDgram) return Error(platform::WSAEOPNOTSUPP);
  if (socket->port == 0) return Error(platform::WSAEINVAL);
  socket->changed.Wait(lock, [&] { return socket->closed || socket->Readable(); });
  if (socket->closed) return Error(platform::WSAEINTR);
  const Datagram d = std::move(socket->datagrams.front());
  socket->datagrams.pop_front();
  std::copy_n(d.bytes.begin(), std::min(d.bytes.size(), static_cast<size_t>(length)), buffer);
  if (from) *from = Address(d.from, d.from_port);
  if (d.bytes.size() > static_cast<size_t>(length)) return Error(platform::WSAEMSGSIZE);
  return static_cast<int>(d.bytes.size());
}

int LanSockets::SelectReadable(SOCKET s, std::optional<uint64_t> timeout_ms) {
  if (const int error = faults_.Meet(SocketCall::kSelect)) return Error(error);
  std::unique_lock<std::mutex> lock(*mutex_);
  std::shared_ptr<SimSocket> socket = Find(s);
  if (!socket) return Error(platform::WSAENOTSOCK);
  auto done = [&] { return socket->closed || socket->Readable(); };
  if (timeout_ms) {
    const uint64_t deadline = platform::CurrentClock().NowMs() + *timeout_ms;
    if (!socket->changed.WaitUntil(lock, deadline, done)) return 0;
  } else {
    socket->changed.Wait(lock, done);
  }
  if (socket->closed) return Error(platform::WSAEINTR);
  return 1;
}

int LanSockets::LocalAddress(SOCKET s, platform::SOCKADDR_IN* local) {
  std::lock_guard<std::mutex> lock(*mutex_);
  std::shared_ptr<SimSocket> socket = Find(s);
  if (!socket) return Error(platform::WSAENOTSOCK);
  if (socket->port == 0) return Error(platform::WSAEINVAL);
  *local = Address(socket->address, socket->port);
  return 0;
}

int LanSockets::Close(SOCKET s) {
  std::shared_ptr<SimSocket> socket;
  std::shared_ptr<TcpConnection> connection;
  uint16_t udp_port = 0;
  {
    std::lock_guard<std::mutex> lock(*mutex_);
    socket = Find(s);
    if (!socket) return Error(platform::WSAENOTSOCK);
    sockets_.erase(s);
    socket->closed = true;
    socket->changed.NotifyAll();
    if (socket->type == platform::kSockDgram) udp_port = socket->port;
    connection = socket->connection;
  }
  if (udp_port != 0) host_.lan().UnbindUdp(host_, udp_port, socket.get());
  if (connection) connection->Close(TcpConnection::kClient);
  return 0;
}

}  // namespace sim
