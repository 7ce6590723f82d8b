#include "platform/firewall.h"

#include <gtest/gtest.h>

#include "platform/service_manager.h"
#include "platform/thread.h"
#include "platform/virtual_clock.h"
#include "sim/sim_firewall.h"
#include "sim/sim_services.h"

namespace {

using namespace platform;

TEST(ComTest, InitialisationCountsPerThreadAndModel) {
  ScopedVirtualClock clock;
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE), S_OK);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
  // Another thread has COM of its own.
  HRESULT other = E_FAIL;
  Thread thread("com", [&] {
    other = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CoUninitialize();
  });
  thread.Join();
  EXPECT_EQ(other, S_OK);
  CoUninitialize();
  CoUninitialize();
  // Balanced: the next call starts afresh, in any model.
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  CoUninitialize();
  EXPECT_EQ(CoInitializeEx(reinterpret_cast<void*>(1), COINIT_MULTITHREADED), E_INVALIDARG);
}

TEST(ComTest, CreationNeedsComAndAKnownClass) {
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwMgr, &object),
            CO_E_NOTINITIALIZED);
  EXPECT_EQ(object, nullptr);
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  const CLSID unknown = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_LOCAL_SERVER, IID_INetFwMgr, &object),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwAuthorizedApplication, &object),
            E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  ASSERT_EQ(CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), S_OK);
  auto* unknown_object = static_cast<IUnknown*>(object);
  EXPECT_EQ(CoCreateInstance(CLSID_NetFwMgr, unknown_object, CLSCTX_INPROC_SERVER, IID_INetFwMgr, &object),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(unknown_object->Release(), 0u);
  CoUninitialize();
}

TEST(ComTest, SystemStrings) {
  BSTR text = SysAllocString(u"Orvo");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 4u);
  EXPECT_EQ(std::u16string(text), u"Orvo");
  SysFreeString(text);
  BSTR empty = SysAllocString(u"");
  EXPECT_EQ(SysStringLen(empty), 0u);
  SysFreeString(empty);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
}

class FirewallObjectsTest : public ::testing::Test {
 protected:
  FirewallObjectsTest() {
    InstallFirewall(&firewall_);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INetFwMgr* manager = nullptr;
    INetFwPolicy* policy = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwMgr,
                               reinterpret_cast<void**>(&manager)),
              S_OK);
    EXPECT_EQ(manager->get_LocalPolicy(&policy), S_OK);
    EXPECT_EQ(policy->get_CurrentProfile(&profile_), S_OK);
    policy->Release();
    manager->Release();
    EXPECT_EQ(profile_->get_AuthorizedApplications(&apps_), S_OK);
  }
  ~FirewallObjectsTest() override {
    apps_->Release();
    profile_->Release();
    CoUninitialize();
    InstallFirewall(nullptr);
  }
  // A new application object with the given properties (null: not set).
  INetFwAuthorizedApplication* NewApp(const char16_t* path, const char16_t* name) {
    INetFwAuthorizedApplication* app = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_NetFwAuthorizedApplication, nullptr, CLSCTX_INPROC_SERVER,
                               IID_INetFwAuthorizedApplication, reinterpret_cast<void**>(&app)),
              S_OK);
    BSTR p = SysAllocString(path), n = SysAllocString(name);
    if (path) {
      EXPECT_EQ(app->put_ProcessImageFileName(p), S_OK);
    }
    if (name) {
      EXPECT_EQ(app->put_Name(n), S_OK);
    }
    SysFreeString(p);
    SysFreeString(n);
    return app;
  }

  sim::SimFirewall firewall_;
  INetFwProfile* profile_ = nullptr;
  INetFwAuthorizedApplications* apps_ = nullptr;
};

TEST_F(FirewallObjectsTest, TheProfileIsReadAtEachCall) {
  VARIANT_BOOL flag = 0;
  ASSERT_EQ(profile_->get_FirewallEnabled(&flag), S_OK);
  EXPECT_EQ(flag, VARIANT_TRUE);
  ASSERT_EQ(profile_->get_ExceptionsNotAllowed(&flag), S_OK);
  EXPECT_EQ(flag, VARIANT_FALSE);
  firewall_.SetProfile({false, true, {}});
  ASSERT_EQ(profile_->get_FirewallEnabled(&flag), S_OK);
  EXPECT_EQ(flag, VARIANT_FALSE);
  ASSERT_EQ(profile_->get_ExceptionsNotAllowed(&flag), S_OK);
  EXPECT_EQ(flag, VARIANT_TRUE);
  EXPECT_EQ(profile_->get_FirewallEnabled(nullptr), E_POINTER);
}

TEST_F(FirewallObjectsTest, ApplicationsByImagePath) {
  BSTR path = SysAllocString(u"/opt/orvo/wizard");
  INetFwAuthorizedApplication* found = nullptr;
  EXPECT_EQ(apps_->Item(path, &found), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(found, nullptr);

  INetFwAuthorizedApplication* app = NewApp(u"/opt/orvo/wizard", u"Orvo NAS Setup Wizard");
  ASSERT_EQ(apps_->Add(app), S_OK);
  app->put_Enabled(VARIANT_FALSE);
  ASSERT_EQ(apps_->Add(app), S_OK);  // the same path: replaced, not added twice
  app->Release();
  LONG count = 0;
  ASSERT_EQ(apps_->get_Count(&count), S_OK);
  EXPECT_EQ(count, 1);
  ASSERT_EQ(apps_->Item(path, &found), S_OK);
  VARIANT_BOOL enabled = VARIANT_TRUE;
  EXPECT_EQ(found->get_Enabled(&enabled), S_OK);
  EXPECT_EQ(enabled, VARIANT_FALSE);
  BSTR name = nullptr;
  ASSERT_EQ(found->get_Name(&name), S_OK);
  EXPECT_EQ(std::u16string(name), u"Orvo NAS Setup Wizard");
  SysFreeString(name);
  found->Release();
  // Paths are the host's: letter case counts.
  BSTR other_case = SysAllocString(u"/opt/Orvo/wizard");
  EXPECT_EQ(apps_->Item(other_case, &found), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  SysFreeString(other_case);
  SysFreeString(path);
}

TEST_F(FirewallObjectsTest, AnApplicationNeedsAFullPathAndAName) {
  INetFwAuthorizedApplication* app = NewApp(nullptr, nullptr);
  const struct {
    const char16_t* path;
    HRESULT result;
  } paths[] = {{u"", E_INVALIDARG},
               {u"wizard", E_INVALIDARG},
               {u"C:wizard", E_INVALIDARG},
               {u"C:\\Program Files\\wizard.exe", S_OK},
               {u"/usr/bin/wizard", S_OK}};
  for (const auto& p : paths) {
    BSTR text = SysAllocString(p.path);
    EXPECT_EQ(app->put_ProcessImageFileName(text), p.result);
    SysFreeString(text);
  }
  EXPECT_EQ(apps_->Add(app), E_INVALIDARG);  // no name yet
  EXPECT_EQ(apps_->Add(nullptr), E_POINTER);
  EXPECT_TRUE(firewall_.Profile().applications.empty());
  app->Release();
}

TEST_F(FirewallObjectsTest, ATiedFirewallAnswersOnlyWhileItsServiceRuns) {
  sim::SimServiceManager services;
  firewall_.RequireService(&services);
  VARIANT_BOOL flag = 0;
  EXPECT_EQ(profile_->get_FirewallEnabled(&flag), S_OK);
  services.SetState("MpsSvc", SERVICE_STOPPED);
  EXPECT_EQ(profile_->get_FirewallEnabled(&flag), HRESULT_FROM_WIN32(EPT_S_NOT_REGISTERED));
  EXPECT_EQ(HRESULT_FROM_WIN32(EPT_S_NOT_REGISTERED), HresultOf(0x800706D9u));
  // The objects are still made; using them fails.
  INetFwMgr* manager = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwMgr,
                             reinterpret_cast<void**>(&manager)),
            S_OK);
  INetFwPolicy* policy = reinterpret_cast<INetFwPolicy*>(1);
  EXPECT_EQ(manager->get_LocalPolicy(&policy), HRESULT_FROM_WIN32(EPT_S_NOT_REGISTERED));
  EXPECT_EQ(policy, nullptr);
  manager->Release();
  firewall_.RequireService(nullptr);
}

}  // namespace
