#pragma once

// The wizard on the host's own sockets and adapters, on the real clock: the PC in a network
// namespace with two adapters on two subnets, nas-sim boxes in namespaces of their own. The
// test's thread enters the PC's namespace before the wizard exists, so that the wizard's sockets
// and threads (the receiver, the adapter scan) live there.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "link/codec.h"
#include "link/transport.h"
#include "netns.h"
#include "pc_client.h"
#include "platform/clock.h"
#include "platform/sockets.h"
#include "platform/thread.h"
#include "toolkit/application.h"
#include "wizard/forms/forms.h"
#include "wizard/main_form.h"
#include "wizard/program.h"

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class WizardHostTest : public ::testing::Test {
 protected:
  static constexpr uint64_t kReadinessLimitMs = 60'000;

  // Subnet 0 (the PC's eth0, its default route) holds box namespace 0, subnet 1 (eth1) box 1.
  void SetUp() override {
    std::string why_not;
    net_ = netns::TestNetwork::Create(1, &why_not);
    if (!net_) GTEST_SKIP() << why_not;
    if (net_->AddSubnet(1) != 1) GTEST_SKIP() << "a second subnet could not be set up with 'ip'";
    // The emulated services keep their files in the test's own folder, for this test only.
    const char* state_home = std::getenv("XDG_STATE_HOME");
    state_home_before_ = state_home ? std::optional<std::string>(state_home) : std::nullopt;
    setenv("XDG_STATE_HOME", net_->TempFile("state").c_str(), 1);
    state_home_set_ = true;
    platform::MarkMainThread();
  }
  void TearDown() override {
    if (app_) {
      while (form_Main && form_Main->ipConfigThreadCount > 0) app_->HandleMessage();
      StopUdpReceiver();
      while (!app_->Components().empty()) delete app_->Components().back();
      app_.reset();
    }
    pc_.reset();
    boxes_.clear();
    if (state_home_set_) {
      if (state_home_before_) {
        setenv("XDG_STATE_HOME", state_home_before_->c_str(), 1);
      } else {
        unsetenv("XDG_STATE_HOME");
      }
    }
  }

  // One nas-sim in box namespace `ns`, answering for the given addresses of that namespace; a
  // single box takes `options` too (faults, disks).
  void StartBoxes(int ns, const std::vector<std::string>& addresses, const std::vector<std::string>& options = {}) {
    for (size_t i = 1; i < addresses.size(); ++i) ASSERT_TRUE(net_->AddBoxAddress(ns, addresses[i])) << addresses[i];
    const std::string tag = "boxes" + std::to_string(ns);
    const std::string config = net_->TempFile(tag + ".json");
    std::ofstream out(config);
    out << R"({"log": ")" << net_->TempFile(tag + ".jsonl") << R"(", "boxes": [)";
    for (size_t i = 0; i < addresses.size(); ++i) {
      char mac[32];
      std::snprintf(mac, sizeof mac, "00:11:32:%02X:%02X:%02X", ns, static_cast<unsigned>(i >> 8),
                    static_cast<unsigned>(i & 0xFF));
      const std::string model = "NAS-" + std::to_string(ns) + "-" + std::to_string(i);
      out << (i ? "," : "") << R"({"name": ")" << model << R"(", "model": ")" << model << R"(", "address": ")"
          << addresses[i] << R"(", "mac": ")" << mac << R"("})";
    }
    out << "]}";
    out.close();
    std::vector<std::string> argv = {"ip", "netns", "exec", net_->box(ns), NAS_SIM_PATH};
    if (addresses.size() == 1) {
      argv.insert(argv.end(), {"--name", "NAS-" + std::to_string(ns) + "-0", "--log", net_->TempFile(tag + ".jsonl")});
      argv.insert(argv.end(), options.begin(), options.end());
    } else {
      argv.insert(argv.end(), {"--config", config});
    }
    boxes_.push_back(
        std::make_unique<netns::Process>(argv, net_->TempFile(tag + ".out"), net_->TempFile(tag + ".err")));
    box_tags_.push_back(tag);
  }

  // From here on the test's thread is the PC. Waits until every box answers a unicast request
  // (binding hundreds of addresses takes a while on a busy machine, and is not what is tested),
  // then makes the wizard's windows as the program does.
  void StartWizard(const std::vector<std::string>& every_box) {
    pc_ = std::make_unique<netns::EnterNamespace>(net_->pc());
    ASSERT_TRUE(pc_->ok());
    {
      pc::Udp probe;
      NasPacket request;
      BuildDiscoveryRequest(request);
      std::set<std::string> waiting(every_box.begin(), every_box.end());
      const uint64_t give_up = platform::CurrentClock().NowMs() + kReadinessLimitMs;
      while (!waiting.empty() && platform::CurrentClock().NowMs() < give_up && BoxesRun()) {
        for (const std::string& box : waiting) probe.SendTo(box, 9999, pc::Bytes(request.begin(), request.end()));
        platform::Sleep(50);
        for (const pc::Received& r : probe.ReceiveAll(0)) waiting.erase(r.from.substr(0, r.from.find(':')));
      }
      ASSERT_TRUE(waiting.empty()) << waiting.size() << " boxes do not answer; " << BoxErrors();
    }
    app_ = std::make_unique<TApplication>();
    RegisterWizardForms();
    Application->SetTitle(kProductTitle);
    CreateWizardWindows();
  }
  // Whether every nas-sim still runs (one that ended will never answer).
  bool BoxesRun() {
    return std::none_of(boxes_.begin(), boxes_.end(), [](const auto& box) { return box->Ended(); });
  }
  // What the boxes of namespace `ns` were asked, one JSON line a request.
  std::string BoxLog(int ns) const { return ReadFile(net_->TempFile("boxes" + std::to_string(ns) + ".jsonl")); }
  std::string BoxErrors() const {
    std::string text;
    for (const std::string& tag : box_tags_) text += ReadFile(net_->TempFile(tag + ".err"));
    return text;
  }
  void WaitForRoundEnd() {
    while (form_Main->timer_DeviceDiscovery->Enabled()) app_->HandleMessage();
  }
  std::set<std::string> ListedAddresses() const {
    std::set<std::string> addresses;
    for (int i = 0; i < form_Main->ListView1->Count(); ++i)
      addresses.insert(form_Main->ListView1->Item(i)->SubItems()[0]);
    return addresses;
  }
  static std::vector<std::string> Hosts(int subnet, int first, int count) {
    std::vector<std::string> addresses;
    for (int i = 0; i < count; ++i) addresses.push_back(netns::TestNetwork::SubnetAddress(subnet, first + i));
    return addresses;
  }

  std::unique_ptr<netns::TestNetwork> net_;
  std::vector<std::unique_ptr<netns::Process>> boxes_;
  std::vector<std::string> box_tags_;
  std::unique_ptr<netns::EnterNamespace> pc_;
  std::unique_ptr<TApplication> app_;

 private:
  bool state_home_set_ = false;
  std::optional<std::string> state_home_before_;
};
