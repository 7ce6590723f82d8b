// One TCP exchange against a box that answers with any bytes, split into any pieces at any times
// and ended by a close, a reset or a stall. Whatever it sends, the exchange ends within 15 s of
// its first wait for the reply, hands on exactly the first 512 bytes when they all came by then,
// and otherwise fails with status 1; either way the handle is free and the socket closed.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <optional>

#include "check.h"
#include "link/codec.h"
#include "link/device_link_host.h"
#include "link/transport.h"
#include "platform/virtual_clock.h"
#include "scripted_tcp.h"

namespace {

using fuzz::Check;

class Host final : public DeviceLinkHost {
 public:
  bool isDiscoveryMode() override { return false; }
  int TcpCommandKind() override { return kind; }
  void SetGetNASInfoResult(int value) override { result = value; }
  std::string SelectedDeviceIp() override { return "192.168.1.20"; }
  void GetDeviceDiscoveryRes(const NasPacket&, const platform::SOCKADDR_IN&) override {}
  void GetRAIDCommnadRes(const NasPacket&, const platform::SOCKADDR_IN&) override {}
  bool process_EZPROBE_result() override { return Handle(); }
  bool process_QUICKGW_result() override { return Handle(); }
  bool Handle() {
    handed = TcpReplyBuffer();
    return true;
  }
  int kind = 0;
  int result = -1;
  std::optional<NasPacket> handed;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static platform::ScopedVirtualClock& clock = *new platform::ScopedVirtualClock();
  static fuzz::ScriptedTcpSockets& sockets = *new fuzz::ScriptedTcpSockets(platform::HostSockets());
  static Host& host = *new Host();
  static const bool installed = [] {
    platform::InstallSockets(&sockets);
    SetDeviceLinkHost(&host);
    return true;
  }();
  (void)clock;
  (void)installed;

  FuzzedDataProvider input(data, size);
  host.kind = input.ConsumeIntegralInRange<int>(0, 3);
  host.result = -1;
  host.handed.reset();
  sockets.Queue(fuzz::TcpScript::From(input));
  NasPacket request;
  BuildProbeRequest(request, NasMac{}, NasPassword{});

  const uint64_t start = platform::CurrentClock().NowMs();
  const bool accepted = sendTcpPacket(request.data(), static_cast<int>(request.size()));
  const uint64_t took = platform::CurrentClock().NowMs() - start;

  // What the box's script allows: the time its 512th byte came, and when its stream ended.
  const fuzz::TcpScript& played = sockets.LastPlayed();
  std::optional<uint64_t> whole_at;
  size_t count = 0;
  for (const fuzz::TcpScript::Piece& piece : played.pieces) {
    count += piece.bytes.size();
    if (count >= kNasPacketSize) {
      whole_at = piece.at_ms;
      break;
    }
  }
  const bool in_time = whole_at && *whole_at <= kTcpReplyTimeoutMs;
  const bool ends_early = played.end != fuzz::TcpScript::End::kStall && played.end_at_ms < kTcpReplyTimeoutMs;
  Check(took == (in_time ? *whole_at : ends_early ? played.end_at_ms : kTcpReplyTimeoutMs));
  Check(accepted == (in_time && host.kind < 3));
  Check(host.handed.has_value() == (in_time && host.kind < 3));
  if (host.handed) {
    const std::vector<uint8_t> stream = played.Stream();
    Check(std::equal(host.handed->begin(), host.handed->end(), stream.begin()));
  }
  Check(host.result == (in_time ? -1 : 1));
  Check(g_sockfd.load() == platform::INVALID_SOCKET);
  Check(sockets.OpenConnections() == 0);
  return 0;
}
