#include "platform/processes.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "platform/command_line.h"
#include "platform/iputils_ping.h"
#include "platform/ping_command.h"
#include "scratch_folder.h"
#include "sim/sim_drives.h"
#include "sim/sim_shell.h"

namespace {

using namespace platform;
using Lines = std::vector<std::string>;

TEST(CommandLineTest, ProgramAndArguments) {
  const struct {
    const char* line;
    const char* program;
    const char* name;
    const char* arguments;
  } cases[] = {
      {"cmd.exe /c ping 1.2.3.4 > x", "cmd.exe", "cmd", "/c ping 1.2.3.4 > x"},
      {"  CMD /C dir", "CMD", "cmd", "/C dir"},
      {"\"C:\\Windows\\system32\\ping.exe\" -n 1 host", "C:\\Windows\\system32\\ping.exe", "ping", "-n 1 host"},
      {"Explorer /n,/e,Z:\\Software Add-ins", "Explorer", "explorer", "/n,/e,Z:\\Software Add-ins"},
      {"/usr/bin/explorer.COM", "/usr/bin/explorer.COM", "explorer", ""},
      {"", "", "", ""},
  };
  for (const auto& c : cases) {
    const ProgramAndArguments split = SplitProgram(c.line);
    EXPECT_EQ(split.program, c.program) << c.line;
    EXPECT_EQ(ProgramName(split.program), c.name) << c.line;
    EXPECT_EQ(split.arguments, c.arguments) << c.line;
  }
  EXPECT_EQ(CmdCommandText("/q /d /c ping x"), "ping x");
  EXPECT_EQ(CmdCommandText("/K  echo"), "echo");
  EXPECT_EQ(CmdCommandText("ping x"), std::nullopt);
  EXPECT_EQ(SplitWords(" -n  1 \"a b\" c"), (Lines{"-n", "1", "a b", "c"}));
}

TEST(CommandLineTest, CmdCommandsAndTheirRedirections) {
  using R = CmdRedirection;
  const struct {
    const char* text;
    Lines words;
    std::vector<R> redirections;
    const char* unsupported;
  } cases[] = {
      {"ping 10.0.0.1 > /tmp/pingGateway.txt", {"ping", "10.0.0.1"}, {{1, false, "/tmp/pingGateway.txt", -1}}, ""},
      {"ping 10.0.0.1>/tmp/a.txt", {"ping", "10.0.0.1"}, {{1, false, "/tmp/a.txt", -1}}, ""},
      {"ping x >> log 2>&1", {"ping", "x"}, {{1, true, "log", -1}, {2, false, "", 1}}, ""},
      {"ping x 2> err < in", {"ping", "x"}, {{2, false, "err", -1}, {0, false, "in", -1, true}}, ""},
      // "<" reads whatever handle it names.
      {"ping x 1< in", {"ping", "x"}, {{1, false, "in", -1, true}}, ""},
      // A host text with a ">" in it ends its word there.
      {"ping 1.1.>a.txt > /tmp/p.txt", {"ping", "1.1."}, {{1, false, "a.txt", -1}, {1, false, "/tmp/p.txt", -1}}, ""},
      {"ping x > \"C:\\Temp Folder\\p.txt\"", {"ping", "x"}, {{1, false, "C:\\Temp Folder\\p.txt", -1}}, ""},
      {"ping x | find \"TTL\"", {"ping", "x"}, {}, "|"},
      {"ping x && del y", {"ping", "x"}, {}, "&&"},
      {"ping x & del y", {"ping", "x"}, {}, "&"},
  };
  for (const auto& c : cases) {
    const CmdCommand command = ParseCmdCommand(c.text);
    EXPECT_EQ(command.words, c.words) << c.text;
    EXPECT_EQ(command.redirections, c.redirections) << c.text;
    EXPECT_EQ(command.unsupported, c.unsupported) << c.text;
  }
}

TEST(CommandLineTest, OnlyFilesRightInsideTheTemporaryFolderMayBeWritten) {
  const struct {
    const char* target;
    bool writable;
  } cases[] = {
      {"/run/user/1000/orvo/pingGateway.txt", true},
      {"/run/user/1000/orvo//pingGateway.txt", true},
      {"/run/user/1000/orvo/./pingGateway.txt", true},
      {"/run/user/1000/orvo/sub/pingGateway.txt", false},
      {"/run/user/1000/orvo/../pingGateway.txt", false},
      {"/run/user/1000/orvo/sub/../../orvo-other/x", false},
      {"/run/user/1000/orvo", false},
      {"/run/user/1000/orvo/", false},
      {"/run/user/1000/orvo/..", false},
      {"/run/user/1000/orvo-other/pingGateway.txt", false},
      {"pingGateway.txt", false},  // the working folder, whatever it is
      {"orvo/pingGateway.txt", false},
      {"/etc/passwd", false},
      {"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsWritableRedirectionTarget(c.target, "/run/user/1000/orvo/"), c.writable) << c.target;
  }
  EXPECT_TRUE(IsWritableRedirectionTarget("/tmp/t/p.txt", "/tmp/t"));
  EXPECT_FALSE(IsWritableRedirectionTarget("/tmp/t/p.txt", ""));
  EXPECT_FALSE(IsWritableRedirectionTarget("/tmp/t/p.txt", "t/"));
}

TEST(PingCommandTest, OptionsAndRefusals) {
  const auto ok = [](const Lines& words) { return std::get<PingCommand>(ParsePingArguments(words)); };
  EXPECT_EQ(ok({"10.0.0.1"}), (PingCommand{"10.0.0.1", 4, false, 32, 4000}));
  EXPECT_EQ(ok({"-n", "2", "-w", "500", "-l", "64", "host"}), (PingCommand{"host", 2, false, 64, 500}));
  EXPECT_EQ(ok({"/t", "-4", "host"}), (PingCommand{"host", 4, true, 32, 4000}));
  const struct {
    Lines words;
    const char* refusal;
  } refused[] = {
      {{}, "IP address must be specified."},
      {{"-n"}, "Value must be supplied for option -n."},
      {{"-n", "0", "x"}, "Bad value for option -n, valid range is from 1 to 4294967295."},
      {{"-l", "70000", "x"}, "Bad value for option -l, valid range is from 0 to 65500."},
      {{"-x", "host"}, "Bad option -x."},
      {{"a", "b"}, "Bad parameter b."},
  };
  for (const auto& c : refused) {
    EXPECT_EQ(std::get<Lines>(ParsePingArguments(c.words)), Lines{c.refusal});
  }
}

// Feeds iputils' lines (stdout unless they start with "!") and collects the Windows lines; each
// line comes `elapsed_ms` after the start (by default long after every request was sent).
Lines Translate(const PingCommand& command, const Lines& iputils, uint64_t elapsed_ms = 600'000) {
  IputilsPingTranscript transcript(command);
  Lines out;
  for (const std::string& line : iputils) {
    bool understood = true;
    const Lines got =
        line.starts_with("!") ? transcript.OnError(line.substr(1), understood) : transcript.OnOutput(line, elapsed_ms);
    out.insert(out.end(), got.begin(), got.end());
  }
  const Lines end = transcript.Finish(elapsed_ms);
  out.insert(out.end(), end.begin(), end.end());
  return out;
}

TEST(IputilsPingTest, RepliesBecomeWindowsReplyLines) {
  const Lines iputils = {
      "PING 127.0.0.1 (127.0.0.1) 32(60) bytes of data.",
      "40 bytes from 127.0.0.1: icmp_seq=1 ttl=64 time=0.045 ms",
      "40 bytes from 127.0.0.1: icmp_seq=2 ttl=64 time=12.9 ms",
      "40 bytes from 127.0.0.1: icmp_seq=2 ttl=64 time=13.1 ms (DUP!)",
      "40 bytes from 127.0.0.1: icmp_seq=4 ttl=63 time=3 ms",
      "",
      "--- 127.0.0.1 ping statistics ---",
      "4 packets transmitted, 3 received, +1 duplicates, 25% packet loss, time 3004ms",
      "rtt min/avg/max/mdev = 0.045/5.3/12.9/5.2 ms",
  };
  EXPECT_EQ(Translate({"127.0.0.1"}, iputils), (Lines{
                                                   "",
                                                   "Pinging 127.0.0.1 with 32 bytes of data:",
                                                   "Reply from 127.0.0.1: bytes=32 time<1ms TTL=64",
                                                   "Reply from 127.0.0.1: bytes=32 time=12ms TTL=64",
                                                   "Request timed out.",
                                                   "Reply from 127.0.0.1: bytes=32 time=3ms TTL=63",
                                                   "",
                                                   "Ping statistics for 127.0.0.1:",
                                                   "    Packets: Sent = 4, Received = 3, Lost = 1 (25% loss),",
                                                   "Approximate round trip times in milli-seconds:",
                                                   "    Minimum = 0ms, Maximum = 12ms, Average = 5ms",
                                               }));
}

TEST(IputilsPingTest, FailuresBecomeWhatWindowsPrints) {
  const struct {
    const char* name;
    const char* target;
    uint32_t count;
    Lines iputils;
    Lines windows;
  } cases[] = {
      {"nothing answers",
       "10.0.0.9",
       2,
       {"PING 10.0.0.9 (10.0.0.9) 32(60) bytes of data.", "", "2 packets transmitted, 0 received, 100% packet loss"},
       {"", "Pinging 10.0.0.9 with 32 bytes of data:", "Request timed out.", "Request timed out.", "",
        "Ping statistics for 10.0.0.9:", "    Packets: Sent = 2, Received = 0, Lost = 2 (100% loss),"}},
      {"unreachable replies count as received",
       "192.168.1.9",
       2,
       {"PING 192.168.1.9 (192.168.1.9) 32(60) bytes of data.",
        "From 192.168.1.100 icmp_seq=1 Destination Host Unreachable",
        "From 192.168.1.100 icmp_seq=2 Destination Host Unreachable"},
       {"", "Pinging 192.168.1.9 with 32 bytes of data:", "Reply from 192.168.1.100: Destination host unreachable.",
        "Reply from 192.168.1.100: Destination host unreachable.", "",
        "Ping statistics for 192.168.1.9:", "    Packets: Sent = 2, Received = 2, Lost = 0 (0% loss),"}},
      {"a name with its address",
       "router",
       1,
       {"PING router (10.0.0.1) 32(60) bytes of data.", "40 bytes from 10.0.0.1: icmp_seq=1 ttl=255 time=1.0 ms"},
       {"", "Pinging router [10.0.0.1] with 32 bytes of data:", "Reply from 10.0.0.1: bytes=32 time=1ms TTL=255", "",
        "Ping statistics for 10.0.0.1:", "    Packets: Sent = 1, Received = 1, Lost = 0 (0% loss),",
        "Approximate round trip times in milli-seconds:", "    Minimum = 1ms, Maximum = 1ms, Average = 1ms"}},
      {"an unknown host",
       "nas.invalid",
       4,
       {"!ping: nas.invalid: Name or service not known"},
       {"Ping request could not find host nas.invalid. Please check the name and try again."}},
      {"no route",
       "8.8.8.8",
       2,
       {"!ping: connect: Network is unreachable"},
       {"", "Pinging 8.8.8.8 with 32 bytes of data:", "PING: transmit failed. General failure.",
        "PING: transmit failed. General failure.", "",
        "Ping statistics for 8.8.8.8:", "    Packets: Sent = 2, Received = 0, Lost = 2 (100% loss),"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Translate({c.target, c.count}, c.iputils), c.windows) << c.name;
}

// The Windows lines of a run of 10.0.0.1: the header, the request lines, the packet counts and,
// when given, the round-trip times.
Lines RunOfTenZeroZeroOne(const Lines& requests, const std::string& counts, const std::string& times = "") {
  Lines lines = {"", "Pinging 10.0.0.1 with 32 bytes of data:"};
  lines.insert(lines.end(), requests.begin(), requests.end());
  lines.insert(lines.end(), {"", "Ping statistics for 10.0.0.1:", "    Packets: " + counts});
  if (!times.empty()) lines.insert(lines.end(), {"Approximate round trip times in milli-seconds:", "    " + times});
  return lines;
}

// Numbers no iputils prints, and replies to requests that were never sent: nothing raises, what
// is printed is clamped, and a run prints one line for each request it sent, no more.
TEST(IputilsPingTest, NumbersAndRepliesNoPingSendsAreBounded) {
  const std::string header = "PING 10.0.0.1 (10.0.0.1) 32(60) bytes of data.";
  const std::string timed_out = "Request timed out.";
  const std::string big = "4294967296";  // 2^32
  const std::string twenty = "98765432109876543210";
  const std::string one_ms = "Reply from 10.0.0.1: bytes=32 time=1ms TTL=64";
  const struct {
    const char* name;
    uint32_t count;
    bool until_stopped;
    uint64_t elapsed_ms;
    Lines iputils;
    Lines windows;
  } cases[] = {
      {"numbers of twenty digits",
       1,
       false,
       2000,
       {header, twenty + " bytes from 10.0.0.1: icmp_seq=1 ttl=" + twenty + " time=" + twenty + " ms"},
       RunOfTenZeroZeroOne({"Reply from 10.0.0.1: bytes=65527 time=4294967295ms TTL=255"},
                           "Sent = 1, Received = 1, Lost = 0 (0% loss),",
                           "Minimum = 4294967295ms, Maximum = 4294967295ms, Average = 4294967295ms")},
      {"a time of a point alone, and one of 2^32 ms",
       2,
       false,
       3000,
       {header, "40 bytes from 10.0.0.1: icmp_seq=1 ttl=64 time=. ms",
        "40 bytes from 10.0.0.1: icmp_seq=2 ttl=64 time=" + big + ".5 ms"},
       RunOfTenZeroZeroOne(
           {"Reply from 10.0.0.1: bytes=32 time<1ms TTL=64", "Reply from 10.0.0.1: bytes=32 time=4294967295ms TTL=64"},
           "Sent = 2, Received = 2, Lost = 0 (0% loss),",
           "Minimum = 0ms, Maximum = 4294967295ms, Average = 2147483647ms")},
      {"the last sequence number there is",
       2,
       false,
       3000,
       {header, "40 bytes from 10.0.0.1: icmp_seq=4294967295 ttl=64 time=1 ms",
        "From 10.0.0.1 icmp_seq=" + twenty + " Destination Host Unreachable"},
       RunOfTenZeroZeroOne({timed_out, timed_out}, "Sent = 2, Received = 0, Lost = 2 (100% loss),")},
      {"a spoofed reply far after a four-ping run's last request",
       4,
       false,
       5000,
       {header, "40 bytes from 10.0.0.1: icmp_seq=1 ttl=64 time=1 ms",
        "40 bytes from 10.0.0.1: icmp_seq=65535 ttl=64 time=1 ms"},
       RunOfTenZeroZeroOne({one_ms, timed_out, timed_out, timed_out}, "Sent = 4, Received = 1, Lost = 3 (75% loss),",
                           "Minimum = 1ms, Maximum = 1ms, Average = 1ms")},
      {"a run until stopped: a reply further ahead than a request a second",
       4,
       true,
       1500,
       {header, "40 bytes from 10.0.0.1: icmp_seq=3 ttl=64 time=1 ms",
        "40 bytes from 10.0.0.1: icmp_seq=4 ttl=64 time=1 ms", "9 packets transmitted, 1 received"},
       RunOfTenZeroZeroOne({timed_out, timed_out, one_ms}, "Sent = 3, Received = 1, Lost = 2 (66% loss),",
                           "Minimum = 1ms, Maximum = 1ms, Average = 1ms")},
      {"a line longer than any ping's",
       1,
       false,
       2000,
       {header, "40 bytes from 10.0.0.1: icmp_seq=1 ttl=64 time=1 ms" + std::string(2000, ' ')},
       RunOfTenZeroZeroOne({timed_out}, "Sent = 1, Received = 0, Lost = 1 (100% loss),")},
  };
  for (const auto& c : cases) {
    PingCommand command{"10.0.0.1"};
    command.count = c.count;
    command.until_stopped = c.until_stopped;
    EXPECT_EQ(Translate(command, c.iputils, c.elapsed_ms), c.windows) << c.name;
  }
}

TEST(IputilsPingTest, ArgumentsKeepTheTargetFromBeingAnOption) {
  EXPECT_EQ(IputilsPingArguments({"-f", 2, false, 64, 1500}),
            (Lines{"ping", "-n", "-c", "2", "-s", "64", "-W", "2", "--", "-f"}));
  EXPECT_EQ(IputilsPingArguments({"x", 4, true, 32, 4000}), (Lines{"ping", "-n", "-s", "32", "-W", "4", "--", "x"}));
}

// Records the pings and writes one line of its own, so that a test sees where the output went.
class RecordingProcesses final : public Processes {
 public:
  DWORD StartPing(const PingCommand& command, std::shared_ptr<ProgramOutput> output) override {
    started.push_back(command);
    output->WriteLine("Reply from " + command.target + ": bytes=32 time<1ms TTL=64");
    return missing ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
  }
  std::vector<PingCommand> started;
  bool missing = false;
};

class WinExecTest : public ::testing::Test {
 protected:
  WinExecTest() {
    std::filesystem::create_directories(disc_.path() / "Software Add-ins");
    drives_.SetLocalDrive('E', DRIVE_CDROM, disc_.path().string());
    drives_.SetTempFolder(temp_.path().string() + "/");
    InstallDrives(&drives_);
    InstallProcesses(&processes_);
    InstallShell(&shell_);
  }
  ~WinExecTest() override {
    InstallDrives(nullptr);
    InstallProcesses(nullptr);
    InstallShell(nullptr);
  }
  static std::string Read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::vector<std::string> Opened() {
    std::vector<std::string> targets;
    for (const auto& o : shell_.OpenedTargets()) targets.push_back(o.target);
    return targets;
  }

  ScratchFolder temp_;
  ScratchFolder disc_;
  sim::SimDrives drives_;
  RecordingProcesses processes_;
  sim::SimShell shell_;
};

TEST_F(WinExecTest, CmdRedirectsThePingsOutputIntoTheFile) {
  const std::string file = temp_.Write("pingGateway.txt", "an old reply TTL=64\r\n");
  const std::string line = "cmd.exe /c ping 192.168.1.1 > " + file;
  EXPECT_GT(WinExec(line.c_str(), SW_HIDE), 31u);
  ASSERT_EQ(processes_.started.size(), 1u);
  EXPECT_EQ(processes_.started[0], (PingCommand{"192.168.1.1"}));
  EXPECT_EQ(Read(file), "Reply from 192.168.1.1: bytes=32 time<1ms TTL=64\r\n");
  // ">>" appends; a refused command line writes ping's own answer.
  const std::string again = "cmd /c ping -x >> \"" + file + "\"";
  EXPECT_GT(WinExec(again.c_str(), SW_HIDE), 31u);
  EXPECT_EQ(Read(file), "Reply from 192.168.1.1: bytes=32 time<1ms TTL=64\r\nBad option -x.\r\n");
}

// What another program left under the redirection's name: a link is not followed, a FIFO is
// not waited on, and nothing but a regular file is written; the command then runs nothing.
TEST_F(WinExecTest, ARedirectionWritesOnlyARegularFileAndNeverWaits) {
  const std::string victim = temp_.Write("victim.txt", "the user's own file");
  const std::string fifo = temp_.File("pingFifo.txt");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string read_fifo = temp_.File("inputFifo.txt");
  ASSERT_EQ(::mkfifo(read_fifo.c_str(), 0600), 0);
  std::filesystem::create_symlink(victim, temp_.File("pingLink.txt"));
  std::filesystem::create_directories(temp_.path() / "pingFolder.txt");
  // A FIFO with a reader would take the bytes if it were opened.
  ASSERT_EQ(::mkfifo(temp_.File("pingReadFifo.txt").c_str(), 0600), 0);
  const int listening = ::open(temp_.File("pingReadFifo.txt").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(listening, 0);
  const struct {
    std::string line;
    const char* console;
  } cases[] = {
      {"cmd /c ping 10.0.0.1 > " + temp_.File("pingLink.txt"), "Access is denied.\n"},
      {"cmd /c ping 10.0.0.1 >> " + temp_.File("pingLink.txt"), "Access is denied.\n"},
      {"cmd /c ping 10.0.0.1 > " + fifo, "Access is denied.\n"},
      {"cmd /c ping 10.0.0.1 > " + temp_.File("pingReadFifo.txt"), "Access is denied.\n"},
      {"cmd /c ping 10.0.0.1 > " + temp_.File("pingFolder.txt"), "Access is denied.\n"},
      {"cmd /c ping 10.0.0.1 < " + read_fifo, "Access is denied.\n"},
  };
  for (const auto& c : cases) {
    processes_.started.clear();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(WinExec(c.line.c_str(), SW_HIDE), 33u) << c.line;
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.console) << c.line;
    EXPECT_TRUE(processes_.started.empty()) << c.line;
  }
  EXPECT_EQ(Read(victim), "the user's own file");
  EXPECT_TRUE(std::filesystem::is_symlink(temp_.File("pingLink.txt")));
  char byte;
  EXPECT_EQ(::read(listening, &byte, 1), 0);  // nothing was written into the FIFO
  ::close(listening);
}

// A line may name any file, as a host text with a ">" did ("1.1.>a.txt" emptied a.txt in the
// working folder): only files right inside the temporary folder are ever written, and a line that
// names any other is refused before it opens the first, so it empties nothing.
TEST_F(WinExecTest, NothingButFilesOfTheTemporaryFolderIsEverWritten) {
  ScratchFolder work;
  const std::string kept = "the user's own file";
  const std::string in_work = work.Write("a.txt", kept);
  std::filesystem::create_directories(temp_.path() / "sub");
  const std::string in_sub = temp_.Write("sub/pingGateway.txt", kept);
  const std::string log = temp_.File("pingGateway.txt");
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(work.path());
  const struct {
    std::string line;
    bool refused;
    bool log_written;
  } cases[] = {
      {"cmd.exe /c ping 1.1.>a.txt > " + log, true, false},
      {"cmd.exe /c ping 10.0.0.1 > " + log + " 2> a.txt", true, false},
      {"cmd.exe /c ping 10.0.0.1 >> " + in_work, true, false},
      {"cmd.exe /c ping 10.0.0.1 > " + in_sub, true, false},
      {"cmd.exe /c ping 10.0.0.1 > " + temp_.File("sub/../../a.txt"), true, false},
      {"cmd.exe /c ping 10.0.0.1 > " + temp_.File("sub/../pingGateway.txt"), false, true},
      {"cmd.exe /c ping 10.0.0.1 1< " + in_work, false, false},  // read, not written
  };
  for (const auto& c : cases) {
    processes_.started.clear();
    std::filesystem::remove(log);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(WinExec(c.line.c_str(), SW_HIDE), 33u) << c.line;
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.refused ? "Access is denied.\n" : "") << c.line;
    EXPECT_EQ(processes_.started.size(), c.refused ? 0u : 1u) << c.line;
    EXPECT_EQ(std::filesystem::exists(log), c.log_written) << c.line;
  }
  std::filesystem::current_path(before);
  EXPECT_EQ(Read(in_work), kept);
  EXPECT_EQ(Read(in_sub), kept);
  EXPECT_FALSE(std::filesystem::exists(temp_.path().parent_path() / "a.txt"));
}

TEST_F(WinExecTest, WhatTheEmulationDoesNotRun) {
  const std::string missing_folder = "cmd /c ping x > " + temp_.File("no/such/folder.txt");
  const struct {
    std::string line;
    UINT result;
    size_t pings;
  } cases[] = {
      {"notepad.exe x", ERROR_FILE_NOT_FOUND, 0},
      {"", ERROR_FILE_NOT_FOUND, 0},
      {"cmd.exe", ERROR_BAD_FORMAT, 0},
      {"cmd /c ping x | find \"TTL\"", ERROR_BAD_FORMAT, 0},
      {"cmd /c ping x &del y", ERROR_BAD_FORMAT, 0},
      {missing_folder, 33, 0},  // cmd runs, cannot open the file and runs nothing
      {"cmd /c ping x >", 33, 0},
      {"cmd /c notepad", 33, 0},
      {"ping -n 1 10.0.0.1", 33, 1},  // no console: the output goes nowhere
  };
  for (const auto& c : cases) {
    processes_.started.clear();
    EXPECT_EQ(WinExec(c.line.c_str(), SW_HIDE), c.result) << c.line;
    EXPECT_EQ(processes_.started.size(), c.pings) << c.line;
  }
  EXPECT_EQ(WinExec(nullptr, SW_HIDE), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
  processes_.missing = true;
  EXPECT_EQ(WinExec("ping 10.0.0.1", SW_HIDE), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
}

TEST_F(WinExecTest, ExplorerOpensTheFolderOfADrivePath) {
  EXPECT_GT(WinExec("Explorer /n,/e,E:\\Software Add-ins", SW_SHOWNORMAL), 31u);
  EXPECT_GT(WinExec("explorer /n,/e,e:\\SOFTWARE ADD-INS", SW_SHOWNORMAL), 31u);
  EXPECT_GT(WinExec("Explorer /n,/e,F:\\Software Add-ins", SW_SHOWNORMAL), 31u);  // no such drive: nothing
  EXPECT_GT(WinExec("explorer /select,E:\\Software Add-ins\\setup.exe", SW_SHOWNORMAL), 31u);
  const std::string folder = (disc_.path() / "Software Add-ins").string();
  EXPECT_EQ(Opened(), (std::vector<std::string>{folder, folder, folder}));
  shell_.SetNoProgram(true);
  EXPECT_EQ(WinExec("Explorer /n,/e,E:\\Software Add-ins", SW_SHOWNORMAL), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
}

TEST_F(WinExecTest, ShellExecuteOpensAddressesAndPaths) {
  EXPECT_GT(ShellExecuteA(nullptr, "open", "http://192.168.1.20", nullptr, nullptr, SW_SHOW), 32);
  EXPECT_GT(ShellExecuteA(nullptr, nullptr, "E:\\Software Add-ins", nullptr, nullptr, SW_SHOW), 32);
  EXPECT_EQ(ShellExecuteA(nullptr, "open", "E:\\Missing", nullptr, nullptr, SW_SHOW), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ShellExecuteA(nullptr, "print", "http://192.168.1.20", nullptr, nullptr, SW_SHOW), SE_ERR_NOASSOC);
  EXPECT_EQ(ShellExecuteA(nullptr, "open", "", nullptr, nullptr, SW_SHOW), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Opened(), (std::vector<std::string>{"http://192.168.1.20", (disc_.path() / "Software Add-ins").string()}));
  shell_.SetNoProgram(true);
  EXPECT_EQ(ShellExecuteA(nullptr, "open", "http://192.168.1.20", nullptr, nullptr, SW_SHOW), SE_ERR_NOASSOC);
}

}  // namespace
