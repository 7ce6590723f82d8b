// A program of another user of the PC that poses as a box: it sends discovery replies of a box
// named by its first argument from each address given after it (the loopback range, the PC's own
// addresses: all that a program can send from without privileges) to the wizard's port on that
// address, every 20 ms, until its standard input closes. It says "ready" once its sockets are
// bound.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "link/codec.h"
#include "sim/box/box.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  sim::BoxConfig config;
  config.model_name = argv[1];
  NasPacket request{};
  BuildDiscoveryRequest(request);
  const std::vector<uint8_t> reply = sim::Box(config).HandleDatagram(request, 0, "0.0.0.0:9999").at(0);
  struct Sender {
    int fd;
    sockaddr_in to;
  };
  std::vector<Sender> senders;
  for (int i = 2; i < argc; ++i) {
    sockaddr_in from{};
    from.sin_family = AF_INET;
    if (inet_pton(AF_INET, argv[i], &from.sin_addr) != 1) return 2;
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0) return 1;
    sockaddr_in to = from;
    to.sin_port = htons(9999);
    senders.push_back({fd, to});
  }
  std::printf("ready\n");
  std::fflush(stdout);
  for (;;) {
    pollfd in{0, POLLIN, 0};
    if (poll(&in, 1, 20) != 0) break;  // standard input closed (or readable): done
    for (const Sender& s : senders) {
      sendto(s.fd, reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr*>(&s.to), sizeof s.to);
    }
  }
  for (const Sender& s : senders) close(s.fd);
  return 0;
}
