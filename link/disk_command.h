#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/wire.h"

// The box's disks as the disk-status reply describes them.
struct NasDiskLayout {
  int32_t diskAmount = -1;      // 0, 1 or 2; -1 while unknown
  int32_t disk1Kind = 0;        // 0 standard, 1 JBOD, 2 RAID0, 3 RAID1, 4 no disk, 5 disk without a volume
  int32_t disk1FileSystem = 0;  // 0 none (no disk), 1 none on a present disk, 2 EXT2, 3 EXT3
  int32_t disk2Kind = 0;
  int32_t disk2FileSystem = 0;
  bool operator==(const NasDiskLayout&) const = default;
};

// The disk command under way and its state.
enum : int32_t {
  RAID_CREATE = 0,
  RAID_GETFORMATSTATUS_FORTEST = 1,
  RAID_GETFORMATSTATUS_FORUSERSETTING = 2,
  RAID_GETRAIDSTATUS = 3,
  RAID_CREATEDEFAULTSHAREFOLDER = 4,
  RAID_REBOOT = 5,
};
enum : int32_t { RAIDCMD_PROCEEDING = 0, RAIDCMD_OK = 1, RAIDCMD_ERROR = 2 };

// Disk-command packets (opcode 54): the length of the text at byte 46, the text from byte 48.
namespace disk_command {
constexpr size_t kRequestLength = 46;
constexpr size_t kRequestText = 48;
constexpr size_t kReplyLength = 14;
constexpr size_t kReplyText = 16;
constexpr size_t kMaxReplyText = 420;
}  // namespace disk_command

// The sequence number of the next disk command: a process-wide counter of its own that starts at
// 0 and returns to 0 where it would turn negative.
int32_t NextDiskCommandSequence();
void SetDiskCommandSequenceForTest(int32_t value);

// The 512-byte request: 12, 21, opcode 54, the sequence number, MAC zero, the password
// (NUL-terminated, zero-padded), the text length and the text. A text longer than the packet
// holds is cut to fit.
void BuildDiskCommandPacket(NasPacket& packet, int32_t sequence, const NasPassword& password, std::string_view text);

// Checks a reply's header (12, 22, the whole opcode 54 or 31) and takes its text: the length at
// byte 14, at most 420 bytes, ending at the first NUL. False for any other packet.
bool ParseDiskCommandReply(const NasPacket& reply, std::string& text);

// The create command for the disk page's choices; nullopt where there is none (a disk count
// other than 1 or 2, or two disks and no RAID level chosen).
enum class RaidLevel { kNone, kStandard, kJbod, kRaid0, kRaid1 };
std::optional<std::string> CreateCommandText(int32_t disk_amount, int32_t disk1_file_system, RaidLevel level,
                                             bool ext3);

// The disk-status grammar: sets the layout from the reply text and returns the name of the row
// that matched (for the trace), or nullopt after setting all five fields to -1.
std::optional<std::string> ParseDiskStatus(std::string_view reply, NasDiskLayout& layout);
