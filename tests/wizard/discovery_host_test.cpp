// The wizard's discovery on the host: boxes on both of the PC's subnets are listed.
#include <set>
#include <string>
#include <vector>

#include "child_process.h"
#include "host_fixture.h"
#include "link/this_pc.h"

namespace {

using DiscoveryHostTest = WizardHostTest;

TEST_F(DiscoveryHostTest, BoxesOnBothAdaptersSubnetsAreListedWithTheirOwnAddresses) {
  const std::vector<std::string> first = {"10.77.0.2", "10.77.0.12"}, second = {"10.78.0.2"};
  StartBoxes(0, first);
  StartBoxes(1, second);
  StartWizard({"10.77.0.2", "10.77.0.12", "10.78.0.2"});
  form_Main->Show();
  WaitForRoundEnd();

  // The second subnet is reached only by its directed broadcast, which the adapter scan gives.
  const TComboBox& addresses = *form_Main->cbIpAddr;
  std::set<std::string> adapters;
  for (int i = 0; i < addresses.Items().Count(); ++i) adapters.insert(addresses.Items()[i]);
  EXPECT_EQ(adapters, (std::set<std::string>{"10.77.0.1", "10.78.0.1"}));
  EXPECT_EQ(ListedAddresses(), (std::set<std::string>{"10.77.0.2", "10.77.0.12", "10.78.0.2"})) << BoxErrors();
  for (int i = 0; i < form_Main->ListView1->Count(); ++i) {
    const TListItem* row = form_Main->ListView1->Item(i);
    const std::string& ip = row->SubItems()[0];
    const std::string expected = ip == "10.78.0.2" ? "NAS-1-0" : ip == "10.77.0.2" ? "NAS-0-0" : "NAS-0-1";
    EXPECT_EQ(row->Caption(), expected) << ip;
  }
  EXPECT_EQ(form_Main->lab_DeviceDiscoveryResult->Caption(), "Device Found:  3");
}

// Another user of the PC runs a program that poses as a box, sending discovery replies from the
// loopback address and from the PC's own address (all it can send from without privileges) with
// a name that sorts above the real box's: only the real box is listed. A box simulator on this
// PC is listed only when the environment asks for it.
TEST_F(DiscoveryHostTest, AnotherUsersProgramPosingAsABoxIsNotListed) {
  StartBoxes(0, {"10.77.0.2"});
  StartWizard({"10.77.0.2"});
  ChildProcess impostor({"ip", "netns", "exec", net_->pc(), "setpriv", "--reuid=65534", "--regid=65534",
                         "--clear-groups", BOX_IMPOSTOR, "NAS-0-", "127.0.0.1", netns::TestNetwork::PcAddress()});
  ASSERT_EQ(impostor.ReadLine(), "ready");
  form_Main->Show();
  WaitForRoundEnd();
  EXPECT_EQ(ListedAddresses(), std::set<std::string>{"10.77.0.2"}) << BoxErrors();
  EXPECT_EQ(form_Main->ListView1->Item(0)->Caption(), "NAS-0-0");

  // Its replies did reach the wizard: with the opt-in they are listed, and sort first.
  setenv(kLocalBoxesVariable, "1", 1);
  form_Main->btn_DeviceDiscoveryClick(form_Main->btn_DeviceDiscovery);
  WaitForRoundEnd();
  unsetenv(kLocalBoxesVariable);
  EXPECT_EQ(ListedAddresses(), (std::set<std::string>{"10.77.0.2", "127.0.0.1", netns::TestNetwork::PcAddress()}));
  EXPECT_EQ(form_Main->ListView1->Item(0)->Caption(), "NAS-0-");
  impostor.CloseStdin();
  EXPECT_EQ(impostor.Wait(), 0);
}

// As many boxes as one round can list (the device table holds 255), on both subnets: every round
// lists every one of them.
TEST_F(DiscoveryHostTest, EveryRoundListsAllTwoHundredFiftyFiveBoxes) {
  constexpr int kRounds = 10;
  const std::vector<std::string> first = Hosts(0, 2, 200), second = Hosts(1, 2, 55);
  StartBoxes(0, first);
  StartBoxes(1, second);
  std::vector<std::string> every = first;
  every.insert(every.end(), second.begin(), second.end());
  StartWizard(every);
  const std::set<std::string> expected(every.begin(), every.end());
  form_Main->Show();
  int complete = 0;
  for (int round = 0; round < kRounds; ++round) {
    if (round > 0) form_Main->btn_DeviceDiscoveryClick(form_Main->btn_DeviceDiscovery);
    WaitForRoundEnd();
    const std::set<std::string> listed = ListedAddresses();
    EXPECT_EQ(listed.size(), expected.size()) << "round " << round;
    if (listed == expected) ++complete;
  }
  std::printf("discovery on the host: %zu nas-sim boxes on two subnets, all listed in %d of %d rounds\n",
              expected.size(), complete, kRounds);
  RecordProperty("boxes", static_cast<int>(expected.size()));
  RecordProperty("complete_rounds", complete);
  EXPECT_EQ(complete, kRounds) << BoxErrors();
}

}  // namespace
