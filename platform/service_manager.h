#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/service.h"
#include "platform/win_types.h"

// The service control manager as the program uses it: open the manager and a service, query,
// start, pause, continue and stop it, with the platform's access rights, states and errors (the
// calls return 0 or a null handle and leave the reason in GetLastError).
namespace platform {

struct SC_HANDLE__;
using SC_HANDLE = SC_HANDLE__*;

// Access rights.
constexpr DWORD SC_MANAGER_CONNECT = 0x0001;
constexpr DWORD SC_MANAGER_ENUMERATE_SERVICE = 0x0004;
constexpr DWORD SC_MANAGER_ALL_ACCESS = 0xF003F;
constexpr DWORD SERVICE_QUERY_CONFIG = 0x0001;
constexpr DWORD SERVICE_QUERY_STATUS = 0x0004;
constexpr DWORD SERVICE_START = 0x0010;
constexpr DWORD SERVICE_STOP = 0x0020;
constexpr DWORD SERVICE_PAUSE_CONTINUE = 0x0040;
constexpr DWORD SERVICE_INTERROGATE = 0x0080;
constexpr DWORD SERVICE_ALL_ACCESS = 0xF01FF;

// States.
constexpr DWORD SERVICE_STOPPED = 1;
constexpr DWORD SERVICE_START_PENDING = 2;
constexpr DWORD SERVICE_STOP_PENDING = 3;
constexpr DWORD SERVICE_RUNNING = 4;
constexpr DWORD SERVICE_CONTINUE_PENDING = 5;
constexpr DWORD SERVICE_PAUSE_PENDING = 6;
constexpr DWORD SERVICE_PAUSED = 7;

// Controls.
constexpr DWORD SERVICE_CONTROL_STOP = 1;
constexpr DWORD SERVICE_CONTROL_PAUSE = 2;
constexpr DWORD SERVICE_CONTROL_CONTINUE = 3;
constexpr DWORD SERVICE_CONTROL_INTERROGATE = 4;

constexpr DWORD SERVICE_ACCEPT_STOP = 0x1;
constexpr DWORD SERVICE_ACCEPT_PAUSE_CONTINUE = 0x2;
constexpr DWORD SERVICE_WIN32_SHARE_PROCESS = 0x20;

struct SERVICE_STATUS {
  DWORD dwServiceType = 0;
  DWORD dwCurrentState = 0;
  DWORD dwControlsAccepted = 0;
  DWORD dwWin32ExitCode = 0;
  DWORD dwServiceSpecificExitCode = 0;
  DWORD dwCheckPoint = 0;
  DWORD dwWaitHint = 0;
};

// One installed service. Names match without regard to letter case.
struct ServiceRecord {
  std::string name;
  DWORD state = SERVICE_STOPPED;
  DWORD controls_accepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE;
  friend bool operator==(const ServiceRecord&, const ServiceRecord&) = default;
};

// The calls a test may make fail (Admit).
enum class ServiceCall { kOpenManager, kOpenService, kQueryStatus, kStart, kControl };

// A service manager backend: it keeps the installed services; the calls below hold the rules.
// Emulated services change state at once: a start leaves the service running, a stop stopped.
class ServiceManager {
 public:
  virtual ~ServiceManager() = default;
  // Runs `use` on the services under the backend's lock; what it changes is kept. Returns what
  // `use` returned, or ERROR_ACCESS_DENIED when it succeeded but its change cannot be kept.
  virtual DWORD WithServices(const std::function<DWORD(std::vector<ServiceRecord>&)>& use) = 0;
  // 0, or the error the call meets (faults of the simulated backend).
  virtual DWORD Admit(ServiceCall call) {
    (void)call;
    return ERROR_SUCCESS;
  }
};

ServiceManager& CurrentServiceManager();
void InstallServiceManager(ServiceManager* manager);
ServiceManager& HostServiceManager();

// The manager of the local machine (a null or empty machine name) and its active database (a
// null name or "ServicesActive"). The program runs with administrator rights: every access is
// granted.
SC_HANDLE OpenSCManagerA(const char* lpMachineName, const char* lpDatabaseName, DWORD dwDesiredAccess);
SC_HANDLE OpenServiceA(SC_HANDLE hSCManager, const char* lpServiceName, DWORD dwDesiredAccess);
BOOL QueryServiceStatus(SC_HANDLE hService, SERVICE_STATUS* lpServiceStatus);
BOOL StartServiceA(SC_HANDLE hService, DWORD dwNumServiceArgs, const char** lpServiceArgVectors);
BOOL ControlService(SC_HANDLE hService, DWORD dwControl, SERVICE_STATUS* lpServiceStatus);
BOOL CloseServiceHandle(SC_HANDLE hSCObject);

// The state's word in the services file ("running", "start-pending"); empty for no state.
std::string ServiceStateWord(DWORD state);
// The state of a word; 0 for none.
DWORD ServiceStateOfWord(const std::string& word);

}  // namespace platform
