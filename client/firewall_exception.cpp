#include "client/firewall_exception.h"

#include <cstdio>
#include <string>

#include "platform/ansi.h"
#include "platform/exe_path.h"
#include "platform/log_debug.h"
#include "platform/os_version.h"
#include "platform/service_manager.h"
#include "platform/unicode.h"

using namespace platform;

namespace {

constexpr DWORD kManagerAccess = 0xF003F;
constexpr DWORD kStartAccess = 0x54;  // query status, start, pause and continue
constexpr DWORD kStopAccess = 0x24;   // stop, query status
constexpr DWORD kQueryAccess = 0x04;

// A trace with an HRESULT: the format's "%08lx" filled in.
std::string WithResult(const char* format, HRESULT hr) {
  char text[160];
  std::snprintf(text, sizeof text, format, static_cast<unsigned long>(static_cast<uint32_t>(hr)));
  return text;
}

// A trace with a UTF-16 path where the format has "%lS": the path in the ANSI code page.
std::string WithPath(const std::string& before, const char16_t* path, const std::string& after) {
  return before + ToAnsi(Utf16ToUtf8(path)).bytes() + after;
}

template <class Interface>
void ReleaseOf(Interface*& object) {
  if (object) object->Release();
  object = nullptr;
}

// The local service manager (every right) and one of its services, closed again when this goes.
// `service` is null when either could not be opened; a manager that cannot be opened is traced.
class OpenedService {
 public:
  OpenedService(const char* name, DWORD access, const char* no_manager) {
    manager_ = OpenSCManagerA(nullptr, nullptr, kManagerAccess);
    if (!manager_) {
      LogDebug(no_manager);
      return;
    }
    service = OpenServiceA(manager_, name, access);
  }
  ~OpenedService() {
    if (service) CloseServiceHandle(service);
    if (manager_) CloseServiceHandle(manager_);
  }
  OpenedService(const OpenedService&) = delete;
  OpenedService& operator=(const OpenedService&) = delete;

  // The service's state; 0 when it cannot be queried.
  DWORD State() const {
    SERVICE_STATUS status;
    return QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
  }
  void Control(DWORD control) const {
    SERVICE_STATUS status;
    ControlService(service, control, &status);
  }

  SC_HANDLE service = nullptr;

 private:
  SC_HANDLE manager_ = nullptr;
};

constexpr const char* kNoManagerForMpsSvc = "Cannot retrieve MpsSvc status...";

}  // namespace

void getOSVersion(int32_t& osVersion) {
  osVersion = 0;
  OSVERSIONINFOA info;
  info.dwOSVersionInfoSize = 148;
  GetVersionExA(&info);
  if (info.dwMajorVersion == 5) {
    osVersion = 0;
    LogDebug("Ths OS is WIN_XP");
  } else if (info.dwMajorVersion == 6 && info.dwMinorVersion == 0) {
    osVersion = 1;
    LogDebug("Ths OS is WIN_VISTA");
  } else if (info.dwMajorVersion == 6 && info.dwMinorVersion == 1) {
    osVersion = 2;
    LogDebug("Ths OS is WIN_7");
  }
}

bool startFirewallService(int32_t& firewallServiceState) {
  const OpenedService mps("MpsSvc", kStartAccess, kNoManagerForMpsSvc);
  if (!mps.service) return false;
  switch (mps.State()) {
    case SERVICE_RUNNING:
      firewallServiceState = 4;
      LogDebug("MpsSvc is runing!");
      break;
    case SERVICE_PAUSED:
      firewallServiceState = 7;
      LogDebug("MpsSvc is not runing1...");
      mps.Control(SERVICE_CONTROL_CONTINUE);
      break;
    case SERVICE_STOPPED:
      firewallServiceState = 1;
      LogDebug("MpsSvc is not runing2...");
      StartServiceA(mps.service, 0, nullptr);
      break;
    default:
      firewallServiceState = -1;
  }
  return true;
}

bool stopFirewallService() {
  const OpenedService mps("MpsSvc", kStopAccess, kNoManagerForMpsSvc);
  if (!mps.service) return false;
  const DWORD state = mps.State();
  if (state == SERVICE_RUNNING || state == SERVICE_PAUSED) mps.Control(SERVICE_CONTROL_STOP);
  return true;
}

bool isSharedAccessRunning() {
  const OpenedService shared("SharedAccess", kQueryAccess,
                             "Cannot retrieve Windows Firewall/Internet Connection Sharing (ICS) status...");
  if (!shared.service) return false;
  const bool running = shared.State() == SERVICE_RUNNING;
  LogDebug(running ? "Windows Firewall/Internet Connection Sharing (ICS) is runing!"
                   : "Windows Firewall/Internet Connection Sharing (ICS) is not runing...");
  return running;
}

bool addFirewallException(int32_t osVersion) {
  const std::u16string image = Utf8ToUtf16(ExecutablePath());
  INetFwProfile* profile = nullptr;
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  // COM already set up in another mode on this thread is fine; it is then left alone.
  auto finish = [&] {
    WindowsFirewallCleanup(profile);
    if (SUCCEEDED(com)) CoUninitialize();
  };
  auto failed = [&] {
    finish();
    if (osVersion != 0) return false;
    return !isSharedAccessRunning();
  };
  if (FAILED(com) && com != RPC_E_CHANGED_MODE) {
    LogDebug(WithResult("CoInitializeEx failed: 0x%08lx\n", com));
    return failed();
  }
  HRESULT hr = WindowsFirewallInitialize(&profile);
  if (FAILED(hr)) {
    LogDebug(WithResult("WindowsFirewallInitialize failed: 0x%08lx\n", hr));
    return failed();
  }
  hr = WindowsFirewallAddApp(profile, image.c_str(), kFirewallDisplayName);
  if (FAILED(hr)) {
    LogDebug(WithResult("WindowsFirewallAddApp failed: 0x%08lx\n", hr));
    return failed();
  }
  int on = 0;
  hr = WindowsFirewallIsOn(profile, &on);
  if (FAILED(hr)) {
    LogDebug(WithResult("WindowsFirewallIsOn failed: 0x%08lx\n", hr));
    return failed();
  }
  VARIANT_BOOL notAllowed = VARIANT_FALSE;
  const bool blocked = profile->get_ExceptionsNotAllowed(&notAllowed) == S_OK && notAllowed != VARIANT_FALSE && on == 1;
  finish();
  return !blocked;
}

HRESULT WindowsFirewallInitialize(INetFwProfile** fwProfile) {
  *fwProfile = nullptr;
  INetFwMgr* manager = nullptr;
  INetFwPolicy* policy = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwMgr,
                                reinterpret_cast<void**>(&manager));
  if (SUCCEEDED(hr)) hr = manager->get_LocalPolicy(&policy);
  if (SUCCEEDED(hr)) hr = policy->get_CurrentProfile(fwProfile);
  ReleaseOf(policy);
  ReleaseOf(manager);
  return hr;
}

void WindowsFirewallCleanup(INetFwProfile* fwProfile) {
  if (fwProfile) fwProfile->Release();
}

HRESULT WindowsFirewallIsOn(INetFwProfile* fwProfile, int* fwOn) {
  *fwOn = 0;
  VARIANT_BOOL enabled = VARIANT_FALSE;
  const HRESULT hr = fwProfile->get_FirewallEnabled(&enabled);
  if (FAILED(hr)) {
    OutputDebugStringA(WithResult("get_FirewallEnabled failed: 0x%08lx\n", hr));
  } else if (enabled != VARIANT_FALSE) {
    *fwOn = 1;
    OutputDebugStringA("The firewall is on.\n");
  } else {
    OutputDebugStringA("The firewall is off.\n");
  }
  return hr;
}

HRESULT WindowsFirewallAppIsEnabled(INetFwProfile* fwProfile, const char16_t* fwProcessImageFileName,
                                    int* fwAppEnabled) {
  *fwAppEnabled = 0;
  INetFwAuthorizedApplications* apps = nullptr;
  INetFwAuthorizedApplication* app = nullptr;
  BSTR path = nullptr;
  HRESULT hr = fwProfile->get_AuthorizedApplications(&apps);
  if (FAILED(hr)) {
    OutputDebugStringA(WithResult("get_AuthorizedApplications failed: 0x%08lx\n", hr));
    return hr;
  }
  path = SysAllocString(fwProcessImageFileName);
  if (!path) {
    hr = E_OUTOFMEMORY;
    OutputDebugStringA(WithResult("SysAllocString failed: 0x%08lx\n", hr));
  } else if (FAILED(apps->Item(path, &app))) {
    // Not registered at all.
    hr = S_OK;
    OutputDebugStringA(WithPath("Authorized application ", fwProcessImageFileName, " is disabled in the firewall.\n"));
  } else {
    VARIANT_BOOL enabled = VARIANT_FALSE;
    hr = app->get_Enabled(&enabled);
    if (FAILED(hr)) {
      OutputDebugStringA(WithResult("get_Enabled failed: 0x%08lx\n", hr));
    } else if (enabled != VARIANT_FALSE) {
      *fwAppEnabled = 1;
      OutputDebugStringA(WithPath("Authorized application ", fwProcessImageFileName, " is enabled in the firewall.\n"));
    } else {
      OutputDebugStringA(
          WithPath("Authorized application ", fwProcessImageFileName, " is disabled in the firewall.\n"));
    }
  }
  SysFreeString(path);
  ReleaseOf(app);
  ReleaseOf(apps);
  return hr;
}

HRESULT WindowsFirewallAddApp(INetFwProfile* fwProfile, const char16_t* fwProcessImageFileName,
                              const char16_t* fwName) {
  int enabled = 0;
  HRESULT hr = WindowsFirewallAppIsEnabled(fwProfile, fwProcessImageFileName, &enabled);
  if (FAILED(hr)) {
    OutputDebugStringA(WithResult("WindowsFirewallAppIsEnabled failed: 0x%08lx\n", hr));
    return hr;
  }
  if (enabled) return S_OK;
  INetFwAuthorizedApplications* apps = nullptr;
  INetFwAuthorizedApplication* app = nullptr;
  BSTR path = nullptr;
  BSTR name = nullptr;
  // Each step runs only while the ones before it succeeded.
  auto step = [&](HRESULT result, const char* failure) {
    hr = result;
    if (FAILED(hr)) OutputDebugStringA(WithResult(failure, hr));
    return SUCCEEDED(hr);
  };
  if (step(fwProfile->get_AuthorizedApplications(&apps), "get_AuthorizedApplications failed: 0x%08lx\n") &&
      step(CoCreateInstance(CLSID_NetFwAuthorizedApplication, nullptr, CLSCTX_INPROC_SERVER,
                            IID_INetFwAuthorizedApplication, reinterpret_cast<void**>(&app)),
           "CoCreateInstance failed: 0x%08lx\n") &&
      step((path = SysAllocString(fwProcessImageFileName)) ? S_OK : E_OUTOFMEMORY,
           "SysAllocString failed: 0x%08lx\n") &&
      step(app->put_ProcessImageFileName(path), "put_ProcessImageFileName failed: 0x%08lx\n") &&
      step(SysStringLen(name = SysAllocString(fwName)) != 0 ? S_OK : E_OUTOFMEMORY,
           "SysAllocString failed: 0x%08lx\n") &&
      step(app->put_Name(name), "put_Name failed: 0x%08lx\n") && step(apps->Add(app), "Add failed: 0x%08lx\n")) {
    OutputDebugStringA(
        WithPath("Authorized application ", fwProcessImageFileName, " is now enabled in the firewall.\n"));
  }
  SysFreeString(name);
  SysFreeString(path);
  ReleaseOf(app);
  ReleaseOf(apps);
  return hr;
}
