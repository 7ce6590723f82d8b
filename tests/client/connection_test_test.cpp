#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "client/form_connection_test.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/exception.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "platform/log_debug.h"
#include "platform/virtual_clock.h"
#include "scratch_folder.h"
#include "sim/world.h"
#include "toolkit/application.h"
#include "toolkit/std_controls.h"
#include "toolkit/timer.h"
#include "wizard/forms/forms.h"

namespace {

using platform::AnsiString;
using sim::Ipv4Of;
using Targets = std::vector<std::string>;

constexpr const char* kGateway = "192.168.1.1";
constexpr const char* kDns = "192.168.1.53";

const AnsiString kTest("Test");
const AnsiString kLabGateway("Default Gateway: ");
const AnsiString kLabDns("Primary NDS: ");
const AnsiString kLabPublic("Public DNS: ");

class ConnectionTestTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterWizardForms(); }

  ConnectionTestTest() {
    world_.pc().AddInterface("lan", Ipv4Of("192.168.1.100"), Ipv4Of("255.255.255.0"), "eth0");
    world_.drives().SetTempFolder(temp_.path().string());
    world_.Install();
    app_.CreateForm(main_);  // the program's main window comes first
    app_.CreateForm(form_);
    form_->SetTextSlots({&kTest, &kLabGateway, &kLabDns, &kLabPublic});
    platform::SetTraceObserver([this](std::string_view text, bool) { traces_.emplace_back(text); });
  }
  ~ConnectionTestTest() override { platform::SetTraceObserver(nullptr); }

  uint64_t Now() { return platform::CurrentClock().NowMs(); }
  void Answer(const char* address, uint32_t time_ms = 0) {
    world_.processes().AnswerPings(Ipv4Of(address), {time_ms, 64});
  }
  // Shows the window as the page flow does; returns the result.
  int32_t Run(const char* gateway, const char* dns) {
    form_->lab_TestStatus->SetCaption("Connection test initiating...");
    form_->gatewayHost = AnsiString(gateway);
    form_->primaryDnsHost = AnsiString(dns);
    form_->timer_CheckConnection->SetEnabled(true);
    form_->ShowModal();
    return form_->ConnectionTestResult;
  }
  Targets Pinged() {
    Targets targets;
    for (const auto& p : world_.processes().Pings()) targets.push_back(p.command.target);
    return targets;
  }
  std::vector<uint64_t> PingTimes(uint64_t since) {
    std::vector<uint64_t> times;
    for (const auto& p : world_.processes().Pings()) times.push_back(p.time_ms - since);
    return times;
  }

  platform::ScopedVirtualClock clock_;
  ScratchFolder temp_;
  sim::World world_;
  TApplication app_;
  TForm* main_ = nullptr;
  Tform_ConnectionTest* form_ = nullptr;
  std::vector<std::string> traces_;
};

TEST_F(ConnectionTestTest, ResultsByWhoAnswers) {
  const struct {
    const char* gateway;
    const char* dns;
    std::set<std::string> answering;
    int32_t result;
    Targets pinged;
  } cases[] = {
      {"...", "...", {"8.8.8.8"}, 4, {"8.8.8.8"}},
      {"...", kDns, {}, 5, {kDns, "8.8.8.8", "208.67.222.222"}},
      {kGateway, "...", {kGateway}, 6, {kGateway, "8.8.8.8", "208.67.222.222"}},
      {kGateway, kDns, {}, 0, {kGateway}},
      {kGateway, kDns, {kGateway, kDns, "8.8.8.8"}, 4, {kGateway, kDns, "8.8.8.8"}},
      {kGateway, kDns, {kGateway, "208.67.222.222"}, 2, {kGateway, kDns, "8.8.8.8", "208.67.222.222"}},
      {kGateway, kDns, {kGateway, kDns}, 3, {kGateway, kDns, "8.8.8.8", "208.67.222.222"}},
      {kGateway, kDns, {kGateway}, 1, {kGateway, kDns, "8.8.8.8", "208.67.222.222"}},
      {"...", "...", {}, 6, {"8.8.8.8", "208.67.222.222"}},
  };
  const char* traces[] = {
      "Gateway failed, \tPrimareDNS N/A, \tPublicDNS N/A",
      "Gateway succeed, \tPrimareDNS Failed, \tPublicDNS Failed",
      "Gateway succeed, \tPrimareDNS Failed, \tPublicDNS succeed",
      "Gateway succeed, \tPrimareDNS succeed, PublicDNS Failed",
      "Gateway succeed, \tPrimareDNS succeed, PublicDNS succeed",
      "Gateway succeed, \tPrimareDNS Failed, \tPublicDNS Failed",
      "Gateway succeed, \tPrimareDNS succeed, PublicDNS Failed",
  };
  for (const auto& c : cases) {
    const size_t before = world_.processes().Pings().size();
    for (const std::string& a : c.answering) Answer(a.c_str());
    traces_.clear();
    EXPECT_EQ(Run(c.gateway, c.dns), c.result) << c.gateway << " " << c.dns;
    const Targets all = Pinged();
    EXPECT_EQ(Targets(all.begin() + before, all.end()), c.pinged) << c.gateway << " " << c.dns;
    EXPECT_EQ(traces_, std::vector<std::string>{traces[c.result]});
    EXPECT_FALSE(form_->timer_CheckConnection->Enabled());
    EXPECT_FALSE(form_->Visible());
    for (const std::string& a : c.answering) world_.processes().StopAnswering(Ipv4Of(a));
    platform::Sleep(20000);  // the last pings end
  }
}

TEST_F(ConnectionTestTest, AGatewayThatNeverAnswersCostsFourChecksOneSecondApart) {
  const uint64_t start = Now();
  EXPECT_EQ(Run(kGateway, kDns), 0);
  // The timer fires 100 ms after the showing; the test ends after four checks and four sleeps.
  EXPECT_EQ(PingTimes(start), (std::vector<uint64_t>{100}));
  EXPECT_EQ(Now() - start, 100u + 4000u);
  EXPECT_EQ(form_->lab_TestStatus->Caption(), "Test Default Gateway:  192.168.1.1....");
}

TEST_F(ConnectionTestTest, EachTargetIsCheckedOnWholeSecondsFromItsPing) {
  Answer(kGateway);
  Answer(kDns, 1500);  // its reply comes after the second check
  Answer("8.8.8.8", 999);
  const uint64_t start = Now();
  EXPECT_EQ(Run(kGateway, kDns), 4);
  // Gateway: answered at the second check (1 s); primary DNS: at the third (2 s); 8.8.8.8: at the
  // second (1 s).
  EXPECT_EQ(PingTimes(start), (std::vector<uint64_t>{100, 1100, 3100}));
  EXPECT_EQ(Now() - start, 4100u);
  EXPECT_EQ(form_->lab_TestStatus->Caption(), "Test Public DNS:  8.8.8.8.");
}

TEST_F(ConnectionTestTest, TheFilesOfEarlierTestsDoNotCount) {
  // An old reply is deleted before the new ping starts.
  const std::string gateway_file =
      temp_.Write("pingGateway.txt", "Reply from 192.168.1.1: bytes=32 time<1ms TTL=64\r\n");
  // 8.8.8.8 answers: the file of the second public server stays as an earlier test left it.
  const std::string second_file = temp_.Write("pingPublicDNS2.txt", "left from before");
  EXPECT_EQ(Run(kGateway, kDns), 0);
  Answer("8.8.8.8");
  EXPECT_EQ(Run("...", "..."), 4);
  std::ifstream in(second_file);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "left from before");
  EXPECT_EQ(std::filesystem::file_size(gateway_file) > 0, true);
}

// Whatever sits under a log's name before its ping is deleted first, never followed or read: a
// reply only counts when this ping wrote it. What cannot be deleted makes its target fail at
// once, without a ping.
TEST_F(ConnectionTestTest, APlantedLogNeverAnswersForItsTarget) {
  const std::string victim = temp_.Write("victim.txt", "Reply from 192.168.1.1: bytes=32 time<1ms TTL=64\r\n");
  const std::string log = temp_.File("pingGateway.txt");
  enum class Planted { kLink, kFifo, kFolder };
  const struct {
    Planted planted;
    bool gateway_answers;
    int32_t result;
    Targets pinged;
  } cases[] = {
      {Planted::kLink, false, 0, {kGateway}},
      {Planted::kLink, true, 4, {kGateway, "8.8.8.8"}},
      {Planted::kFifo, false, 0, {kGateway}},
      {Planted::kFolder, true, 0, {}},  // cannot be deleted: the gateway fails unpinged
  };
  Answer("8.8.8.8");
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.planted));
    switch (c.planted) {
      case Planted::kLink:
        std::filesystem::create_symlink(victim, log);
        break;
      case Planted::kFifo:
        ASSERT_EQ(::mkfifo(log.c_str(), 0600), 0);
        break;
      case Planted::kFolder:
        std::filesystem::create_directories(std::filesystem::path(log) / "TTL=64");
        break;
    }
    if (c.gateway_answers) Answer(kGateway);
    const size_t before = world_.processes().Pings().size();
    const uint64_t start = Now();
    EXPECT_EQ(Run(kGateway, "..."), c.result);
    const Targets all = Pinged();
    EXPECT_EQ(Targets(all.begin() + before, all.end()), c.pinged);
    if (c.pinged.empty()) {
      EXPECT_EQ(Now() - start, 100u);
    }
    world_.processes().StopAnswering(Ipv4Of(kGateway));
    platform::Sleep(20000);  // the last pings end
    std::filesystem::remove_all(log);
  }
  std::ifstream in(victim);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "Reply from 192.168.1.1: bytes=32 time<1ms TTL=64\r\n");
}

TEST_F(ConnectionTestTest, OnlyTheUpperCaseMarkIsAReply) {
  const struct {
    std::string content;
    int found;
  } cases[] = {
      {"Reply from 10.0.0.1: bytes=32 time<1ms TTL=64\r\n", 1},
      {"64 bytes from 10.0.0.1: icmp_seq=1 ttl=64 time=0.1 ms\n", 0},
      {"Reply from 10.0.0.1: TTL expired in transit.\r\n", 0},
      {"", 0},
      {std::string(400, 'x') + "\n" + "TTL=1", 1},
      // A piece is at most 511 characters of a line: a mark across the cut is not seen.
      {std::string(509, 'x') + "TTL=64\n", 0},
      {std::string(511, 'x') + "TTL=64\n", 1},
  };
  for (const auto& c : cases) {
    const std::string file = temp_.Write("out.txt", c.content);
    EXPECT_EQ(form_->PingOutputHasTTL(AnsiString(file)), c.found) << c.content.substr(0, 60);
  }
  EXPECT_EQ(form_->PingOutputHasTTL(AnsiString(temp_.File("missing.txt"))), 0);
}

TEST_F(ConnectionTestTest, RunPingStartsTheCommandHidden) {
  const std::string file = temp_.Write("pingGateway.txt", "old TTL=64");
  form_->RunPing(AnsiString(file), AnsiString("10.1.2.3"));
  ASSERT_EQ(Pinged(), Targets{"10.1.2.3"});
  std::ifstream in(file);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, "\r");  // the new ping's output, not the old file
  // A temporary folder with a blank still gets its file.
  const std::filesystem::path spaced = temp_.path() / "with blank";
  std::filesystem::create_directories(spaced);
  world_.drives().SetTempFolder(spaced.string() + "/");
  form_->RunPing(AnsiString((spaced / "pingGateway.txt").string()), AnsiString("10.1.2.3"));
  EXPECT_TRUE(std::filesystem::exists(spaced / "pingGateway.txt"));
  platform::Sleep(20000);
}

// The host text becomes part of the ping's command line: only a dotted address is handed over.
// Anything else fails its target at once, unpinged, and nothing of it reaches the command line.
TEST_F(ConnectionTestTest, AHostThatIsNotADottedAddressFailsItsTargetUnpinged) {
  Answer(kGateway);
  Answer("8.8.8.8");
  const std::string kept = "the user's own file";
  const std::string a_txt = temp_.Write("a.txt", kept);
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(temp_.path());
  const char* refused[] = {
      "1.1.>a.txt", "1.1.1.1 > a.txt", "10.0.0.1 -t", "-n 1 10.0.0.1", "256.1.1.1", "1.2.3",     "1.2.3.4.5",
      "1..2.3",     "1.2.3.1000",      "a.b.c.d",     " 10.0.0.1",     "10.0.0.1 ", "1.2.3.4\"", ""};
  for (const char* host : refused) {
    const size_t pings = world_.processes().Pings().size();
    const uint64_t start = Now();
    EXPECT_EQ(Run(host, "..."), 0) << host;
    EXPECT_EQ(world_.processes().Pings().size(), pings) << host;
    EXPECT_EQ(Now() - start, 100u) << host;  // no checks: it fails at once
    // Given as the primary DNS, only that target fails.
    EXPECT_EQ(Run(kGateway, host), 2) << host;
    const Targets all = Pinged();
    EXPECT_EQ(Targets(all.begin() + static_cast<long>(pings), all.end()), (Targets{kGateway, "8.8.8.8"})) << host;
    platform::Sleep(20000);  // the last pings end
  }
  std::filesystem::current_path(before);
  std::ifstream in(a_txt);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), kept);
  // Every form of an address of four octets is one.
  for (const char* host : {"0.0.0.0", "255.255.255.255", "10.0.0.01", "192.168.001.1"}) {
    const size_t pings = world_.processes().Pings().size();
    Run(host, "...");
    ASSERT_GT(Pinged().size(), pings) << host;
    EXPECT_EQ(Pinged()[pings], host);
    platform::Sleep(20000);
  }
}

// A temporary folder whose name the code page cannot hold would be reached under its "?" form:
// the test gets no folder, and every target it would ping fails, as without a folder.
TEST_F(ConnectionTestTest, ATemporaryFolderTheCodePageCannotNameIsNotUsed) {
  const std::filesystem::path japanese = temp_.path() / "ab_\xE6\x97\xA5\xE6\x9C\xAC";
  std::filesystem::create_directories(japanese);
  world_.drives().SetTempFolder(japanese.string() + "/");
  Answer(kGateway);
  Answer("8.8.8.8");
  platform::SetSystemCodePage(1252);
  char folder[512] = {};
  EXPECT_EQ(platform::GetTempPathA(sizeof folder, folder), 0u);
  EXPECT_EQ(platform::GetLastError(), platform::ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(Run(kGateway, "..."), 0);
  EXPECT_TRUE(Pinged().empty());
  EXPECT_FALSE(std::filesystem::exists(temp_.path() / "ab_??"));
  // Where the code page holds the name, the folder is used.
  platform::SetSystemCodePage(932);
  EXPECT_EQ(Run(kGateway, "..."), 4);
  EXPECT_TRUE(std::filesystem::exists(japanese / "pingGateway.txt"));
  platform::SetSystemCodePage(0);
  platform::Sleep(20000);
}

TEST_F(ConnectionTestTest, TheWindowsShapeAndDrag) {
  EXPECT_EQ(form_->Width(), 253);
  EXPECT_EQ(form_->Height(), 100);
  ASSERT_TRUE(form_->WindowRegion());
  const TWindowRegion& region = *form_->WindowRegion();
  EXPECT_EQ((std::vector<int>{region.Left, region.Top, region.Right, region.Bottom, region.EllipseWidth,
                              region.EllipseHeight}),
            (std::vector<int>{0, 0, 253, 100, 15, 15}));
  EXPECT_EQ(form_->timer_CheckConnection->Interval(), 100u);
  EXPECT_FALSE(form_->timer_CheckConnection->Enabled());
  form_->Show();
  form_->MouseDownAt(TMouseButton::mbLeft, 120, 90);  // below the status text
  EXPECT_EQ(form_->MoveRequests(), 1);
}

TEST_F(ConnectionTestTest, WithoutItsTextsTheWindowClosesAndSaysWhy) {
  form_->SetTextSlots({});
  form_->gatewayHost = AnsiString(kGateway);
  form_->Show();
  form_->timer_CheckConnection->SetEnabled(true);
  platform::Sleep(100);
  app_.ProcessMessages();
  ASSERT_EQ(app_.ShownExceptions().size(), 1u);
  EXPECT_EQ(app_.ShownExceptions()[0], "Tform_ConnectionTest: the text slots of the test were not given");
  EXPECT_FALSE(form_->Visible());
  EXPECT_TRUE(Pinged().empty());
}

}  // namespace
