#pragma once

#include <cstdint>

#include "platform/firewall.h"

// The wizard and the PC's firewall: the Windows version, the firewall service "MpsSvc" (started
// or continued at start-up on Windows Vista and 7, stopped again at the end when it had to be),
// and the wizard's own registration as an authorized application of the current profile.

// The display name of the registration.
inline constexpr const char16_t* kFirewallDisplayName = u"Orvo NAS Setup Wizard";

// osVersion: 0 for Windows XP and every version but 6.0 and 6.1, 1 for Vista (6.0), 2 for 7 (6.1).
void getOSVersion(int32_t& osVersion);

// Starts or continues "MpsSvc" and leaves the state it was found in: 4 running, 7 paused,
// 1 stopped, -1 any other; untouched when the service cannot be opened. True when it could.
bool startFirewallService(int32_t& firewallServiceState);
// Stops "MpsSvc" when it runs or is paused; true when the service could be opened.
bool stopFirewallService();
bool isSharedAccessRunning();

// Registers the wizard and tells whether the firewall lets it through: false when the firewall
// is on and allows no exceptions; when the firewall cannot be asked, false on Vista and 7 and
// otherwise false only while the older firewall ("SharedAccess") runs.
bool addFirewallException(int32_t osVersion);

platform::HRESULT WindowsFirewallInitialize(platform::INetFwProfile** fwProfile);
void WindowsFirewallCleanup(platform::INetFwProfile* fwProfile);
platform::HRESULT WindowsFirewallIsOn(platform::INetFwProfile* fwProfile, int* fwOn);
platform::HRESULT WindowsFirewallAppIsEnabled(platform::INetFwProfile* fwProfile,
                                              const char16_t* fwProcessImageFileName, int* fwAppEnabled);
platform::HRESULT WindowsFirewallAddApp(platform::INetFwProfile* fwProfile, const char16_t* fwProcessImageFileName,
                                        const char16_t* fwName);
