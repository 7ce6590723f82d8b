#include <gtest/gtest.h>

#include "pages_fixture.h"
#include "platform/drives.h"
#include "text/language_strings.h"

namespace {

using sim::Bay;
using sim::FileSystem;
using sim::VolumeKind;

class DiskPageTest : public PagesTest {
 protected:
  // A box that takes its address by DHCP without servers, so that Next on the settings page goes
  // straight to the disk page.
  static sim::BoxConfig BoxWith(sim::Disks disks) {
    sim::BoxConfig box = FreshBox();
    box.dhcp = true;
    box.dns1 = 0;
    box.disks = disks;
    return box;
  }
  void ToDiskPageOf(sim::Disks disks) {
    LogIn(BoxWith(disks));
    ToSettingsPage();
    ToDiskPage();
  }
  std::vector<TRadioButton*> Radios() const {
    const Tform_Main& f = *form_Main;
    return {f.radio_Ext2, f.radio_Ext3, f.radio_Standard, f.radio_JBOD, f.radio_RAID0, f.radio_RAID1};
  }
  std::string Chosen(std::initializer_list<TRadioButton*> radios) const {
    std::string chosen;
    for (TRadioButton* r : radios) {
      if (r->Checked()) chosen += (chosen.empty() ? "" : "+") + r->Name();
    }
    return chosen;
  }
  std::string RaidLevel() const {
    const Tform_Main& f = *form_Main;
    return Chosen({f.radio_Standard, f.radio_JBOD, f.radio_RAID0, f.radio_RAID1});
  }
  std::string FileSystemChoice() const { return Chosen({form_Main->radio_Ext2, form_Main->radio_Ext3}); }
  // The six controls of the second drive letter, shown or not.
  std::vector<bool> SecondLetter() const {
    const Tform_Main& f = *form_Main;
    return {f.lab_And->Visible(),
            f.cb_DriveList2->Visible(),
            f.lab_CBDriveList2->Visible(),
            f.img_CBDriveList2_Normal->Visible(),
            f.img_CBDriveList2_Over->Visible(),
            f.img_CBDriveList2_Selected->Visible()};
  }
  const std::vector<bool> kShown = {true, true, true, true, false, false};
  const std::vector<bool> kHidden = std::vector<bool>(6, false);
};

struct LayoutCase {
  const char* name;
  std::array<Bay, 2> bays;
  int amount;
  bool kept;         // the check box ends ticked (without disks it keeps its layout state)
  bool box_enabled;  // and can be changed
  const char* raid_level;
  const char* file_system;
};

class DiskLayoutTest : public DiskPageTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(DiskLayoutTest, TheLoginPreselectsTheCurrentLayoutOrTheDefaults) {
  const LayoutCase& c = GetParam();
  ToDiskPageOf(sim::Disks(c.bays));
  const Tform_Main& f = *form_Main;
  EXPECT_EQ(f.SelectedNasRecord.diskLayout.diskAmount, c.amount);
  EXPECT_EQ(f.lab_HDAmount->Caption(), platform::FromAnsi(str_LabDiskAmount) + " " + std::to_string(c.amount));
  EXPECT_EQ(f.checkBox_UseDefaultDiskSetting->Checked(), c.kept);
  EXPECT_EQ(f.checkBox_UseDefaultDiskSetting->Enabled(), c.box_enabled);
  EXPECT_EQ(f.lab_checkBoxUseDefaultDiskSetting->Font()->Color(), c.box_enabled ? clBtnFace : clBtnShadow);
  EXPECT_EQ(RaidLevel(), c.raid_level);
  EXPECT_EQ(FileSystemChoice(), c.file_system);
  EXPECT_EQ(f.lab_btnNext->Caption(), platform::FromAnsi(c.kept ? str_BtnApply : str_BtnNext));
  if (c.kept && c.amount > 0) {
    for (TRadioButton* r : Radios()) EXPECT_FALSE(r->Enabled()) << r->Name();
    for (TLabel* l : {f.lab_radioExt2, f.lab_radioExt3, f.lab_radioSTANDARD, f.lab_radioJBOD, f.lab_radioRAID0,
                      f.lab_radioRAID1, f.lab_TitleFileSystem, f.lab_TitleRAIDLevel}) {
      EXPECT_EQ(l->Font()->Color(), clBtnShadow) << l->Name();
    }
    EXPECT_TRUE(f.img_checkBoxUseDefaultDiskSetting_checkedNormal->Visible());
  }
  if (c.amount == 0) {
    EXPECT_FALSE(f.group_DiskConfig->Visible());
    for (TLabel* l : {f.lab_TitleFileSystem, f.lab_radioExt3, f.lab_radioRAID1}) EXPECT_FALSE(l->Visible());
    EXPECT_FALSE(f.img_radioExt3_selected->Visible());
    EXPECT_FALSE(f.img_radioJBOD_unselectedNormal->Visible());
  }
}

constexpr Bay kNoBay{};
constexpr Bay Std(FileSystem fs) { return {true, VolumeKind::kStandard, fs}; }
constexpr Bay Raid1(FileSystem fs) { return {true, VolumeKind::kRaid1, fs}; }
constexpr Bay kBlank{true, VolumeKind::kNone, FileSystem::kNone};

INSTANTIATE_TEST_SUITE_P(
    Layouts, DiskLayoutTest,
    ::testing::Values(
        LayoutCase{"one_disk_kept", {Std(FileSystem::kExt2), kNoBay}, 1, true, true, "radio_Standard", "radio_Ext2"},
        LayoutCase{"one_disk_in_the_second_bay",
                   {kNoBay, Std(FileSystem::kExt3)},
                   1,
                   true,
                   true,
                   "radio_Standard",
                   "radio_Ext3"},
        LayoutCase{"raid1_ext2",
                   {Raid1(FileSystem::kExt2), Raid1(FileSystem::kExt2)},
                   2,
                   true,
                   true,
                   "radio_RAID1",
                   "radio_Ext2"},
        LayoutCase{"two_standard",
                   {Std(FileSystem::kExt3), Std(FileSystem::kExt3)},
                   2,
                   true,
                   true,
                   "radio_Standard",
                   "radio_Ext3"},
        LayoutCase{"second_disk_without_file_system",
                   {Std(FileSystem::kExt2), kBlank},
                   2,
                   false,
                   false,
                   "radio_RAID1",
                   "radio_Ext3"},
        LayoutCase{"one_unformatted_disk", {kBlank, kNoBay}, 1, false, false, "radio_Standard", "radio_Ext3"},
        LayoutCase{"no_disk", {kNoBay, kNoBay}, 0, true, false, "", "radio_Ext3"}),
    [](const auto& info) { return info.param.name; });

TEST_F(DiskPageTest, UntickingWithOneDiskOffersOnlyTheFileSystems) {
  ToDiskPageOf(sim::Disks({Std(FileSystem::kExt2), kNoBay}));
  const Tform_Main& f = *form_Main;
  driver_.Click("lab_checkBoxUseDefaultDiskSetting");
  ASSERT_FALSE(f.checkBox_UseDefaultDiskSetting->Checked());
  EXPECT_EQ(f.lab_btnNext->Caption(), platform::FromAnsi(str_BtnNext));
  EXPECT_TRUE(f.img_checkBoxUseDefaultDiskSetting_uncheckedNormal->Visible());
  for (TRadioButton* r : {f.radio_Ext2, f.radio_Ext3}) EXPECT_TRUE(r->Enabled()) << r->Name();
  for (TRadioButton* r : {f.radio_Standard, f.radio_JBOD, f.radio_RAID0, f.radio_RAID1}) {
    EXPECT_FALSE(r->Enabled()) << r->Name();
  }
  EXPECT_EQ(f.lab_radioExt2->Font()->Color(), clBtnFace);
  EXPECT_EQ(f.lab_radioJBOD->Font()->Color(), clBtnShadow);
  EXPECT_EQ(f.lab_TitleRAIDLevel->Font()->Color(), clBtnFace);
  EXPECT_EQ(RaidLevel(), "radio_Standard") << "unticking keeps the choices";
  EXPECT_EQ(FileSystemChoice(), "radio_Ext2");
  driver_.Click("lab_radioExt3");
  EXPECT_EQ(FileSystemChoice(), "radio_Ext3");
}

TEST_F(DiskPageTest, TwoStandardDisksShowTheSecondLetterOnADifferentItemAndOtherLevelsHideIt) {
  ToDiskPageOf(sim::Disks({Std(FileSystem::kExt3), Std(FileSystem::kExt3)}));
  const Tform_Main& f = *form_Main;
  EXPECT_EQ(SecondLetter(), kShown);
  EXPECT_EQ(f.cb_DriveList1->ItemIndex(), 0);
  EXPECT_EQ(f.cb_DriveList2->ItemIndex(), 1) << "the lists hold different letters";
  EXPECT_EQ(f.lab_CBDriveList2->Caption(), f.cb_DriveList2->Items()[1]);

  driver_.Click("lab_checkBoxUseDefaultDiskSetting");
  for (const char* level : {"lab_radioJBOD", "lab_radioRAID0", "lab_radioRAID1"}) {
    driver_.Click(level);
    EXPECT_EQ(SecondLetter(), kHidden) << level;
  }
  EXPECT_EQ(RaidLevel(), "radio_RAID1");
  EXPECT_TRUE(f.img_radioRAID1_selected->Visible());
  EXPECT_TRUE(f.img_radioSTANDARD_unselectedNormal->Visible());
  driver_.Click("lab_radioSTANDARD");
  EXPECT_EQ(SecondLetter(), kShown);
  EXPECT_TRUE(f.img_radioSTANDARD_selected->Visible());
  EXPECT_TRUE(f.img_radioRAID1_unselectedNormal->Visible());

  form_Main->btn_NextClick(form_Main->btn_Next);
  ASSERT_EQ(Page(), f.tab_NetworkDiskMapping);
  EXPECT_NE(f.cb_DriveList1->ItemIndex(), f.cb_DriveList2->ItemIndex());
}

TEST_F(DiskPageTest, WithOneDiskTheSecondLetterNeverShows) {
  ToDiskPageOf(sim::Disks({Std(FileSystem::kExt3), kNoBay}));
  const Tform_Main& f = *form_Main;
  EXPECT_EQ(SecondLetter(), kHidden);
  driver_.Click("lab_checkBoxUseDefaultDiskSetting");
  driver_.Click("lab_radioSTANDARD");
  EXPECT_EQ(SecondLetter(), kHidden);
  form_Main->btn_NextClick(form_Main->btn_Next);
  ASSERT_EQ(Page(), f.tab_NetworkDiskMapping);
  EXPECT_EQ(SecondLetter(), kHidden);
  EXPECT_EQ(f.cb_DriveList2->ItemIndex(), 1) << "the page's show handler still pushes list 2 on";
}

struct WrapCase {
  const char* name;
  int list1, list2;  // indexes before the change; -1 for the last item
  bool list1_changed;
  int expected1, expected2;
};

class DriveListWrapTest : public DiskPageTest, public ::testing::WithParamInterface<WrapCase> {};

TEST_P(DriveListWrapTest, TheChangedListKeepsItsLetterAndPushesTheOther) {
  const WrapCase& c = GetParam();
  ToDiskPageOf(sim::Disks({Std(FileSystem::kExt3), Std(FileSystem::kExt3)}));
  Tform_Main& f = *form_Main;
  driver_.Click("lab_checkBoxUseDefaultDiskSetting");
  form_Main->btn_NextClick(form_Main->btn_Next);
  ASSERT_EQ(Page(), f.tab_NetworkDiskMapping);
  const int last = f.cb_DriveList1->Items().Count() - 1;
  ASSERT_EQ(last, 21) << "E: to Z: are free";
  auto at = [last](int i) { return i < 0 ? last : i; };
  // The drop-down sets the choice without the list's own change event, then calls the rule.
  f.cb_DriveList1->SetItemIndex(at(c.list1));
  f.cb_DriveList2->SetItemIndex(at(c.list2));
  if (c.list1_changed) {
    f.cb_DriveList1Change(f.cb_DriveList1);
  } else {
    f.cb_DriveList2Change(f.cb_DriveList2);
  }
  EXPECT_EQ(f.cb_DriveList1->ItemIndex(), at(c.expected1));
  EXPECT_EQ(f.cb_DriveList2->ItemIndex(), at(c.expected2));
  if (c.list1_changed && c.list1 == c.list2) {
    EXPECT_EQ(f.lab_CBDriveList2->Caption(), f.cb_DriveList2->Items()[at(c.expected2)]) << "its drop-down follows";
  }
  if (!c.list1_changed && c.list1 == c.list2) {
    EXPECT_EQ(f.lab_CBDriveList1->Caption(), f.cb_DriveList1->Items()[at(c.expected1)]);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, DriveListWrapTest,
                         ::testing::Values(WrapCase{"both_last_list1_changed", -1, -1, true, -1, 0},
                                           WrapCase{"both_first_list2_changed", 0, 0, false, -1, 0},
                                           WrapCase{"same_in_the_middle_list1", 5, 5, true, 5, 6},
                                           WrapCase{"same_in_the_middle_list2", 5, 5, false, 4, 5},
                                           WrapCase{"different_list1", 3, 7, true, 3, 7},
                                           WrapCase{"different_list2", 3, 7, false, 3, 7}),
                         [](const auto& info) { return info.param.name; });

TEST_F(DiskPageTest, AListOfOneLetterLeavesBothListsOnIt) {
  for (char letter = 'E'; letter <= 'Y'; ++letter) world_.drives().SetLocalDrive(letter, platform::DRIVE_FIXED);
  ToDiskPageOf(sim::Disks({Std(FileSystem::kExt3), Std(FileSystem::kExt3)}));
  Tform_Main& f = *form_Main;
  ASSERT_EQ(f.cb_DriveList1->Items().Count(), 1);
  EXPECT_EQ(f.cb_DriveList1->Items()[0].substr(0, 2), "Z:");
  driver_.Click("lab_checkBoxUseDefaultDiskSetting");
  form_Main->btn_NextClick(form_Main->btn_Next);
  ASSERT_EQ(Page(), f.tab_NetworkDiskMapping);
  EXPECT_EQ(f.cb_DriveList1->ItemIndex(), 0);
  EXPECT_EQ(f.cb_DriveList2->ItemIndex(), 0);
  f.cb_DriveList2Change(f.cb_DriveList2);
  EXPECT_EQ(f.cb_DriveList1->ItemIndex(), 0);
  EXPECT_EQ(f.cb_DriveList2->ItemIndex(), 0);
}

}  // namespace
