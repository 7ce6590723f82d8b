#include "client/firewall_exception.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/exe_path.h"
#include "platform/log_debug.h"
#include "platform/unicode.h"
#include "sim/sim_firewall.h"
#include "sim/sim_os_version.h"
#include "sim/sim_services.h"

namespace {

using namespace platform;

struct Trace {
  std::string text;
  bool debugger;
  bool operator==(const Trace&) const = default;
};

class FirewallExceptionTest : public ::testing::Test {
 protected:
  FirewallExceptionTest() : image_(Utf8ToUtf16(ExecutablePath())) {
    InstallServiceManager(&services_);
    InstallFirewall(&firewall_);
    InstallOsVersion(&version_);
    SetTraceObserver([this](std::string_view text, bool debugger) {
      traces_.push_back({std::string(text), debugger});
    });
  }
  ~FirewallExceptionTest() override {
    SetTraceObserver(nullptr);
    InstallServiceManager(nullptr);
    InstallFirewall(nullptr);
    InstallOsVersion(nullptr);
  }
  size_t Adds() {
    const auto calls = firewall_.Calls();
    return std::count(calls.begin(), calls.end(), FirewallCall::kAdd);
  }
  bool Traced(const std::string& text, bool debugger) {
    return std::find(traces_.begin(), traces_.end(), Trace{text, debugger}) != traces_.end();
  }
  // The one trace of the log sink expected, or none.
  static std::vector<Trace> Only(const char* trace) {
    if (!trace) return {};
    return {{trace, false}};
  }
  std::string ImageUtf8() const { return Utf16ToUtf8(image_); }

  const std::u16string image_;
  sim::SimServiceManager services_;
  sim::SimFirewall firewall_;
  sim::SimOsVersion version_;
  std::vector<Trace> traces_;
};

TEST_F(FirewallExceptionTest, WhetherTheFirewallLetsTheWizardThrough) {
  const FirewallApplication registered{u"Orvo NAS Setup Wizard", image_, true};
  const FirewallApplication disabled{u"Orvo NAS Setup Wizard", image_, false};
  using Call = FirewallCall;
  const struct {
    const char* name;
    FirewallProfileState profile;
    std::optional<Call> failing;
    int32_t osVersion;
    DWORD shared_access;  // 0: not installed
    bool result;
    size_t adds;
  } cases[] = {
      {"firewall off", {false, true, {}}, {}, 2, SERVICE_STOPPED, true, 1},
      {"on, exceptions allowed", {true, false, {}}, {}, 2, SERVICE_STOPPED, true, 1},
      {"on, no exceptions", {true, true, {}}, {}, 2, SERVICE_STOPPED, false, 1},
      {"registered and enabled", {true, false, {registered}}, {}, 2, SERVICE_STOPPED, true, 0},
      {"registered, disabled", {true, false, {disabled}}, {}, 2, SERVICE_STOPPED, true, 1},
      {"no-exceptions flag unreadable", {true, true, {}}, Call::kExceptionsNotAllowed, 2, SERVICE_STOPPED, true, 1},
      {"no profile on Windows 7", {}, Call::kLocalPolicy, 2, SERVICE_STOPPED, false, 0},
      {"no profile on XP, old firewall runs", {}, Call::kCurrentProfile, 0, SERVICE_RUNNING, false, 0},
      {"no profile on XP, old firewall stopped", {}, Call::kCreateManager, 0, SERVICE_STOPPED, true, 0},
      {"no profile on XP, no old firewall", {}, Call::kCreateManager, 0, 0, true, 0},
      {"registration refused", {}, Call::kAdd, 1, SERVICE_STOPPED, false, 1},
      {"state unreadable", {}, Call::kFirewallEnabled, 1, SERVICE_STOPPED, false, 1},
  };
  for (const auto& c : cases) {
    firewall_.SetProfile(c.profile);
    if (c.failing) firewall_.Fail(*c.failing, E_ACCESSDENIED);
    if (c.shared_access) {
      services_.SetState("SharedAccess", c.shared_access);
    } else {
      services_.Remove("SharedAccess");
    }
    const size_t adds_before = Adds();
    EXPECT_EQ(addFirewallException(c.osVersion), c.result) << c.name;
    EXPECT_EQ(Adds() - adds_before, c.adds) << c.name;
    if (c.failing) firewall_.Fail(*c.failing, S_OK);
    // COM is left as it was found.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK) << c.name;
    CoUninitialize();
  }
}

TEST_F(FirewallExceptionTest, RegistrationHappensOnceAndStays) {
  EXPECT_TRUE(addFirewallException(2));
  EXPECT_TRUE(addFirewallException(2));
  EXPECT_EQ(Adds(), 1u);
  EXPECT_EQ(firewall_.Profile().applications,
            (std::vector<FirewallApplication>{{u"Orvo NAS Setup Wizard", image_, true}}));
  EXPECT_EQ(std::count_if(traces_.begin(), traces_.end(),
                          [](const Trace& t) { return t.text.find("is now enabled") != std::string::npos; }),
            1);
  EXPECT_TRUE(Traced("Authorized application " + ImageUtf8() + " is now enabled in the firewall.\n", true));
  EXPECT_TRUE(Traced("Authorized application " + ImageUtf8() + " is enabled in the firewall.\n", true));
  EXPECT_TRUE(Traced("The firewall is on.\n", true));
}

TEST_F(FirewallExceptionTest, TracesOfTheFailures) {
  firewall_.Fail(FirewallCall::kLocalPolicy, E_ACCESSDENIED);
  EXPECT_FALSE(addFirewallException(1));
  EXPECT_TRUE(Traced("WindowsFirewallInitialize failed: 0x80070005\n", false));
  firewall_.Fail(FirewallCall::kLocalPolicy, S_OK);
  firewall_.Fail(FirewallCall::kCreateApplication, E_OUTOFMEMORY);
  EXPECT_FALSE(addFirewallException(1));
  EXPECT_TRUE(Traced("Authorized application " + ImageUtf8() + " is disabled in the firewall.\n", true));
  EXPECT_TRUE(Traced("CoCreateInstance failed: 0x8007000e\n", true));
  EXPECT_TRUE(Traced("WindowsFirewallAddApp failed: 0x8007000e\n", false));
  firewall_.Fail(FirewallCall::kCreateApplication, S_OK);
  firewall_.Fail(FirewallCall::kFirewallEnabled, E_FAIL);
  EXPECT_FALSE(addFirewallException(1));
  EXPECT_TRUE(Traced("get_FirewallEnabled failed: 0x80004005\n", true));
  EXPECT_TRUE(Traced("WindowsFirewallIsOn failed: 0x80004005\n", false));
}

TEST_F(FirewallExceptionTest, ComAlreadySetUpOnTheThread) {
  // In the other mode: the check goes on and leaves COM alone.
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  EXPECT_TRUE(addFirewallException(2));
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);  // still ours, once
  CoUninitialize();
  CoUninitialize();
  // In the same mode: its own initialisation is balanced.
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  EXPECT_TRUE(addFirewallException(2));
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
  CoUninitialize();
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  CoUninitialize();
}

TEST_F(FirewallExceptionTest, TheWindowsVersion) {
  const struct {
    DWORD major, minor;
    int32_t osVersion;
    const char* trace;
  } cases[] = {
      {5, 1, 0, "Ths OS is WIN_XP"},
      {5, 2, 0, "Ths OS is WIN_XP"},
      {6, 0, 1, "Ths OS is WIN_VISTA"},
      {6, 1, 2, "Ths OS is WIN_7"},
      {6, 2, 0, nullptr},
      {10, 0, 0, nullptr},
  };
  for (const auto& c : cases) {
    version_.Set({c.major, c.minor, 1000, "", 0, 0});
    traces_.clear();
    int32_t osVersion = 7;
    getOSVersion(osVersion);
    EXPECT_EQ(osVersion, c.osVersion) << c.major << "." << c.minor;
    EXPECT_EQ(traces_, Only(c.trace)) << c.major;
  }
}

TEST_F(FirewallExceptionTest, TheFirewallServiceAtStartAndAtClose) {
  const struct {
    DWORD found;
    int32_t state;
    DWORD after_start;
    DWORD after_stop;
    const char* trace;
  } cases[] = {
      {SERVICE_RUNNING, 4, SERVICE_RUNNING, SERVICE_STOPPED, "MpsSvc is runing!"},
      {SERVICE_PAUSED, 7, SERVICE_RUNNING, SERVICE_STOPPED, "MpsSvc is not runing1..."},
      {SERVICE_STOPPED, 1, SERVICE_RUNNING, SERVICE_STOPPED, "MpsSvc is not runing2..."},
      {SERVICE_START_PENDING, -1, SERVICE_START_PENDING, SERVICE_START_PENDING, nullptr},
  };
  for (const auto& c : cases) {
    services_.SetState("MpsSvc", c.found);
    traces_.clear();
    int32_t state = 0;
    EXPECT_TRUE(startFirewallService(state));
    EXPECT_EQ(state, c.state);
    EXPECT_EQ(services_.State("MpsSvc"), c.after_start);
    EXPECT_EQ(traces_, Only(c.trace)) << c.found;
    EXPECT_TRUE(stopFirewallService());
    EXPECT_EQ(services_.State("MpsSvc"), c.after_stop);
  }
  services_.SetState("MpsSvc", SERVICE_PAUSED);
  EXPECT_TRUE(stopFirewallService());
  EXPECT_EQ(services_.State("MpsSvc"), SERVICE_STOPPED);
}

TEST_F(FirewallExceptionTest, ServicesThatCannotBeReached) {
  services_.Remove("MpsSvc");
  int32_t state = 9;
  EXPECT_FALSE(startFirewallService(state));
  EXPECT_EQ(state, 9);
  EXPECT_FALSE(stopFirewallService());
  services_.Fail(ServiceCall::kOpenManager, ERROR_ACCESS_DENIED);
  traces_.clear();
  EXPECT_FALSE(startFirewallService(state));
  EXPECT_FALSE(stopFirewallService());
  EXPECT_FALSE(isSharedAccessRunning());
  EXPECT_EQ(traces_, (std::vector<Trace>{
                         {"Cannot retrieve MpsSvc status...", false},
                         {"Cannot retrieve MpsSvc status...", false},
                         {"Cannot retrieve Windows Firewall/Internet Connection Sharing (ICS) status...", false}}));
  services_.Fail(ServiceCall::kOpenManager, 0);
  services_.SetState("SharedAccess", SERVICE_RUNNING);
  traces_.clear();
  EXPECT_TRUE(isSharedAccessRunning());
  EXPECT_EQ(traces_, (std::vector<Trace>{{"Windows Firewall/Internet Connection Sharing (ICS) is runing!", false}}));
}

}  // namespace
