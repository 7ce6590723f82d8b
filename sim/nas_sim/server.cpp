#include "sim/nas_sim/server.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "platform/clock.h"
#include "platform/host_network.h"

namespace nas_sim {
namespace {

platform::SOCKADDR_IN Address(sim::Ipv4 address, uint16_t port) {
  platform::SOCKADDR_IN a;
  a.sin_family = platform::kAfInet;
  a.sin_port = platform::Htons(port);
  a.sin_addr.s_addr = platform::Htonl(address);
  return a;
}

std::string Text(const platform::SOCKADDR_IN& a) {
  return std::string(platform::inet_ntoa(a.sin_addr)) + ":" + std::to_string(platform::Ntohs(a.sin_port));
}

std::string TimeText() {
  const platform::LocalTime t = platform::GetLocalTime();
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute,
                t.second, t.milliseconds);
  return text;
}

}  // namespace

struct Server::Node {
  BoxSetup setup;
  std::mutex mutex;
  std::unique_ptr<sim::Box> box;
  platform::SOCKET udp = platform::INVALID_SOCKET;  // replies leave from here
  platform::SOCKET tcp = platform::INVALID_SOCKET;
};

Server::Server(Options options, std::FILE* log) : options_(std::move(options)), log_(log) {}

Server::~Server() { Stop(); }

void Server::Log(const std::string& box, const sim::BoxRequest& r) {
  nlohmann::json line = {{"time", TimeText()}, {"box", box},         {"transport", r.transport},
                         {"peer", r.peer},     {"opcode", r.opcode}, {"password", r.password}};
  nlohmann::json fields = nlohmann::json::object();
  for (const auto& [name, value] : r.fields) fields[name] = value;
  line["fields"] = fields;
  if (!r.ignored.empty()) line["ignored"] = r.ignored;
  const std::string text = line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  std::lock_guard<std::mutex> lock(log_mutex_);
  std::fputs(text.c_str(), log_);
  std::fflush(log_);
}

void Server::Start() {
  start_ms_ = platform::CurrentClock().NowMs();
  const bool several = options_.boxes.size() > 1;
  auto open = [&](int type, sim::Ipv4 address, uint16_t port, bool reuse, const char* what) {
    const platform::SOCKET s =
        platform::socket(platform::kAfInet, type, type == platform::kSockStream ? platform::kIpprotoTcp : 0);
    if (s == platform::INVALID_SOCKET) throw std::runtime_error("cannot create a socket");
    {
      std::lock_guard<std::mutex> lock(sockets_mutex_);
      sockets_.push_back(s);
    }
    const int on = 1;
    if (reuse) platform::setsockopt(s, platform::kSolSocket, platform::kSoReuseAddr, &on, sizeof on);
    if (type == platform::kSockDgram)
      platform::setsockopt(s, platform::kSolSocket, platform::kSoBroadcast, &on, sizeof on);
    const platform::SOCKADDR_IN a = Address(address, port);
    if (platform::bind(s, &a, sizeof a) != 0 || (type == platform::kSockStream && platform::listen(s, 8) != 0)) {
      const int error = platform::WSAGetLastError();
      const std::string where = std::string(what) + " port " + std::to_string(port) + " on " + sim::FormatIpv4(address);
      if (error == platform::WSAEADDRINUSE) throw std::runtime_error(where + " is already in use");
      if (error == platform::WSAEADDRNOTAVAIL) {
        throw std::runtime_error(sim::FormatIpv4(address) + " is not an address of this host");
      }
      throw std::runtime_error("cannot bind " + where + " (error " + std::to_string(error) + ")");
    }
    return s;
  };
  std::vector<Node*> everyone;
  for (BoxSetup& setup : options_.boxes) {
    auto node = std::make_unique<Node>();
    node->setup = setup;
    node->box = std::make_unique<sim::Box>(setup.config);
    node->box->SetRequestObserver([this, name = setup.name](const sim::BoxRequest& r) { Log(name, r); });
    // With several boxes each binds its own address beside the shared broadcast socket, which
    // needs the address to be shared; a single box binds every address alone, so that a second
    // program on the same port is told at once.
    node->udp = open(platform::kSockDgram, setup.config.address, 9999, several, "UDP");
    if (setup.config.faults.tcp_shape != sim::TcpShape::kRefuse) {
      node->tcp = open(platform::kSockStream, setup.config.address, 9998, false, "TCP");
    }
    everyone.push_back(node.get());
    nodes_.push_back(std::move(node));
  }
  for (auto& node : nodes_) {
    Node* n = node.get();
    threads_.emplace_back("udp " + n->setup.name, [this, n] { ServeUdp(n->udp, {n}); });
    if (n->tcp != platform::INVALID_SOCKET) threads_.emplace_back("tcp " + n->setup.name, [this, n] { ServeTcp(*n); });
  }
  if (several) {
    const platform::SOCKET broadcasts = open(platform::kSockDgram, 0, 9999, true, "UDP");
    threads_.emplace_back("udp broadcast", [this, broadcasts, everyone] { ServeUdp(broadcasts, everyone); });
  }
}

void Server::Stop() {
  std::vector<platform::SOCKET> open;
  {
    std::lock_guard<std::mutex> lock(sockets_mutex_);
    open.swap(sockets_);
  }
  for (platform::SOCKET s : open) platform::closesocket(s);
  for (platform::Thread& t : threads_) t.Join();
  threads_.clear();
}

void Server::Answer(Node& node, const std::vector<uint8_t>& request, const platform::SOCKADDR_IN& from) {
  std::vector<std::vector<uint8_t>> replies;
  uint32_t delay;
  {
    std::lock_guard<std::mutex> lock(node.mutex);
    replies = node.box->HandleDatagram(request, platform::CurrentClock().NowMs() - start_ms_, Text(from));
    delay = node.box->faults().reply_delay_ms;
  }
  if (delay != 0 && !replies.empty()) platform::Sleep(delay);
  for (const std::vector<uint8_t>& reply : replies) {
    platform::sendto(node.udp, reinterpret_cast<const char*>(reply.data()), static_cast<int>(reply.size()), 0, &from,
                     sizeof from);
  }
}

void Server::ServeUdp(platform::SOCKET s, std::vector<Node*> nodes) {
  std::vector<uint8_t> buffer(2048);
  for (;;) {
    if (platform::select(s, nullptr) != 1) return;
    platform::SOCKADDR_IN from;
    int from_length = sizeof from;
    const int n = platform::recvfrom(s, reinterpret_cast<char*>(buffer.data()), static_cast<int>(buffer.size()), 0,
                                     &from, &from_length);
    if (n == platform::SOCKET_ERROR) {
      if (platform::WSAGetLastError() == platform::WSAEMSGSIZE) continue;
      return;
    }
    const std::vector<uint8_t> request(buffer.begin(), buffer.begin() + n);
    for (Node* node : nodes) Answer(*node, request, from);
  }
}

std::optional<sim::ArrivalNetwork> Server::ArrivalOf(const Node& node, platform::SOCKET connection) {
  // A box on every address of the host is reached on the address the peer connected to, with
  // that address's network; a box on an address of its own has its own settings.
  if (node.setup.config.address != 0) return std::nullopt;
  platform::SOCKADDR_IN local;
  int length = sizeof local;
  if (platform::getsockname(connection, &local, &length) != 0) return std::nullopt;
  const std::optional<platform::HostNetwork> n = platform::HostNetworkOf(platform::Ntohl(local.sin_addr.s_addr));
  if (!n) return std::nullopt;
  return sim::ArrivalNetwork{n->address, n->mask, n->gateway};
}

void Server::ServeTcp(Node& node) {
  for (;;) {
    platform::SOCKADDR_IN peer;
    int peer_length = sizeof peer;
    const platform::SOCKET c = platform::accept(node.tcp, &peer, &peer_length);
    if (c == platform::INVALID_SOCKET) return;
    {
      std::lock_guard<std::mutex> lock(sockets_mutex_);
      sockets_.push_back(c);  // so that Stop wakes a connection in progress too
    }
    std::vector<uint8_t> request;
    char piece[512];
    while (request.size() < 512) {
      const platform::TIMEVAL tv{15, 0};
      if (platform::select(c, &tv) != 1) break;
      const int n = platform::recv(c, piece, static_cast<int>(512 - request.size()), 0);
      if (n <= 0) break;
      request.insert(request.end(), piece, piece + n);
    }
    std::optional<std::vector<uint8_t>> reply;
    sim::BoxFaults faults;
    if (request.size() == 512) {
      const std::optional<sim::ArrivalNetwork> arrival = ArrivalOf(node, c);
      std::lock_guard<std::mutex> lock(node.mutex);
      reply = node.box->HandleTcpRequest(request, platform::CurrentClock().NowMs() - start_ms_, Text(peer), arrival);
      faults = node.box->faults();
    }
    if (reply && faults.reply_delay_ms) platform::Sleep(faults.reply_delay_ms);
    auto send = [&](size_t from, size_t to) {
      return platform::send(c, reinterpret_cast<const char*>(reply->data() + from), static_cast<int>(to - from), 0);
    };
    if (reply) {
      switch (faults.tcp_shape) {
        case sim::TcpShape::kSilent: {
          // Held open until the wizard gives up and closes, or a minute passes.
          const platform::TIMEVAL tv{60, 0};
          platform::select(c, &tv);
          break;
        }
        case sim::TcpShape::kChunks:
          send(0, 100);
          platform::Sleep(faults.tcp_chunk_gap_ms);
          send(100, 512);
          break;
        case sim::TcpShape::kCloseAfter300:
          send(0, 300);
          break;
        case sim::TcpShape::kDrip:
          // Until the whole reply is out or the peer has gone (or Stop closed the socket).
          for (size_t i = 0; i < reply->size(); ++i) {
            if (i > 0) platform::Sleep(faults.tcp_chunk_gap_ms);
            if (send(i, i + 1) == platform::SOCKET_ERROR) break;
          }
          break;
        case sim::TcpShape::kOversize600:
          reply->resize(600, 0xEE);
          send(0, 600);
          break;
        default:
          send(0, reply->size());
          break;
      }
    }
    std::lock_guard<std::mutex> lock(sockets_mutex_);
    const auto it = std::find(sockets_.begin(), sockets_.end(), c);
    if (it != sockets_.end()) {  // not yet closed by Stop
      sockets_.erase(it);
      platform::closesocket(c);
    }
  }
}

}  // namespace nas_sim
