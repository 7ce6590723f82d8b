#include "sim/box/disks.h"

#include <sstream>
#include <vector>

namespace sim {
namespace {

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

const char* KindWord(VolumeKind kind) {
  switch (kind) {
    case VolumeKind::kJbod:
      return "JBOD";
    case VolumeKind::kRaid0:
      return "RAID0";
    case VolumeKind::kRaid1:
      return "RAID1";
    default:
      return "STD";
  }
}

bool IsArray(VolumeKind k) { return k == VolumeKind::kJbod || k == VolumeKind::kRaid0 || k == VolumeKind::kRaid1; }

}  // namespace

const char* FileSystemWord(FileSystem fs) {
  switch (fs) {
    case FileSystem::kExt2:
      return "EXT2";
    case FileSystem::kExt3:
      return "EXT3";
    default:
      return "NULL";
  }
}

void Disks::Settle(uint64_t now_ms) {
  if (format_start_ && now_ms - *format_start_ >= format_duration_) {
    for (size_t i = 0; i < 2; ++i) bays_[i].fs = format_target_[i];
    format_start_.reset();
  }
}

bool Disks::Formatting(uint64_t now_ms) {
  Settle(now_ms);
  return format_start_.has_value();
}

bool Disks::HasFormattedVolume(uint64_t now_ms) {
  Settle(now_ms);
  for (const Bay& b : bays_) {
    if (b.present && b.kind != VolumeKind::kNone && b.fs != FileSystem::kNone) return true;
  }
  return false;
}

std::string Disks::StatusText(uint64_t now_ms) {
  Settle(now_ms);
  // A bay's volume word and file-system word; a volume still formatting has no file system yet.
  auto volume = [&](const Bay& b) {
    return b.kind == VolumeKind::kNone || b.fs == FileSystem::kNone ? std::string("NULL") : std::string("STD");
  };
  auto fs = [&](const Bay& b) { return std::string(b.kind == VolumeKind::kNone ? "NULL" : FileSystemWord(b.fs)); };
  const Bay& a = bays_[0];
  const Bay& b = bays_[1];
  if (!a.present && !b.present) return "NODISK NULL";
  if (a.present && !b.present) return volume(a) + "_NODISK " + fs(a) + "_NULL";
  if (!a.present && b.present) return "NODISK_" + volume(b) + " NULL_" + fs(b);
  if (IsArray(a.kind) && a.kind == b.kind) {
    if (a.fs == FileSystem::kNone) return "NULL NULL";
    return std::string(KindWord(a.kind)) + " " + FileSystemWord(a.fs);
  }
  const std::string va = volume(a);
  const std::string vb = volume(b);
  if (va == "NULL" && vb == "NULL") return "NULL NULL";
  if (va == "STD" && vb == "STD") {
    return "STD_STD " + (a.fs == b.fs ? fs(a) : fs(a) + "_" + fs(b));
  }
  return va + "_" + vb + " " + (va == "STD" ? fs(a) : std::string("NULL")) + "_" +
         (vb == "STD" ? fs(b) : std::string("NULL"));
}

std::string Disks::FormatStatusText(uint64_t now_ms) {
  Settle(now_ms);
  if (format_start_) {
    const uint64_t percent = (now_ms - *format_start_) * 100 / (format_duration_ ? format_duration_ : 1);
    return std::to_string(percent < 1 ? 1 : percent > 99 ? 99 : percent);
  }
  return formatted_since_start_ ? "100" : "none";
}

std::string Disks::Create(const std::string& command, uint64_t now_ms, uint32_t duration_ms) {
  Settle(now_ms);
  const std::vector<std::string> w = Words(command);
  if (w.size() != 4 || w[0] != "CREATE") return "ERROR";
  if (format_start_) return "BUSY";
  VolumeKind kind;
  if (w[1] == "STANDARD") {
    kind = VolumeKind::kStandard;
  } else if (w[1] == "JBOD") {
    kind = VolumeKind::kJbod;
  } else if (w[1] == "RAID0") {
    kind = VolumeKind::kRaid0;
  } else if (w[1] == "RAID1") {
    kind = VolumeKind::kRaid1;
  } else {
    return "ERROR";
  }
  FileSystem fs;
  if (w[3] == "EXT2") {
    fs = FileSystem::kExt2;
  } else if (w[3] == "EXT3") {
    fs = FileSystem::kExt3;
  } else {
    return "ERROR";
  }
  std::array<bool, 2> target{};
  if (w[2] == "1") {
    target = {true, false};
  } else if (w[2] == "2") {
    target = {false, true};
  } else if (w[2] == "ALL") {
    target = {bays_[0].present, bays_[1].present};
  } else {
    return "ERROR";
  }
  if ((target[0] && !bays_[0].present) || (target[1] && !bays_[1].present) || (!target[0] && !target[1])) {
    return "NO DISK";
  }
  if (IsArray(kind) && !(target[0] && target[1])) return "NEED TWO DISKS";
  for (size_t i = 0; i < 2; ++i) {
    if (!target[i]) continue;
    bays_[i].kind = kind;
    bays_[i].fs = FileSystem::kNone;
    format_target_[i] = fs;
  }
  // A bay left out keeps its volume; its file system stays what it was.
  for (size_t i = 0; i < 2; ++i) {
    if (!target[i]) format_target_[i] = bays_[i].fs;
  }
  format_start_ = now_ms;
  format_duration_ = duration_ms;
  formatted_since_start_ = true;
  return "OK";
}

void Disks::Reboot(uint64_t now_ms) {
  Settle(now_ms);
  if (format_start_) {
    // Formatting cut short by the reboot: the volumes are left without a file system.
    format_start_.reset();
  }
  formatted_since_start_ = false;
}

}  // namespace sim
