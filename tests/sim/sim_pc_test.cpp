#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "add_connection.h"
#include "platform/clock.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/os_version.h"
#include "platform/processes.h"
#include "platform/virtual_clock.h"
#include "scratch_folder.h"
#include "sim/world.h"

namespace {

using platform::DWORD;
using sim::Ipv4Of;
using Lines = std::vector<std::string>;

// A line written at the very instant a test reads would race with the read, so the tests read
// between the instants of the lines.
class SimPcTest : public ::testing::Test {
 protected:
  SimPcTest() {
    world_.pc().AddInterface("lan", Ipv4Of("192.168.1.100"), Ipv4Of("255.255.255.0"), "eth0");
    world_.drives().SetTempFolder(temp_.path().string());
    world_.Install();
  }
  uint64_t Now() { return platform::CurrentClock().NowMs(); }
  void SleepUntil(uint64_t at) { platform::Sleep(static_cast<uint32_t>(at - Now())); }
  // Starts the ping as the reachability test does and gives its output file.
  std::string Ping(const std::string& host, const std::string& options = "") {
    const std::string file = temp_.File("ping.txt");
    const std::string line = "cmd.exe /c ping " + options + host + " > " + file;
    EXPECT_EQ(platform::WinExec(line.c_str(), platform::SW_HIDE), 33u);
    return file;
  }
  static Lines Read(const std::string& file) {
    std::ifstream in(file);
    Lines lines;
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }

  platform::ScopedVirtualClock clock_;
  ScratchFolder temp_;
  sim::World world_;
};

TEST_F(SimPcTest, AnAnsweringHostsRepliesComeOneASecond) {
  world_.processes().AnswerPings(Ipv4Of("192.168.1.1"), {0, 64});
  const uint64_t start = Now();
  const std::string file = Ping("192.168.1.1");
  const Lines header = {"", "Pinging 192.168.1.1 with 32 bytes of data:"};
  EXPECT_EQ(Read(file), header);
  const std::string reply = "Reply from 192.168.1.1: bytes=32 time<1ms TTL=64";
  const struct {
    uint64_t at;
    size_t replies;
  } moments[] = {{2, 1}, {1000, 1}, {1002, 2}, {2002, 3}, {3000, 3}};
  for (const auto& m : moments) {
    SleepUntil(start + m.at);
    Lines expected = header;
    expected.insert(expected.end(), m.replies, reply);
    EXPECT_EQ(Read(file), expected) << "at " << m.at;
  }
  SleepUntil(start + 3002);
  const Lines all = Read(file);
  ASSERT_EQ(all.size(), 11u);
  EXPECT_EQ(all[8], "    Packets: Sent = 4, Received = 4, Lost = 0 (0% loss),");
  ASSERT_EQ(world_.processes().Pings().size(), 1u);
  EXPECT_EQ(world_.processes().Pings()[0].time_ms, start);
}

TEST_F(SimPcTest, WhoAnswersAndWhatTheOthersGet) {
  world_.AddBox("nas", "lan", sim::BoxConfig{});  // 192.168.1.20
  world_.processes().AnswerPings(Ipv4Of("8.8.8.8"), {23, 117});
  const struct {
    const char* host;
    uint64_t first_line_at;
    const char* first_line;
  } cases[] = {
      {"192.168.1.20", 1, "Reply from 192.168.1.20: bytes=32 time<1ms TTL=64"},
      {"192.168.1.100", 1, "Reply from 192.168.1.100: bytes=32 time<1ms TTL=128"},
      {"127.0.0.1", 1, "Reply from 127.0.0.1: bytes=32 time<1ms TTL=128"},
      {"8.8.8.8", 23, "Reply from 8.8.8.8: bytes=32 time=23ms TTL=117"},
      {"192.168.1.9", 3000, "Reply from 192.168.1.100: Destination host unreachable."},
      {"208.67.222.222", 4000, "Request timed out."},
  };
  for (const auto& c : cases) {
    const uint64_t start = Now();
    const std::string file = Ping(c.host, "-n 1 ");
    SleepUntil(start + c.first_line_at - 1);
    EXPECT_EQ(Read(file).size(), 2u) << c.host;
    SleepUntil(start + c.first_line_at + 1);
    const Lines lines = Read(file);
    ASSERT_GE(lines.size(), 3u) << c.host;
    EXPECT_EQ(lines[2], c.first_line) << c.host;
    SleepUntil(start + 5000);
  }
  const std::string unknown = Ping("nas.example");
  EXPECT_EQ(Read(unknown), Lines{"Ping request could not find host nas.example. Please check the name and try again."});
  // The Windows ping reads "10.1" as inet_addr does.
  const std::string short_form = Ping("192.168.276", "-n 1 ");
  EXPECT_EQ(Read(short_form)[1], "Pinging 192.168.1.20 with 32 bytes of data:");
  SleepUntil(Now() + 1000);
}

TEST_F(SimPcTest, TheBoxesVolumesAreItsShares) {
  sim::BoxConfig mirrored;
  mirrored.host_name = "Storage";
  mirrored.disks = sim::Disks::Raid1(sim::FileSystem::kExt3);
  world_.AddBox("mirrored", "lan", mirrored);
  sim::BoxConfig separate;
  separate.address = Ipv4Of("192.168.1.21");
  separate.host_name = "Twin";
  separate.disks = sim::Disks({sim::Bay{true, sim::VolumeKind::kStandard, sim::FileSystem::kExt2},
                               sim::Bay{true, sim::VolumeKind::kStandard, sim::FileSystem::kExt2}});
  world_.AddBox("separate", "lan", separate);
  sim::BoxConfig fresh;
  fresh.address = Ipv4Of("192.168.1.22");
  fresh.host_name = "Fresh";
  fresh.disks = sim::Disks::OneUnformatted();
  world_.AddBox("fresh", "lan", fresh);
  const struct {
    const char* remote;
    DWORD result;
  } cases[] = {
      {"\\\\storage\\volume_1", platform::ERROR_SUCCESS},    {"\\\\Storage\\Volume_2", platform::ERROR_BAD_NET_NAME},
      {"\\\\Twin\\Volume_1", platform::ERROR_SUCCESS},       {"\\\\Twin\\Volume_2", platform::ERROR_SUCCESS},
      {"\\\\Fresh\\Volume_1", platform::ERROR_BAD_NET_NAME}, {"\\\\Elsewhere\\Volume_1", platform::ERROR_BAD_NETPATH},
  };
  char letter = 'Z';
  for (const auto& c : cases) {
    const std::string local{letter--, ':'};
    EXPECT_EQ(AddConnection(local.c_str(), c.remote), c.result) << c.remote;
  }
}

TEST_F(SimPcTest, TheWorldIsWhatThePlatformServes) {
  world_.os_version().Set({5, 1, 2600, "Service Pack 3", 3, 0});
  platform::OSVERSIONINFOA info;
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(platform::GetVersionExA(&info));
  EXPECT_EQ(info.dwMajorVersion, 5u);
  EXPECT_EQ(info.dwMinorVersion, 1u);
  world_.drives().SetLocalDrive('E', platform::DRIVE_CDROM);
  EXPECT_EQ(platform::GetDriveTypeA("E:\\"), platform::DRIVE_CDROM);
  char temp[512] = {};
  platform::GetTempPathA(sizeof temp, temp);
  EXPECT_EQ(std::string(temp), temp_.path().string() + "/");
  EXPECT_GT(platform::ShellExecuteA(nullptr, "open", "http://192.168.1.20", nullptr, nullptr, 5), 32);
  ASSERT_EQ(world_.shell().OpenedTargets().size(), 1u);
  EXPECT_EQ(world_.shell().OpenedTargets()[0].target, "http://192.168.1.20");
}

}  // namespace
