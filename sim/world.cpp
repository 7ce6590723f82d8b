#include "sim/world.h"

namespace sim {

World::World(uint32_t seed)
    : lan_(std::make_unique<Lan>(seed)),
      pc_(lan_->AddHost("pc")),
      sockets_(std::make_unique<LanSockets>(pc_)),
      adapters_(std::make_unique<LanAdapters>(pc_)) {}

World::~World() {
  if (installed_) {
    platform::InstallSockets(nullptr);
    platform::InstallAdapters(nullptr);
  }
  // The LAN's thread delivers to the PC's sockets: it ends before they go.
  lan_->Stop();
  sockets_.reset();
}

BoxNode& World::AddBox(const std::string& name, const std::string& segment, BoxConfig config) {
  return boxes_.emplace_back(*lan_, name, segment, std::move(config));
}

void World::Install() {
  platform::InstallSockets(sockets_.get());
  platform::InstallAdapters(adapters_.get());
  installed_ = true;
}

}  // namespace sim
