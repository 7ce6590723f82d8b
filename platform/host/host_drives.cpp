#include "platform/host_drives.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>

#include "platform/gtk_bookmarks.h"
#include "platform/state_file.h"
#include "platform/temp_folder.h"
#include "platform/unicode.h"

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
    const std::string file = File();
    StateDocument document = file.empty() ? StateDocument() : StateDocument::Read(file);
    std::optional<std::string> boot;
    const ConnectionTable written = Load(file, document, boot);
    ConnectionTable table = written;
    const std::string boot_id = BootId();
    if (boot != boot_id) table.Restart();
    const ConnectionTable before = table;
    const DWORD result = use(table);
    const bool changed = table != before;
    // A new boot is written down only in a file there is; a missing one appears with the first
    // connection.
    const std::vector<StateEntry> old_entries = EntriesOf(boot, written);
    const std::vector<StateEntry> new_entries = EntriesOf(boot_id, table);
    bool saved = false;
    if (!file.empty() && (document.exists() ? new_entries != old_entries : changed)) {
      saved = document.Save(kService, file, old_entries, new_entries, {kHeader, nullptr});
      if (saved) FollowRememberedConnections(s_.bookmarks, before.profile(), table.profile());
    }
    // A change of the call's own that cannot be kept (no home for the file, or a failed save) did
    // not happen: the next call reads the file again. The boot stamp is bookkeeping that the next
    // call redoes, and never changes an answer.
    return changed && !saved && result == ERROR_SUCCESS ? ERROR_ACCESS_DENIED : result;
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

  ConnectionTable Load(const std::string& file, StateDocument& document, std::optional<std::string>& boot) {
    std::vector<NetworkConnection> session, profile;
    std::set<std::pair<std::string, std::string>> seen;
    const std::vector<LocalDrive> local = LocalDrives();
    for (size_t n = 0; n < document.size(); ++n) {
      const std::string& line = document.Line(n);
      if (IsStateComment(line)) continue;
      auto fail = [&](std::string_view reason) { ReportSkippedLine(kService, file, n + 1, line, reason); };
      const std::string_view text = TrimBlanks(line);
      const size_t space = text.find_first_of(" \t");
      const std::string word(text.substr(0, space));
      const std::string_view rest = space == std::string_view::npos ? "" : TrimBlanks(text.substr(space));
      if (word == "session") {
        boot = std::string(rest);
        document.Entry(n, "session", "");
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
      const NetworkConnection connection{DriveName(letter), remote};
      if (!IsUncName(remote)) {
        fail("the share is not a \\\\server\\share name");
      } else if (letter == 0 && (device != "-" || word == "remembered")) {
        fail("the drive is not a letter with a colon");
      } else if (letter != 0 &&
                 std::any_of(local.begin(), local.end(), [&](const LocalDrive& d) { return d.letter == letter; })) {
        fail("the letter belongs to a drive of this PC");
      } else if (!seen.emplace(word, KeyOf(connection)).second) {
        fail("an earlier line has this connection");
        document.Copy(n, word, KeyOf(connection));
      } else {
        (word == "connected" ? session : profile).push_back(connection);
        document.Entry(n, word, KeyOf(connection));
      }
    }
    return ConnectionTable(std::move(session), std::move(profile));
  }

  // A connection's record key: its letter, or for a deviceless one the share as the network
  // compares it.
  static std::string KeyOf(const NetworkConnection& c) {
    if (!c.local_name.empty()) return c.local_name;
    return std::string("-").append(Utf16ToUtf8(UpcaseName(Utf8ToUtf16(c.remote_name))));
  }

  static std::vector<StateEntry> EntriesOf(const std::optional<std::string>& boot, const ConnectionTable& table) {
    std::vector<StateEntry> entries;
    if (boot) entries.push_back({"session", "", "session " + *boot});
    for (const NetworkConnection& c : table.session()) {
      entries.push_back(
          {"connected", KeyOf(c),
           "connected " + (c.local_name.empty() ? std::string("-") : c.local_name) + " " + c.remote_name});
    }
    for (const NetworkConnection& c : table.profile()) {
      entries.push_back({"remembered", KeyOf(c), "remembered " + c.local_name + " " + c.remote_name});
    }
    return entries;
  }

  const HostDriveSources s_;
  std::mutex mutex_;
};

}  // namespace

std::unique_ptr<Drives> MakeHostDrives(HostDriveSources sources) {
  return std::make_unique<HostDrivesImpl>(std::move(sources));
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
