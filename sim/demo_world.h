#pragma once

namespace sim {

// The environment variable that picks the program's world at start-up: ORVO_WORLD=sim runs the
// wizard against the simulated LAN (real clock) with the two demo boxes; unset (or "host"), the
// wizard uses the host's network.
constexpr const char* kWorldVariable = "ORVO_WORLD";

// Installs the demo world for the rest of the run: the PC at 192.168.1.100/24 and two boxes on
// its subnet, "NAS-120" at 192.168.1.20 (factory-fresh, one disk without a volume) and "NAS-220"
// at 192.168.1.21 (administrator password "orvo", two disks in RAID 1 with ext3).
void InstallDemoWorld();

// InstallDemoWorld when the environment asks for it; true when it did. Any value but "sim" and
// "host" raises platform::Exception naming it.
bool InstallWorldFromEnvironment();

}  // namespace sim
