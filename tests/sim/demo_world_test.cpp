// The demo world runs on the real clock for the rest of the process: it has a binary of its own.
#include "sim/demo_world.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <thread>

#include "../support/scratch_folder.h"
#include "link/codec.h"
#include "pc_client.h"
#include "platform/exception.h"
#include "platform/processes.h"

namespace {

TEST(DemoWorld, TheVariableSelectsItAndItHoldsTheTwoBoxes) {
  setenv(sim::kWorldVariable, "simulated", 1);
  EXPECT_THROW(sim::InstallWorldFromEnvironment(), platform::Exception);
  setenv(sim::kWorldVariable, "host", 1);
  EXPECT_FALSE(sim::InstallWorldFromEnvironment());
  setenv(sim::kWorldVariable, "sim", 1);
  ASSERT_TRUE(sim::InstallWorldFromEnvironment());
  pc::Udp udp(9999);
  NasPacket request;
  BuildDiscoveryRequest(request);
  udp.SendTo("255.255.255.255", 9999, pc::Bytes(request.begin(), request.end()));
  std::set<std::string> models;
  for (const pc::Received& r : udp.ReceiveAll(1)) {
    NasPacket reply{};
    std::copy(r.bytes.begin(), r.bytes.end(), reply.begin());
    NasDiscoveryRecord record;
    if (ParseDiscoveryReply(reply, record) == 0) {
      models.insert(ReadTextField(record.bytes, discovery_field::kModelName, 32) + "@" + r.from);
    }
  }
  EXPECT_EQ(models, (std::set<std::string>{"NAS-120@192.168.1.20:9999", "NAS-220@192.168.1.21:9999"}));

  // The connection test's targets: the boxes' router and a public DNS server answer.
  ScratchFolder folder;
  for (const std::string target : {"192.168.1.1", "8.8.8.8"}) {
    const std::string path = folder.File(target + ".txt");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    platform::PingCommand ping;
    ping.target = target;
    ping.count = 1;
    ASSERT_EQ(platform::CurrentProcesses().StartPing(ping, platform::ProgramOutput::ToFile(file)), 0u);
    std::string output;
    for (int waited = 0; waited < 5000 && output.find("Reply from") == std::string::npos; waited += 20) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      std::ifstream in(path, std::ios::binary);
      output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    EXPECT_NE(output.find("Reply from " + target + ": bytes="), std::string::npos) << output;
  }
}

}  // namespace
