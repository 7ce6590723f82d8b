// Discovery rounds on the simulated LAN: what goes out, which replies are listed and how, the
// adapter scan, the round's timing and the device page's controls around it.
#include "wizard/discovery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <set>

#include "device_page_support.h"
#include "forwarding_sockets.h"
#include "link/codec.h"
#include "link/this_pc.h"
#include "link/transport.h"
#include "platform/log_debug.h"
#include "sim/box/box.h"

namespace {

// The PC's sockets as the world serves them, with every datagram the PC sends recorded and the
// creation of sockets refused on demand.
class TappedSockets final : public ForwardingSockets {
 public:
  explicit TappedSockets(platform::Sockets& inner) : ForwardingSockets(inner) {}
  struct Sent {
    uint64_t at_ms;
    std::string to;
    bool sent;  // false: the call failed
  };
  // Every sendto to port 9999, sent or not.
  std::vector<Sent> SendCalls() {
    std::lock_guard<std::mutex> lock(mutex_);
    return sent_;
  }
  std::atomic<bool> refuse_sockets{false};

  platform::SOCKET Socket(int af, int type, int protocol) override {
    if (refuse_sockets.load()) {
      platform::SetLastSocketError(platform::WSAEMFILE);
      return platform::INVALID_SOCKET;
    }
    return ForwardingSockets::Socket(af, type, protocol);
  }
  int SendTo(platform::SOCKET s, const char* data, int length, const platform::SOCKADDR_IN& to) override {
    const int result = ForwardingSockets::SendTo(s, data, length, to);
    if (platform::Ntohs(to.sin_port) == 9999) {
      std::lock_guard<std::mutex> lock(mutex_);
      sent_.push_back({platform::CurrentClock().NowMs(), platform::inet_ntoa(to.sin_addr), result == length});
    }
    return result;
  }

 private:
  std::mutex mutex_;
  std::vector<Sent> sent_;
};

// The PC's adapters, each query taking `delay_ms` of the program's time, and counted.
class SlowAdapters final : public platform::Adapters {
 public:
  explicit SlowAdapters(platform::Adapters& inner) : inner_(inner) {}
  std::atomic<uint32_t> delay_ms{0};
  std::atomic<int> queries{0};
  bool HasGetAdaptersInfo() override { return inner_.HasGetAdaptersInfo(); }
  uint32_t GetAdaptersInfo(platform::AdapterInfo* list, uint32_t* size) override {
    ++queries;
    if (delay_ms.load() != 0) platform::Sleep(delay_ms.load());
    return inner_.GetAdaptersInfo(list, size);
  }
  std::vector<uint32_t> OwnAddresses() override { return inner_.OwnAddresses(); }

 private:
  platform::Adapters& inner_;
};

constexpr const char* kRoundStartTrace = "Tform_Main::tab_NASListShow(TObject *Sender)";
constexpr const char* kRoundEndTrace = "Tform_Main::timer_DeviceDiscoveryTimer";

class DiscoveryTest : public DevicePageTest {
 protected:
  DiscoveryTest() {
    platform::InstallSockets(&sockets_);
    platform::InstallAdapters(&adapters_);
    // Every thread's traces, with their time: the adapter scan traces on its own thread.
    platform::SetTraceObserver([this](std::string_view text, bool) {
      std::lock_guard<std::mutex> lock(trace_mutex_);
      all_traces_.push_back({Now(), std::string(text)});
    });
  }
  ~DiscoveryTest() override {
    if (form_Main) {
      while (form_Main->ipConfigThreadCount > 0) app_.HandleMessage();
    }
    StopUdpReceiver();
    platform::InstallSockets(&world_.sockets());
    platform::InstallAdapters(&world_.adapters());
  }

  struct Trace {
    uint64_t at_ms;
    std::string text;
  };
  std::vector<Trace> Traces() {
    std::lock_guard<std::mutex> lock(trace_mutex_);
    return all_traces_;
  }
  std::vector<uint64_t> TraceTimes(const std::string& text) {
    std::vector<uint64_t> times;
    for (const Trace& t : Traces()) {
      if (t.text == text) times.push_back(t.at_ms);
    }
    return times;
  }
  bool HasTrace(const std::string& text) { return !TraceTimes(text).empty(); }

  // The destinations of the discovery requests sent since `since_ms`, in order; with
  // `attempts`, also those whose sendto failed.
  std::vector<std::string> Destinations(uint64_t since_ms = 0, bool attempts = false) {
    std::vector<std::string> to;
    for (const TappedSockets::Sent& s : sockets_.SendCalls()) {
      if (s.at_ms >= since_ms && (s.sent || attempts)) to.push_back(s.to);
    }
    return to;
  }
  // The list's rows: caption, IP column, MAC column.
  std::vector<std::vector<std::string>> Rows() const {
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < form_Main->ListView1->Count(); ++i) {
      const TListItem* item = form_Main->ListView1->Item(i);
      std::vector<std::string> row = {item->Caption()};
      for (int s = 0; s < item->SubItems().Count(); ++s) row.push_back(item->SubItems()[s]);
      rows.push_back(row);
    }
    return rows;
  }
  std::set<std::string> ListedAddresses() const {
    std::set<std::string> addresses;
    for (const auto& row : Rows()) addresses.insert(row.at(1));
    return addresses;
  }

  TappedSockets sockets_{world_.sockets()};
  SlowAdapters adapters_{world_.adapters()};
  std::mutex trace_mutex_;
  std::vector<Trace> all_traces_;
};

std::vector<std::string> Repeated(const std::string& text, int times) {
  return std::vector<std::string>(static_cast<size_t>(times), text);
}

TEST_F(DiscoveryTest, ARoundSearchesForTwoSecondsWithTheControlsLockedThenListsWhatAnswered) {
  AddBoxAt("192.168.1.20", "NAS-220");
  Start();
  Tform_Main& f = *form_Main;
  const uint64_t started = TraceTimes(kRoundStartTrace).at(0);

  // While it searches.
  EXPECT_EQ(f.lab_DeviceDiscoveryResult->Caption(), "Searching...");
  EXPECT_TRUE(f.timer_DeviceDiscovery->Enabled());
  EXPECT_TRUE(f.isDiscoveryMode());
  for (TControl* c :
       std::initializer_list<TControl*>{f.ListView1, f.sg_NASList, f.btn_Cancel, f.btn_Next, f.btn_DeviceDiscovery}) {
    EXPECT_FALSE(c->Enabled()) << c->Name();
  }
  EXPECT_EQ(f.lab_btnNext->GetFont().Color(), clBtnShadow);
  EXPECT_EQ(f.lab_btnDeviceDiscovery->GetFont().Color(), clBtnShadow);
  std::vector<std::string> retries;
  for (const Trace& t : Traces()) {
    if (t.text.rfind("retry", 0) == 0) retries.push_back(t.text);
  }
  EXPECT_EQ(retries, (std::vector<std::string>{"retry 5\n", "retry 4\n", "retry 3\n", "retry 2\n", "retry 1\n"}));
  RunFor(1000);
  EXPECT_EQ(f.ListView1->Count(), 1) << "replies are listed as they come";
  EXPECT_EQ(f.sg_NASList->Cell(0, 0), "") << "the grid is refilled only at the end";

  WaitForRoundEnd();
  EXPECT_EQ(TraceTimes(kRoundEndTrace), std::vector<uint64_t>{started + 2000});
  EXPECT_EQ(Rows(), (std::vector<std::vector<std::string>>{{"NAS-220", "192.168.1.20", "00:11:32:AB:CD:EF"}}));
  EXPECT_EQ(f.ListView1->ItemIndex(), 0);
  EXPECT_EQ(f.lab_DeviceDiscoveryResult->Caption(), "Device Found:  1");
  for (TControl* c :
       std::initializer_list<TControl*>{f.ListView1, f.sg_NASList, f.btn_Cancel, f.btn_Next, f.btn_DeviceDiscovery}) {
    EXPECT_TRUE(c->Enabled()) << c->Name();
  }
  EXPECT_EQ(f.lab_btnNext->GetFont().Color(), clBtnFace);
  EXPECT_EQ(f.lab_btnDeviceDiscovery->GetFont().Color(), clBtnFace);
  EXPECT_EQ(f.sg_NASList->Cell(1, 0), "192.168.1.20");
  EXPECT_EQ(g_App_end.load(), 1) << "the round's socket is closed";
  EXPECT_TRUE(f.isDiscoveryMode()) << "the mode stays until a disk command clears it";
}

TEST_F(DiscoveryTest, NoRepliesEndTheRoundWithZeroAndNextDisabled) {
  Start();
  WaitForRoundEnd();
  Tform_Main& f = *form_Main;
  EXPECT_EQ(f.lab_DeviceDiscoveryResult->Caption(), "Device Found:  0");
  EXPECT_FALSE(f.btn_Next->Enabled());
  EXPECT_EQ(f.lab_btnNext->GetFont().Color(), clBtnShadow);
  for (TControl* c : std::initializer_list<TControl*>{f.btn_Cancel, f.btn_DeviceDiscovery, f.ListView1, f.sg_NASList}) {
    EXPECT_TRUE(c->Enabled()) << c->Name();
  }
  EXPECT_EQ(f.ListView1->ItemIndex(), -1);
}

TEST_F(DiscoveryTest, ASocketThatCannotBeOpenedGivesARoundWithoutDevices) {
  AddBoxAt("192.168.1.20", "NAS-220");
  sockets_.refuse_sockets = true;
  Start();
  WaitForRoundEnd();
  EXPECT_EQ(form_Main->ListView1->Count(), 0);
  EXPECT_EQ(form_Main->lab_DeviceDiscoveryResult->Caption(), "Device Found:  0");
  EXPECT_TRUE(Destinations().empty());
  EXPECT_TRUE(form_Main->btn_DeviceDiscovery->Enabled());

  sockets_.refuse_sockets = false;
  ClickRefresh();
  WaitForRoundEnd();
  EXPECT_EQ(form_Main->ListView1->Count(), 1) << "the next round works again";
}

// Which replies become rows. Each box answers from its own address.
TEST_F(DiscoveryTest, RepliesAreListedOnlyWhenTheyAreDiscoveryRepliesOfANasInModeZeroOrOne) {
  struct Case {
    const char* model;
    uint8_t mode;
    bool wrong_direction;
    bool listed;
  };
  const Case cases[] = {
      {"NAS-220", 0, false, true},      {"NAS-120", 1, false, true},  // the two operation modes
      {"NAS-320", 2, false, false},     {"NAS-420", 255, false, false},
      {"home nas", 0, false, true},     {"Storage nAs", 0, false, true},  // "nas" in any case
      {"Storage-120", 0, false, false}, {"N-A-S", 0, false, false},
      {"\xDCnas \xDF", 0, false, true},  // 8-bit letters of the code page around it
      {"NAS-520", 0, true, false},       // not a reply
  };
  std::set<std::string> expected;
  for (const Case& c : cases) {
    sim::BoxConfig box;
    box.model_name = c.model;
    box.operation_mode = c.mode;
    box.faults.wrong_direction = c.wrong_direction;
    const std::string address = AddNextBox(box);
    if (c.listed) expected.insert(address);
  }
  Start();
  WaitForRoundEnd();
  EXPECT_EQ(ListedAddresses(), expected);
  EXPECT_EQ(NasCount, static_cast<int32_t>(expected.size()));
  bool code_page_caption = false;
  for (const auto& row : Rows()) code_page_caption |= row[0] == "\xC3\x9Cnas \xC3\x9F";
  EXPECT_TRUE(code_page_caption) << "the caption is the model name as received, read in the code page";
  EXPECT_TRUE(HasTrace("OPCode: OPERATION_MODE_WB"));
  EXPECT_TRUE(HasTrace("OPCode: OPERATION_MODE_AP"));
}

// Only a program of this PC, another user's too, can send from the loopback range or from the
// PC's own addresses, and no box has them: such a reply is never listed, however well it poses
// as a box, while the box on the LAN is. The environment's opt-in for a box simulator on this
// machine lets them through.
TEST_F(DiscoveryTest, RepliesFromThisPcAreNeverTakenForABox) {
  world_.pc().AddInterface("lab", sim::Ipv4Of("10.0.0.5"), sim::Ipv4Of("255.255.255.252"), "Lab");
  AddBoxAt("192.168.1.20", "NAS-220");
  sim::BoxConfig posing;
  posing.model_name = "NAS-120";  // sorts above the real box, and would be chosen
  NasPacket request{};
  BuildDiscoveryRequest(request);
  const std::vector<uint8_t> reply = sim::Box(posing).HandleDatagram(request, 0, "10.0.0.5:9999").at(0);
  NasPacket packet{};
  std::copy(reply.begin(), reply.end(), packet.begin());
  const std::set<std::string> here = {"127.0.0.1", "127.255.0.9", "192.168.1.100", "10.0.0.5"};
  for (const bool opted_in : {false, true}) {
    SCOPED_TRACE(opted_in);
    if (opted_in) setenv(kLocalBoxesVariable, "1", 1);
    all_traces_.clear();
    if (opted_in) {
      ClickRefresh();
    } else {
      Start();
    }
    for (const std::string& sender : here) {
      platform::SOCKADDR_IN from{};
      from.sin_family = platform::kAfInet;
      from.sin_port = platform::Htons(9999);
      from.sin_addr.s_addr = platform::inet_addr(sender.c_str());
      form_Main->GetDeviceDiscoveryRes(packet, from);
      EXPECT_EQ(HasTrace("Tform_Main::GetDeviceDiscoveryRes- " + sender + " is this PC, not a box: reply dropped"),
                !opted_in)
          << sender;
    }
    WaitForRoundEnd();
    std::set<std::string> expected = {"192.168.1.20"};
    if (opted_in) expected.insert(here.begin(), here.end());
    EXPECT_EQ(ListedAddresses(), expected);
    EXPECT_EQ(Rows().at(0).at(1), opted_in ? "10.0.0.5" : "192.168.1.20");
  }
  unsetenv(kLocalBoxesVariable);
}

TEST_F(DiscoveryTest, TheFirstReplyFromAnAddressWinsEvenWhenALaterOneDiffers) {
  sim::BoxConfig first;
  first.model_name = "NAS-first";
  first.mac = {0x00, 0x11, 0x32, 0x00, 0x00, 0x01};
  first.faults.duplicate_replies = 2;
  AddBox(first);
  sim::BoxConfig second = first;
  second.model_name = "NAS-second";
  second.mac = {0x00, 0x11, 0x32, 0x00, 0x00, 0x02};
  second.faults.reply_delay_ms = 100;
  AddBox(second);  // the same address
  Start();
  WaitForRoundEnd();
  EXPECT_EQ(Rows(), (std::vector<std::vector<std::string>>{{"NAS-first", "192.168.1.20", "00:11:32:00:00:01"}}));
  EXPECT_EQ(NasCount, 1);
}

TEST_F(DiscoveryTest, RowsFollowTheCaptionsCollationWhateverTheOrderOfArrival) {
  struct Box {
    const char* model;
    uint32_t delay_ms;
    std::array<uint8_t, 6> mac;
  };
  // Arrival order is the order of the delays; equal captions keep it.
  const Box boxes[] = {{"NAS-b", 0, {0x0A, 0xFF, 0x00, 0x01, 0x7F, 0x80}},
                       {"NAS-B", 50, {0, 0, 0, 0, 0, 2}},
                       {"NAS-A", 100, {0, 0, 0, 0, 0, 3}},
                       {"NAS-a", 150, {0, 0, 0, 0, 0, 4}},
                       {"NAS-b", 200, {0, 0, 0, 0, 0, 5}},
                       {"NAS-\xC5", 250, {0, 0, 0, 0, 0, 6}}};
  for (const Box& b : boxes) {
    sim::BoxConfig box;
    box.model_name = b.model;
    box.mac = b.mac;
    box.faults.reply_delay_ms = b.delay_ms;
    AddNextBox(box);
  }
  Start();
  WaitForRoundEnd();
  // Case counts only where the letters are the same ("a" before "A"); "Å" sorts with the A's.
  const std::vector<std::vector<std::string>> expected = {
      {"NAS-a", "192.168.1.23", "00:00:00:00:00:04"},        {"NAS-A", "192.168.1.22", "00:00:00:00:00:03"},
      {"NAS-\xC3\x85", "192.168.1.25", "00:00:00:00:00:06"}, {"NAS-b", "192.168.1.20", "0A:FF:00:01:7F:80"},
      {"NAS-b", "192.168.1.24", "00:00:00:00:00:05"},        {"NAS-B", "192.168.1.21", "00:00:00:00:00:02"}};
  EXPECT_EQ(Rows(), expected);
  EXPECT_EQ(form_Main->ListView1->ItemIndex(), 0);
  // The table keeps the order of arrival.
  ASSERT_EQ(NasCount, 6);
  for (int i = 0; i < NasCount; ++i) {
    EXPECT_EQ(NasTable[i].bytes[discovery_field::kMac + 5], boxes[i].mac[5]) << i;
  }
}

TEST_F(DiscoveryTest, TheRoundEndsAtTwoThousandMillisecondsAndLaterRepliesAreNotRead) {
  AddBoxAt("192.168.1.20", "NAS-early", 1990);
  sim::BoxNode& late = AddBoxAt("192.168.1.21", "NAS-late", 2001);
  Start();
  WaitForRoundEnd();
  const uint64_t started = TraceTimes(kRoundStartTrace).at(0);
  EXPECT_EQ(TraceTimes(kRoundEndTrace).at(0), started + 2000);
  RunFor(3000);
  EXPECT_EQ(ListedAddresses(), std::set<std::string>{"192.168.1.20"});
  EXPECT_EQ(NasCount, 1);
  EXPECT_FALSE(late.Requests().empty()) << "the late box was asked and answered";
  EXPECT_EQ(form_Main->lab_DeviceDiscoveryResult->Caption(), "Device Found:  1");
}

TEST_F(DiscoveryTest, TheBroadcastsLeaveFiveTimesTenMillisecondsApart) {
  Start();
  const uint64_t started = TraceTimes(kRoundStartTrace).at(0);
  WaitForRoundEnd();
  std::vector<uint64_t> global, subnet;
  for (const TappedSockets::Sent& s : sockets_.SendCalls()) {
    (s.to == "255.255.255.255" ? global : subnet).push_back(s.at_ms - started);
  }
  EXPECT_EQ(global, (std::vector<uint64_t>{0, 10, 20, 30, 40}));
  ASSERT_EQ(subnet.size(), 5u);
  for (size_t i = 1; i < subnet.size(); ++i) EXPECT_EQ(subnet[i] - subnet[i - 1], 10u);
  EXPECT_GE(subnet[0], 50u) << "the subnet broadcasts follow the scan, after the global ones";
}

// The adapter scan and the subnet-directed broadcasts it gives.
struct AdapterCase {
  const char* name;
  std::function<void(sim::World&)> setup;
  std::vector<std::string> subnet_broadcasts;    // each sent five times, in this order
  std::vector<std::array<std::string, 3>> rows;  // description, address, mask
  std::string trace;                             // a failure's trace, or empty
};

std::array<std::string, 3> Row(const std::string& adapter, const std::string& address, const std::string& mask) {
  return {"Simulated Ethernet Adapter (" + adapter + ")", address, mask};
}

void PrintTo(const AdapterCase& c, std::ostream* os) { *os << c.name; }

class AdapterScanTest : public DiscoveryTest, public ::testing::WithParamInterface<AdapterCase> {};

TEST_P(AdapterScanTest, GivesTheAdapterRowsAndOneSubnetBroadcastPerSubnet) {
  const AdapterCase& c = GetParam();
  c.setup(world_);
  Start();
  WaitForRoundEnd();
  std::vector<std::string> expected = Repeated("255.255.255.255", 5);
  for (const std::string& b : c.subnet_broadcasts) {
    for (const std::string& s : Repeated(b, 5)) expected.push_back(s);
  }
  EXPECT_EQ(Destinations(), expected);
  std::vector<std::array<std::string, 3>> rows;
  const Tform_Main& f = *form_Main;
  ASSERT_EQ(f.cbIpAddr->Items().Count(), f.cbAdapterList->Items().Count());
  ASSERT_EQ(f.cbSubMask->Items().Count(), f.cbAdapterList->Items().Count());
  for (int i = 0; i < f.cbAdapterList->Items().Count(); ++i) {
    rows.push_back({f.cbAdapterList->Items()[i], f.cbIpAddr->Items()[i], f.cbSubMask->Items()[i]});
  }
  EXPECT_EQ(rows, c.rows);
  if (!c.trace.empty()) {
    EXPECT_TRUE(HasTrace(c.trace)) << c.trace;
  }
  EXPECT_EQ(HasTrace("===== Card Information start ======"), !c.rows.empty());
  EXPECT_EQ(f.ipConfigThreadCount, 0) << "the completion handler ran";
}

const AdapterCase kAdapterCases[] = {
    {"OneAdapter", [](sim::World&) {}, {"192.168.1.255"}, {Row("Ethernet", "192.168.1.100", "255.255.255.0")}, ""},
    {"TwoAdaptersOnOneSubnet",
     [](sim::World& w) {
       w.pc().AddInterface("lan", sim::Ipv4Of("192.168.1.101"), sim::Ipv4Of("255.255.255.0"), "Wi-Fi");
     },
     {"192.168.1.255"},
     {Row("Ethernet", "192.168.1.100", "255.255.255.0"), Row("Wi-Fi", "192.168.1.101", "255.255.255.0")},
     ""},
    {"ASmallSubnet",
     [](sim::World& w) { w.pc().AddInterface("lab", sim::Ipv4Of("10.0.0.5"), sim::Ipv4Of("255.255.255.252"), "Lab"); },
     {"192.168.1.255", "10.0.0.7"},
     {Row("Ethernet", "192.168.1.100", "255.255.255.0"), Row("Lab", "10.0.0.5", "255.255.255.252")},
     ""},
    {"TwoAddressesOfOneAdapter",
     [](sim::World& w) {
       w.pc().AddInterface("lan", sim::Ipv4Of("172.16.5.4"), sim::Ipv4Of("255.255.0.0"), "Ethernet");
     },
     {"192.168.1.255", "172.16.255.255"},
     {Row("Ethernet", "192.168.1.100", "255.255.255.0"), Row("Ethernet", "172.16.5.4", "255.255.0.0")},
     ""},
    {"AnAdapterWithoutAddress",
     [](sim::World& w) { w.pc().AddAdapterWithoutAddress("Bluetooth"); },
     {"192.168.1.255"},
     {Row("Ethernet", "192.168.1.100", "255.255.255.0"), Row("Bluetooth", "0.0.0.0", "0.0.0.0")},
     ""},
    {"EntryPointMissing",
     [](sim::World& w) { w.adapters().SetFaults({.entry_point_missing = true}); },
     {},
     {},
     "Cannot get \"GetAdaptersInfo\"."},
    {"SizeQueryFails",
     [](sim::World& w) { w.adapters().SetFaults({.size_query_result = platform::ERROR_INVALID_PARAMETER}); },
     {},
     {},
     "GetAdaptersInfo sizing failed with error 87"},
    {"ListQueryFails",
     [](sim::World& w) { w.adapters().SetFaults({.list_query_result = platform::ERROR_NO_DATA}); },
     {},
     {},
     "GetAdaptersInfo failed with error 232"},
};

INSTANTIATE_TEST_SUITE_P(Adapters, AdapterScanTest, ::testing::ValuesIn(kAdapterCases),
                         [](const ::testing::TestParamInfo<AdapterCase>& info) { return info.param.name; });

TEST_F(DiscoveryTest, TheBroadcastAddressSetsTheHostBitsOfEachOctet) {
  Start(false);
  struct Case {
    const char* address;
    const char* mask;
    const char* broadcast;
  };
  const Case cases[] = {
      {"192.168.1.23", "255.255.255.0", "192.168.1.255"},
      {"10.0.0.5", "255.255.255.252", "10.0.0.7"},
      {"172.16.5.4", "255.255.0.0", "172.16.255.255"},
      {"192.168.1.23", "0.0.0.0", "255.255.255.255"},
      {" 10. +0.0x1.9z", "255.255.255.0", "10.0.0.255"},  // the runtime's lenient conversion
      {"10", "255.255.255.0", "0.0.0.255"},               // no "." gives 0 and stays whole
  };
  for (const Case& c : cases) {
    EXPECT_EQ(form_Main->BroadcastAddress(platform::AnsiString(c.address), platform::AnsiString(c.mask)).bytes(),
              c.broadcast)
        << c.address << " / " << c.mask;
  }
}

TEST_F(DiscoveryTest, AScanThatOutlastsTheRoundSendsNothingAfterIt) {
  adapters_.delay_ms = 1500;  // each of the two queries
  Start();
  WaitForRoundEnd();
  const uint64_t ended = TraceTimes(kRoundEndTrace).at(0);
  RunUntil([] { return form_Main->ipConfigThreadCount == 0; });
  EXPECT_GT(Now(), ended);
  EXPECT_EQ(Destinations(ended, true), std::vector<std::string>{}) << "not even tried on the closed socket";
  EXPECT_EQ(Destinations(), Repeated("255.255.255.255", 5));
  EXPECT_EQ(form_Main->cbIpAddr->Items().Count(), 1) << "the rows still reach the page";
}

TEST_F(DiscoveryTest, RefreshDuringARunningScanStartsNoSecondScanAndUsesItsRows) {
  adapters_.delay_ms = 1500;
  Start();
  WaitForRoundEnd();
  ASSERT_EQ(form_Main->ipConfigThreadCount, 1) << "the scan still runs";
  ClickRefresh();
  ASSERT_EQ(TraceTimes(kRoundStartTrace).size(), 2u);
  const uint64_t second = TraceTimes(kRoundStartTrace).at(1);
  EXPECT_EQ(form_Main->ipConfigThreadCount, 1);
  WaitForRoundEnd();
  EXPECT_EQ(adapters_.queries.load(), 2) << "one scan: its size query and its list query";
  EXPECT_EQ(form_Main->cbIpAddr->Items().Count(), 1);
  EXPECT_EQ(Destinations(second), [] {
    std::vector<std::string> d = Repeated("255.255.255.255", 5);
    for (const std::string& s : Repeated("192.168.1.255", 5)) d.push_back(s);
    return d;
  }()) << "the running scan's broadcasts go out in the new round";
  EXPECT_EQ(form_Main->ipConfigThreadCount, 0);

  // Once it has ended, the next round scans again.
  adapters_.delay_ms = 0;
  ClickRefresh();
  WaitForRoundEnd();
  EXPECT_EQ(adapters_.queries.load(), 4);
  EXPECT_EQ(form_Main->cbIpAddr->Items().Count(), 1) << "a new scan replaces the rows";
  EXPECT_EQ(form_Main->ipConfigThreadCount, 0);
}

TEST_F(DiscoveryTest, RefreshIsIgnoredWhileARoundRuns) {
  Start();
  ClickRefresh();
  form_Main->btn_DeviceDiscoveryClick(form_Main->btn_DeviceDiscovery);
  WaitForRoundEnd();
  EXPECT_EQ(TraceTimes(kRoundStartTrace).size(), 1u);
}

TEST_F(DiscoveryTest, ARefreshStartsFromAnEmptyList) {
  AddBoxAt("192.168.1.20", "NAS-220");
  Start();
  WaitForRoundEnd();
  ASSERT_EQ(form_Main->ListView1->Count(), 1);
  ClickRefresh();
  EXPECT_EQ(form_Main->ListView1->Count(), 0);
  EXPECT_EQ(NasCount, 0);
  EXPECT_EQ(form_Main->lab_DeviceDiscoveryResult->Caption(), "Searching...");
  WaitForRoundEnd();
  EXPECT_EQ(form_Main->ListView1->Count(), 1);
}

// 255 boxes fill the table; the 256th, answering last, is dropped.
TEST_F(DiscoveryTest, TwoHundredFiftyFiveBoxesAreAllListedAndTheNextIsDropped) {
  std::set<std::string> expected;
  for (int i = 0; i < 256; ++i) {
    char address[32], model[32];
    std::snprintf(address, sizeof address, "10.1.%d.%d", i / 200, 1 + i % 200);
    std::snprintf(model, sizeof model, "NAS-%03d", i);
    sim::BoxConfig box;
    box.model_name = model;
    box.address = sim::Ipv4Of(address);
    box.mask = sim::Ipv4Of("255.255.0.0");
    box.mac = {0x00, 0x11, 0x32, 0x00, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)};
    box.faults.reply_delay_ms = i == 255 ? 500 : 0;
    AddBox(box);
    if (i < 255) expected.insert(address);
  }
  Start();
  WaitForRoundEnd();
  EXPECT_EQ(ListedAddresses(), expected);
  EXPECT_EQ(NasCount, 255);
  EXPECT_EQ(form_Main->lab_DeviceDiscoveryResult->Caption(), "Device Found:  255");
  EXPECT_EQ(form_Main->ListView1->Item(0)->Caption(), "NAS-000");
  EXPECT_EQ(form_Main->ListView1->Item(254)->Caption(), "NAS-254");
  EXPECT_EQ(form_Main->sg_NASList->RowCount(), 255);
}

}  // namespace
