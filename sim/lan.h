#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <queue>
#include <random>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/thread.h"
#include "sim/ipv4.h"

namespace sim {

// What a datagram or a TCP piece meets on a host's link to the LAN. A datagram crosses the
// sender's link and the receiver's link; each may lose it, duplicate it and delay it, and the
// jitter (a random extra delay up to jitter_ms) lets later datagrams overtake earlier ones.
// TCP pieces see the delays only: the stream itself is reliable and ordered.
struct LinkConditions {
  uint32_t delay_ms = 0;
  uint32_t jitter_ms = 0;
  double loss = 0;
  double duplication = 0;
};

struct Interface {
  std::string segment;  // the wire (switch) it is plugged into
  Ipv4 address = 0;
  Ipv4 mask = 0;
  std::string adapter;  // interfaces of one adapter share its name
};

struct Datagram {
  Ipv4 from = 0;
  uint16_t from_port = 0;
  Ipv4 to = 0;
  uint16_t to_port = 0;
  std::vector<uint8_t> bytes;
};

class Lan;
class TcpConnection;

// Receives the datagrams for one UDP port of a host. Called on the LAN's thread.
class UdpEndpoint {
 public:
  virtual ~UdpEndpoint() = default;
  virtual void Deliver(const Datagram& datagram) = 0;
};

// One end of a TCP connection. Called on the LAN's thread.
class TcpEnd {
 public:
  virtual ~TcpEnd() = default;
  virtual void OnBytes(const std::vector<uint8_t>& bytes) = 0;
  virtual void OnPeerClosed() = 0;
};

// What a host's TCP port does with a connection request: accept it (and give the server end),
// refuse it (reset), or not answer at all (the client's connect times out).
class TcpListener {
 public:
  virtual ~TcpListener() = default;
  enum class Answer { kAccept, kRefuse, kNoAnswer };
  virtual Answer OnConnect() = 0;
  virtual std::shared_ptr<TcpEnd> Accept(std::shared_ptr<TcpConnection> connection, Ipv4 peer, uint16_t peer_port) = 0;
};

// A machine on the LAN.
class Host {
 public:
  const std::string& name() const { return name_; }
  Lan& lan() { return lan_; }
  // Adds an interface with an address; returns its index (the first one added is the first
  // interface, where limited broadcasts leave).
  size_t AddInterface(const std::string& segment, Ipv4 address, Ipv4 mask, const std::string& adapter = "");
  // An adapter that has no address (it lists as "0.0.0.0" and carries nothing).
  void AddAdapterWithoutAddress(const std::string& adapter);
  void SetInterfaceAddress(size_t index, Ipv4 address, Ipv4 mask);
  std::vector<Interface> Interfaces() const;
  std::vector<std::string> AddressLessAdapters() const;
  void SetLink(LinkConditions conditions);

 private:
  friend class Lan;
  friend class TcpConnection;
  Host(Lan& lan, std::string name) : lan_(lan), name_(std::move(name)) {}
  Lan& lan_;
  const std::string name_;
  std::vector<Interface> interfaces_;  // guarded by the LAN's mutex
  std::vector<std::string> bare_adapters_;
  LinkConditions link_;
  uint16_t next_ephemeral_ = 49152;
  std::map<uint16_t, std::shared_ptr<UdpEndpoint>> udp_;
  std::map<uint16_t, std::shared_ptr<TcpListener>> tcp_;
};

// A TCP connection between a client end and a server end. Each side sends through it; the other
// side's end gets the bytes after the links' delay, in order, and the close after them.
class TcpConnection : public std::enable_shared_from_this<TcpConnection> {
 public:
  enum Side { kClient = 0, kServer = 1 };
  // Sends bytes from `side`, `extra_delay_ms` later than now plus the links' delay.
  void Send(Side side, std::vector<uint8_t> bytes, uint32_t extra_delay_ms = 0);
  // Closes `side`: the other end sees the close after what was sent before it.
  void Close(Side side, uint32_t extra_delay_ms = 0);

 private:
  friend class Lan;
  TcpConnection(Lan& lan, Host& client, Host& server) : lan_(lan), hosts_{&client, &server} {}
  Lan& lan_;
  Host* hosts_[2];
  std::weak_ptr<TcpEnd> ends_[2];
  bool closed_[2] = {false, false};
  uint64_t last_arrival_[2] = {0, 0};  // keeps the pieces of one direction in order
};

// The simulated LAN: hosts on segments, datagrams routed as a real stack routes them, TCP
// connections, and one thread that delivers everything at its due time on the program's clock.
class Lan {
 public:
  explicit Lan(uint32_t seed = 1);
  ~Lan();
  // Ends the LAN's thread and drops what is still under way. Done before anything that the
  // hosts deliver to (the PC's sockets) goes away.
  void Stop();
  Lan(const Lan&) = delete;
  Lan& operator=(const Lan&) = delete;

  Host& AddHost(const std::string& name);

  // Runs `event` on the LAN's thread `delay_ms` from now.
  void After(uint64_t delay_ms, std::function<void()> event);

  // UDP ports of a host. Bind fails (false) when the port is taken; port 0 picks a free one.
  bool BindUdp(Host& host, uint16_t& port, std::shared_ptr<UdpEndpoint> endpoint);
  void UnbindUdp(Host& host, uint16_t port, const UdpEndpoint* endpoint);
  // Whether `to` is a broadcast address for `host` (limited, or one of its subnets').
  bool IsBroadcastFor(Host& host, Ipv4 to);
  // Sends a datagram from the host's port. False when the host has no interface to send on.
  bool SendDatagram(Host& host, uint16_t from_port, Ipv4 to, uint16_t to_port, std::vector<uint8_t> bytes);

  void ListenTcp(Host& host, uint16_t port, std::shared_ptr<TcpListener> listener);
  // Starts a connection from the host. `done` runs on the LAN's thread with the connection and
  // its local address and port, or with nullptr and a Winsock error number (refused,
  // unreachable); a request that nobody answers never runs it, and the connecting socket gives up
  // after platform::kConnectTimeoutMs.
  void Connect(
      Host& host, std::shared_ptr<TcpEnd> client, Ipv4 to, uint16_t to_port,
      std::function<void(std::shared_ptr<TcpConnection>, Ipv4 local_address, uint16_t local_port, int error)> done);

  std::mutex& mutex() { return mutex_; }

 private:
  friend class TcpConnection;
  struct Target {
    Host* host;
    Ipv4 destination;
  };
  struct Event {
    uint64_t at;
    uint64_t seq;
    std::function<void()> run;
    bool operator>(const Event& o) const { return at != o.at ? at > o.at : seq > o.seq; }
  };
  void ScheduleLocked(uint64_t at, std::function<void()> event);
  void Run();
  Host* HostWithAddressLocked(const std::string& segment, Ipv4 address);
  const Interface* RouteLocked(Host& host, Ipv4 to);
  bool ChanceLocked(double p);
  uint32_t JitterLocked(uint32_t max);
  void DeliverLocked(Host& from, Host& to, Datagram datagram, bool loopback);

  std::mutex mutex_;
  platform::CondVar wake_{"the LAN's next event"};
  std::vector<std::unique_ptr<Host>> hosts_;
  std::priority_queue<Event, std::vector<Event>, std::greater<Event>> events_;
  uint64_t seq_ = 0;
  bool stopping_ = false;
  std::mt19937 random_;
  std::optional<platform::Thread> thread_;
};

}  // namespace sim
