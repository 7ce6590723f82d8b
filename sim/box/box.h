#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "sim/box/disks.h"
#include "sim/ipv4.h"

namespace sim {

// How the box side of a TCP connection behaves, for the transport to act out.
enum class TcpShape {
  kWhole,          // the reply in one piece, then close
  kRefuse,         // the connection is refused
  kSilent,         // accepted, never answered
  kChunks,         // 100 bytes, a pause (tcp_chunk_gap_ms), the other 412
  kCloseAfter300,  // 300 bytes, then close
  kOversize600,    // the reply and 88 bytes more
  kDrip,           // one byte at a time, tcp_chunk_gap_ms apart
};

// Fault switches for tests.
struct BoxFaults {
  bool silent = false;          // no reply at all (TCP: accepted, never answered)
  uint32_t reply_delay_ms = 0;  // every reply leaves this much later
  bool wrong_transaction_id = false;
  bool wrong_direction = false;        // replies carry 21
  bool wrong_mac = false;              // replies carry another MAC in the header
  uint8_t error_class = 0;             // 0x01, 0x02, 0x03 ... in byte 3 of every reply
  bool disk_reply_opcode_31 = false;   // disk-command replies carry opcode 31
  int duplicate_replies = 0;           // extra copies of every UDP reply
  bool unmatched_disk_status = false;  // GETRAIDSTATUS answers a text no grammar row matches
  bool damaged_disk = false;           // GETFORMATSTATUS answers -1
  bool never_return_after_reboot = false;
  std::optional<Ipv4> address_after_reboot{};  // come back at another address
  TcpShape tcp_shape = TcpShape::kWhole;
  uint32_t tcp_chunk_gap_ms = 50;  // the pause of kChunks, the gap between the bytes of kDrip
};

struct BoxConfig {
  std::string model_name = "NAS-220";
  std::array<uint8_t, 6> mac = {0x00, 0x11, 0x32, 0xAB, 0xCD, 0xEF};
  uint8_t operation_mode = 0;
  Ipv4 address = Ipv4Of("192.168.1.20");
  Ipv4 mask = Ipv4Of("255.255.255.0");
  Ipv4 gateway = Ipv4Of("192.168.1.1");
  Ipv4 dns1 = Ipv4Of("192.168.1.1");
  Ipv4 dns2 = 0;
  bool dhcp = true;
  std::string host_name = "NAS";
  std::string time_zone = "1";
  std::string admin_password;  // empty on a factory-fresh box
  bool configured_before = false;
  std::string product_id = "NAS-220";
  std::string firmware_version = "1.04.0012";
  Disks disks;
  uint32_t format_duration_ms = 20000;
  uint32_t reboot_duration_ms = 75000;
  BoxFaults faults;
};

// One request as the box understood it, for logs and tests.
struct BoxRequest {
  uint64_t time_ms = 0;
  std::string transport;  // "udp" or "tcp"
  std::string peer;       // "a.b.c.d:port"
  int opcode = -1;
  std::string password;                                     // the header's password text
  std::vector<std::pair<std::string, std::string>> fields;  // decoded request fields
  std::string ignored;                                      // why no reply was made, empty when answered
};

// The network a request came in on, as the host knows it; a box without an address of its own
// (nas-sim on every address of the host) reports it as the network it has from DHCP.
struct ArrivalNetwork {
  Ipv4 address = 0, mask = 0, gateway = 0;
};

// The box: the wizard's peer. It answers the requests on UDP 9999 (discovery, disk commands) and
// TCP 9998 (probe, settings) at a given time; it trusts no length or field of a request.
class Box {
 public:
  explicit Box(BoxConfig config);

  using Bytes = std::vector<uint8_t>;
  // A datagram on UDP 9999: the datagrams to send back to its source (none, one or duplicates).
  std::vector<Bytes> HandleDatagram(std::span<const uint8_t> request, uint64_t now_ms, const std::string& peer);
  // The first 512 bytes of a TCP connection: the reply, or nothing.
  std::optional<Bytes> HandleTcpRequest(std::span<const uint8_t> request, uint64_t now_ms, const std::string& peer,
                                        const std::optional<ArrivalNetwork>& arrival = std::nullopt);

  // False while the box reboots (and for good after a reboot it never comes back from).
  bool Online(uint64_t now_ms);
  // The address the box answers from at `now_ms` (a reboot may have moved it).
  Ipv4 Address(uint64_t now_ms);
  Ipv4 Mask(uint64_t now_ms);
  // When a reboot under way ends, so that the transport can move the box's address then.
  std::optional<uint64_t> RebootEndsAt() const { return reboot_until_; }

  BoxFaults& faults() { return config_.faults; }
  const BoxConfig& config() const { return config_; }
  Disks& disks() { return config_.disks; }
  // The box's clock as the settings record reports it ("MMDDhhmmCCYY.ss").
  std::string DateTimeText(uint64_t now_ms) const;

  void SetRequestObserver(std::function<void(const BoxRequest&)> observer) { observer_ = std::move(observer); }

 private:
  struct Network {
    bool dhcp;
    Ipv4 address, mask, gateway, dns1, dns2;
  };
  void Settle(uint64_t now_ms);
  bool PasswordMatches(std::span<const uint8_t> request) const;
  Bytes ReplyHeader(std::span<const uint8_t> request, uint16_t opcode, uint8_t error_class) const;
  void ApplyHeaderFaults(Bytes& reply) const;
  Bytes DiscoveryReply(std::span<const uint8_t> request);
  std::optional<Bytes> DiskCommandReply(std::span<const uint8_t> request, uint64_t now_ms, BoxRequest& log);
  Bytes ProbeReply(std::span<const uint8_t> request);
  Bytes SettingsReply(std::span<const uint8_t> request, uint64_t now_ms, const std::optional<ArrivalNetwork>& arrival,
                      BoxRequest& log);
  Bytes SettingsRecord(uint64_t now_ms, const std::optional<ArrivalNetwork>& arrival) const;
  std::string DiskCommand(const std::string& text, uint64_t now_ms);
  void Report(BoxRequest& log, uint64_t now_ms);

  BoxConfig config_;
  Network network_;                 // in force
  std::optional<Network> pending_;  // written, in force after the next reboot
  std::optional<uint64_t> reboot_until_;
  bool gone_ = false;            // rebooted and never came back
  int64_t clock_offset_ms_ = 0;  // box time = start time + now + offset
  std::function<void(const BoxRequest&)> observer_;
};

}  // namespace sim
