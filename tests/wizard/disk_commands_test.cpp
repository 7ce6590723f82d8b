#include <gtest/gtest.h>

#include <cstring>

#include "exchange_fixture.h"
#include "link/disk_command.h"
#include "link/this_pc.h"
#include "link/transport.h"
#include "wizard/dialogs/apply_progress.h"
#include "wizard/main_form.h"

// The text disk commands over UDP: what is sent, which replies count, and how each reply or the
// time-out ends the command.

namespace {

using Bytes = std::vector<uint8_t>;

class DiskCommandTest : public ExchangeTest {
 protected:
  void SetPassword(const char* password) {
    NasPassword& p = form_Main->SelectedNasRecord.adminPassword;
    p.fill(0);
    std::strncpy(p.data(), password, p.size() - 1);
  }
  // The datagrams of the disk commands sent to `ip`.
  std::vector<SentPacket> CommandPackets(const std::string& ip = kBoxIp) {
    std::vector<SentPacket> packets;
    for (const SentPacket& p : Sent()) {
      if (p.udp && p.to == ip && p.bytes.size() == 512 && ReadU16(&p.bytes[2]) == NAS_OPCODE_DISK_COMMAND) {
        packets.push_back(p);
      }
    }
    return packets;
  }
  std::string LastCommandText(const std::string& ip) {
    const std::vector<SentPacket> packets = CommandPackets(ip);
    if (packets.empty()) return "(nothing sent)";
    const Bytes& b = packets.back().bytes;
    return std::string(b.begin() + 48, b.begin() + 48 + ReadU16(&b[46]));
  }
};

TEST_F(DiskCommandTest, EachCommandGoesOutFiveTimesWithTheNextSequenceNumberAndThePassword) {
  sim::BoxConfig config;
  config.admin_password = "orvo";
  AddTheBox(config);
  Start(false);
  ListTheBox();
  SetPassword("orvo");
  SetDiskCommandSequenceForTest(0);  // as the program starts
  const uint64_t t0 = Now();
  ASSERT_EQ(RunDiskCommand(RAID_GETRAIDSTATUS), RAIDCMD_OK);
  ASSERT_EQ(RunDiskCommand(RAID_GETFORMATSTATUS_FORTEST), RAIDCMD_OK);

  const std::vector<SentPacket> packets = CommandPackets();
  ASSERT_EQ(packets.size(), 10u);
  for (size_t i = 0; i < packets.size(); ++i) {
    SCOPED_TRACE("datagram " + std::to_string(i));
    const Bytes& b = packets[i].bytes;
    EXPECT_EQ(b[0], 12);
    EXPECT_EQ(b[1], 21);
    EXPECT_EQ(ReadU32(&b[4]), i < 5 ? 0u : 1u) << "the sequence number";
    EXPECT_EQ(Bytes(b.begin() + 8, b.begin() + 14), Bytes(6, 0));
    EXPECT_EQ(std::string(b.begin() + 14, b.begin() + 18), "orvo");
    EXPECT_EQ(Bytes(b.begin() + 18, b.begin() + 46), Bytes(28, 0));
  }
  const Bytes& status = packets[0].bytes;
  EXPECT_EQ(ReadU16(&status[46]), 13);
  EXPECT_EQ(std::string(status.begin() + 48, status.begin() + 61), "GETRAIDSTATUS");
  EXPECT_EQ(status[61], 0);
  EXPECT_EQ(LastCommandText(kBoxIp), "GETFORMATSTATUS 1");
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(packets[i].time_ms, t0 + 10 * i) << "10 ms apart";
}

// One disk in bay 2 only: the create command names bay 2, with the file system of the disk page.
TEST_F(DiskCommandTest, ASingleDiskInBayTwoIsCreatedAsStandardDiskTwo) {
  sim::BoxConfig config;
  config.disks = sim::Disks({sim::Bay{}, sim::Bay{true}});
  AddTheBox(config);
  StartAndFindTheBox();
  ASSERT_EQ(LogIn(), 5);
  ASSERT_EQ(form_Main->SelectedNasRecord.diskLayout, (NasDiskLayout{1, 4, 0, 5, 1}));
  form_Main->radio_Ext2->SetChecked(true);
  EXPECT_EQ(RunDiskCommand(RAID_CREATE), RAIDCMD_OK);
  EXPECT_EQ(CommandOf(BoxDiskCommands().back()), "CREATE STANDARD 2 EXT2");
  const uint64_t now = Now();
  box().WithBox([now](sim::Box& b) { EXPECT_TRUE(b.disks().Formatting(now)); });
}

TEST_F(DiskCommandTest, TheTextFollowsTheCommandAndTheDiskPage) {
  Start(false);
  ListTheBox("192.168.1.40");
  std::shared_ptr<ScriptedDiskPeer> peer = AddScriptedPeer("192.168.1.40");
  Tform_Main& f = *form_Main;
  struct Case {
    int32_t type;
    int32_t disks, fs1;
    TRadioButton* level;
    bool ext3;
    std::string text;
  } const cases[] = {
      {RAID_CREATE, 1, 3, nullptr, true, "CREATE STANDARD 1 EXT3"},
      {RAID_CREATE, 1, 0, nullptr, false, "CREATE STANDARD 2 EXT2"},
      {RAID_CREATE, 2, 1, f.radio_Standard, false, "CREATE STANDARD ALL EXT2"},
      {RAID_CREATE, 2, 1, f.radio_JBOD, true, "CREATE JBOD ALL EXT3"},
      {RAID_CREATE, 2, 1, f.radio_RAID0, false, "CREATE RAID0 ALL EXT2"},
      {RAID_CREATE, 2, 1, f.radio_RAID1, true, "CREATE RAID1 ALL EXT3"},
      {RAID_GETFORMATSTATUS_FORTEST, 1, 3, nullptr, true, "GETFORMATSTATUS 1"},
      {RAID_GETFORMATSTATUS_FORUSERSETTING, 1, 3, nullptr, true, "GETFORMATSTATUS 1"},
      {RAID_GETRAIDSTATUS, 1, 3, nullptr, true, "GETRAIDSTATUS"},
      {RAID_CREATEDEFAULTSHAREFOLDER, 1, 3, nullptr, true, "CREATEDEFAULTSHAREFOLDER"},
      {RAID_REBOOT, 1, 3, nullptr, true, "REBOOT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    f.SelectedNasRecord.diskLayout = {c.disks, 0, c.fs1, 0, 0};
    if (c.level) c.level->SetChecked(true);
    (c.ext3 ? f.radio_Ext3 : f.radio_Ext2)->SetChecked(true);
    peer->Answer(c.type == RAID_GETRAIDSTATUS ? "RAID1 EXT3" : "OK");
    EXPECT_EQ(RunDiskCommand(c.type), RAIDCMD_OK);
    EXPECT_EQ(LastCommandText("192.168.1.40"), c.text);
  }
  // A create without a text for the disks sends nothing and fails by the time-out.
  const size_t before = CommandPackets("192.168.1.40").size();
  f.SelectedNasRecord.diskLayout = {0, 4, 0, 4, 0};
  const uint64_t t0 = Now();
  EXPECT_EQ(RunDiskCommand(RAID_CREATE), RAIDCMD_ERROR);
  EXPECT_EQ(Now(), t0 + 5000);
  EXPECT_EQ(CommandPackets("192.168.1.40").size(), before);
}

// Only a datagram from the selected box with a disk-command header ends the command; anything else
// leaves it to its time-out, exactly 5000 ms after it was sent.
TEST_F(DiskCommandTest, RepliesThatDoNotCountLeaveTheCommandToItsTimeOut) {
  sim::BoxConfig config;
  config.admin_password = "orvo";
  config.disks = sim::Disks::Raid1(sim::FileSystem::kExt2);
  AddTheBox(config);
  Start(false);
  ListTheBox();
  std::shared_ptr<ScriptedDiskPeer> other = AddScriptedPeer("192.168.1.30");
  Tform_Main& f = *form_Main;
  struct Case {
    const char* name;
    std::function<void()> arrange;
    int32_t status;
    bool parsed;  // the reply reached the header check
  } const cases[] = {
      {"opcode 31", [&] { SetFaults([](sim::BoxFaults& b) { b.disk_reply_opcode_31 = true; }); }, RAIDCMD_OK, true},
      {"opcode 54 with an error byte (wrong password)", [&] { SetPassword("wrong"); }, RAIDCMD_ERROR, true},
      {"another address",
       [&] {
         SetFaults([](sim::BoxFaults& b) { b.silent = true; });
         world_.lan().After(100, [other] { other->Push("RAID1 EXT2"); });
       },
       RAIDCMD_ERROR, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetFaults([](sim::BoxFaults& b) { b = sim::BoxFaults{}; });
    SetPassword("orvo");
    f.SelectedNasRecord.diskLayout = {-1, 0, 0, 0, 0};
    c.arrange();
    traces_.clear();
    const uint64_t t0 = Now();
    EXPECT_EQ(RunDiskCommand(RAID_GETRAIDSTATUS), c.status);
    if (c.status == RAIDCMD_ERROR) {
      EXPECT_EQ(Now() - t0, 5000u) << "ended by the time-out";
    } else {
      EXPECT_LT(Now() - t0, 5000u);
    }
    EXPECT_EQ(Traced("Tform_Main::GetRAIDCommnadRes is being called"), c.parsed);
    EXPECT_EQ(Traced("Tform_Main::GetRAIDCommnadRes- The packet is not correct!so return anyway~"),
              c.parsed && c.status == RAIDCMD_ERROR);
    EXPECT_EQ(Traced("Tform_Main::timer_RAIDExecTimer- RAIDCMD_ERROR"), c.status == RAIDCMD_ERROR);
    EXPECT_EQ(f.SelectedNasRecord.diskLayout.diskAmount, c.status == RAIDCMD_OK ? 2 : -1);
    EXPECT_FALSE(f.timer_RAIDExec->Enabled());
    EXPECT_EQ(g_App_end.load(), 1) << "the receiver is stopped";
  }
}

// A reply from this PC itself (here its own address, as the device list holds it only with the
// opt-in for a box simulator on this machine) is some program of the PC, not a box: it never
// decides the command, which ends by its time-out.
TEST_F(DiskCommandTest, AReplyFromThisPcNeverDecidesTheCommand) {
  Start(false);
  ListTheBox("192.168.1.100");
  for (const bool opted_in : {false, true}) {
    SCOPED_TRACE(opted_in);
    if (opted_in) setenv(kLocalBoxesVariable, "1", 1);
    form_Main->SelectedNasRecord.diskLayout = {-1, 0, 0, 0, 0};
    traces_.clear();
    world_.lan().After(100, [this] {
      world_.lan().SendDatagram(world_.pc(), 9999, sim::Ipv4Of("192.168.1.100"), 9999,
                                ScriptedDiskPeer::Reply("RAID1 EXT2"));
    });
    const uint64_t t0 = Now();
    EXPECT_EQ(RunDiskCommand(RAID_GETRAIDSTATUS), opted_in ? RAIDCMD_OK : RAIDCMD_ERROR);
    EXPECT_EQ(Now() - t0 >= 5000u, !opted_in);
    EXPECT_EQ(Traced("Tform_Main::GetRAIDCommnadRes- 192.168.1.100 is this PC, not a box: reply dropped"), !opted_in);
    EXPECT_EQ(form_Main->SelectedNasRecord.diskLayout.diskAmount, opted_in ? 2 : -1);
  }
  unsetenv(kLocalBoxesVariable);
}

// The format status moves the progress bar by the phase; -1 is a damaged disk, other negative
// numbers and an empty text are only errors.
TEST_F(DiskCommandTest, TheFormatStatusMovesTheProgressByItsPhase) {
  Start(false);
  ListTheBox("192.168.1.40");
  std::shared_ptr<ScriptedDiskPeer> peer = AddScriptedPeer("192.168.1.40");
  Tform_Main& f = *form_Main;
  const std::string idle = "Waiting for NAS availability :  100 %";
  struct Case {
    int32_t type;
    std::string reply;
    int32_t status;
    int position;
    std::string label;
    int32_t result, counter;  // iGetNASInfoResult and raidCommandErrorCounter afterwards
  } const cases[] = {
      {RAID_GETFORMATSTATUS_FORTEST, "none", RAIDCMD_OK, 110, idle, -1, 0},
      {RAID_GETFORMATSTATUS_FORTEST, "0", RAIDCMD_OK, 110, idle, -1, 0},
      {RAID_GETFORMATSTATUS_FORTEST, "35", RAIDCMD_OK, 45, "-", -1, 0},
      {RAID_GETFORMATSTATUS_FORTEST, "100", RAIDCMD_OK, 110, "-", -1, 0},
      {RAID_GETFORMATSTATUS_FORTEST, "-1", RAIDCMD_ERROR, 7, "-", 4, 2},
      {RAID_GETFORMATSTATUS_FORTEST, "-2", RAIDCMD_ERROR, 7, "-", -1, 0},
      {RAID_GETFORMATSTATUS_FORTEST, "", RAIDCMD_ERROR, 7, "-", -1, 0},
      // A box's number adds to the phase without overflow: kept exactly while the bar has room,
      // at its end from there on, however large.
      {RAID_GETFORMATSTATUS_FORTEST, "309", RAIDCMD_OK, 319, "-", -1, 0},
      {RAID_GETFORMATSTATUS_FORTEST, "2147483637", RAIDCMD_OK, 320, "-", -1, 0},
      {RAID_GETFORMATSTATUS_FORTEST, "2147483647", RAIDCMD_OK, 320, "-", -1, 0},
      {RAID_GETFORMATSTATUS_FORTEST, "99999999999999999999", RAIDCMD_OK, 320, "-", -1, 0},
      {RAID_GETFORMATSTATUS_FORUSERSETTING, "35", RAIDCMD_OK, 165, "-", -1, 0},
      {RAID_GETFORMATSTATUS_FORUSERSETTING, "none", RAIDCMD_OK, 130, "-", -1, 0},
      {RAID_GETFORMATSTATUS_FORUSERSETTING, "100", RAIDCMD_OK, 230, "-", -1, 0},
      {RAID_GETFORMATSTATUS_FORUSERSETTING, "-1", RAIDCMD_ERROR, 7, "-", 4, 2},
      {RAID_GETFORMATSTATUS_FORUSERSETTING, "-2", RAIDCMD_ERROR, 7, "-", -1, 0},
      {RAID_GETFORMATSTATUS_FORUSERSETTING, "", RAIDCMD_ERROR, 7, "-", -1, 0},
      {RAID_GETFORMATSTATUS_FORUSERSETTING, "189", RAIDCMD_OK, 319, "-", -1, 0},
      {RAID_GETFORMATSTATUS_FORUSERSETTING, "2147483517", RAIDCMD_OK, 320, "-", -1, 0},
      {RAID_GETFORMATSTATUS_FORUSERSETTING, "2147483647", RAIDCMD_OK, 320, "-", -1, 0},
      {RAID_GETFORMATSTATUS_FORUSERSETTING, "2147483648", RAIDCMD_OK, 320, "-", -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE((c.type == RAID_GETFORMATSTATUS_FORTEST ? "busy check, " : "format progress, ") + c.reply);
    form_ApplyProgress->ProgressBar1->SetPosition(7);
    form_ApplyProgress->lab_ApplyStatus->SetCaption("-");
    f.iGetNASInfoResult.store(-1);
    f.raidCommandErrorCounter.store(0);
    peer->Answer(c.reply);
    const uint64_t t0 = Now();
    EXPECT_EQ(RunDiskCommand(c.type), c.status);
    EXPECT_LT(Now() - t0, 5000u) << "the reply ended it";
    EXPECT_EQ(form_ApplyProgress->ProgressBar1->Position(), c.position);
    EXPECT_EQ(form_ApplyProgress->lab_ApplyStatus->Caption(), c.label);
    EXPECT_EQ(f.iGetNASInfoResult.load(), c.result);
    EXPECT_EQ(f.raidCommandErrorCounter.load(), c.counter);
  }
}

// The box answers each of the five copies (here three times over); the first answer ends the
// command on the main thread and the others are never read.
TEST_F(DiskCommandTest, OfManyCopiesOfTheReplyOnlyTheFirstIsProcessed) {
  sim::BoxConfig config;
  config.disks = sim::Disks::Raid1(sim::FileSystem::kExt3);
  config.faults.duplicate_replies = 2;
  AddTheBox(config);
  Start(false);
  ListTheBox();
  ASSERT_EQ(RunDiskCommand(RAID_GETRAIDSTATUS), RAIDCMD_OK);
  RunFor(1000);
  EXPECT_EQ(BoxDiskCommands().size(), 5u);
  EXPECT_EQ(TraceCount("RAID Command Got Response: RAID1 EXT3"), 1);
  EXPECT_EQ(TraceCount("Tform_Main::GetRAIDCommnadRes- Finished before Timer2 being finished!"), 1);
  EXPECT_EQ(TraceCount("Tform_Main::timer_RAIDExecTimer"), 1);
  EXPECT_FALSE(form_Main->timer_RAIDExec->Enabled());
  for (const TimedTrace& t : AllTraces()) {
    if (t.text.rfind("Tform_Main::timer_RAIDExecTimer", 0) == 0 || t.text.rfind("RAID Command Got", 0) == 0) {
      EXPECT_TRUE(t.main_thread) << t.text;
    }
  }
}

}  // namespace
