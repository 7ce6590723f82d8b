#include "sim/demo_world.h"

#include <cstdlib>
#include <string>

#include "platform/exception.h"
#include "sim/world.h"

namespace sim {

void InstallDemoWorld() {
  // Lives until the process ends: the program's sockets reach it to the last.
  static World* world = [] {
    auto* w = new World(1);
    w->pc().AddInterface("lan", Ipv4Of("192.168.1.100"), Ipv4Of("255.255.255.0"), "Ethernet");

    BoxConfig fresh;
    fresh.model_name = "NAS-120";
    fresh.product_id = "NAS-120";
    fresh.mac = {0x00, 0x11, 0x32, 0x10, 0x20, 0x30};
    fresh.address = Ipv4Of("192.168.1.20");
    fresh.host_name = "NAS-120";
    fresh.disks = Disks::OneUnformatted();
    w->AddBox("nas-120", "lan", fresh);

    BoxConfig configured;
    configured.model_name = "NAS-220";
    configured.product_id = "NAS-220";
    configured.mac = {0x00, 0x11, 0x32, 0x40, 0x50, 0x60};
    configured.address = Ipv4Of("192.168.1.21");
    configured.dhcp = false;
    configured.host_name = "Storage";
    configured.admin_password = "orvo";
    configured.configured_before = true;
    configured.time_zone = "33";
    configured.disks = Disks::Raid1(FileSystem::kExt3);
    w->AddBox("nas-220", "lan", configured);

    // The office's router (the boxes' gateway and DNS server) and a public DNS server answer
    // the connection test; anything else a user types times out.
    w->processes().AnswerPings(Ipv4Of("192.168.1.1"), {1, 64});
    w->processes().AnswerPings(Ipv4Of("8.8.8.8"), {18, 117});

    w->Install();
    return w;
  }();
  (void)world;
}

bool InstallWorldFromEnvironment() {
  const char* value = std::getenv(kWorldVariable);
  const std::string world = value ? value : "";
  if (world.empty() || world == "host") return false;
  if (world != "sim") {
    throw platform::Exception(std::string(kWorldVariable) + " must be \"sim\" or \"host\", not \"" + world + "\"");
  }
  InstallDemoWorld();
  return true;
}

}  // namespace sim
