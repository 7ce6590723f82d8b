#include "sim/box_node.h"

#include <set>

#include "platform/clock.h"

namespace sim {

struct BoxNode::Core final : UdpEndpoint, TcpListener, std::enable_shared_from_this<Core> {
  struct Session;

  Core(Lan& l, Host& h, BoxConfig config) : lan(l), host(h), box(std::move(config)) {
    box.SetRequestObserver([this](const BoxRequest& r) { requests.push_back(r); });
  }

  static uint64_t Now() { return platform::CurrentClock().NowMs(); }
  static std::string Peer(Ipv4 address, uint16_t port) { return FormatIpv4(address) + ":" + std::to_string(port); }

  // With the node's lock: moves the host to the box's address and watches for a reboot's end.
  void SyncLocked(uint64_t now) {
    const Ipv4 address = box.Address(now);
    const Ipv4 mask = box.Mask(now);
    const Interface current = host.Interfaces().front();
    if (current.address != address || current.mask != mask) host.SetInterfaceAddress(0, address, mask);
    const std::optional<uint64_t> ends = box.RebootEndsAt();
    if (ends && ends != watched_reboot_end) {
      watched_reboot_end = ends;
      std::weak_ptr<Core> weak = weak_from_this();
      lan.After(*ends - now, [weak] {
        if (std::shared_ptr<Core> core = weak.lock()) {
          std::lock_guard<std::mutex> lock(core->mutex);
          core->SyncLocked(Now());
        }
      });
    }
  }

  void Deliver(const Datagram& d) override {
    std::vector<Box::Bytes> replies;
    uint32_t delay;
    {
      std::lock_guard<std::mutex> lock(mutex);
      const uint64_t now = Now();
      SyncLocked(now);
      replies = box.HandleDatagram(d.bytes, now, Peer(d.from, d.from_port));
      SyncLocked(now);
      delay = box.faults().reply_delay_ms;
    }
    for (Box::Bytes& reply : replies) {
      auto send = [this, to = d.from, port = d.from_port, reply = std::move(reply)]() mutable {
        lan.SendDatagram(host, kBoxUdpPort, to, port, std::move(reply));
      };
      if (delay == 0) {
        send();
      } else {
        lan.After(delay, std::move(send));
      }
    }
  }

  Answer OnConnect() override {
    std::lock_guard<std::mutex> lock(mutex);
    const uint64_t now = Now();
    SyncLocked(now);
    if (!box.Online(now)) return Answer::kNoAnswer;
    return box.faults().tcp_shape == TcpShape::kRefuse ? Answer::kRefuse : Answer::kAccept;
  }

  std::shared_ptr<TcpEnd> Accept(std::shared_ptr<TcpConnection> connection, Ipv4 peer, uint16_t port) override;

  Lan& lan;
  Host& host;
  std::mutex mutex;
  Box box;
  std::vector<BoxRequest> requests;
  std::optional<uint64_t> watched_reboot_end;
  std::set<std::shared_ptr<Session>> sessions;
};

// The box's side of one TCP connection: the first 512 bytes are the request.
struct BoxNode::Core::Session final : TcpEnd, std::enable_shared_from_this<Session> {
  Session(Core& c, std::shared_ptr<TcpConnection> conn, std::string p)
      : core(c), connection(std::move(conn)), peer(std::move(p)) {}

  void OnBytes(const std::vector<uint8_t>& bytes) override {
    std::optional<Box::Bytes> reply;
    BoxFaults faults;
    {
      std::lock_guard<std::mutex> lock(core.mutex);
      if (answered) return;
      request.insert(request.end(), bytes.begin(), bytes.end());
      if (request.size() < 512) return;
      answered = true;
      request.resize(512);
      reply = core.box.HandleTcpRequest(request, Now(), peer);
      faults = core.box.faults();
    }
    if (!reply || faults.tcp_shape == TcpShape::kSilent) return;
    const uint32_t delay = faults.reply_delay_ms;
    using Side = TcpConnection::Side;
    auto piece = [&](size_t from, size_t to) {
      return Box::Bytes(reply->begin() + static_cast<std::ptrdiff_t>(from),
                        reply->begin() + static_cast<std::ptrdiff_t>(to));
    };
    switch (faults.tcp_shape) {
      case TcpShape::kChunks:
        connection->Send(Side::kServer, piece(0, 100), delay);
        connection->Send(Side::kServer, piece(100, 512), delay + faults.tcp_chunk_gap_ms);
        connection->Close(Side::kServer, delay + faults.tcp_chunk_gap_ms);
        break;
      case TcpShape::kCloseAfter300:
        connection->Send(Side::kServer, piece(0, 300), delay);
        connection->Close(Side::kServer, delay);
        break;
      case TcpShape::kDrip:
        for (size_t i = 0; i < reply->size(); ++i) {
          connection->Send(Side::kServer, piece(i, i + 1), delay + static_cast<uint32_t>(i) * faults.tcp_chunk_gap_ms);
        }
        connection->Close(Side::kServer, delay + static_cast<uint32_t>(reply->size() - 1) * faults.tcp_chunk_gap_ms);
        break;
      case TcpShape::kOversize600: {
        Box::Bytes longer = *reply;
        longer.resize(600, 0xEE);
        connection->Send(Side::kServer, std::move(longer), delay);
        connection->Close(Side::kServer, delay);
        break;
      }
      default:
        connection->Send(Side::kServer, *reply, delay);
        connection->Close(Side::kServer, delay);
        break;
    }
  }

  void OnPeerClosed() override {
    connection->Close(TcpConnection::kServer);
    std::lock_guard<std::mutex> lock(core.mutex);
    core.sessions.erase(shared_from_this());
  }

  Core& core;
  std::shared_ptr<TcpConnection> connection;
  const std::string peer;
  Box::Bytes request;
  bool answered = false;
};

std::shared_ptr<TcpEnd> BoxNode::Core::Accept(std::shared_ptr<TcpConnection> connection, Ipv4 peer, uint16_t port) {
  auto session = std::make_shared<Session>(*this, std::move(connection), Peer(peer, port));
  std::lock_guard<std::mutex> lock(mutex);
  sessions.insert(session);
  return session;
}

BoxNode::BoxNode(Lan& lan, const std::string& name, const std::string& segment, BoxConfig config) {
  Host& host = lan.AddHost(name);
  host.AddInterface(segment, config.address, config.mask, name + "-eth0");
  core_ = std::make_shared<Core>(lan, host, std::move(config));
  uint16_t port = kBoxUdpPort;
  lan.BindUdp(host, port, core_);
  lan.ListenTcp(host, kBoxTcpPort, core_);
}

Host& BoxNode::host() const { return core_->host; }

void BoxNode::WithBox(const std::function<void(Box&)>& f) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  f(core_->box);
}

std::vector<BoxRequest> BoxNode::Requests() {
  std::lock_guard<std::mutex> lock(core_->mutex);
  return core_->requests;
}

}  // namespace sim
