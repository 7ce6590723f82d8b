#include "scripted_tcp.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

#include "link/wire.h"

namespace fuzz {
namespace {

int Fail(int error) {
  platform::SetLastSocketError(error);
  return platform::SOCKET_ERROR;
}

}  // namespace

TcpScript TcpScript::From(FuzzedDataProvider& input) {
  TcpScript script;
  script.answer_header = input.ConsumeBool();
  const size_t count = input.ConsumeIntegralInRange<size_t>(0, 16);
  uint64_t at = 0;
  for (size_t i = 0; i < count; ++i) {
    at += input.ConsumeIntegralInRange<uint32_t>(0, 20000);
    std::vector<uint8_t> bytes = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(1, 600));
    if (bytes.empty()) break;
    script.pieces.push_back({at, std::move(bytes)});
  }
  script.end = static_cast<End>(input.ConsumeIntegralInRange<int>(0, 2));
  script.end_at_ms = at + input.ConsumeIntegralInRange<uint32_t>(0, 20000);
  return script;
}

std::vector<uint8_t> TcpScript::Stream() const {
  std::vector<uint8_t> stream;
  for (const Piece& p : pieces) stream.insert(stream.end(), p.bytes.begin(), p.bytes.end());
  return stream;
}

void ScriptedTcpSockets::Queue(TcpScript script) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (queued_.empty() && connections_.empty()) played_.clear();
  queued_.push_back(std::move(script));
}

bool ScriptedTcpSockets::Scripted(platform::SOCKET s) {
  std::lock_guard<std::mutex> lock(mutex_);
  return connections_.count(s) != 0;
}

void ScriptedTcpSockets::ClearQueue() {
  std::lock_guard<std::mutex> lock(mutex_);
  queued_.clear();
}

platform::SOCKET ScriptedTcpSockets::Socket(int af, int type, int protocol) {
  if (type != platform::kSockStream) return ForwardingSockets::Socket(af, type, protocol);
  const platform::SOCKET s = platform::NewSocketHandle();
  std::lock_guard<std::mutex> lock(mutex_);
  connections_[s];
  return s;
}

int ScriptedTcpSockets::Connect(platform::SOCKET s, const platform::SOCKADDR_IN& peer) {
  // The underlying backend's calls may wait; they are made without the lock.
  if (!Scripted(s)) return ForwardingSockets::Connect(s, peer);
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = connections_.find(s);
  if (queued_.empty()) return Fail(platform::WSAECONNREFUSED);
  it->second.script = std::move(queued_.front());
  queued_.pop_front();
  return 0;
}

int ScriptedTcpSockets::Send(platform::SOCKET s, const char* data, int length) {
  if (!Scripted(s)) return ForwardingSockets::Send(s, data, length);
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = connections_.find(s);
  Connection& c = it->second;
  if (!c.script) return Fail(platform::WSAENOTCONN);
  c.request.insert(c.request.end(), data, data + length);
  if (!c.request_at && c.request.size() >= kNasPacketSize) {
    c.request_at = platform::CurrentClock().NowMs();
    if (c.script->answer_header) {
      NasPacket header{};
      header[nas_header::kServiceId] = kNasServiceId;
      header[nas_header::kDirection] = kNasDirectionReply;
      std::copy_n(c.request.begin() + nas_header::kTransactionId, 4, header.begin() + nas_header::kTransactionId);
      size_t at = 0;
      for (TcpScript::Piece& p : c.script->pieces) {
        for (size_t i = 0; i < p.bytes.size(); ++i, ++at) {
          const bool kept = at == nas_header::kOpcode || at == nas_header::kErrorClass;
          if (at < nas_header::kReplyPayload && !kept) p.bytes[i] = header[at];
        }
      }
    }
    last_played_ = *c.script;
    played_.push_back(last_played_);
  }
  return length;
}

std::optional<uint64_t> ScriptedTcpSockets::NextArrival(const Connection& c) {
  if (!c.script || !c.request_at) return std::nullopt;
  if (c.piece < c.script->pieces.size()) return *c.request_at + c.script->pieces[c.piece].at_ms;
  if (c.script->end == TcpScript::End::kStall) return std::nullopt;
  return *c.request_at + c.script->end_at_ms;
}

void ScriptedTcpSockets::WaitUntil(std::optional<uint64_t> until) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!until) nothing_.Wait(lock, [] { return false; });
  while (platform::CurrentClock().NowMs() < *until) nothing_.WaitUntil(lock, *until);
}

size_t ScriptedTcpSockets::OpenConnections() {
  std::lock_guard<std::mutex> lock(mutex_);
  return connections_.size();
}

int ScriptedTcpSockets::SelectReadable(platform::SOCKET s, std::optional<uint64_t> timeout_ms) {
  if (!Scripted(s)) return ForwardingSockets::SelectReadable(s, timeout_ms);
  std::optional<uint64_t> arrival;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    arrival = NextArrival(connections_.at(s));
  }
  const uint64_t now = platform::CurrentClock().NowMs();
  const std::optional<uint64_t> until = timeout_ms ? std::optional<uint64_t>(now + *timeout_ms) : std::nullopt;
  if (arrival && (!until || *arrival <= *until)) {
    WaitUntil(*arrival);
    return 1;
  }
  WaitUntil(until);
  return 0;
}

int ScriptedTcpSockets::Recv(platform::SOCKET s, char* buffer, int length) {
  if (!Scripted(s)) return ForwardingSockets::Recv(s, buffer, length);
  std::optional<uint64_t> arrival;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const Connection& c = connections_.at(s);
    if (!c.script) return Fail(platform::WSAENOTCONN);
    arrival = NextArrival(c);
  }
  // A blocking receive waits for what comes next.
  WaitUntil(arrival);
  std::lock_guard<std::mutex> lock(mutex_);
  Connection& c = connections_.at(s);
  if (c.piece == c.script->pieces.size()) {
    return c.script->end == TcpScript::End::kReset ? Fail(platform::WSAECONNRESET) : 0;
  }
  // Whatever has arrived by now, up to the buffer's length, as a stream gives it.
  const uint64_t now = platform::CurrentClock().NowMs();
  int taken = 0;
  while (taken < length && c.piece < c.script->pieces.size() &&
         *c.request_at + c.script->pieces[c.piece].at_ms <= now) {
    const std::vector<uint8_t>& bytes = c.script->pieces[c.piece].bytes;
    const size_t n = std::min(bytes.size() - c.offset, static_cast<size_t>(length - taken));
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(c.offset), n, buffer + taken);
    taken += static_cast<int>(n);
    c.offset += n;
    if (c.offset == bytes.size()) {
      ++c.piece;
      c.offset = 0;
    }
  }
  return taken;
}

int ScriptedTcpSockets::LocalAddress(platform::SOCKET s, platform::SOCKADDR_IN* local) {
  if (!Scripted(s)) return ForwardingSockets::LocalAddress(s, local);
  return Fail(platform::WSAEOPNOTSUPP);
}

int ScriptedTcpSockets::Close(platform::SOCKET s) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (connections_.erase(s) != 0) return 0;
  }
  return ForwardingSockets::Close(s);
}

}  // namespace fuzz
