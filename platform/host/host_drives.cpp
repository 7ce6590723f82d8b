#include "platform/host_drives.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

#include "platform/gtk_bookmarks.h"
#include "platform/state_file.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kService = "drives";
constexpr const char* kHeader =
    "# Network drives of this PC as the Orvo NAS Setup Wizard emulates them.\n"
    "# \"connected <letter>: <share>\" lines are the connections of this session (\"-\" for no letter);\n"
    "# a restart ends them. \"remembered <letter>: <share>\" lines are connected again at every restart.\n";

// The mount table's escapes of blanks and backslashes ("\040").
std::string Unescape(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    const auto octal = [&](size_t k) { return field[k] >= '0' && field[k] <= '7'; };
    if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
      out.push_back(static_cast<char>(std::stoi(std::string(field.substr(i + 1, 3)), nullptr, 8)));
      i += 3;
    } else {
      out.push_back(field[i]);
    }
  }
  return out;
}

bool SameDevice(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code error;
  const fs::path ca = fs::canonical(a, error);
  if (error) return false;
  const fs::path cb = fs::canonical(b, error);
  return !error && ca == cb;
}

class HostDrivesImpl final : public Drives {
 public:
  explicit HostDrivesImpl(HostDriveSources sources) : s_(std::move(sources)) {}

  std::vector<LocalDrive> LocalDrives() override {
    std::vector<LocalDrive> drives{{'C', DRIVE_FIXED, "/"}};
    char letter = 'D';
    for (const auto& [number, device] : OpticalDevices()) {
      if (letter > 'Z') break;
      drives.push_back({letter++, DRIVE_CDROM, MountPointOf(device)});
    }
    return drives;
  }

  DWORD WithConnections(const std::function<DWORD(ConnectionTable&)>& use) override {
    std::lock_guard<std::mutex> lock(mutex_);
    bool restarted = false;
    bool existed = false;
    ConnectionTable table = Load(restarted, existed);
    const ConnectionTable before = table;
    const DWORD result = use(table);
    if (table != before || (restarted && existed)) Save(table);
    FollowRememberedConnections(s_.bookmarks, before.profile(), table.profile());
    return result;
  }

  DWORD ReachShare(const std::string&) override { return ERROR_SUCCESS; }
  std::optional<std::string> ShareFolder(const std::string&) override { return std::nullopt; }

  std::string TempFolder() override {
    if (s_.temp_folder.empty()) return HostTempFolder();
    return s_.temp_folder.back() == '/' ? s_.temp_folder : s_.temp_folder + "/";
  }

 private:
  std::vector<std::pair<int, std::string>> OpticalDevices() {
    std::vector<std::pair<int, std::string>> found;
    std::error_code error;
    for (fs::directory_iterator it(s_.devices, error), end; !error && it != end; it.increment(error)) {
      const std::string name = it->path().filename().string();
      if (name.size() < 3 || name.compare(0, 2, "sr") != 0) continue;
      if (!std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
      found.emplace_back(std::atoi(name.c_str() + 2), it->path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
  }

  std::string MountPointOf(const std::string& device) {
    std::ifstream mounts(s_.mounts);
    std::string line;
    while (std::getline(mounts, line)) {
      std::istringstream fields(line);
      std::string source, target;
      if (fields >> source >> target && SameDevice(Unescape(source), device)) return Unescape(target);
    }
    return {};
  }

  std::string File() const { return StateFilePath(s_.state_folder, kDrivesFileName); }

  std::string BootId() const {
    std::ifstream in(s_.boot_id);
    std::string id;
    std::getline(in, id);
    return std::string(TrimBlanks(id));
  }

  ConnectionTable Load(bool& restarted, bool& existed) {
    const std::string file = File();
    const auto lines = file.empty() ? std::nullopt : ReadStateLines(file);
    existed = lines.has_value();
    std::vector<NetworkConnection> session, profile;
    std::optional<std::string> boot;
    const std::vector<LocalDrive> local = LocalDrives();
    for (size_t n = 0; lines && n < lines->size(); ++n) {
      const std::string& line = (*lines)[n];
      if (IsStateComment(line)) continue;
      auto fail = [&](std::string_view reason) { ReportSkippedLine(kService, file, n + 1, line, reason); };
      const std::string_view text = TrimBlanks(line);
      const size_t space = text.find_first_of(" \t");
      const std::string_view word = text.substr(0, space);
      const std::string_view rest = space == std::string_view::npos ? "" : TrimBlanks(text.substr(space));
      if (word == "session") {
        boot = std::string(rest);
        continue;
      }
      if (word != "connected" && word != "remembered") {
        fail("not a \"session\", \"connected\" or \"remembered\" line");
        continue;
      }
      const size_t gap = rest.find_first_of(" \t");
      const std::string device(rest.substr(0, gap));
      const std::string remote(gap == std::string_view::npos ? "" : TrimBlanks(rest.substr(gap)));
      const char letter = DriveLetterOf(device);
      if (!IsUncName(remote)) {
        fail("the share is not a \\\\server\\share name");
      } else if (letter == 0 && (device != "-" || word == "remembered")) {
        fail("the drive is not a letter with a colon");
      } else if (letter != 0 &&
                 std::any_of(local.begin(), local.end(), [&](const LocalDrive& d) { return d.letter == letter; })) {
        fail("the letter belongs to a drive of this PC");
      } else {
        (word == "connected" ? session : profile).push_back({DriveName(letter), remote});
      }
    }
    ConnectionTable table(std::move(session), std::move(profile));
    restarted = boot != BootId();
    if (restarted) table.Restart();
    return table;
  }

  void Save(const ConnectionTable& table) {
    const std::string file = File();
    if (file.empty()) return;
    std::string text = kHeader;
    text += "session " + BootId() + "\n";
    for (const NetworkConnection& c : table.session()) {
      text += "connected " + (c.local_name.empty() ? std::string("-") : c.local_name) + " " + c.remote_name + "\n";
    }
    for (const NetworkConnection& c : table.profile())
      text += "remembered " + c.local_name + " " + c.remote_name + "\n";
    if (!WriteStateFile(file, text)) std::fprintf(stderr, "drives: cannot write %s\n", file.c_str());
  }

  const HostDriveSources s_;
  std::mutex mutex_;
};

}  // namespace

std::unique_ptr<Drives> MakeHostDrives(HostDriveSources sources) {
  return std::make_unique<HostDrivesImpl>(std::move(sources));
}

std::string HostTempFolder() {
  const char* tmpdir = std::getenv("TMPDIR");
  std::string folder = tmpdir && tmpdir[0] == '/' ? tmpdir : "/tmp";
  if (folder.back() != '/') folder += "/";
  return folder;
}

Drives& HostDrives() {
  static const std::unique_ptr<Drives> drives = [] {
    HostDriveSources sources;
    sources.bookmarks = GtkBookmarksPath();
    return MakeHostDrives(std::move(sources));
  }();
  return *drives;
}

}  // namespace platform
