// services.txt of any bytes, read by the host's service manager, one service's state changed, and
// the file read again: it tells exactly the changed services (or, when the change could not be
// kept, the services as they were, with the file untouched), and the user's lines stay in order.
#include <fuzzer/FuzzedDataProvider.h>

#include "check.h"
#include "file_targets.h"
#include "platform/host_services.h"
#include "platform/text_file.h"

namespace {

using fuzz::Check;
using platform::DWORD;
using platform::ServiceRecord;

std::vector<ServiceRecord> Services(platform::ServiceManager& manager) {
  std::vector<ServiceRecord> services;
  manager.WithServices([&](std::vector<ServiceRecord>& all) -> DWORD {
    services = all;
    return platform::ERROR_SUCCESS;
  });
  return services;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static NamedScratchFolder& folder = fuzz::ScratchFolderForFiles("fuzz-services");
  FuzzedDataProvider input(data, size);
  const size_t which = input.ConsumeIntegral<uint8_t>();
  const DWORD state = input.ConsumeIntegralInRange<DWORD>(platform::SERVICE_STOPPED, platform::SERVICE_PAUSED);
  const std::string file = folder.Write(platform::kServicesFileName, input.ConsumeRemainingBytesAsString());
  const std::string bytes = platform::ReadFileBytes(file).bytes;
  const std::vector<std::string> lines = fuzz::StateLines(file);

  auto manager = platform::MakeHostServiceManager(folder.path().string());
  const std::vector<ServiceRecord> before = Services(*manager);
  Check(before.size() >= 2);
  std::vector<ServiceRecord> expected = before;
  ServiceRecord& changed = expected[which % expected.size()];
  const bool changes = changed.state != state;
  changed.state = state;
  const DWORD result = manager->WithServices([&](std::vector<ServiceRecord>& all) -> DWORD {
    all[which % all.size()].state = state;
    return platform::ERROR_SUCCESS;
  });
  const std::vector<ServiceRecord> after = Services(*manager);
  if (result != platform::ERROR_SUCCESS) {
    Check(result == platform::ERROR_ACCESS_DENIED && changes);
    Check(after == before && platform::ReadFileBytes(file).bytes == bytes);
    return 0;
  }
  Check(after == expected);
  if (!changes) Check(platform::ReadFileBytes(file).bytes == bytes);
  Check(fuzz::KeepsTheUsersLines(lines, fuzz::StateLines(file),
                                 {changed.name + " " + platform::ServiceStateWord(state)}, 1));
  return 0;
}
