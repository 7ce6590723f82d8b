#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "exchange_fixture.h"
#include "link/codec.h"
#include "link/disk_command.h"
#include "link/records.h"
#include "toolkit/timer.h"
#include "wizard/main_form.h"

// Logging in to the box and reading and writing its settings.

namespace {

using Bytes = std::vector<uint8_t>;

class LoginTest : public ExchangeTest {
 protected:
  using ExchangeTest::ExchangeTest;

  // The TCP requests the PC sent to the box, in order.
  std::vector<Bytes> TcpRequests() {
    std::vector<Bytes> requests;
    for (const SentPacket& p : Sent()) {
      if (!p.udp && p.to == kBoxIp) requests.push_back(p.bytes);
    }
    return requests;
  }
  // The settings record of the last settings request.
  NasSettingsRecord LastRecordSent() {
    const std::vector<Bytes> requests = TcpRequests();
    NasSettingsRecord record;
    EXPECT_FALSE(requests.empty());
    if (requests.empty()) return record;
    const Bytes& last = requests.back();
    EXPECT_EQ(ReadU16(&last[2]), NAS_OPCODE_SETTINGS);
    std::copy_n(last.begin() + 46, record.bytes.size(), record.bytes.begin());
    return record;
  }
  static std::string Field(const NasSettingsRecord& r, size_t at, size_t size) {
    return ReadTextField(r.bytes, at, size);
  }
  static Bytes Address(const NasSettingsRecord& r, size_t at) {
    return Bytes(r.bytes.begin() + at, r.bytes.begin() + at + 4);
  }
  static bool AllZero(const NasSettingsRecord& r) {
    return std::all_of(r.bytes.begin(), r.bytes.end(), [](uint8_t b) { return b == 0; });
  }
  static void SetOctets(std::initializer_list<TEdit*> edits, std::initializer_list<const char*> texts) {
    auto text = texts.begin();
    for (TEdit* e : edits) e->SetText(*text++);
  }
  // The controls a login attempt disables, and the looks of the two image buttons among them.
  static std::vector<bool> LoginControlsEnabled() {
    const Tform_Main& f = *form_Main;
    return {f.ListView1->Enabled(),
            f.sg_NASList->Enabled(),
            f.btn_Next->Enabled(),
            f.btn_Cancel->Enabled(),
            f.btn_Back->Enabled(),
            f.btn_DeviceDiscovery->Enabled(),
            f.lab_btnNext->GetFont().Color() == clBtnFace,
            f.lab_btnDeviceDiscovery->GetFont().Color() == clBtnFace};
  }
};

TEST_F(LoginTest, TheFirstAttemptProbesWithAnEmptyPasswordReadsTheSettingsAndFillsThePages) {
  sim::BoxConfig config;
  config.configured_before = true;
  config.dhcp = false;
  config.host_name = "Vault";
  config.disks = sim::Disks::Raid1(sim::FileSystem::kExt3);
  AddTheBox(config);
  StartAndFindTheBox();
  // What the controls look like while the attempt waits for the disk status.
  std::optional<std::vector<bool>> during;
  TTimer sampler(Application);
  sampler.SetInterval(1);
  sampler.OnTimer = [&](TObject*) {
    if (!during) during = LoginControlsEnabled();
  };
  sampler.SetEnabled(true);
  form_Main->btn_NextClick(form_Main->btn_Next);
  sampler.SetEnabled(false);
  ASSERT_EQ(form_Main->PageControl1->ActivePage(), form_Main->tab_UserPassValid);
  ASSERT_TRUE(during.has_value());
  EXPECT_EQ(*during, std::vector<bool>(8, false));
  EXPECT_EQ(LoginControlsEnabled(), std::vector<bool>(8, true));

  const std::vector<Bytes> requests = TcpRequests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(ReadU16(&requests[0][2]), NAS_OPCODE_PROBE);
  EXPECT_EQ(Bytes(requests[0].begin() + 14, requests[0].begin() + 46), Bytes(32, 0)) << "the password field";
  EXPECT_EQ(Bytes(requests[0].begin() + 8, requests[0].begin() + 14), Bytes(6, 0)) << "the MAC field";
  EXPECT_EQ(ReadU16(&requests[1][2]), NAS_OPCODE_SETTINGS);
  NasSettingsRecord read;
  std::copy_n(requests[1].begin() + 46, read.bytes.size(), read.bytes.begin());
  EXPECT_EQ(read.bytes[settings_field::kAction], 0x41);
  EXPECT_EQ(Field(read, settings_field::kUsername, 40), "admin");
  read.bytes[settings_field::kAction] = 0;
  std::fill_n(read.bytes.begin() + settings_field::kUsername, 5, 0);
  EXPECT_TRUE(AllZero(read)) << "nothing else is set in the read request";
  EXPECT_EQ(DiskCommandsSent().back().second, "GETRAIDSTATUS");

  const SelectedNasRecordType& r = form_Main->SelectedNasRecord;
  EXPECT_EQ(r.isNotDefault, 1);
  EXPECT_EQ(r.isDHCP, 0);
  EXPECT_EQ(Field(r.settings, settings_field::kHostname, 64), "Vault");
  EXPECT_EQ(r.diskLayout, (NasDiskLayout{2, 3, 3, 3, 3}));
  // The pages, filled from what the box returned.
  const Tform_Main& f = *form_Main;
  EXPECT_FALSE(f.checkBox_UseDefaultDNTZandNetwork->Checked());
  EXPECT_EQ(f.edit_DeviceName->Text(), "Vault");
  EXPECT_TRUE(f.radio_FixedIP->Checked());
  EXPECT_EQ(f.edit_IPAddr4->Text(), "20");
  EXPECT_TRUE(f.group_DiskConfig->Visible());
  EXPECT_TRUE(f.checkBox_UseDefaultDiskSetting->Checked());
  EXPECT_TRUE(f.checkBox_UseDefaultDiskSetting->Enabled());
  EXPECT_TRUE(f.radio_RAID1->Checked());
  EXPECT_TRUE(Traced("Tform_Main::GetNASInfo- sendCommand_setWlan() ok!"));
}

// A reply is tied to its request by kind, transaction id and MAC; the opcode's low byte is not
// looked at, and only the error classes 0x01 and 0x02 are errors.
TEST_F(LoginTest, ProbeAndSettingsRepliesAreAcceptedOrRefusedByTheirHeader) {
  sim::BoxConfig config;
  config.configured_before = true;
  config.dhcp = false;
  AddTheBox(config);
  Start(false);
  ListTheBox();
  std::atomic<bool> other_opcode{false};
  ChangeTcpReplies([&](Bytes& reply) {
    if (other_opcode) reply[2] = 0x2A;
  });
  struct Case {
    const char* name;
    std::function<void(sim::BoxFaults&)> fault;
    bool other_opcode;
    bool accepted;
    int32_t result;  // iGetNASInfoResult after each exchange
  } const cases[] = {
      {"fine", [](sim::BoxFaults&) {}, false, true, -1},
      {"another opcode low byte", [](sim::BoxFaults&) {}, true, true, -1},
      {"error class 0x03", [](sim::BoxFaults& f) { f.error_class = 0x03; }, false, true, -1},
      {"wrong password", [](sim::BoxFaults& f) { f.error_class = 0x01; }, false, false, 0},
      {"unsupported", [](sim::BoxFaults& f) { f.error_class = 0x02; }, false, false, 2},
      {"wrong transaction id", [](sim::BoxFaults& f) { f.wrong_transaction_id = true; }, false, false, 2},
      {"wrong MAC", [](sim::BoxFaults& f) { f.wrong_mac = true; }, false, false, 2},
      {"wrong direction", [](sim::BoxFaults& f) { f.wrong_direction = true; }, false, false, 2},
  };
  Tform_Main& f = *form_Main;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetFaults([&](sim::BoxFaults& faults) {
      faults = sim::BoxFaults{};
      c.fault(faults);
    });
    other_opcode = c.other_opcode;
    f.SelectedNasRecord.isNotDefault = 0;
    f.SelectedNasRecord.isDHCP = 1;
    f.iGetNASInfoResult.store(-1);
    EXPECT_EQ(f.sendCommand_EZPROBE(), c.accepted);
    EXPECT_EQ(f.iGetNASInfoResult.load(), c.result);
    EXPECT_EQ(f.SelectedNasRecord.isNotDefault, c.accepted ? 1 : 0);
    EXPECT_EQ(f.SelectedNasRecord.isDHCP, c.accepted ? 0 : 1);

    f.SelectedNasRecord.settings.bytes.fill(0xAA);
    f.iGetNASInfoResult.store(-1);
    EXPECT_EQ(f.sendCommand_setWlan(), c.accepted);
    EXPECT_EQ(f.iGetNASInfoResult.load(), c.result);
    if (c.accepted) {
      EXPECT_EQ(Field(f.SelectedNasRecord.settings, settings_field::kHostname, 64), "NAS");
    } else {
      EXPECT_TRUE(AllZero(f.SelectedNasRecord.settings)) << "a refused reply leaves the settings zero";
    }
  }
}

struct AttemptCase {
  const char* name;
  std::function<void(sim::BoxFaults&)> fault;
  std::string box_password;
  int32_t returned;
  int32_t stored;  // iGetNASInfoResult afterwards
};

class LoginAttemptTest : public LoginTest, public ::testing::WithParamInterface<AttemptCase> {};

// Whatever the outcome, the attempt gives back every control it took.
TEST_P(LoginAttemptTest, ReturnsItsOutcomeWithEveryControlEnabledAgain) {
  const AttemptCase& c = GetParam();
  sim::BoxConfig config;
  config.admin_password = c.box_password;
  config.host_name = "Vault";
  AddTheBox(config);
  StartAndFindTheBox();
  SetFaults(c.fault);
  EXPECT_EQ(LogIn(), c.returned);
  EXPECT_EQ(form_Main->iGetNASInfoResult.load(), c.stored);
  EXPECT_EQ(LoginControlsEnabled(), std::vector<bool>(8, true));
  EXPECT_EQ(form_Main->edit_DeviceName->Text(), c.returned == 5 ? "Vault" : "NAS")
      << "the pages are filled on success only";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoginAttemptTest,
    ::testing::Values(
        AttemptCase{"success", [](sim::BoxFaults&) {}, "", 5, -1},
        AttemptCase{"wrong_password", [](sim::BoxFaults&) {}, "orvo", 0, 0},
        AttemptCase{"refused", [](sim::BoxFaults& f) { f.tcp_shape = sim::TcpShape::kRefuse; }, "", 1, 1},
        AttemptCase{"closed_early", [](sim::BoxFaults& f) { f.tcp_shape = sim::TcpShape::kCloseAfter300; }, "", 1, 1},
        AttemptCase{"no_reply", [](sim::BoxFaults& f) { f.tcp_shape = sim::TcpShape::kSilent; }, "", 1, 1},
        AttemptCase{"dripped",
                    [](sim::BoxFaults& f) {
                      f.tcp_shape = sim::TcpShape::kDrip;
                      f.tcp_chunk_gap_ms = 200;
                    },
                    "", 1, 1},
        AttemptCase{"unsupported", [](sim::BoxFaults& f) { f.error_class = 0x02; }, "", 2, 2},
        AttemptCase{"disk_status_unreadable", [](sim::BoxFaults& f) { f.unmatched_disk_status = true; }, "", 3, -1}),
    [](const auto& info) { return info.param.name; });

// The disk-status query is tried five times at most; it may fail four times and still log in.
TEST_F(LoginTest, TheDiskStatusIsTriedFiveTimes) {
  sim::BoxConfig config;
  config.disks = sim::Disks::OneUnformatted();
  AddTheBox(config);
  Start(false);
  ListTheBox();
  struct Case {
    int failures;
    int32_t returned;
    size_t commands;
  } const cases[] = {{4, 5, 5}, {5, 3, 5}, {0, 5, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE("failures " + std::to_string(c.failures));
    const uint64_t start = Now();
    const size_t before = BoxDiskCommands().size();
    SetFaults([&](sim::BoxFaults& f) { f.unmatched_disk_status = c.failures > 0; });
    // Each command reaches the box five times; after the failing ones the box answers again.
    TTimer heal(Application);
    heal.SetInterval(10);
    heal.OnTimer = [&](TObject*) {
      if (BoxDiskCommands().size() - before >= static_cast<size_t>(5 * c.failures)) {
        SetFaults([](sim::BoxFaults& f) { f.unmatched_disk_status = false; });
      }
    };
    heal.SetEnabled(true);
    EXPECT_EQ(LogIn(), c.returned);
    heal.SetEnabled(false);
    SetFaults([](sim::BoxFaults& f) { f.unmatched_disk_status = false; });
    EXPECT_EQ(DiskCommandsSent(start).size(), 5 * c.commands) << "five copies of each command";
    if (c.returned == 5) {
      EXPECT_EQ(form_Main->SelectedNasRecord.diskLayout, (NasDiskLayout{1, 5, 1, 4, 0}));
      EXPECT_TRUE(form_Main->checkBox_UseOriginalPassword->Checked());
    } else {
      EXPECT_EQ(form_Main->SelectedNasRecord.diskLayout, (NasDiskLayout{-1, -1, -1, -1, -1}));
      EXPECT_TRUE(Traced("Tform_Main::GetNASInfo- The RAID Command Error Counter: 5"));
    }
  }
}

struct DiskPageCase {
  const char* name;
  sim::Disks disks;
  NasDiskLayout layout;
  bool keep_checked, keep_enabled, group_visible;
};

class DiskPageFillTest : public LoginTest, public ::testing::WithParamInterface<DiskPageCase> {};

// A disk without a file system in either bay cannot be kept: its box is unticked and disabled.
TEST_P(DiskPageFillTest, TheDiskPageFollowsTheReportedDisks) {
  const DiskPageCase& c = GetParam();
  sim::BoxConfig config;
  config.disks = c.disks;
  AddTheBox(config);
  StartAndFindTheBox();
  ASSERT_EQ(LogIn(), 5);
  const Tform_Main& f = *form_Main;
  EXPECT_EQ(f.SelectedNasRecord.diskLayout, c.layout);
  if (c.layout.diskAmount > 0) {
    EXPECT_EQ(f.checkBox_UseDefaultDiskSetting->Checked(), c.keep_checked);
  }
  EXPECT_EQ(f.checkBox_UseDefaultDiskSetting->Enabled(), c.keep_enabled);
  EXPECT_EQ(f.lab_checkBoxUseDefaultDiskSetting->GetFont().Color(), c.keep_enabled ? clBtnFace : clBtnShadow);
  EXPECT_EQ(f.group_DiskConfig->Visible(), c.group_visible);
  EXPECT_EQ(f.lab_radioRAID1->Visible(), c.group_visible);
  if (c.layout.diskAmount == 0) {
    EXPECT_EQ(f.lab_HDAmount->Caption(), "Disk Amount:  0");
  }
}

using sim::Bay;
using sim::FileSystem;
using sim::VolumeKind;

INSTANTIATE_TEST_SUITE_P(
    Cases, DiskPageFillTest,
    ::testing::Values(DiskPageCase{"no_disk", sim::Disks::None(), {0, 4, 0, 4, 0}, false, false, false},
                      DiskPageCase{
                          "unformatted_in_bay_1", sim::Disks::OneUnformatted(), {1, 5, 1, 4, 0}, false, false, true},
                      DiskPageCase{"formatted_in_bay_2",
                                   sim::Disks({Bay{}, Bay{true, VolumeKind::kStandard, FileSystem::kExt2}}),
                                   {1, 4, 0, 0, 2},
                                   true,
                                   true,
                                   true},
                      DiskPageCase{"raid1", sim::Disks::Raid1(FileSystem::kExt3), {2, 3, 3, 3, 3}, true, true, true},
                      DiskPageCase{"bay_2_without_volume",
                                   sim::Disks({Bay{true, VolumeKind::kStandard, FileSystem::kExt3}, Bay{true}}),
                                   {2, 0, 3, 5, 1},
                                   false,
                                   false,
                                   true}),
    [](const auto& info) { return info.param.name; });

// The settings write takes the settings page as it stands; the header keeps the password that
// logged in.
TEST_F(LoginTest, TheSettingsWriteCarriesThePageAsItStands) {
  sim::BoxConfig config;
  config.admin_password = "orvo";
  config.time_zone = "17";
  AddTheBox(config);
  StartAndFindTheBox();
  ASSERT_EQ(LogIn("orvo"), 5);
  Tform_Main& f = *form_Main;
  using namespace settings_field;

  // Keeping the device settings copies the box's own time-zone text, but only after a login with a
  // password (which enables keeping the password).
  f.checkBox_UseDefaultDNTZandNetwork->SetChecked(true);
  f.checkBox_UseOriginalPassword->SetEnabled(true);
  ASSERT_TRUE(f.sendCommand_ISP());
  NasSettingsRecord r = LastRecordSent();
  EXPECT_EQ(r.bytes[kAction], 2);
  EXPECT_EQ(Field(r, kUsername, 40), "admin");
  EXPECT_EQ(Field(r, kPassword, 40), "orvo") << "the current password is kept";
  EXPECT_EQ(Field(r, kTimeZone, 16), "17");
  EXPECT_EQ(Field(r, kHostname, 64), "NAS");
  f.checkBox_UseOriginalPassword->SetEnabled(false);
  ASSERT_TRUE(f.sendCommand_ISP());
  EXPECT_EQ(Field(LastRecordSent(), kTimeZone, 16), "41") << "the PC's zone, W. Europe, is row 41";
  f.checkBox_UseDefaultDNTZandNetwork->SetChecked(false);

  // Fixed addresses: each octet's number (text that is none, which only a paste leaves, gives 0),
  // the first octet first.
  f.radio_FixedIP->SetChecked(true);
  SetOctets({f.edit_IPAddr1, f.edit_IPAddr2, f.edit_IPAddr3, f.edit_IPAddr4}, {"10", " 7", "x", "254"});
  SetOctets({f.edit_IPMask1, f.edit_IPMask2, f.edit_IPMask3, f.edit_IPMask4}, {"255", "255", "0", "0"});
  SetOctets({f.edit_IPGateway1, f.edit_IPGateway2, f.edit_IPGateway3, f.edit_IPGateway4}, {"10", "0", "0", "1"});
  SetOctets({f.edit_IPDNS1_1, f.edit_IPDNS1_2, f.edit_IPDNS1_3, f.edit_IPDNS1_4}, {"0", "0", "0", "0"});
  SetOctets({f.edit_IPDNS2_1, f.edit_IPDNS2_2, f.edit_IPDNS2_3, f.edit_IPDNS2_4}, {"8", "8", "4", "4"});
  ASSERT_TRUE(f.radio_FixedDNS->Checked());
  ASSERT_TRUE(f.sendCommand_ISP());
  r = LastRecordSent();
  EXPECT_EQ(r.bytes[kIpMode], 3);
  EXPECT_EQ(Address(r, kIpAddress), (Bytes{10, 7, 0, 254}));
  EXPECT_EQ(Address(r, kSubnetMask), (Bytes{255, 255, 0, 0}));
  EXPECT_EQ(Address(r, kGateway), (Bytes{10, 0, 0, 1}));
  EXPECT_EQ(Address(r, kDns1), (Bytes{0, 0, 0, 0})) << "0.0.0.0 is no server";
  EXPECT_EQ(Address(r, kDns2), (Bytes{8, 8, 4, 4}));

  // Automatic addresses: the edits' values are not sent.
  f.radio_AutoIP->SetChecked(true);
  f.radio_AutoDNS->SetChecked(true);
  SetOctets({f.edit_IPAddr1, f.edit_IPAddr2, f.edit_IPAddr3, f.edit_IPAddr4}, {"10", "1", "2", "3"});
  SetOctets({f.edit_IPDNS2_1, f.edit_IPDNS2_2, f.edit_IPDNS2_3, f.edit_IPDNS2_4}, {"8", "8", "4", "4"});
  // A zone that matches no row of the box's table is sent as the first row.
  f.ComboBoxTimeZone->Items().Add("(UTC+05:00) Olympus Mons");
  f.ComboBoxTimeZone->SetItemIndex(f.ComboBoxTimeZone->Items().Count() - 1);
  // A new password, and a device name the user typed.
  f.checkBox_UseOriginalPassword->SetChecked(false);
  f.edit_NewPassword1->SetText("n3wpass");
  f.edit_DeviceName->SetText("Attic");
  ASSERT_TRUE(f.sendCommand_ISP());
  r = LastRecordSent();
  EXPECT_EQ(r.bytes[kIpMode], 0);
  for (size_t field : {kIpAddress, kSubnetMask, kGateway, kDns1, kDns2}) EXPECT_EQ(Address(r, field), Bytes(4, 0));
  EXPECT_EQ(Field(r, kTimeZone, 16), "1");
  EXPECT_EQ(Field(r, kPassword, 40), "n3wpass");
  EXPECT_EQ(Field(r, kHostname, 64), "Attic");
  const Bytes header = TcpRequests().back();
  EXPECT_EQ(std::string(header.begin() + 14, header.begin() + 18), "orvo") << "the password that logged in";
  box().WithBox([](sim::Box& b) {
    EXPECT_EQ(b.config().admin_password, "n3wpass");
    EXPECT_EQ(b.config().host_name, "Attic");
  });
}

class DateTimeTest : public LoginTest {
 protected:
  DateTimeTest() : LoginTest(Options()) {}
  static platform::VirtualClock::Options Options() {
    platform::VirtualClock::Options o;
    o.start_local = {2024, 12, 31, 23, 59, 7, 0, 2};
    return o;
  }
};

TEST_F(DateTimeTest, TheWriteCarriesThePCsLocalTimeAsMonthDayHourMinuteYearDotSecond) {
  AddTheBox();
  Start(false);
  ListTheBox();
  ASSERT_LT(Now(), 1000u) << "still in the start's second";
  ASSERT_TRUE(form_Main->sendCommand_ISP());
  const NasSettingsRecord r = LastRecordSent();
  EXPECT_EQ(std::string(r.bytes.begin() + settings_field::kDateTime, r.bytes.begin() + settings_field::kDateTime + 16),
            std::string("123123592024.07\0", 16));
  EXPECT_TRUE(Traced("MMDDhhmmCCYY.ss: 123123592024.07"));
}

}  // namespace
