#include "platform/service_manager.h"

#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "platform/os_version.h"
#include "sim/sim_os_version.h"
#include "sim/sim_services.h"

namespace {

using namespace platform;

class ServiceManagerTest : public ::testing::Test {
 protected:
  ServiceManagerTest() { InstallServiceManager(&services_); }
  ~ServiceManagerTest() override {
    if (service_) CloseServiceHandle(service_);
    if (manager_) CloseServiceHandle(manager_);
    InstallServiceManager(nullptr);
  }
  SC_HANDLE Open(const char* name, DWORD access) {
    manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    EXPECT_NE(manager_, nullptr);
    service_ = OpenServiceA(manager_, name, access);
    return service_;
  }

  sim::SimServiceManager services_;
  SC_HANDLE manager_ = nullptr;
  SC_HANDLE service_ = nullptr;
};

// What each operation does to each state: 0 for success (and the state after), else the error.
TEST_F(ServiceManagerTest, OperationsByState) {
  enum Op { kStart, kStop, kPause, kContinue, kInterrogate };
  const struct {
    DWORD state;
    Op op;
    DWORD error;
    DWORD after;
  } cases[] = {
      {SERVICE_STOPPED, kStart, 0, SERVICE_RUNNING},
      {SERVICE_RUNNING, kStart, ERROR_SERVICE_ALREADY_RUNNING, SERVICE_RUNNING},
      {SERVICE_PAUSED, kStart, ERROR_SERVICE_ALREADY_RUNNING, SERVICE_PAUSED},
      {SERVICE_RUNNING, kStop, 0, SERVICE_STOPPED},
      {SERVICE_PAUSED, kStop, 0, SERVICE_STOPPED},
      {SERVICE_STOPPED, kStop, ERROR_SERVICE_NOT_ACTIVE, SERVICE_STOPPED},
      {SERVICE_RUNNING, kPause, 0, SERVICE_PAUSED},
      {SERVICE_PAUSED, kContinue, 0, SERVICE_RUNNING},
      {SERVICE_STOPPED, kContinue, ERROR_SERVICE_NOT_ACTIVE, SERVICE_STOPPED},
      {SERVICE_START_PENDING, kStop, ERROR_SERVICE_CANNOT_ACCEPT_CTRL, SERVICE_START_PENDING},
      {SERVICE_STOP_PENDING, kContinue, ERROR_SERVICE_CANNOT_ACCEPT_CTRL, SERVICE_STOP_PENDING},
      {SERVICE_RUNNING, kInterrogate, 0, SERVICE_RUNNING},
  };
  for (const auto& c : cases) {
    services_.SetState("MpsSvc", c.state);
    SC_HANDLE service = Open("mpssvc", SERVICE_ALL_ACCESS);
    ASSERT_NE(service, nullptr);
    SERVICE_STATUS status;
    SetLastError(0);
    const BOOL ok = c.op == kStart      ? StartServiceA(service, 0, nullptr)
                    : c.op == kStop     ? ControlService(service, SERVICE_CONTROL_STOP, &status)
                    : c.op == kPause    ? ControlService(service, SERVICE_CONTROL_PAUSE, &status)
                    : c.op == kContinue ? ControlService(service, SERVICE_CONTROL_CONTINUE, &status)
                                        : ControlService(service, SERVICE_CONTROL_INTERROGATE, &status);
    EXPECT_EQ(ok != 0, c.error == 0) << c.state << " op " << c.op;
    if (!ok) {
      EXPECT_EQ(GetLastError(), c.error) << c.state << " op " << c.op;
    }
    ASSERT_TRUE(QueryServiceStatus(service, &status));
    EXPECT_EQ(status.dwCurrentState, c.after) << c.state << " op " << c.op;
    EXPECT_EQ(services_.State("MpsSvc"), c.after);
    CloseServiceHandle(service_);
    CloseServiceHandle(manager_);
    service_ = manager_ = nullptr;
  }
}

TEST_F(ServiceManagerTest, HandlesCarryTheirRights) {
  SC_HANDLE query_only = Open("SharedAccess", SERVICE_QUERY_STATUS);
  ASSERT_NE(query_only, nullptr);
  SERVICE_STATUS status;
  EXPECT_TRUE(QueryServiceStatus(query_only, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_STOPPED);
  EXPECT_EQ(status.dwControlsAccepted, 0u);
  EXPECT_FALSE(StartServiceA(query_only, 0, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(services_.State("SharedAccess"), SERVICE_STOPPED);
  // A manager handle is no service handle, a closed handle no handle at all.
  EXPECT_FALSE(QueryServiceStatus(manager_, &status));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  ASSERT_TRUE(CloseServiceHandle(query_only));
  EXPECT_FALSE(CloseServiceHandle(query_only));
  EXPECT_FALSE(QueryServiceStatus(query_only, &status));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  service_ = nullptr;
}

TEST_F(ServiceManagerTest, OpeningFails) {
  EXPECT_EQ(OpenSCManagerA("\\\\elsewhere", nullptr, SC_MANAGER_ALL_ACCESS), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_EQ(OpenSCManagerA(nullptr, "ServicesFailed", SC_MANAGER_ALL_ACCESS), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DATABASE_DOES_NOT_EXIST));
  EXPECT_EQ(Open("NoSuchService", SERVICE_QUERY_STATUS), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
  EXPECT_EQ(OpenServiceA(nullptr, "MpsSvc", SERVICE_QUERY_STATUS), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  services_.Fail(ServiceCall::kOpenManager, ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(OsVersionTest, TheSizeFieldSaysWhichStructure) {
  sim::SimOsVersion version;
  version.Set({6, 0, 6002, "Service Pack 2", 2, 0});
  InstallOsVersion(&version);
  OSVERSIONINFOEXA ex;
  ex.dwOSVersionInfoSize = sizeof ex;
  ASSERT_TRUE(GetVersionExA(&ex));
  EXPECT_EQ(ex.dwMajorVersion, 6u);
  EXPECT_EQ(ex.dwMinorVersion, 0u);
  EXPECT_EQ(ex.dwBuildNumber, 6002u);
  EXPECT_EQ(ex.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_STREQ(ex.szCSDVersion, "Service Pack 2");
  EXPECT_EQ(ex.wServicePackMajor, 2);
  OSVERSIONINFOA plain;
  plain.dwOSVersionInfoSize = 148;
  EXPECT_TRUE(GetVersionExA(&plain));
  plain.dwOSVersionInfoSize = 100;
  EXPECT_FALSE(GetVersionExA(&plain));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  InstallOsVersion(nullptr);
  plain.dwOSVersionInfoSize = 148;
  ASSERT_TRUE(GetVersionExA(&plain));
  EXPECT_EQ(plain.dwMajorVersion * 10 + plain.dwMinorVersion, 61u);
}

}  // namespace
