#pragma once

#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/sockets.h"
#include "platform/thread.h"
#include "sim/nas_sim/options.h"

namespace nas_sim {

// The boxes of one nas-sim run on the platform's (host) sockets. Each box answers unicast on its
// own address; broadcasts arrive on one socket bound to every address and every box answers them.
class Server {
 public:
  Server(Options options, std::FILE* log);
  ~Server();
  // Binds every socket and starts serving; throws std::runtime_error with a message for the
  // user when a port is taken or an address is not the host's.
  void Start();
  // Closes every socket (which wakes the serving threads) and waits for them.
  void Stop();

 private:
  struct Node;
  void ServeUdp(platform::SOCKET s, std::vector<Node*> nodes);
  void ServeTcp(Node& node);
  static std::optional<sim::ArrivalNetwork> ArrivalOf(const Node& node, platform::SOCKET connection);
  void Answer(Node& node, const std::vector<uint8_t>& request, const platform::SOCKADDR_IN& from);
  void Log(const std::string& box, const sim::BoxRequest& request);

  Options options_;
  std::FILE* log_;
  std::mutex log_mutex_;
  std::vector<std::unique_ptr<Node>> nodes_;
  std::mutex sockets_mutex_;
  std::vector<platform::SOCKET> sockets_;  // every open socket, closed by Stop
  std::vector<platform::Thread> threads_;
  uint64_t start_ms_ = 0;
};

}  // namespace nas_sim
