#include "platform/service_manager.h"

#include <map>
#include <mutex>
#include <optional>

#include "platform/ansi.h"
#include "platform/last_error.h"
#include "platform/unicode.h"

namespace platform {
namespace {

constinit ServiceSlot<ServiceManager> g_manager(&HostServiceManager);

struct OpenHandle {
  bool manager = false;
  std::string service;  // the service's name as installed
  DWORD access = 0;
};

std::mutex g_handle_mutex;
std::map<uintptr_t, OpenHandle> g_handles;
uintptr_t g_next_handle = 0x5C00;

SC_HANDLE NewHandle(OpenHandle handle) {
  std::lock_guard<std::mutex> lock(g_handle_mutex);
  const uintptr_t id = ++g_next_handle;
  g_handles.emplace(id, std::move(handle));
  return reinterpret_cast<SC_HANDLE>(id);
}

std::optional<OpenHandle> HandleOf(SC_HANDLE h) {
  std::lock_guard<std::mutex> lock(g_handle_mutex);
  auto it = g_handles.find(reinterpret_cast<uintptr_t>(h));
  if (it == g_handles.end()) return std::nullopt;
  return it->second;
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

ServiceRecord* Find(std::vector<ServiceRecord>& services, const std::string& name) {
  for (ServiceRecord& s : services) {
    if (NamesEqual(Utf8ToUtf16(s.name), Utf8ToUtf16(name))) return &s;
  }
  return nullptr;
}

void Describe(const ServiceRecord& s, SERVICE_STATUS* status) {
  if (!status) return;
  *status = SERVICE_STATUS{};
  status->dwServiceType = SERVICE_WIN32_SHARE_PROCESS;
  status->dwCurrentState = s.state;
  // A service that is stopped or on its way accepts no control, as the system reports it.
  const bool settled = s.state == SERVICE_RUNNING || s.state == SERVICE_PAUSED;
  status->dwControlsAccepted = settled ? s.controls_accepted : 0;
}

bool Pending(DWORD state) {
  return state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING || state == SERVICE_CONTINUE_PENDING ||
         state == SERVICE_PAUSE_PENDING;
}

// Runs `act` on the service of an open service handle that holds `right`.
BOOL OnService(SC_HANDLE h, DWORD right, ServiceCall call, const std::function<DWORD(ServiceRecord&)>& act) {
  const auto handle = HandleOf(h);
  if (!handle || handle->manager) return Fail(ERROR_INVALID_HANDLE);
  if ((handle->access & right) != right) return Fail(ERROR_ACCESS_DENIED);
  ServiceManager& manager = CurrentServiceManager();
  if (const DWORD fault = manager.Admit(call)) return Fail(fault);
  const DWORD error = manager.WithServices([&](std::vector<ServiceRecord>& services) -> DWORD {
    ServiceRecord* s = Find(services, handle->service);
    return s ? act(*s) : ERROR_SERVICE_DOES_NOT_EXIST;
  });
  return error == ERROR_SUCCESS ? 1 : Fail(error);
}

DWORD RightOf(DWORD control) {
  switch (control) {
    case SERVICE_CONTROL_STOP:
      return SERVICE_STOP;
    case SERVICE_CONTROL_PAUSE:
    case SERVICE_CONTROL_CONTINUE:
      return SERVICE_PAUSE_CONTINUE;
    default:
      return SERVICE_INTERROGATE;
  }
}

DWORD Control(ServiceRecord& s, DWORD control, SERVICE_STATUS* status) {
  if (control < SERVICE_CONTROL_STOP || control > SERVICE_CONTROL_INTERROGATE) return ERROR_INVALID_PARAMETER;
  if (s.state == SERVICE_STOPPED) return ERROR_SERVICE_NOT_ACTIVE;
  if (Pending(s.state)) return ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
  if (control == SERVICE_CONTROL_STOP && !(s.controls_accepted & SERVICE_ACCEPT_STOP)) {
    return ERROR_INVALID_SERVICE_CONTROL;
  }
  if ((control == SERVICE_CONTROL_PAUSE || control == SERVICE_CONTROL_CONTINUE) &&
      !(s.controls_accepted & SERVICE_ACCEPT_PAUSE_CONTINUE)) {
    return ERROR_INVALID_SERVICE_CONTROL;
  }
  if (control == SERVICE_CONTROL_STOP) s.state = SERVICE_STOPPED;
  if (control == SERVICE_CONTROL_PAUSE) s.state = SERVICE_PAUSED;
  if (control == SERVICE_CONTROL_CONTINUE) s.state = SERVICE_RUNNING;
  Describe(s, status);
  return ERROR_SUCCESS;
}

constexpr const char* kStateWords[] = {"",        "stopped",          "start-pending", "stop-pending",
                                       "running", "continue-pending", "pause-pending", "paused"};

}  // namespace

ServiceManager& CurrentServiceManager() { return g_manager.Current(); }
void InstallServiceManager(ServiceManager* manager) { g_manager.Install(manager); }

std::string ServiceStateWord(DWORD state) { return state <= SERVICE_PAUSED ? kStateWords[state] : ""; }

DWORD ServiceStateOfWord(const std::string& word) {
  for (DWORD state = SERVICE_STOPPED; state <= SERVICE_PAUSED; ++state) {
    if (word == kStateWords[state]) return state;
  }
  return 0;
}

SC_HANDLE OpenSCManagerA(const char* lpMachineName, const char* lpDatabaseName, DWORD dwDesiredAccess) {
  if (lpMachineName && *lpMachineName) {
    SetLastError(RPC_S_SERVER_UNAVAILABLE);
    return nullptr;
  }
  if (lpDatabaseName && !NamesEqual(Utf8ToUtf16(FromAnsi(AnsiString(lpDatabaseName))), u"ServicesActive")) {
    SetLastError(ERROR_DATABASE_DOES_NOT_EXIST);
    return nullptr;
  }
  if (const DWORD fault = CurrentServiceManager().Admit(ServiceCall::kOpenManager)) {
    SetLastError(fault);
    return nullptr;
  }
  return NewHandle({true, "", dwDesiredAccess});
}

SC_HANDLE OpenServiceA(SC_HANDLE hSCManager, const char* lpServiceName, DWORD dwDesiredAccess) {
  const auto manager = HandleOf(hSCManager);
  if (!manager || !manager->manager) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (!lpServiceName || !*lpServiceName) {
    SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  ServiceManager& services = CurrentServiceManager();
  if (const DWORD fault = services.Admit(ServiceCall::kOpenService)) {
    SetLastError(fault);
    return nullptr;
  }
  const std::string wanted = FromAnsi(AnsiString(lpServiceName));
  std::string name;
  services.WithServices([&](std::vector<ServiceRecord>& all) -> DWORD {
    if (const ServiceRecord* s = Find(all, wanted)) name = s->name;
    return ERROR_SUCCESS;
  });
  if (name.empty()) {
    SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
    return nullptr;
  }
  return NewHandle({false, name, dwDesiredAccess});
}

BOOL QueryServiceStatus(SC_HANDLE hService, SERVICE_STATUS* lpServiceStatus) {
  if (!lpServiceStatus) return Fail(ERROR_INVALID_PARAMETER);
  return OnService(hService, SERVICE_QUERY_STATUS, ServiceCall::kQueryStatus, [&](ServiceRecord& s) -> DWORD {
    Describe(s, lpServiceStatus);
    return ERROR_SUCCESS;
  });
}

BOOL StartServiceA(SC_HANDLE hService, DWORD, const char**) {
  return OnService(hService, SERVICE_START, ServiceCall::kStart, [](ServiceRecord& s) -> DWORD {
    if (s.state != SERVICE_STOPPED) return ERROR_SERVICE_ALREADY_RUNNING;
    s.state = SERVICE_RUNNING;
    return ERROR_SUCCESS;
  });
}

BOOL ControlService(SC_HANDLE hService, DWORD dwControl, SERVICE_STATUS* lpServiceStatus) {
  if (!lpServiceStatus) return Fail(ERROR_INVALID_PARAMETER);
  return OnService(hService, RightOf(dwControl), ServiceCall::kControl,
                   [&](ServiceRecord& s) { return Control(s, dwControl, lpServiceStatus); });
}

BOOL CloseServiceHandle(SC_HANDLE hSCObject) {
  std::lock_guard<std::mutex> lock(g_handle_mutex);
  if (!g_handles.erase(reinterpret_cast<uintptr_t>(hSCObject))) return Fail(ERROR_INVALID_HANDLE);
  return 1;
}

}  // namespace platform
