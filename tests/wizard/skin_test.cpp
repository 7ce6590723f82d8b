// The skinned window: image buttons, check boxes and radios under the pointer, the rule by which
// a page's background ends the hover looks left behind, and the frame (drag, close, minimise).
#include <gtest/gtest.h>

#include "skinned_page_support.h"
#include "toolkit/application.h"

namespace {

// The pictures and caption of one image control, in the state that tells its look.
struct Pictures {
  TImage* normal;
  TImage* over;
  TLabel* caption;
};

bool Hovered(const Pictures& p) {
  return p.over->Visible() && !p.normal->Visible() && p.caption->GetFont().Color() == clBtnHighlight;
}
bool AtRest(const Pictures& p) { return p.normal->Visible() && !p.over->Visible(); }

class SkinTest : public SkinnedPageTest {
 protected:
  Pictures Next() const { return {f().img_btnNextNormal, f().img_btnNextOver, f().lab_btnNext}; }
  Pictures Back() const { return {f().img_btnBackNormal, f().img_btnBackOver, f().lab_btnBack}; }
  Pictures Cancel() const { return {f().img_btnCancelNormal, f().img_btnCancelOver, f().lab_btnCancel}; }
  Pictures Refresh() const {
    return {f().img_btnDeviceDiscoveryNormal, f().img_btnDeviceDiscoveryOver, f().lab_btnDeviceDiscovery};
  }
  Tform_Main& f() const { return *form_Main; }
};

TEST_F(SkinTest, NextAndRefreshHoverOnlyWhileEnabledBackAndCancelAlways) {
  LogIn();
  struct Case {
    TTabSheet* page;
    Pictures pictures;
    TButton* real;
    bool hovers_while_disabled;
  };
  const Case cases[] = {{f().tab_UserPassValid, Next(), f().btn_Next, false},
                        {f().tab_UserPassValid, Back(), f().btn_Back, true},
                        {f().tab_UserPassValid, Cancel(), f().btn_Cancel, true},
                        {f().tab_NASList, Refresh(), f().btn_DeviceDiscovery, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pictures.caption->Name());
    if (f().PageControl1->ActivePage() != c.page) ShowPage(c.page);
    TImage* background = c.page == f().tab_NASList ? f().img_PageControlBG1 : f().img_PageControlBG2;
    for (const bool enabled : {false, true}) {
      c.real->SetEnabled(enabled);
      MoveOnto(background);
      const TColor resting = c.pictures.caption->GetFont().Color();
      MoveOnto(c.pictures.caption);
      const bool hovers = enabled || c.hovers_while_disabled;
      EXPECT_EQ(Hovered(c.pictures), hovers) << "enabled " << enabled;
      EXPECT_EQ(Screen->Cursor(), hovers ? crHandPoint : crDefault);
      if (!hovers) {
        EXPECT_TRUE(AtRest(c.pictures));
        EXPECT_EQ(c.pictures.caption->GetFont().Color(), resting) << "a disabled look stays";
      }
    }
    // From the caption onto the picture and back keeps the look; the background ends it.
    MoveOnto(c.pictures.over);
    EXPECT_TRUE(Hovered(c.pictures));
    MoveOnto(c.pictures.caption);
    EXPECT_TRUE(Hovered(c.pictures));
    MoveOnto(background);
    EXPECT_TRUE(AtRest(c.pictures));
    EXPECT_EQ(c.pictures.caption->GetFont().Color(), clBtnFace);
    EXPECT_EQ(Screen->Cursor(), crDefault);
  }
}

TEST_F(SkinTest, DuringARoundTheDisabledNextAndRefreshDoNotReact) {
  AddBoxAt("192.168.1.20", "NAS-220");
  Start();
  ASSERT_TRUE(f().timer_DeviceDiscovery->Enabled());
  for (const Pictures& p : {Next(), Refresh()}) {
    MoveOnto(p.normal);
    EXPECT_TRUE(AtRest(p)) << p.caption->Name();
    EXPECT_EQ(p.caption->GetFont().Color(), clBtnShadow);
    MoveOnto(p.caption);
    EXPECT_TRUE(AtRest(p)) << p.caption->Name();
  }
  WaitForRoundEnd();
  MoveOnto(f().img_PageControlBG1);
  MoveOnto(f().lab_btnDeviceDiscovery);
  EXPECT_TRUE(Hovered(Refresh()));
  ClickOn(f().img_btnDeviceDiscoveryOver);
  EXPECT_TRUE(f().timer_DeviceDiscovery->Enabled()) << "the hover picture's click refreshes";
  EXPECT_TRUE(AtRest(Refresh())) << "the round's start puts the disabled look back";
}

// Hover looks left behind (a pointer that left too fast) end when the pointer crosses a page's
// background.
TEST_F(SkinTest, APagesBackgroundEndsEveryHoverLookOfThePage) {
  LogIn();
  Tform_Main& m = f();
  struct Page {
    TTabSheet* page;
    TImage* background;
    std::vector<Pictures> extra;
  };
  // Unticking the keep-disk box opens the disk page's radios; the selected ones stay selected.
  m.checkBox_UseDefaultDiskSetting->SetChecked(false);
  const Page pages[] = {
      {m.tab_NASList, m.img_PageControlBG1, {Refresh()}},
      {m.tab_UserPassValid, m.img_PageControlBG2, {}},
      {m.tab_CurrentSettings,
       m.img_PageControlBG3,
       {{m.img_comboBoxTimeZone_Normal, m.img_comboBoxTimeZone_Over, m.lab_comboBoxTimeZone},
        {m.img_radioFixedIP_unselectedNormal, m.img_radioFixedIP_unselectedOver, m.lab_radioFixedIP},
        {m.img_radioAutoDNS_unselectedNormal, m.img_radioAutoDNS_unselectedOver, m.lab_radioAutoDNS}}},
      {m.tab_DiskConfiguration,
       m.img_PageControlBG4,
       {{m.img_checkBoxUseDefaultDiskSetting_uncheckedNormal, m.img_checkBoxUseDefaultDiskSetting_uncheckedOver,
         m.lab_checkBoxUseDefaultDiskSetting},
        {m.img_radioExt2_unselectedNormal, m.img_radioExt2_unselectedOver, m.lab_radioExt2},
        {m.img_radioSTANDARD_unselectedNormal, m.img_radioSTANDARD_unselectedOver, m.lab_radioSTANDARD},
        {m.img_radioJBOD_unselectedNormal, m.img_radioJBOD_unselectedOver, m.lab_radioJBOD},
        {m.img_radioRAID0_unselectedNormal, m.img_radioRAID0_unselectedOver, m.lab_radioRAID0}}},
      {m.tab_NetworkDiskMapping,
       m.img_PageControlBG5,
       {{m.img_CBDriveList1_Normal, m.img_CBDriveList1_Over, m.lab_CBDriveList1}}},
      {m.tab_ClientSetupFinish, m.img_PageControlBG6, {}},
      {m.tab_CurrentSettings_ConnectionFailed, m.img_PageControlBG3_1, {}},
      {m.tab_TotalFinish, m.img_PageControlBG7, {}},
  };
  for (const Page& page : pages) {
    SCOPED_TRACE(page.background->Name());
    ShowPage(page.page);
    m.btn_Next->SetEnabled(true);
    m.btn_DeviceDiscovery->SetEnabled(true);
    // Enter every control: the pointer stands on none of them, so only the background's rule
    // can end the looks.
    std::vector<Pictures> all = {Cancel(), Next(), Back()};
    all.insert(all.end(), page.extra.begin(), page.extra.end());
    for (const Pictures& p : all) {
      if (p.caption->OnMouseEnter) p.caption->OnMouseEnter(p.caption);
      ASSERT_TRUE(Hovered(p)) << p.caption->Name();
    }
    MoveOnto(page.background);
    for (const Pictures& p : all) {
      EXPECT_TRUE(AtRest(p)) << p.caption->Name();
      EXPECT_EQ(p.caption->GetFont().Color(), clBtnFace) << p.caption->Name();
    }
    EXPECT_EQ(Screen->Cursor(), crDefault);
  }
}

TEST_F(SkinTest, TheWindowsBackgroundEndsThePageButtonsLooksAndTheDummyThePasswordBoxs) {
  LogIn();
  Tform_Main& m = f();
  for (const Pictures& p : {Cancel(), Next(), Back()}) p.caption->OnMouseEnter(p.caption);
  MoveOnto(m.img_MaingBG);
  for (const Pictures& p : {Cancel(), Next(), Back()}) EXPECT_TRUE(AtRest(p)) << p.caption->Name();

  m.checkBox_UseOriginalPassword->SetEnabled(true);
  const Pictures box = {m.img_checkBoxUseOriginalPassword_uncheckedNormal,
                        m.img_checkBoxUseOriginalPassword_uncheckedOver, m.lab_checkBoxUseOriginalPassword};
  ASSERT_TRUE(AtRest(box));
  m.lab_checkBoxUseOriginalPasswordMouseEnter(m.lab_checkBoxUseOriginalPassword);
  ASSERT_TRUE(Hovered(box));
  MoveOnto(m.img_checkBoxUseOriginalPassword_Dummy);
  EXPECT_TRUE(AtRest(box)) << "entering the dummy runs the box's leave rule";
  m.lab_checkBoxUseOriginalPasswordMouseEnter(m.lab_checkBoxUseOriginalPassword);
  const TPoint p = PointOn(m.img_checkBoxUseOriginalPassword_Dummy);
  driver_.MoveTo(p.X + 3, p.Y);
  EXPECT_TRUE(AtRest(box)) << "and so does moving over it";
}

TEST_F(SkinTest, ARadioHoversOnlyWhileUnselectedAndOnlyWhileItsChoiceIsOpen) {
  LogIn();
  Tform_Main& m = f();
  ShowPage(m.tab_CurrentSettings);
  ASSERT_FALSE(m.checkBox_UseDefaultDNTZandNetwork->Checked()) << "the login leaves the page open";
  ASSERT_TRUE(m.radio_AutoIP->Checked()) << "the box uses DHCP";
  const Pictures auto_ip = {m.img_radioAutoIP_unselectedNormal, m.img_radioAutoIP_unselectedOver, m.lab_radioAutoIP};
  const Pictures fixed_ip = {m.img_radioFixedIP_unselectedNormal, m.img_radioFixedIP_unselectedOver,
                             m.lab_radioFixedIP};

  const TColor selected_colour = m.lab_radioAutoIP->GetFont().Color();
  MoveOnto(m.lab_radioAutoIP);
  EXPECT_TRUE(m.img_radioAutoIP_selected->Visible());
  EXPECT_FALSE(m.img_radioAutoIP_unselectedOver->Visible()) << "a selected radio does not react";
  EXPECT_EQ(m.lab_radioAutoIP->GetFont().Color(), selected_colour);
  EXPECT_EQ(Screen->Cursor(), crDefault);

  MoveOnto(m.lab_radioFixedIP);
  EXPECT_TRUE(Hovered(fixed_ip));
  EXPECT_EQ(Screen->Cursor(), crHandPoint);
  driver_.Click("lab_radioFixedIP");
  EXPECT_TRUE(m.radio_FixedIP->Checked());
  EXPECT_TRUE(m.img_radioFixedIP_selected->Visible());
  EXPECT_TRUE(AtRest(auto_ip));

  // With a fixed address the real AutoDNS radio is disabled, yet its picture still chooses it.
  ASSERT_FALSE(m.radio_AutoDNS->Enabled());
  driver_.Click("lab_radioAutoDNS");
  EXPECT_TRUE(m.radio_AutoDNS->Checked());

  // Ticked "use current settings" locks the radios against the mouse.
  m.checkBox_UseDefaultDNTZandNetwork->SetChecked(true);
  const bool auto_ip_before = m.radio_AutoIP->Checked();
  TRadioButton* unselected = auto_ip_before ? m.radio_FixedIP : m.radio_AutoIP;
  const Pictures locked = unselected == m.radio_AutoIP ? auto_ip : fixed_ip;
  MoveOnto(locked.caption);
  EXPECT_FALSE(locked.over->Visible());
  ClickOn(locked.caption);
  EXPECT_FALSE(unselected->Checked());
}

TEST_F(SkinTest, AnIpRadioClosesAnOpenListEvenWhenItIsNotChosen) {
  LogIn();
  Tform_Main& m = f();
  ShowPage(m.tab_CurrentSettings);
  driver_.Click("lab_comboBoxTimeZone");
  ASSERT_TRUE(m.sg_TimeZone->Visible());
  driver_.Click("lab_radioAutoIP");  // already the chosen one
  EXPECT_FALSE(m.sg_TimeZone->Visible());
  EXPECT_TRUE(m.img_comboBoxTimeZone_Normal->Visible());
}

TEST_F(SkinTest, DiskRadiosReactOnlyWhileTheKeepBoxIsClearAndTheyAreEnabled) {
  LogIn();
  Tform_Main& m = f();
  ShowPage(m.tab_DiskConfiguration);
  ASSERT_TRUE(m.checkBox_UseDefaultDiskSetting->Checked());
  auto expect_locked = [&](const Pictures& p, const TRadioButton* radio, const char* why) {
    MoveOnto(p.caption);
    EXPECT_TRUE(AtRest(p)) << why;
    ClickOn(p.caption);
    EXPECT_FALSE(radio->Checked()) << why;
  };
  const Pictures jbod = {m.img_radioJBOD_unselectedNormal, m.img_radioJBOD_unselectedOver, m.lab_radioJBOD};
  expect_locked(jbod, m.radio_JBOD, "the kept configuration locks the radios");

  driver_.Click("lab_checkBoxUseDefaultDiskSetting");
  ASSERT_FALSE(m.checkBox_UseDefaultDiskSetting->Checked());
  MoveOnto(m.lab_radioJBOD);
  EXPECT_TRUE(Hovered(jbod));
  driver_.Click("lab_radioJBOD");
  EXPECT_TRUE(m.radio_JBOD->Checked());

  m.radio_RAID0->SetEnabled(false);
  const Pictures raid0 = {m.img_radioRAID0_unselectedNormal, m.img_radioRAID0_unselectedOver, m.lab_radioRAID0};
  expect_locked(raid0, m.radio_RAID0, "a disabled radio does not react");

  // The file system's choice keeps the hover colour on its caption.
  driver_.Click("lab_radioExt2");
  EXPECT_TRUE(m.radio_Ext2->Checked());
  EXPECT_TRUE(m.img_radioExt2_selected->Visible());
  EXPECT_FALSE(m.img_radioExt2_unselectedNormal->Visible());
  EXPECT_FALSE(m.img_radioExt2_unselectedOver->Visible());
  EXPECT_TRUE(m.img_radioExt3_unselectedNormal->Visible());
  EXPECT_FALSE(m.img_radioExt3_selected->Visible());
  EXPECT_EQ(m.lab_radioExt2->GetFont().Color(), clBtnHighlight);
  EXPECT_EQ(m.lab_radioExt3->GetFont().Color(), clBtnFace);
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

// A click on a picture check box inverts its real box when the box's condition holds.
TEST_F(SkinTest, PictureCheckBoxesInvertTheirBoxOnlyWhileItIsEnabled) {
  LogIn();
  Tform_Main& m = f();
  struct Case {
    TTabSheet* page;
    TLabel* caption;
    TCheckBox* box;
  };
  const Case cases[] = {
      {m.tab_UserPassValid, m.lab_checkBoxUseOriginalPassword, m.checkBox_UseOriginalPassword},
      {m.tab_DiskConfiguration, m.lab_checkBoxUseDefaultDiskSetting, m.checkBox_UseDefaultDiskSetting},
      {m.tab_CurrentSettings_ConnectionFailed, m.lab_IgnoreConnectionFailMsg, m.checkBox_IgnoreConnectionFailMsg}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption->Name());
    ShowPage(c.page);
    c.box->SetEnabled(false);
    const bool before = c.box->Checked();
    driver_.Click(c.caption->Name());
    EXPECT_EQ(c.box->Checked(), before);
    c.box->SetEnabled(true);
    RunFor(kDoubleClickMs + 1);  // a second click, not a double click
    MoveOnto(c.page == m.tab_UserPassValid ? static_cast<TControl*>(m.img_checkBoxUseOriginalPassword_Dummy)
                                           : f().img_MaingBG);
    MoveOnto(c.caption);
    EXPECT_EQ(Screen->Cursor(), crHandPoint);
    EXPECT_EQ(c.caption->GetFont().Color(), clBtnHighlight);
    driver_.Click(c.caption->Name());
    EXPECT_EQ(c.box->Checked(), !before);
  }
}

TEST_F(SkinTest, TheIgnoreBoxShowsTheNormalPictureOfItsNewState) {
  LogIn();
  Tform_Main& m = f();
  ShowPage(m.tab_CurrentSettings_ConnectionFailed);
  TImage* pictures[] = {m.img_IgnoreConnectionFailMsg_checkedNormal, m.img_IgnoreConnectionFailMsg_checkedOver,
                        m.img_IgnoreConnectionFailMsg_uncheckedNormal, m.img_IgnoreConnectionFailMsg_uncheckedOver};
  auto shown = [&] {
    std::vector<std::string> names;
    for (TImage* p : pictures) {
      if (p->Visible()) names.push_back(p->Name());
    }
    return names;
  };
  EXPECT_EQ(shown(), std::vector<std::string>{"img_IgnoreConnectionFailMsg_uncheckedNormal"});
  MoveOnto(m.img_IgnoreConnectionFailMsg_uncheckedNormal);
  EXPECT_EQ(shown(), std::vector<std::string>{"img_IgnoreConnectionFailMsg_uncheckedOver"});
  ClickOn(m.img_IgnoreConnectionFailMsg_uncheckedOver);
  EXPECT_TRUE(m.checkBox_IgnoreConnectionFailMsg->Checked());
  // The new state's normal picture came up under the pointer, which enters it at once.
  EXPECT_EQ(shown(), std::vector<std::string>{"img_IgnoreConnectionFailMsg_checkedOver"});
  MoveOnto(m.img_PageControlBG3_1);
  EXPECT_EQ(shown(), std::vector<std::string>{"img_IgnoreConnectionFailMsg_checkedNormal"});
  m.checkBox_IgnoreConnectionFailMsg->SetChecked(false);
  EXPECT_EQ(shown(), std::vector<std::string>{"img_IgnoreConnectionFailMsg_uncheckedNormal"});
}

TEST_F(SkinTest, TheUseCurrentSettingsBoxInvertsWithoutConditionAndClosesTheLists) {
  LogIn();
  Tform_Main& m = f();
  ShowPage(m.tab_CurrentSettings);
  driver_.Click("lab_comboBoxTimeZone");
  ASSERT_TRUE(m.sg_TimeZone->Visible());
  // The box is never visible: its caption's handlers are reached only in code.
  m.checkBox_UseDefaultDNTZandNetwork->SetEnabled(false);
  m.lab_checkBoxUseDefaultDNTZandNetworkClick(m.lab_checkBoxUseDefaultDNTZandNetwork);
  EXPECT_TRUE(m.checkBox_UseDefaultDNTZandNetwork->Checked());
  EXPECT_FALSE(m.sg_TimeZone->Visible());
  EXPECT_FALSE(m.radio_FixedIP->Enabled()) << "the real box's handler locked the page";
  m.lab_checkBoxUseDefaultDNTZandNetworkClick(m.lab_checkBoxUseDefaultDNTZandNetwork);
  EXPECT_FALSE(m.checkBox_UseDefaultDNTZandNetwork->Checked());
}

TEST_F(SkinTest, TheWindowIsDraggedByItsBackgroundOrTitleWithAnyButton) {
  Start();
  const TPoint background = PointOn(f().img_MaingBG);
  const TPoint title = PointOn(f().lab_MainFormCaption);
  struct Case {
    TPoint at;
    TMouseButton button;
  };
  const Case cases[] = {{background, TMouseButton::mbLeft},
                        {background, TMouseButton::mbRight},
                        {background, TMouseButton::mbMiddle},
                        {title, TMouseButton::mbLeft},
                        {title, TMouseButton::mbRight}};
  int expected = f().MoveRequests();
  for (const Case& c : cases) {
    driver_.Press(c.at.X, c.at.Y, c.button);
    driver_.Release(c.at.X, c.at.Y, c.button);
    EXPECT_EQ(f().MoveRequests(), ++expected);
  }
  const TPoint page = PointOn(f().img_PageControlBG1);
  driver_.ClickAt(page.X, page.Y);
  EXPECT_EQ(f().MoveRequests(), expected) << "the page's own background does not drag";
}

TEST_F(SkinTest, CloseEndsTheProgramAndMinimiseSendsAllOfItToTheTaskBar) {
  Start();
  for (TImage* picture : {f().img_Close, f().img_Minimize}) {
    MoveOnto(picture);
    EXPECT_EQ(Screen->Cursor(), crHandPoint) << picture->Name();
    MoveOnto(f().img_MaingBG);
    EXPECT_EQ(Screen->Cursor(), crDefault) << picture->Name();
  }
  ClickOn(f().img_Minimize);
  EXPECT_TRUE(Application->Minimized());
  EXPECT_FALSE(Application->Terminated());
  Application->Restore();
  ClickOn(f().img_Close);
  EXPECT_TRUE(Application->Terminated());
}

}  // namespace
