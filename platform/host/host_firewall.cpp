#include "platform/host_firewall.h"

#include <mutex>

#include "platform/state_file.h"
#include "platform/unicode.h"

namespace platform {
namespace {

constexpr std::string_view kService = "firewall";
constexpr const char* kHeader =
    "# The firewall of this PC (its current profile) as the Orvo NAS Setup Wizard emulates it. Edit freely:\n"
    "# Firewall is on or off, Exceptions allowed or not allowed. Each [Application] is a program the\n"
    "# firewall lets through: Name, Path (its executable) and Enabled (yes or no).\n";

constexpr const char* kFirewallGroup = "Firewall";

bool NameIs(std::string_view a, std::u16string_view b) { return NamesEqual(Utf8ToUtf16(a), b); }

// A Name or Path keeps the blanks at its ends inside a pair of quotes, which reading takes off
// again; a value that is in quotes itself gets a further pair, so that it reads back as it was.
std::string Quoted(const std::string& value) {
  const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
  return quoted || TrimBlanks(value) != value ? '"' + value + '"' : value;
}

std::string_view Unquoted(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value.substr(1, value.size() - 2);
  return value;
}

class HostFirewallImpl final : public Firewall {
 public:
  HostFirewallImpl(std::string folder, ServiceManager& services, std::string service)
      : folder_(std::move(folder)), services_(services), service_(std::move(service)) {}

  HRESULT Admit(FirewallCall call) override {
    if (call == FirewallCall::kCreateManager || call == FirewallCall::kCreateApplication) return S_OK;
    bool running = false;
    services_.WithServices([&](std::vector<ServiceRecord>& all) -> DWORD {
      for (const ServiceRecord& s : all) {
        if (NameIs(s.name, Utf8ToUtf16(service_))) running = s.state == SERVICE_RUNNING;
      }
      return ERROR_SUCCESS;
    });
    return running ? S_OK : HRESULT_FROM_WIN32(EPT_S_NOT_REGISTERED);
  }

  HRESULT ReadProfile(FirewallProfileState* profile) override {
    if (!profile) return E_POINTER;
    std::lock_guard<std::mutex> lock(mutex_);
    StateDocument document = Read();
    *profile = Load(document);
    return S_OK;
  }

  HRESULT Authorize(const FirewallApplication& app) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string file = File();
    if (file.empty()) return E_ACCESSDENIED;
    StateDocument document = Read();
    const FirewallProfileState before = Load(document);
    FirewallProfileState profile = before;
    bool replaced = false;
    for (FirewallApplication& entry : profile.applications) {
      if (entry.image_path == app.image_path) {
        entry = app;
        replaced = true;
      }
    }
    if (!replaced) profile.applications.push_back(app);
    if (profile == before) return S_OK;
    const bool saved = document.Save(kService, file, EntriesOf(before), EntriesOf(profile), {kHeader, &Opening});
    return saved ? S_OK : E_ACCESSDENIED;
  }

 private:
  std::string File() const { return StateFilePath(folder_, kFirewallFileName); }
  StateDocument Read() const {
    const std::string file = File();
    return file.empty() ? StateDocument() : StateDocument::Read(file);
  }

  static std::string ApplicationGroup(size_t index) { return "Application " + std::to_string(index); }

  static std::vector<std::string> Opening(const std::string& group) {
    if (group == kFirewallGroup) return {"[Firewall]"};
    return {"", "[Application]"};
  }

  static std::vector<StateEntry> EntriesOf(const FirewallProfileState& profile) {
    std::vector<StateEntry> entries = {
        {kFirewallGroup, "Firewall", std::string("Firewall=") + (profile.firewall_enabled ? "on" : "off")},
        {kFirewallGroup, "Exceptions",
         std::string("Exceptions=") + (profile.exceptions_not_allowed ? "not allowed" : "allowed")},
    };
    for (size_t i = 0; i < profile.applications.size(); ++i) {
      const FirewallApplication& app = profile.applications[i];
      const std::string group = ApplicationGroup(i);
      entries.push_back({group, "Name", "Name=" + Quoted(Utf16ToUtf8(app.name))});
      entries.push_back({group, "Path", "Path=" + Quoted(Utf16ToUtf8(app.image_path))});
      entries.push_back({group, "Enabled", std::string("Enabled=") + (app.enabled ? "yes" : "no")});
    }
    return entries;
  }

  FirewallProfileState Load(StateDocument& document) {
    FirewallProfileState profile;
    const std::string file = File();
    enum class Section { kNone, kFirewall, kApplication } section = Section::kNone;
    // The lines of an [Application] section count only once it is known to name a program.
    std::vector<std::pair<size_t, std::string>> section_lines;
    auto finish = [&](size_t line) {
      if (section != Section::kApplication) return;
      FirewallApplication& app = profile.applications.back();
      if (app.image_path.empty() || app.name.empty()) {
        ReportSkippedLine(kService, file, line, "[Application]", "an application needs a Name and a Path");
        profile.applications.pop_back();
        return;
      }
      const std::string group = ApplicationGroup(profile.applications.size() - 1);
      for (const auto& [n, key] : section_lines) {
        if (key.empty()) {
          document.Group(n, group);
        } else {
          document.Entry(n, group, key);
        }
      }
    };
    size_t section_line = 0;
    for (size_t n = 0; n < document.size(); ++n) {
      const std::string& line = document.Line(n);
      if (IsStateComment(line)) continue;
      auto fail = [&](std::string_view reason) { ReportSkippedLine(kService, file, n + 1, line, reason); };
      const std::string_view text = TrimBlanks(line);
      if (text.front() == '[' && text.back() == ']') {
        finish(section_line);
        section_line = n + 1;
        section_lines.clear();
        const std::string_view name = TrimBlanks(text.substr(1, text.size() - 2));
        if (NameIs(name, u"Firewall")) {
          section = Section::kFirewall;
          document.Group(n, kFirewallGroup);
        } else if (NameIs(name, u"Application")) {
          section = Section::kApplication;
          profile.applications.push_back({u"", u"", true});
          section_lines.emplace_back(n, "");
        } else {
          section = Section::kNone;
          fail("not a [Firewall] or [Application] section");
        }
        continue;
      }
      const size_t equals = text.find('=');
      if (equals == std::string_view::npos || section == Section::kNone) {
        fail("not a \"key=value\" line of a section");
        continue;
      }
      const std::string_view key = TrimBlanks(text.substr(0, equals));
      const std::string value(TrimBlanks(text.substr(equals + 1)));
      // Which record the line holds; an unknown key still belongs to its section.
      std::string record;
      if (section == Section::kFirewall && NameIs(key, u"Firewall") &&
          (NameIs(value, u"on") || NameIs(value, u"off"))) {
        profile.firewall_enabled = NameIs(value, u"on");
        record = "Firewall";
      } else if (section == Section::kFirewall && NameIs(key, u"Exceptions") &&
                 (NameIs(value, u"allowed") || NameIs(value, u"not allowed"))) {
        profile.exceptions_not_allowed = NameIs(value, u"not allowed");
        record = "Exceptions";
      } else if (section == Section::kApplication && NameIs(key, u"Name")) {
        profile.applications.back().name = Utf8ToUtf16(Unquoted(value));
        record = "Name";
      } else if (section == Section::kApplication && NameIs(key, u"Path")) {
        profile.applications.back().image_path = Utf8ToUtf16(Unquoted(value));
        record = "Path";
      } else if (section == Section::kApplication && NameIs(key, u"Enabled") &&
                 (NameIs(value, u"yes") || NameIs(value, u"no"))) {
        profile.applications.back().enabled = NameIs(value, u"yes");
        record = "Enabled";
      } else {
        fail("not a known key with a known value");
      }
      if (section == Section::kApplication) {
        section_lines.emplace_back(n, record);
      } else if (record.empty()) {
        document.Group(n, kFirewallGroup);
      } else {
        document.Entry(n, kFirewallGroup, record);
      }
    }
    finish(section_line);
    return profile;
  }

  const std::string folder_;
  ServiceManager& services_;
  const std::string service_;
  std::mutex mutex_;
};

}  // namespace

std::unique_ptr<Firewall> MakeHostFirewall(std::string state_folder, ServiceManager& services, std::string service) {
  return std::make_unique<HostFirewallImpl>(std::move(state_folder), services, std::move(service));
}

Firewall& HostFirewall() {
  static const std::unique_ptr<Firewall> firewall = MakeHostFirewall({}, HostServiceManager());
  return *firewall;
}

}  // namespace platform
