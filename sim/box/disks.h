#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace sim {

enum class VolumeKind { kNone, kStandard, kJbod, kRaid0, kRaid1 };
enum class FileSystem { kNone, kExt2, kExt3 };

// One bay: a disk or none, and the volume it belongs to. The members of an array (JBOD, RAID 0,
// RAID 1) carry the same kind and file system in both bays.
struct Bay {
  bool present = false;
  VolumeKind kind = VolumeKind::kNone;
  FileSystem fs = FileSystem::kNone;
};

// The box's two bays with volume creation and its formatting over time.
class Disks {
 public:
  Disks() = default;
  explicit Disks(std::array<Bay, 2> bays) : bays_(bays) {}

  static Disks None() { return Disks(); }
  static Disks OneUnformatted() { return Disks({Bay{true}, Bay{}}); }
  static Disks Raid1(FileSystem fs) {
    return Disks({Bay{true, VolumeKind::kRaid1, fs}, Bay{true, VolumeKind::kRaid1, fs}});
  }

  const std::array<Bay, 2>& bays() const { return bays_; }
  int Count() const { return (bays_[0].present ? 1 : 0) + (bays_[1].present ? 1 : 0); }

  // The text GETRAIDSTATUS answers: the words the wizard's disk-status grammar reads.
  std::string StatusText(uint64_t now_ms);
  // GETFORMATSTATUS: "none" when nothing was formatted since start-up, the percentage while
  // formatting (1 to 99), "100" once done.
  std::string FormatStatusText(uint64_t now_ms);
  // "CREATE <STANDARD|JBOD|RAID0|RAID1> <1|2|ALL> <EXT2|EXT3>": "OK" and formatting starts, or a
  // refusal text when the words or the disks do not allow it.
  std::string Create(const std::string& command, uint64_t now_ms, uint32_t duration_ms);
  bool HasFormattedVolume(uint64_t now_ms);
  bool Formatting(uint64_t now_ms);
  // A reboot ends what the formatting reported; the volumes stay.
  void Reboot(uint64_t now_ms);

 private:
  void Settle(uint64_t now_ms);

  std::array<Bay, 2> bays_{};
  // Formatting under way: the bays get their file system when it ends.
  std::optional<uint64_t> format_start_;
  uint32_t format_duration_ = 0;
  std::array<FileSystem, 2> format_target_{};
  bool formatted_since_start_ = false;
};

const char* FileSystemWord(FileSystem fs);

}  // namespace sim
