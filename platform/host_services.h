#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/service_manager.h"

namespace platform {

constexpr const char* kServicesFileName = "services.txt";

// The services every emulated PC has, as a fresh Windows 7 has them: the firewall "MpsSvc"
// running and "SharedAccess" (connection sharing) stopped.
std::vector<ServiceRecord> DefaultServices();

// The host's services: the defaults, changed by services.txt in the state folder (empty: the
// user's), where every change is written back.
std::unique_ptr<ServiceManager> MakeHostServiceManager(std::string state_folder);

}  // namespace platform
