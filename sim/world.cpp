#include "sim/world.h"

#include "platform/clock.h"
#include "platform/unicode.h"

namespace sim {

World::World(uint32_t seed)
    : lan_(std::make_unique<Lan>(seed)),
      pc_(lan_->AddHost("pc")),
      sockets_(std::make_unique<LanSockets>(pc_)),
      adapters_(std::make_unique<LanAdapters>(pc_)),
      drives_(std::make_unique<SimDrives>()),
      services_(std::make_unique<SimServiceManager>()),
      firewall_(std::make_unique<SimFirewall>()),
      os_version_(std::make_unique<SimOsVersion>()),
      processes_(std::make_unique<SimProcesses>(*lan_, pc_)),
      shell_(std::make_unique<SimShell>()) {
  processes_->SetResponder([this](Ipv4 address) { return BoxAnswer(address); });
  drives_->SetShareResolver([this](const std::string& remote) { return BoxShare(remote); });
}

World::~World() {
  if (installed_) {
    platform::InstallSockets(nullptr);
    platform::InstallAdapters(nullptr);
    platform::InstallDrives(nullptr);
    platform::InstallServiceManager(nullptr);
    platform::InstallFirewall(nullptr);
    platform::InstallOsVersion(nullptr);
    platform::InstallProcesses(nullptr);
    platform::InstallShell(nullptr);
  }
  // The LAN's thread delivers to the PC's sockets and writes the pings' output: it ends before
  // they go.
  lan_->Stop();
  sockets_.reset();
}

BoxNode& World::AddBox(const std::string& name, const std::string& segment, BoxConfig config) {
  std::lock_guard<std::mutex> lock(boxes_mutex_);
  return boxes_.emplace_back(*lan_, name, segment, std::move(config));
}

void World::Install() {
  platform::InstallSockets(sockets_.get());
  platform::InstallAdapters(adapters_.get());
  platform::InstallDrives(drives_.get());
  platform::InstallServiceManager(services_.get());
  platform::InstallFirewall(firewall_.get());
  platform::InstallOsVersion(os_version_.get());
  platform::InstallProcesses(processes_.get());
  platform::InstallShell(shell_.get());
  installed_ = true;
}

std::optional<PingAnswer> World::BoxAnswer(Ipv4 address) {
  const uint64_t now = platform::CurrentClock().NowMs();
  std::lock_guard<std::mutex> lock(boxes_mutex_);
  for (BoxNode& node : boxes_) {
    bool answers = false;
    node.WithBox([&](Box& box) { answers = box.Online(now) && box.Address(now) == address; });
    if (answers) return PingAnswer{0, 64};
  }
  return std::nullopt;
}

platform::DWORD World::BoxShare(const std::string& remote_name) {
  // "\\server\share[\...]"
  const size_t share_start = remote_name.find('\\', 2) + 1;
  const size_t share_end = remote_name.find('\\', share_start);
  const std::u16string server = platform::Utf8ToUtf16(remote_name.substr(2, share_start - 3));
  const std::u16string share = platform::Utf8ToUtf16(remote_name.substr(share_start, share_end - share_start));
  const uint64_t now = platform::CurrentClock().NowMs();
  std::lock_guard<std::mutex> lock(boxes_mutex_);
  for (BoxNode& node : boxes_) {
    platform::DWORD result = platform::ERROR_BAD_NETPATH;
    node.WithBox([&](Box& box) {
      if (!box.Online(now) || !platform::NamesEqual(platform::Utf8ToUtf16(box.config().host_name), server)) return;
      const bool formatted = box.disks().HasFormattedVolume(now);
      const auto& bays = box.disks().bays();
      const bool second = bays[1].present && bays[1].kind == VolumeKind::kStandard && bays[1].fs != FileSystem::kNone;
      const bool exists = platform::NamesEqual(share, u"Volume_1")   ? formatted
                          : platform::NamesEqual(share, u"Volume_2") ? formatted && second
                                                                     : false;
      result = exists ? platform::ERROR_SUCCESS : platform::ERROR_BAD_NET_NAME;
    });
    if (result != platform::ERROR_BAD_NETPATH) return result;
  }
  return platform::ERROR_BAD_NETPATH;
}

}  // namespace sim
