// firewall.txt of any bytes, read by the host's firewall, one program authorized (any name, any
// full path, enabled or not), and the file read again: it tells exactly the changed profile (or,
// when the change could not be kept, the profile as it was, with the file untouched), a second
// authorization of the same program changes nothing, and the user's lines stay in order.
#include <fuzzer/FuzzedDataProvider.h>

#include <map>
#include <set>

#include "check.h"
#include "file_targets.h"
#include "platform/host_firewall.h"
#include "platform/host_services.h"
#include "platform/text_file.h"
#include "platform/unicode.h"

namespace {

using fuzz::Check;
using platform::FirewallApplication;
using platform::FirewallProfileState;

FirewallProfileState Profile(platform::Firewall& firewall) {
  FirewallProfileState profile;
  Check(firewall.ReadProfile(&profile) == platform::S_OK);
  return profile;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static NamedScratchFolder& folder = fuzz::ScratchFolderForFiles("fuzz-firewall");
  FuzzedDataProvider input(data, size);
  // What the firewall's objects let through: a name, and a full path.
  FirewallApplication app;
  app.name = platform::Utf8ToUtf16(input.ConsumeRandomLengthString(40));
  app.image_path = u"/" + platform::Utf8ToUtf16(input.ConsumeRandomLengthString(60));
  app.enabled = input.ConsumeBool();
  if (app.name.empty()) app.name = u"N";
  const std::string file = folder.Write(platform::kFirewallFileName, input.ConsumeRemainingBytesAsString());
  const std::string bytes = platform::ReadFileBytes(file).bytes;
  const std::vector<std::string> lines = fuzz::StateLines(file);

  auto services = platform::MakeHostServiceManager(folder.path().string());
  auto firewall = platform::MakeHostFirewall(folder.path().string(), *services);
  const FirewallProfileState before = Profile(*firewall);
  FirewallProfileState expected = before;
  size_t replaced = 0;
  for (FirewallApplication& entry : expected.applications) {
    if (entry.image_path == app.image_path) {
      entry = app;
      ++replaced;
    }
  }
  if (replaced == 0) expected.applications.push_back(app);
  const platform::HRESULT result = firewall->Authorize(app);
  const FirewallProfileState after = Profile(*firewall);
  if (result != platform::S_OK) {
    Check(result == platform::E_ACCESSDENIED);
    Check(after == before && platform::ReadFileBytes(file).bytes == bytes);
    return 0;
  }
  Check(after == expected);
  const std::string written = platform::ReadFileBytes(file).bytes;
  Check(firewall->Authorize(app) == platform::S_OK && platform::ReadFileBytes(file).bytes == written);

  // What a save writes is the application's lines and the opening of its section.
  const std::vector<std::string> now = fuzz::StateLines(file);
  std::set<std::string> ours = {"", "[Application]"};
  std::map<std::string, int> more;  // how many more times the file holds a line than before
  for (const std::string& line : now) ++more[line];
  for (const std::string& line : lines) --more[line];
  for (const auto& [line, count] : more) {
    if (count <= 0) continue;
    Check(ours.count(line) || line.starts_with("Name=") || line.starts_with("Path=") || line.starts_with("Enabled="));
    ours.insert(line);
  }
  Check(fuzz::KeepsTheUsersLines(lines, now, ours, 3 * replaced));
  return 0;
}
