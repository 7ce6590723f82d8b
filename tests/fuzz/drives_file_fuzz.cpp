// drives.txt of any bytes, read by the host's drives, one change (a connection made, one
// cancelled, a restart), and the file read again: it tells exactly the changed connections (or,
// when the change could not be kept, the connections as they were), and the user's lines stay in
// order.
#include <fuzzer/FuzzedDataProvider.h>

#include <fstream>
#include <set>

#include "check.h"
#include "file_targets.h"
#include "platform/ansi.h"
#include "platform/drives.h"
#include "platform/host_drives.h"
#include "platform/network_connections.h"
#include "platform/text_file.h"

namespace {

using fuzz::Check;
using platform::ConnectionTable;
using platform::DWORD;
using platform::NetworkConnection;

ConnectionTable Table(platform::Drives& drives) {
  ConnectionTable table;
  drives.WithConnections([&](ConnectionTable& t) -> DWORD {
    table = t;
    return platform::ERROR_SUCCESS;
  });
  return table;
}

// The lines a save writes for a table.
std::set<std::string> LinesOf(const ConnectionTable& table, const std::string& boot) {
  std::set<std::string> lines = {"session " + boot};
  for (const NetworkConnection& c : table.session()) {
    lines.insert("connected " + (c.local_name.empty() ? std::string("-") : c.local_name) + " " + c.remote_name);
  }
  for (const NetworkConnection& c : table.profile()) lines.insert("remembered " + c.local_name + " " + c.remote_name);
  return lines;
}

std::string Letter(FuzzedDataProvider& input) {
  const int letter = input.ConsumeIntegralInRange<int>(0, 26);
  return letter == 26 ? std::string() : std::string{static_cast<char>('A' + letter), ':'};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static NamedScratchFolder& folder = fuzz::ScratchFolderForFiles("fuzz-drives");
  FuzzedDataProvider input(data, size);
  const int change = input.ConsumeIntegralInRange<int>(0, 2);
  const std::string local = Letter(input);
  const bool flag = input.ConsumeBool();
  std::string remote = input.ConsumeBool() ? "\\\\" + input.ConsumeRandomLengthString(12) + "\\" : "";
  remote += input.ConsumeRandomLengthString(30);
  const std::string boot = folder.Write("boot_id", "boot-1\n");
  const std::string file = folder.Write(platform::kDrivesFileName, input.ConsumeRemainingBytesAsString());

  platform::HostDriveSources sources;
  sources.state_folder = folder.path().string();
  sources.devices = folder.File("no-devices");
  sources.mounts = folder.File("no-mounts");
  sources.boot_id = boot;
  auto drives = platform::MakeHostDrives(sources);
  // The first call may write down the boot; what it leaves is what the change starts from.
  const ConnectionTable before = Table(*drives);
  const std::string bytes = platform::ReadFileBytes(file).bytes;
  const std::vector<std::string> lines = fuzz::StateLines(file);

  ConnectionTable expected = before;
  std::string expected_boot = "boot-1";
  DWORD result = platform::ERROR_SUCCESS;
  platform::InstallDrives(drives.get());
  if (change == 2) {
    std::ofstream(boot) << "boot-2\n";
    expected_boot = "boot-2";
    expected.Restart();
  } else if (change == 0) {
    // The calls take names in the ANSI code page.
    platform::NETRESOURCEA resource{};
    resource.dwType = platform::RESOURCETYPE_DISK;
    resource.lpLocalName = const_cast<char*>(local.c_str());
    resource.lpRemoteName = const_cast<char*>(remote.c_str());
    result = platform::WNetAddConnection2A(&resource, "", "", flag ? platform::CONNECT_UPDATE_PROFILE : 0);
    if (result == platform::ERROR_SUCCESS) {
      Check(expected.Add(local, platform::FromAnsi(platform::AnsiString(remote.c_str())), flag) ==
            platform::ERROR_SUCCESS);
    }
  } else {
    const std::string name = local.empty() ? remote : local;
    result = platform::WNetCancelConnection2A(name.c_str(), flag ? platform::CONNECT_UPDATE_PROFILE : 0, 1);
    if (result == platform::ERROR_SUCCESS) {
      Check(expected.Cancel(platform::FromAnsi(platform::AnsiString(name.c_str())), flag) == platform::ERROR_SUCCESS);
    }
  }
  platform::InstallDrives(nullptr);
  const ConnectionTable after = Table(*drives);
  if (result == platform::ERROR_ACCESS_DENIED) {
    // The change could not be kept: it did not happen.
    Check(after == before && platform::ReadFileBytes(file).bytes == bytes);
    return 0;
  }
  Check(after == expected);
  if (expected == before && change != 2) Check(platform::ReadFileBytes(file).bytes == bytes);
  const std::set<std::string> was = LinesOf(before, "boot-1"), is = LinesOf(expected, expected_boot);
  size_t changed = 0;
  for (const std::string& line : was) changed += is.count(line) == 0;
  for (const std::string& line : is) changed += was.count(line) == 0;
  Check(fuzz::KeepsTheUsersLines(lines, fuzz::StateLines(file), is, changed));
  return 0;
}
