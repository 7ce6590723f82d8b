#include "sim/box/box.h"

#include <cstdio>

#include "platform/local_time.h"
#include "sim/box/box_wire.h"

namespace sim {
namespace w = box_wire;

namespace {

// The box's clock before anyone set it: 1 January 2024, 00:00:00, plus the time since start.
constexpr platform::LocalTime kBoxEpoch{2024, 1, 1, 0, 0, 0, 0, 1};

std::string MacText(const std::array<uint8_t, 6>& mac) {
  char text[13];
  std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
  return text;
}

// Record addresses are four bytes in network order: the first octet first.
void PutAddress(w::Bytes& b, size_t at, Ipv4 a) {
  for (size_t i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(a >> (24 - 8 * i));
}
Ipv4 AddressAt(std::span<const uint8_t> b, size_t at) {
  return static_cast<Ipv4>(b[at]) << 24 | static_cast<Ipv4>(b[at + 1]) << 16 | static_cast<Ipv4>(b[at + 2]) << 8 |
         b[at + 3];
}

// "MMDDhhmmCCYY.ss" to a local time; nullopt when the text is not one.
std::optional<platform::LocalTime> ParseDateTime(const std::string& t) {
  if (t.size() != 15 || t[12] != '.') return std::nullopt;
  for (size_t i = 0; i < 15; ++i) {
    if (i != 12 && (t[i] < '0' || t[i] > '9')) return std::nullopt;
  }
  auto n = [&](size_t at, size_t len) { return std::stoi(t.substr(at, len)); };
  platform::LocalTime lt;
  lt.month = n(0, 2);
  lt.day = n(2, 2);
  lt.hour = n(4, 2);
  lt.minute = n(6, 2);
  lt.year = n(8, 4);
  lt.second = n(13, 2);
  if (lt.month < 1 || lt.month > 12 || lt.day < 1 || lt.day > 31 || lt.hour > 23 || lt.minute > 59 || lt.second > 59 ||
      lt.year < 1970) {
    return std::nullopt;
  }
  return lt;
}

}  // namespace

Box::Box(BoxConfig config)
    : config_(std::move(config)), network_{config_.dhcp,    config_.address, config_.mask,
                                           config_.gateway, config_.dns1,    config_.dns2} {}

void Box::Settle(uint64_t now_ms) {
  if (!reboot_until_ || now_ms < *reboot_until_) return;
  reboot_until_.reset();
  if (config_.faults.never_return_after_reboot) {
    gone_ = true;
    return;
  }
  if (pending_) {
    const bool keep_address = pending_->dhcp;  // the DHCP server hands the box its old lease
    const Ipv4 address = network_.address;
    const Ipv4 mask = network_.mask;
    network_ = *pending_;
    if (keep_address) {
      network_.address = address;
      network_.mask = mask;
    }
    pending_.reset();
  }
  if (config_.faults.address_after_reboot) network_.address = *config_.faults.address_after_reboot;
}

bool Box::Online(uint64_t now_ms) {
  Settle(now_ms);
  return !gone_ && !reboot_until_;
}

Ipv4 Box::Address(uint64_t now_ms) {
  Settle(now_ms);
  return network_.address;
}

Ipv4 Box::Mask(uint64_t now_ms) {
  Settle(now_ms);
  return network_.mask;
}

std::string Box::DateTimeText(uint64_t now_ms) const {
  const platform::LocalTime t = platform::EpochMsToLocalTime(platform::LocalTimeToEpochMs(kBoxEpoch) +
                                                             static_cast<int64_t>(now_ms) + clock_offset_ms_);
  char text[32];
  std::snprintf(text, sizeof text, "%02d%02d%02d%02d%04d.%02d", t.month, t.day, t.hour, t.minute, t.year, t.second);
  return text;
}

bool Box::PasswordMatches(std::span<const uint8_t> request) const {
  return w::Text(request, w::kPassword, w::kPasswordSize) == config_.admin_password;
}

Box::Bytes Box::ReplyHeader(std::span<const uint8_t> request, uint16_t opcode, uint8_t error_class) const {
  Bytes reply(w::kPacketSize, 0);
  reply[w::kService] = w::kServiceId;
  reply[w::kDirection] = w::kReply;
  reply[w::kOpcode] = static_cast<uint8_t>(opcode);
  reply[w::kErrorClass] = error_class;
  // The transaction id and the MAC of the request come back as they were sent.
  for (size_t i = w::kTransaction; i < w::kPassword; ++i) reply[i] = request[i];
  return reply;
}

void Box::ApplyHeaderFaults(Bytes& reply) const {
  const BoxFaults& f = config_.faults;
  if (f.wrong_transaction_id) w::PutU32(reply, w::kTransaction, w::U32(reply, w::kTransaction) + 1);
  if (f.wrong_direction) reply[w::kDirection] = w::kRequest;
  if (f.wrong_mac) {
    for (size_t i = 0; i < 6; ++i) reply[w::kMac + i] = static_cast<uint8_t>(0xA0 + i);
  }
  if (f.error_class != 0) reply[w::kErrorClass] = f.error_class;
}

void Box::Report(BoxRequest& log, uint64_t now_ms) {
  log.time_ms = now_ms;
  if (observer_) observer_(log);
}

std::vector<Box::Bytes> Box::HandleDatagram(std::span<const uint8_t> request, uint64_t now_ms,
                                            const std::string& peer) {
  BoxRequest log;
  log.transport = "udp";
  log.peer = peer;
  std::vector<Bytes> out;
  auto ignore = [&](const char* why) {
    log.ignored = why;
    Report(log, now_ms);
    return out;
  };
  if (!Online(now_ms)) return ignore("rebooting");
  if (request.size() < w::kRequestHeaderSize) return ignore("shorter than a request header");
  if (request[w::kService] != w::kServiceId || request[w::kDirection] != w::kRequest) return ignore("not a request");
  log.opcode = w::U16(request, w::kOpcode);
  log.password = w::Text(request, w::kPassword, w::kPasswordSize);
  std::optional<Bytes> reply;
  if (log.opcode == w::kOpDiscovery) {
    reply = DiscoveryReply(request);
  } else if (log.opcode == w::kOpDiskCommand) {
    reply = DiskCommandReply(request, now_ms, log);
    if (!reply) return ignore("command text length beyond the packet");
  } else {
    return ignore("opcode not served on UDP");
  }
  if (config_.faults.silent) return ignore("silent");
  ApplyHeaderFaults(*reply);
  for (int i = 0; i <= config_.faults.duplicate_replies; ++i) out.push_back(*reply);
  Report(log, now_ms);
  return out;
}

Box::Bytes Box::DiscoveryReply(std::span<const uint8_t> request) {
  Bytes reply = ReplyHeader(request, w::kOpDiscovery, 0);
  w::PutText(reply, w::kDiscoveryHostName, 32, config_.host_name);
  w::PutText(reply, w::kDiscoveryFirmware, 32, config_.firmware_version);
  w::PutText(reply, w::kDiscoveryModel, 32, config_.model_name);
  reply[w::kDiscoveryMode] = config_.operation_mode;
  for (size_t i = 0; i < 6; ++i) reply[w::kDiscoveryMacBytes + i] = config_.mac[i];
  return reply;
}

std::optional<Box::Bytes> Box::DiskCommandReply(std::span<const uint8_t> request, uint64_t now_ms, BoxRequest& log) {
  if (request.size() < w::kCommandText) return std::nullopt;
  const size_t length = w::U16(request, w::kCommandLength);
  if (length > w::kCommandMax || w::kCommandText + length > request.size()) return std::nullopt;
  const std::string text = w::Text(request, w::kCommandText, length);
  log.fields.emplace_back("command", text);
  const uint16_t opcode = config_.faults.disk_reply_opcode_31 ? w::kOpDiscovery : w::kOpDiskCommand;
  if (!PasswordMatches(request)) {
    Bytes refused = ReplyHeader(request, opcode, w::kErrorPassword);
    return refused;
  }
  std::string answer = DiskCommand(text, now_ms);
  if (answer.size() > w::kReplyTextMax) answer.resize(w::kReplyTextMax);
  log.fields.emplace_back("answer", answer);
  Bytes reply = ReplyHeader(request, opcode, 0);
  w::PutU16(reply, w::kReplyTextLength, static_cast<uint16_t>(answer.size()));
  w::PutText(reply, w::kReplyText, answer.size(), answer);
  return reply;
}

std::string Box::DiskCommand(const std::string& text, uint64_t now_ms) {
  if (text == "GETRAIDSTATUS") {
    return config_.faults.unmatched_disk_status ? "READY" : config_.disks.StatusText(now_ms);
  }
  if (text.rfind("GETFORMATSTATUS", 0) == 0) {
    return config_.faults.damaged_disk ? "-1" : config_.disks.FormatStatusText(now_ms);
  }
  if (text.rfind("CREATE ", 0) == 0) return config_.disks.Create(text, now_ms, config_.format_duration_ms);
  if (text == "CREATEDEFAULTSHAREFOLDER") return config_.disks.HasFormattedVolume(now_ms) ? "OK" : "NO VOLUME";
  if (text == "REBOOT") {
    config_.disks.Reboot(now_ms);
    reboot_until_ = now_ms + config_.reboot_duration_ms;
    return "OK";
  }
  return "ERROR";
}

std::optional<Box::Bytes> Box::HandleTcpRequest(std::span<const uint8_t> request, uint64_t now_ms,
                                                const std::string& peer, const std::optional<ArrivalNetwork>& arrival) {
  BoxRequest log;
  log.transport = "tcp";
  log.peer = peer;
  auto ignore = [&](const char* why) -> std::optional<Bytes> {
    log.ignored = why;
    Report(log, now_ms);
    return std::nullopt;
  };
  if (!Online(now_ms)) return ignore("rebooting");
  if (request.size() < w::kRequestHeaderSize) return ignore("shorter than a request header");
  if (request[w::kService] != w::kServiceId || request[w::kDirection] != w::kRequest) return ignore("not a request");
  log.opcode = w::U16(request, w::kOpcode);
  log.password = w::Text(request, w::kPassword, w::kPasswordSize);
  Bytes reply;
  if (log.opcode != w::kOpProbe && log.opcode != w::kOpSettings) {
    reply = ReplyHeader(request, static_cast<uint16_t>(log.opcode), w::kErrorUnsupported);
  } else if (!PasswordMatches(request)) {
    reply = ReplyHeader(request, static_cast<uint16_t>(log.opcode), w::kErrorPassword);
  } else if (log.opcode == w::kOpProbe) {
    reply = ProbeReply(request);
  } else {
    if (request.size() < w::kRequestBody + w::kSettingsSize) return ignore("settings record cut short");
    reply = SettingsReply(request, now_ms, arrival, log);
  }
  if (config_.faults.silent) return ignore("silent");
  ApplyHeaderFaults(reply);
  Report(log, now_ms);
  return reply;
}

Box::Bytes Box::ProbeReply(std::span<const uint8_t> request) {
  Bytes reply = ReplyHeader(request, w::kOpProbe, 0);
  reply[w::kReplyBody + w::kProbeConfigured] = config_.configured_before ? 1 : 0;
  reply[w::kReplyBody + w::kProbeDhcp] = network_.dhcp ? 1 : 0;
  w::PutText(reply, w::kReplyBody + w::kProbeProductId, 32, config_.product_id);
  w::PutText(reply, w::kReplyBody + w::kProbeFirmware, 32, config_.firmware_version);
  return reply;
}

Box::Bytes Box::SettingsRecord(uint64_t now_ms, const std::optional<ArrivalNetwork>& arrival) const {
  Bytes r(w::kSettingsSize, 0);
  const Network& n = pending_ ? *pending_ : network_;
  Network shown = n;
  shown.address = n.dhcp ? network_.address : n.address;
  shown.mask = n.dhcp ? network_.mask : n.mask;
  // Without an address of its own the box has the network it was reached on, its DNS server
  // being the gateway, as a home router hands them out.
  if (shown.address == 0 && arrival)
    shown = Network{n.dhcp, arrival->address, arrival->mask, arrival->gateway, arrival->gateway, 0};
  r[w::kSetIpMode] = n.dhcp ? 0 : w::kIpModeFixed;
  w::PutText(r, w::kSetMacText, 12, MacText(config_.mac));
  w::PutText(r, w::kSetHostName, 64, config_.host_name);
  PutAddress(r, w::kSetAddress, shown.address);
  PutAddress(r, w::kSetMask, shown.mask);
  PutAddress(r, w::kSetGateway, shown.gateway);
  PutAddress(r, w::kSetDns1, shown.dns1);
  PutAddress(r, w::kSetDns2, shown.dns2);
  w::PutText(r, w::kSetTimeZone, 16, config_.time_zone);
  w::PutText(r, w::kSetUser, 40, "admin");
  w::PutText(r, w::kSetPassword, 40, config_.admin_password);
  w::PutText(r, w::kSetDateTime, 16, DateTimeText(now_ms));
  return r;
}

Box::Bytes Box::SettingsReply(std::span<const uint8_t> request, uint64_t now_ms,
                              const std::optional<ArrivalNetwork>& arrival, BoxRequest& log) {
  const std::span<const uint8_t> rec = request.subspan(w::kRequestBody, w::kSettingsSize);
  const uint8_t action = rec[w::kSetAction];
  if (action == w::kActionRead) {
    log.fields.emplace_back("action", "read");
  } else if (action == w::kActionWrite) {
    log.fields.emplace_back("action", "write");
    Network n;
    n.dhcp = rec[w::kSetIpMode] != w::kIpModeFixed;
    n.address = AddressAt(rec, w::kSetAddress);
    n.mask = AddressAt(rec, w::kSetMask);
    n.gateway = AddressAt(rec, w::kSetGateway);
    n.dns1 = AddressAt(rec, w::kSetDns1);
    n.dns2 = AddressAt(rec, w::kSetDns2);
    const std::string host = w::Text(rec, w::kSetHostName, 64);
    const std::string zone = w::Text(rec, w::kSetTimeZone, 16);
    const std::string user = w::Text(rec, w::kSetUser, 40);
    const std::string password = w::Text(rec, w::kSetPassword, 40);
    const std::string date_time = w::Text(rec, w::kSetDateTime, 16);
    log.fields.insert(log.fields.end(), {{"host_name", host},
                                         {"ip_mode", n.dhcp ? "dhcp" : "fixed"},
                                         {"address", FormatIpv4(n.address)},
                                         {"mask", FormatIpv4(n.mask)},
                                         {"gateway", FormatIpv4(n.gateway)},
                                         {"dns1", FormatIpv4(n.dns1)},
                                         {"dns2", FormatIpv4(n.dns2)},
                                         {"time_zone", zone},
                                         {"username", user},
                                         {"new_password", password},
                                         {"date_time", date_time}});
    // Name, password, time zone and clock take effect at once; the network after the reboot.
    config_.host_name = host;
    config_.admin_password = password;
    config_.time_zone = zone;
    config_.configured_before = true;
    if (const std::optional<platform::LocalTime> t = ParseDateTime(date_time)) {
      clock_offset_ms_ =
          platform::LocalTimeToEpochMs(*t) - platform::LocalTimeToEpochMs(kBoxEpoch) - static_cast<int64_t>(now_ms);
    }
    pending_ = n;
  } else {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", action);
    log.fields.emplace_back("action", text);
    return ReplyHeader(request, w::kOpSettings, w::kErrorUnsupported);
  }
  Bytes reply = ReplyHeader(request, w::kOpSettings, 0);
  const Bytes record = SettingsRecord(now_ms, arrival);
  std::copy(record.begin(), record.end(), reply.begin() + w::kReplyBody);
  reply[w::kReplyBody + w::kSetAction] = action;
  return reply;
}

}  // namespace sim
