#pragma once

#include <memory>
#include <string>

#include "platform/firewall.h"
#include "platform/service_manager.h"

namespace platform {

constexpr const char* kFirewallFileName = "firewall.txt";

// The host's firewall: its current profile in firewall.txt in the state folder (empty: the
// user's), a file the user may edit. Missing, the firewall is on with exceptions allowed and no
// application authorized. The firewall's objects answer only while `service` (the firewall
// service "MpsSvc" of `services`) runs; otherwise every call but the creation of the objects
// fails with HRESULT_FROM_WIN32(EPT_S_NOT_REGISTERED), as the firewall's own would.
std::unique_ptr<Firewall> MakeHostFirewall(std::string state_folder, ServiceManager& services,
                                           std::string service = "MpsSvc");

}  // namespace platform
