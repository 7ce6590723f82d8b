#include "link/disk_command.h"

#include <algorithm>
#include <atomic>
#include <limits>

namespace {

// Commands are sent from the main thread or the apply thread, one at a time.
std::atomic<int32_t> g_sequence{0};

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

int32_t FileSystemOf(std::string_view word, int32_t kept) {
  if (word == "EXT2") return 2;
  if (word == "EXT3") return 3;
  return kept;
}

}  // namespace

int32_t NextDiskCommandSequence() {
  int32_t value = g_sequence.load(std::memory_order_relaxed);
  if (value < 0) value = 0;
  const int32_t next = value == std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::min() : value + 1;
  g_sequence.store(next, std::memory_order_relaxed);
  return value;
}

void SetDiskCommandSequenceForTest(int32_t value) { g_sequence.store(value, std::memory_order_relaxed); }

void BuildDiskCommandPacket(NasPacket& packet, int32_t sequence, const NasPassword& password, std::string_view text) {
  packet.fill(0);
  packet[nas_header::kServiceId] = kNasServiceId;
  packet[nas_header::kDirection] = kNasDirectionRequest;
  WriteU16(&packet[nas_header::kOpcode], NAS_OPCODE_DISK_COMMAND);
  WriteU32(&packet[nas_header::kTransactionId], static_cast<uint32_t>(sequence));
  // The password is copied up to its terminator; the rest of the field stays zero.
  for (size_t i = 0; i < password.size() && password[i] != 0; ++i) {
    packet[nas_header::kPassword + i] = static_cast<uint8_t>(password[i]);
  }
  const size_t length = std::min(text.size(), kNasPacketSize - disk_command::kRequestText);
  WriteU16(&packet[disk_command::kRequestLength], static_cast<uint16_t>(length));
  std::copy_n(text.begin(), length, packet.begin() + disk_command::kRequestText);
}

bool ParseDiskCommandReply(const NasPacket& reply, std::string& text) {
  const uint16_t opcode = ReadU16(&reply[nas_header::kOpcode]);
  if (reply[nas_header::kServiceId] != kNasServiceId || reply[nas_header::kDirection] != kNasDirectionReply ||
      (opcode != NAS_OPCODE_DISK_COMMAND && opcode != NAS_OPCODE_DISCOVERY)) {
    return false;
  }
  // A longer length field is cut to the 420 bytes that a reply text can hold.
  const size_t length = std::min<size_t>(ReadU16(&reply[disk_command::kReplyLength]), disk_command::kMaxReplyText);
  text.clear();
  for (size_t i = 0; i < length && reply[disk_command::kReplyText + i] != 0; ++i) {
    text.push_back(static_cast<char>(reply[disk_command::kReplyText + i]));
  }
  return true;
}

std::optional<std::string> CreateCommandText(int32_t disk_amount, int32_t disk1_file_system, RaidLevel level,
                                             bool ext3) {
  const std::string fs = ext3 ? "EXT3" : "EXT2";
  if (disk_amount == 1) return std::string(disk1_file_system != 0 ? "CREATE STANDARD 1 " : "CREATE STANDARD 2 ") + fs;
  if (disk_amount != 2) return std::nullopt;
  switch (level) {
    case RaidLevel::kStandard:
      return "CREATE STANDARD ALL " + fs;
    case RaidLevel::kJbod:
      return "CREATE JBOD ALL " + fs;
    case RaidLevel::kRaid0:
      return "CREATE RAID0 ALL " + fs;
    case RaidLevel::kRaid1:
      return "CREATE RAID1 ALL " + fs;
    case RaidLevel::kNone:
      break;
  }
  return std::nullopt;
}

std::optional<std::string> ParseDiskStatus(std::string_view reply, NasDiskLayout& layout) {
  const std::string t = Upper(reply);
  const size_t space = t.find(' ');
  const std::string w1 = space == std::string::npos ? std::string() : t.substr(0, space);
  const std::string w2 = space == std::string::npos ? t : t.substr(space + 1);
  const size_t underscore = w2.find('_');
  const std::string front = underscore == std::string::npos ? std::string() : w2.substr(0, underscore);
  std::string back = underscore == std::string::npos ? w2 : w2.substr(underscore + 1);
  // The back is cut to (length of W2 minus the 1-based position of its first space, 0 when it
  // has none) characters.
  const size_t w2_space = w2.find(' ');
  const size_t limit = w2.size() - (w2_space == std::string::npos ? 0 : w2_space + 1);
  if (back.size() > limit) back.resize(limit);
  const int32_t f = w2 == "EXT2" ? 2 : 3;

  auto set = [&layout](int32_t n, int32_t k1, int32_t f1, int32_t k2, int32_t f2) { layout = {n, k1, f1, k2, f2}; };
  if (t == "NODISK NULL") return set(0, 4, 0, 4, 0), "NODISK NULL";
  if (w1 == "NODISK_STD") return set(1, 4, 0, 0, FileSystemOf(back, layout.disk2FileSystem)), "NODISK_STD";
  if (w1 == "STD_NODISK") return set(1, 0, FileSystemOf(front, layout.disk1FileSystem), 4, 0), "STD_NODISK";
  if (w1 == "NODISK_NULL") return set(1, 4, 0, 5, 1), "NODISK_NULL";
  if (w1 == "NULL_NODISK") return set(1, 5, 1, 4, 0), "NULL_NODISK";
  if (t == "NULL NULL") return set(2, 5, 1, 5, 1), "NULL NULL";
  if (t == "JBOD EXT2" || t == "JBOD EXT3") return set(2, 1, f, 1, f), "JBOD EXT2 or JBOD EXT3";
  if (t == "RAID0 EXT2" || t == "RAID0 EXT3") return set(2, 2, f, 2, f), "RAID0 EXT2 or RAID0 EXT3";
  if (t == "RAID1 EXT2" || t == "RAID1 EXT3") return set(2, 3, f, 3, f), "RAID1 EXT2 or RAID1 EXT3";
  if (w1 == "STD_STD") return set(2, 0, f, 0, f), "STD_STD";
  if (w1 == "NULL_STD") return set(2, 5, 1, 0, back == "EXT2" ? 2 : 3), "NULL_STD";
  if (w1 == "STD_NULL") return set(2, 0, front == "EXT2" ? 2 : 3, 5, 1), "STD_NULL";
  set(-1, -1, -1, -1, -1);
  return std::nullopt;
}
