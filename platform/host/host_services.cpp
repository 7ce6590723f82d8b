#include "platform/host_services.h"

#include <mutex>

#include "platform/state_file.h"
#include "platform/unicode.h"

namespace platform {
namespace {

constexpr std::string_view kService = "services";
constexpr const char* kHeader =
    "# Services of this PC as the Orvo NAS Setup Wizard emulates them: \"<name> <state>\", the state one of\n"
    "# stopped, running, paused, start-pending, stop-pending, continue-pending, pause-pending.\n";

// A service's line, and its record key: the name as the system compares it.
StateEntry EntryOf(const ServiceRecord& s) {
  return {"", Utf16ToUtf8(UpcaseName(Utf8ToUtf16(s.name))), s.name + " " + ServiceStateWord(s.state)};
}

std::vector<StateEntry> EntriesOf(const std::vector<ServiceRecord>& services) {
  std::vector<StateEntry> entries;
  for (const ServiceRecord& s : services) entries.push_back(EntryOf(s));
  return entries;
}

class HostServiceManagerImpl final : public ServiceManager {
 public:
  explicit HostServiceManagerImpl(std::string state_folder) : folder_(std::move(state_folder)) {}

  DWORD WithServices(const std::function<DWORD(std::vector<ServiceRecord>&)>& use) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string file = File();
    StateDocument document = file.empty() ? StateDocument() : StateDocument::Read(file);
    std::vector<ServiceRecord> services = Load(file, document);
    const std::vector<ServiceRecord> before = services;
    const DWORD result = use(services);
    if (services == before) return result;
    // A change that cannot be kept (no home for the file, or a failed save) did not happen: the
    // next call reads the file again.
    if (file.empty() || !document.Save(kService, file, EntriesOf(before), EntriesOf(services), {kHeader, nullptr})) {
      return result == ERROR_SUCCESS ? ERROR_ACCESS_DENIED : result;
    }
    return result;
  }

 private:
  std::string File() const { return StateFilePath(folder_, kServicesFileName); }

  std::vector<ServiceRecord> Load(const std::string& file, StateDocument& document) {
    std::vector<ServiceRecord> services = DefaultServices();
    for (size_t n = 0; n < document.size(); ++n) {
      const std::string& line = document.Line(n);
      if (IsStateComment(line)) continue;
      const std::string_view text = TrimBlanks(line);
      const size_t gap = text.find_last_of(" \t");
      const std::string name(gap == std::string_view::npos ? "" : TrimBlanks(text.substr(0, gap)));
      const DWORD state = gap == std::string_view::npos ? 0 : ServiceStateOfWord(std::string(text.substr(gap + 1)));
      if (name.empty() || state == 0) {
        ReportSkippedLine(kService, file, n + 1, line, "not \"<name> <state>\" with a known state");
        continue;
      }
      ServiceRecord* known = nullptr;
      for (ServiceRecord& s : services) {
        if (NamesEqual(Utf8ToUtf16(s.name), Utf8ToUtf16(name))) known = &s;
      }
      if (known) {
        known->state = state;
      } else {
        services.push_back({name, state});
        known = &services.back();
      }
      document.Entry(n, "", EntryOf(*known).key);
    }
    return services;
  }

  const std::string folder_;
  std::mutex mutex_;
};

}  // namespace

std::vector<ServiceRecord> DefaultServices() {
  return {{"MpsSvc", SERVICE_RUNNING}, {"SharedAccess", SERVICE_STOPPED}};
}

std::unique_ptr<ServiceManager> MakeHostServiceManager(std::string state_folder) {
  return std::make_unique<HostServiceManagerImpl>(std::move(state_folder));
}

ServiceManager& HostServiceManager() {
  static const std::unique_ptr<ServiceManager> manager = MakeHostServiceManager({});
  return *manager;
}

}  // namespace platform
