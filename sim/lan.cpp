#include "sim/lan.h"

#include <algorithm>

#include "platform/sockets.h"

namespace sim {

size_t Host::AddInterface(const std::string& segment, Ipv4 address, Ipv4 mask, const std::string& adapter) {
  std::lock_guard<std::mutex> lock(lan_.mutex());
  const std::string name = adapter.empty() ? name_ + "-eth" + std::to_string(interfaces_.size()) : adapter;
  interfaces_.push_back({segment, address, mask, name});
  return interfaces_.size() - 1;
}

void Host::AddAdapterWithoutAddress(const std::string& adapter) {
  std::lock_guard<std::mutex> lock(lan_.mutex());
  bare_adapters_.push_back(adapter);
}

void Host::SetInterfaceAddress(size_t index, Ipv4 address, Ipv4 mask) {
  std::lock_guard<std::mutex> lock(lan_.mutex());
  interfaces_.at(index).address = address;
  interfaces_.at(index).mask = mask;
}

std::vector<Interface> Host::Interfaces() const {
  std::lock_guard<std::mutex> lock(lan_.mutex());
  return interfaces_;
}

std::vector<std::string> Host::AddressLessAdapters() const {
  std::lock_guard<std::mutex> lock(lan_.mutex());
  return bare_adapters_;
}

void Host::SetLink(LinkConditions conditions) {
  std::lock_guard<std::mutex> lock(lan_.mutex());
  link_ = conditions;
}

void TcpConnection::Send(Side side, std::vector<uint8_t> bytes, uint32_t extra_delay_ms) {
  std::lock_guard<std::mutex> lock(lan_.mutex_);
  if (closed_[side]) return;
  const uint64_t now = platform::CurrentClock().NowMs();
  const uint64_t at =
      std::max(now + hosts_[0]->link_.delay_ms + hosts_[1]->link_.delay_ms + extra_delay_ms, last_arrival_[side]);
  last_arrival_[side] = at;
  const Side other = side == kClient ? kServer : kClient;
  lan_.ScheduleLocked(at, [self = shared_from_this(), other, bytes = std::move(bytes)] {
    if (std::shared_ptr<TcpEnd> end = self->ends_[other].lock()) end->OnBytes(bytes);
  });
}

void TcpConnection::Close(Side side, uint32_t extra_delay_ms) {
  std::lock_guard<std::mutex> lock(lan_.mutex_);
  if (closed_[side]) return;
  closed_[side] = true;
  const uint64_t now = platform::CurrentClock().NowMs();
  const uint64_t at =
      std::max(now + hosts_[0]->link_.delay_ms + hosts_[1]->link_.delay_ms + extra_delay_ms, last_arrival_[side]);
  last_arrival_[side] = at;
  const Side other = side == kClient ? kServer : kClient;
  lan_.ScheduleLocked(at, [self = shared_from_this(), other] {
    if (std::shared_ptr<TcpEnd> end = self->ends_[other].lock()) end->OnPeerClosed();
  });
}

Lan::Lan(uint32_t seed) : random_(seed) {
  thread_.emplace("lan", [this] { Run(); });
}

Lan::~Lan() { Stop(); }

void Lan::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
    wake_.NotifyAll();
  }
  thread_->Join();
  // Events hold what they deliver to; they go now, while every host still stands.
  std::lock_guard<std::mutex> lock(mutex_);
  while (!events_.empty()) events_.pop();
}

Host& Lan::AddHost(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  hosts_.push_back(std::unique_ptr<Host>(new Host(*this, name)));
  return *hosts_.back();
}

void Lan::After(uint64_t delay_ms, std::function<void()> event) {
  std::lock_guard<std::mutex> lock(mutex_);
  ScheduleLocked(platform::CurrentClock().NowMs() + delay_ms, std::move(event));
}

void Lan::ScheduleLocked(uint64_t at, std::function<void()> event) {
  if (stopping_) return;
  events_.push(Event{at, seq_++, std::move(event)});
  wake_.NotifyAll();
}

void Lan::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    if (events_.empty()) {
      wake_.Wait(lock);
      continue;
    }
    const uint64_t at = events_.top().at;
    if (at > platform::CurrentClock().NowMs()) {
      wake_.WaitUntil(lock, at);
      continue;
    }
    std::function<void()> run = std::move(const_cast<Event&>(events_.top()).run);
    events_.pop();
    lock.unlock();
    run();
    run = nullptr;
    lock.lock();
  }
}

bool Lan::BindUdp(Host& host, uint16_t& port, std::shared_ptr<UdpEndpoint> endpoint) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (port == 0) {
    for (int tries = 0; tries < 16384 && port == 0; ++tries) {
      const uint16_t candidate = host.next_ephemeral_;
      host.next_ephemeral_ = candidate == 65535 ? 49152 : static_cast<uint16_t>(candidate + 1);
      if (!host.udp_.count(candidate)) port = candidate;
    }
    if (port == 0) return false;
  } else if (host.udp_.count(port)) {
    return false;
  }
  host.udp_[port] = std::move(endpoint);
  return true;
}

void Lan::UnbindUdp(Host& host, uint16_t port, const UdpEndpoint* endpoint) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = host.udp_.find(port);
  if (it != host.udp_.end() && it->second.get() == endpoint) host.udp_.erase(it);
}

bool Lan::IsBroadcastFor(Host& host, Ipv4 to) {
  if (to == 0xFFFFFFFFu) return true;
  std::lock_guard<std::mutex> lock(mutex_);
  for (const Interface& i : host.interfaces_) {
    if (i.mask != 0xFFFFFFFFu && SubnetBroadcast(i.address, i.mask) == to) return true;
  }
  return false;
}

Host* Lan::HostWithAddressLocked(const std::string& segment, Ipv4 address) {
  for (const auto& h : hosts_) {
    for (const Interface& i : h->interfaces_) {
      if (i.segment == segment && i.address == address) return h.get();
    }
  }
  return nullptr;
}

const Interface* Lan::RouteLocked(Host& host, Ipv4 to) {
  for (const Interface& i : host.interfaces_) {
    if (SameSubnet(i.address, to, i.mask)) return &i;
  }
  // No subnet of the host holds it: out through the first interface, the default route.
  return host.interfaces_.empty() ? nullptr : &host.interfaces_.front();
}

bool Lan::ChanceLocked(double p) {
  if (p <= 0) return false;
  return std::uniform_real_distribution<double>(0.0, 1.0)(random_) < p;
}

uint32_t Lan::JitterLocked(uint32_t max) {
  if (max == 0) return 0;
  return std::uniform_int_distribution<uint32_t>(0, max)(random_);
}

void Lan::DeliverLocked(Host& from, Host& to, Datagram datagram, bool loopback) {
  int copies = 1;
  if (!loopback) {
    if (ChanceLocked(from.link_.loss) || ChanceLocked(to.link_.loss)) return;
    if (ChanceLocked(from.link_.duplication) || ChanceLocked(to.link_.duplication)) copies = 2;
  }
  const uint64_t now = platform::CurrentClock().NowMs();
  for (int c = 0; c < copies; ++c) {
    const uint64_t delay =
        loopback ? 0
                 : from.link_.delay_ms + to.link_.delay_ms + JitterLocked(from.link_.jitter_ms + to.link_.jitter_ms);
    ScheduleLocked(now + delay, [this, host = &to, datagram] {
      std::shared_ptr<UdpEndpoint> endpoint;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = host->udp_.find(datagram.to_port);
        if (it != host->udp_.end()) endpoint = it->second;
      }
      if (endpoint) endpoint->Deliver(datagram);
    });
  }
}

bool Lan::SendDatagram(Host& host, uint16_t from_port, Ipv4 to, uint16_t to_port, std::vector<uint8_t> bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (host.interfaces_.empty()) return false;
  std::vector<Host*> targets;
  auto add = [&](Host* h) {
    if (h != &host && std::find(targets.begin(), targets.end(), h) == targets.end()) targets.push_back(h);
  };
  const Interface* out = nullptr;
  bool loopback = false;
  if (to == 0xFFFFFFFFu) {
    // The limited broadcast leaves on the first interface only and reaches its whole wire.
    out = &host.interfaces_.front();
    for (const auto& h : hosts_) {
      for (const Interface& i : h->interfaces_) {
        if (i.segment == out->segment) add(h.get());
      }
    }
    loopback = true;
  } else {
    for (const Interface& i : host.interfaces_) {
      if (i.mask != 0xFFFFFFFFu && SubnetBroadcast(i.address, i.mask) == to) out = &i;
    }
    if (out != nullptr) {
      // A subnet-directed broadcast reaches the hosts of that subnet on the interface's wire.
      for (const auto& h : hosts_) {
        for (const Interface& i : h->interfaces_) {
          if (i.segment == out->segment && SubnetBroadcast(i.address, i.mask) == to) add(h.get());
        }
      }
      loopback = true;
    } else {
      for (const Interface& i : host.interfaces_) {
        if (i.address == to) {
          out = &i;
          loopback = true;
        }
      }
      if (out == nullptr) {
        out = RouteLocked(host, to);
        if (Host* h = HostWithAddressLocked(out->segment, to)) add(h);
      }
    }
  }
  Datagram datagram{out->address, from_port, to, to_port, std::move(bytes)};
  for (Host* h : targets) DeliverLocked(host, *h, datagram, false);
  if (loopback) DeliverLocked(host, host, datagram, true);
  return true;
}

void Lan::ListenTcp(Host& host, uint16_t port, std::shared_ptr<TcpListener> listener) {
  std::lock_guard<std::mutex> lock(mutex_);
  host.tcp_[port] = std::move(listener);
}

void Lan::Connect(Host& host, std::shared_ptr<TcpEnd> client, Ipv4 to, uint16_t to_port,
                  std::function<void(std::shared_ptr<TcpConnection>, Ipv4, uint16_t, int)> done) {
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t now = platform::CurrentClock().NowMs();
  const Interface* out = RouteLocked(host, to);
  if (out == nullptr) {
    ScheduleLocked(now, [done] { done(nullptr, 0, 0, platform::WSAENETUNREACH); });
    return;
  }
  // A request that nobody answers is never answered: the connecting socket gives up by itself.
  Host* server = HostWithAddressLocked(out->segment, to);
  if (server == nullptr) return;
  uint16_t local_port = host.next_ephemeral_;
  host.next_ephemeral_ = local_port == 65535 ? 49152 : static_cast<uint16_t>(local_port + 1);
  const uint64_t one_way = host.link_.delay_ms + server->link_.delay_ms;
  const Ipv4 source = out->address;
  // The connection request reaches the server after one way; its answer comes back after another.
  ScheduleLocked(now + one_way, [this, &host, server, client, to_port, done, one_way, local_port, source] {
    std::shared_ptr<TcpListener> listener;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = server->tcp_.find(to_port);
      if (it != server->tcp_.end()) listener = it->second;
    }
    const TcpListener::Answer answer = listener ? listener->OnConnect() : TcpListener::Answer::kRefuse;
    if (answer == TcpListener::Answer::kNoAnswer) return;
    if (answer == TcpListener::Answer::kRefuse) {
      After(one_way, [done] { done(nullptr, 0, 0, platform::WSAECONNREFUSED); });
      return;
    }
    std::shared_ptr<TcpConnection> connection(new TcpConnection(*this, host, *server));
    connection->ends_[TcpConnection::kClient] = client;
    connection->ends_[TcpConnection::kServer] = listener->Accept(connection, source, local_port);
    After(one_way, [done, connection, source, local_port] { done(connection, source, local_port, 0); });
  });
}

}  // namespace sim
