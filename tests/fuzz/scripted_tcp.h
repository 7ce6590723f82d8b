#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "forwarding_sockets.h"
#include "platform/clock.h"
#include "platform/sockets.h"

class FuzzedDataProvider;

namespace fuzz {

// What a box does on one TCP connection: the pieces of its reply, each at its time after the
// request arrived, then the end of the stream.
struct TcpScript {
  enum class End { kClose, kReset, kStall };
  struct Piece {
    uint64_t at_ms;
    std::vector<uint8_t> bytes;
  };
  std::vector<Piece> pieces;  // in order of time
  End end = End::kClose;
  uint64_t end_at_ms = 0;  // not before the last piece
  // The reply's header is made one that the request's check accepts (service and direction of a
  // reply, the request's transaction id, a zero MAC); its opcode and error class stay as given.
  bool answer_header = false;

  // A script from fuzz input: up to 16 pieces of up to 600 bytes, anywhere in 40 s.
  static TcpScript From(FuzzedDataProvider& input);
  // Every byte of the pieces, in order.
  std::vector<uint8_t> Stream() const;
};

// Sockets whose TCP connections are acted out from scripts (one per connection, in the order
// they connect), on the program's clock; every other socket is the underlying backend's. A
// connection without a script is refused.
class ScriptedTcpSockets final : public ForwardingSockets {
 public:
  explicit ScriptedTcpSockets(platform::Sockets& underlying) : ForwardingSockets(underlying) {}
  void Queue(TcpScript script);
  // Drops the scripts that no connection took.
  void ClearQueue();
  // The script of the last connection as it was played (with the header it answered).
  const TcpScript& LastPlayed() const { return last_played_; }
  // The scripts played since a script was last queued with nothing queued and no connection
  // open (a test's first), in order, as they were played.
  const std::vector<TcpScript>& Played() const { return played_; }
  size_t OpenConnections();

  platform::SOCKET Socket(int af, int type, int protocol) override;
  int Connect(platform::SOCKET s, const platform::SOCKADDR_IN& peer) override;
  int Send(platform::SOCKET s, const char* data, int length) override;
  int Recv(platform::SOCKET s, char* buffer, int length) override;
  int SelectReadable(platform::SOCKET s, std::optional<uint64_t> timeout_ms) override;
  int Close(platform::SOCKET s) override;
  // A scripted connection has no addresses (WSAEOPNOTSUPP); the wizard never asks for them.
  int LocalAddress(platform::SOCKET s, platform::SOCKADDR_IN* local) override;

 private:
  struct Connection {
    std::optional<TcpScript> script;  // from the connect on
    std::vector<uint8_t> request;
    std::optional<uint64_t> request_at;  // when the request was complete
    size_t piece = 0;                    // the next piece not yet read whole
    size_t offset = 0;                   // what of it was read
  };
  // The time the next thing to read arrives (a piece, or the end), none for a stall or before
  // the request.
  static std::optional<uint64_t> NextArrival(const Connection& c);
  bool Scripted(platform::SOCKET s);
  // Lets the clock run to `until`; without one, waits for good (the virtual clock reports such a
  // wait when nothing else can happen).
  void WaitUntil(std::optional<uint64_t> until);

  std::mutex mutex_;
  platform::CondVar nothing_{"a scripted box's time"};
  std::deque<TcpScript> queued_;
  std::unordered_map<platform::SOCKET, Connection> connections_;
  TcpScript last_played_;
  std::vector<TcpScript> played_;
};

}  // namespace fuzz
