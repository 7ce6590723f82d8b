#include "platform/firewall.h"

#include "platform/win_types.h"

namespace platform {
namespace {

constinit ServiceSlot<Firewall> g_firewall(&HostFirewall);

std::u16string TextOf(BSTR text) { return text ? std::u16string(text, SysStringLen(text)) : std::u16string(); }

HRESULT PutText(const std::u16string& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocString(text.c_str());
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT PutFlag(bool flag, VARIANT_BOOL* out) {
  if (!out) return E_POINTER;
  *out = flag ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

// An image path must name a program fully: a host path or a drive path.
bool IsFullPath(const std::u16string& path) {
  if (!path.empty() && path[0] == u'/') return true;
  return path.size() >= 3 && path[1] == u':' && (path[2] == u'\\' || path[2] == u'/') &&
         ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
}

class AuthorizedApplication final : public ComObject<INetFwAuthorizedApplication> {
 public:
  explicit AuthorizedApplication(FirewallApplication app = {}) : app_(std::move(app)) {}

  HRESULT get_Name(BSTR* name) override { return PutText(app_.name, name); }
  HRESULT put_Name(BSTR name) override {
    if (TextOf(name).empty()) return E_INVALIDARG;
    app_.name = TextOf(name);
    return S_OK;
  }
  HRESULT get_ProcessImageFileName(BSTR* imageFileName) override { return PutText(app_.image_path, imageFileName); }
  HRESULT put_ProcessImageFileName(BSTR imageFileName) override {
    if (!IsFullPath(TextOf(imageFileName))) return E_INVALIDARG;
    app_.image_path = TextOf(imageFileName);
    return S_OK;
  }
  HRESULT get_Enabled(VARIANT_BOOL* enabled) override {
    if (const HRESULT hr = CurrentFirewall().Admit(FirewallCall::kGetEnabled); FAILED(hr)) return hr;
    return PutFlag(app_.enabled, enabled);
  }
  HRESULT put_Enabled(VARIANT_BOOL enabled) override {
    app_.enabled = enabled != VARIANT_FALSE;
    return S_OK;
  }
  const FirewallApplication& entry() const { return app_; }

 private:
  FirewallApplication app_;
};

// Reads the profile after the call was admitted.
HRESULT Read(FirewallCall call, FirewallProfileState& profile) {
  Firewall& firewall = CurrentFirewall();
  if (const HRESULT hr = firewall.Admit(call); FAILED(hr)) return hr;
  return firewall.ReadProfile(&profile);
}

// A flag of the profile, read after the call was admitted.
HRESULT ReadFlag(FirewallCall call, bool FirewallProfileState::*flag, VARIANT_BOOL* out) {
  if (!out) return E_POINTER;
  FirewallProfileState profile;
  if (const HRESULT hr = Read(call, profile); FAILED(hr)) return hr;
  return PutFlag(profile.*flag, out);
}

// Hands out a new object of the next level (policy, profile, collection) once the call is admitted.
template <class Object, class Interface>
HRESULT HandOut(FirewallCall call, Interface** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (const HRESULT hr = CurrentFirewall().Admit(call); FAILED(hr)) return hr;
  *out = new Object;
  return S_OK;
}

class AuthorizedApplications final : public ComObject<INetFwAuthorizedApplications> {
 public:
  HRESULT get_Count(LONG* count) override {
    if (!count) return E_POINTER;
    FirewallProfileState profile;
    if (const HRESULT hr = Read(FirewallCall::kAuthorizedApplications, profile); FAILED(hr)) return hr;
    *count = static_cast<LONG>(profile.applications.size());
    return S_OK;
  }

  // Takes the applications made by CoCreateInstance of the class; their name and image path must
  // have been given.
  HRESULT Add(INetFwAuthorizedApplication* app) override {
    if (!app) return E_POINTER;
    Firewall& firewall = CurrentFirewall();
    if (const HRESULT hr = firewall.Admit(FirewallCall::kAdd); FAILED(hr)) return hr;
    const auto* own = dynamic_cast<const AuthorizedApplication*>(app);
    if (!own || own->entry().name.empty() || own->entry().image_path.empty()) return E_INVALIDARG;
    return firewall.Authorize(own->entry());
  }

  HRESULT Item(BSTR imageFileName, INetFwAuthorizedApplication** app) override {
    if (!app) return E_POINTER;
    *app = nullptr;
    FirewallProfileState profile;
    if (const HRESULT hr = Read(FirewallCall::kItem, profile); FAILED(hr)) return hr;
    const std::u16string path = TextOf(imageFileName);
    for (const FirewallApplication& entry : profile.applications) {
      if (entry.image_path == path) {
        *app = new AuthorizedApplication(entry);
        return S_OK;
      }
    }
    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  }
};

class Profile final : public ComObject<INetFwProfile> {
 public:
  HRESULT get_FirewallEnabled(VARIANT_BOOL* enabled) override {
    return ReadFlag(FirewallCall::kFirewallEnabled, &FirewallProfileState::firewall_enabled, enabled);
  }
  HRESULT get_ExceptionsNotAllowed(VARIANT_BOOL* notAllowed) override {
    return ReadFlag(FirewallCall::kExceptionsNotAllowed, &FirewallProfileState::exceptions_not_allowed, notAllowed);
  }
  HRESULT get_AuthorizedApplications(INetFwAuthorizedApplications** apps) override {
    return HandOut<AuthorizedApplications>(FirewallCall::kAuthorizedApplications, apps);
  }
};

class Policy final : public ComObject<INetFwPolicy> {
 public:
  HRESULT get_CurrentProfile(INetFwProfile** profile) override {
    return HandOut<Profile>(FirewallCall::kCurrentProfile, profile);
  }
};

class Manager final : public ComObject<INetFwMgr> {
 public:
  HRESULT get_LocalPolicy(INetFwPolicy** localPolicy) override {
    return HandOut<Policy>(FirewallCall::kLocalPolicy, localPolicy);
  }
};

// Hands out the new object through the interface asked for.
HRESULT Deliver(IUnknown* object, const IID& riid, void** ppv) {
  const HRESULT hr = object->QueryInterface(riid, ppv);
  object->Release();
  return hr;
}

}  // namespace

Firewall& CurrentFirewall() { return g_firewall.Current(); }
void InstallFirewall(Firewall* firewall) { g_firewall.Install(firewall); }

HRESULT CreateFirewallObject(const CLSID& rclsid, const IID& riid, void** ppv) {
  const bool manager = rclsid == CLSID_NetFwMgr;
  if (!manager && !(rclsid == CLSID_NetFwAuthorizedApplication)) return REGDB_E_CLASSNOTREG;
  const FirewallCall call = manager ? FirewallCall::kCreateManager : FirewallCall::kCreateApplication;
  if (const HRESULT hr = CurrentFirewall().Admit(call); FAILED(hr)) return hr;
  if (manager) return Deliver(new Manager, riid, ppv);
  return Deliver(new AuthorizedApplication, riid, ppv);
}

}  // namespace platform
