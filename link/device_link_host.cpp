#include "link/device_link_host.h"

#include <atomic>

namespace {
std::atomic<DeviceLinkHost*> g_host{nullptr};
}

void SetDeviceLinkHost(DeviceLinkHost* host) { g_host.store(host, std::memory_order_release); }

DeviceLinkHost* CurrentDeviceLinkHost() { return g_host.load(std::memory_order_acquire); }
