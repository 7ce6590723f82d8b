#pragma once

#include <string>
#include <vector>

#include "platform/com.h"
#include "platform/service.h"

// The firewall's COM classes and interfaces, as far as the program uses them: the manager's
// local policy, its current profile (firewall on, exceptions not allowed, authorized
// applications) and the authorized application with its image path, name and enabled flag.
namespace platform {

class INetFwAuthorizedApplication : public IUnknown {
 public:
  static constexpr IID iid = {0xB5E64FFA, 0xC2C5, 0x444E, {0xA3, 0x01, 0xFB, 0x5E, 0x00, 0x01, 0x80, 0x50}};
  virtual HRESULT get_Name(BSTR* name) = 0;
  virtual HRESULT put_Name(BSTR name) = 0;
  virtual HRESULT get_ProcessImageFileName(BSTR* imageFileName) = 0;
  virtual HRESULT put_ProcessImageFileName(BSTR imageFileName) = 0;
  virtual HRESULT get_Enabled(VARIANT_BOOL* enabled) = 0;
  virtual HRESULT put_Enabled(VARIANT_BOOL enabled) = 0;
};

class INetFwAuthorizedApplications : public IUnknown {
 public:
  static constexpr IID iid = {0x644EFD52, 0xCCF9, 0x486C, {0x97, 0xA2, 0x39, 0xF3, 0x52, 0x57, 0x0B, 0x30}};
  virtual HRESULT get_Count(LONG* count) = 0;
  // Adds the application, or replaces the one of the same image path.
  virtual HRESULT Add(INetFwAuthorizedApplication* app) = 0;
  // The application of that image path; HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) when none is.
  virtual HRESULT Item(BSTR imageFileName, INetFwAuthorizedApplication** app) = 0;
};

class INetFwProfile : public IUnknown {
 public:
  static constexpr IID iid = {0x174A0DDA, 0xE9F9, 0x449D, {0x99, 0x3B, 0x21, 0xAB, 0x66, 0x7C, 0xA4, 0x56}};
  virtual HRESULT get_FirewallEnabled(VARIANT_BOOL* enabled) = 0;
  virtual HRESULT get_ExceptionsNotAllowed(VARIANT_BOOL* notAllowed) = 0;
  virtual HRESULT get_AuthorizedApplications(INetFwAuthorizedApplications** apps) = 0;
};

class INetFwPolicy : public IUnknown {
 public:
  static constexpr IID iid = {0xD46D2478, 0x9AC9, 0x4008, {0x9D, 0xC7, 0x55, 0x63, 0xCE, 0x55, 0x36, 0xCC}};
  virtual HRESULT get_CurrentProfile(INetFwProfile** profile) = 0;
};

class INetFwMgr : public IUnknown {
 public:
  static constexpr IID iid = {0xF7898AF5, 0xCAC4, 0x4632, {0xA2, 0xEC, 0xDA, 0x06, 0xE5, 0x11, 0x1A, 0xF2}};
  virtual HRESULT get_LocalPolicy(INetFwPolicy** localPolicy) = 0;
};

inline constexpr IID IID_INetFwMgr = INetFwMgr::iid;
inline constexpr IID IID_INetFwAuthorizedApplication = INetFwAuthorizedApplication::iid;
inline constexpr CLSID CLSID_NetFwMgr = {0x304CE942, 0x6E39, 0x40D8, {0x94, 0x3A, 0xB9, 0x13, 0xC4, 0x0C, 0x9C, 0xD4}};
inline constexpr CLSID CLSID_NetFwAuthorizedApplication = {
    0xEC9846B3, 0x2762, 0x4A6B, {0xA2, 0x14, 0x6A, 0xCB, 0x60, 0x34, 0x62, 0xD2}};

// What a firewall backend keeps of the current profile.
struct FirewallApplication {
  std::u16string name;
  std::u16string image_path;
  bool enabled = true;
  friend bool operator==(const FirewallApplication&, const FirewallApplication&) = default;
};

struct FirewallProfileState {
  bool firewall_enabled = true;
  bool exceptions_not_allowed = false;
  std::vector<FirewallApplication> applications;
  friend bool operator==(const FirewallProfileState&, const FirewallProfileState&) = default;
};

// The calls of the firewall's objects, each of which a backend may refuse (Admit).
enum class FirewallCall {
  kCreateManager,
  kLocalPolicy,
  kCurrentProfile,
  kFirewallEnabled,
  kExceptionsNotAllowed,
  kAuthorizedApplications,
  kItem,
  kGetEnabled,
  kCreateApplication,
  kAdd,
};

// A firewall backend: the objects above read and change the profile through it.
class Firewall {
 public:
  virtual ~Firewall() = default;
  // S_OK, or the failure the call meets (a firewall service that is not running, a fault).
  virtual HRESULT Admit(FirewallCall call) = 0;
  virtual HRESULT ReadProfile(FirewallProfileState* profile) = 0;
  // Adds the application, or replaces the one with the same image path.
  virtual HRESULT Authorize(const FirewallApplication& app) = 0;
};

Firewall& CurrentFirewall();
void InstallFirewall(Firewall* firewall);
Firewall& HostFirewall();

// The object of one of the firewall's classes for CoCreateInstance; REGDB_E_CLASSNOTREG for any
// other class.
HRESULT CreateFirewallObject(const CLSID& rclsid, const IID& riid, void** ppv);

}  // namespace platform
