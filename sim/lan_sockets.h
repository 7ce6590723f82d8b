#pragma once

#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/sockets.h"
#include "sim/call_faults.h"
#include "sim/lan.h"

namespace sim {

// The calls of LanSockets that a test can make fail.
enum class SocketCall { kSocket, kSetOption, kBind, kConnect, kSend, kRecv, kSendTo, kRecvFrom, kSelect };

// The sockets of one host of the simulated LAN (the PC): UDP with broadcast, TCP clients. Every
// wait is a wait on the program's clock. Servers on the LAN are its listeners (the boxes), so
// listen and accept are not offered here (WSAEOPNOTSUPP), nor connect on a UDP socket. A test can
// make chosen calls fail with an error of its choosing.
class LanSockets final : public platform::Sockets {
 public:
  explicit LanSockets(Host& host);
  ~LanSockets() override;

  platform::SOCKET Socket(int af, int type, int protocol) override;
  int SetOption(platform::SOCKET s, int level, int name, int value) override;
  int Bind(platform::SOCKET s, const platform::SOCKADDR_IN& address) override;
  int Listen(platform::SOCKET s, int backlog) override;
  platform::SOCKET Accept(platform::SOCKET s, platform::SOCKADDR_IN* peer) override;
  int Connect(platform::SOCKET s, const platform::SOCKADDR_IN& peer) override;
  int Send(platform::SOCKET s, const char* data, int length) override;
  int Recv(platform::SOCKET s, char* buffer, int length) override;
  int SendTo(platform::SOCKET s, const char* data, int length, const platform::SOCKADDR_IN& to) override;
  int RecvFrom(platform::SOCKET s, char* buffer, int length, platform::SOCKADDR_IN* from) override;
  int SelectReadable(platform::SOCKET s, std::optional<uint64_t> timeout_ms) override;
  int Close(platform::SOCKET s) override;
  int LocalAddress(platform::SOCKET s, platform::SOCKADDR_IN* local) override;

  // Sockets created and not yet closed.
  size_t OpenSockets();
  // The call fails with `error` (a WSAGetLastError number) from its (succeed + 1)-th time on,
  // before it looks at its socket; error 0 lets it succeed again.
  void Fail(SocketCall call, int error, unsigned succeed = 0) { faults_.Fail(call, error, succeed); }

 private:
  struct SimSocket;
  std::shared_ptr<SimSocket> Find(platform::SOCKET s);

  Host& host_;
  // Shared with the sockets, which the LAN may still hold after this object is gone.
  std::shared_ptr<std::mutex> mutex_;
  std::unordered_map<platform::SOCKET, std::shared_ptr<SimSocket>> sockets_;
  CallFaults<SocketCall, int> faults_;
};

}  // namespace sim
