#include "toolkit/application.h"
#include "wizard/main_form.h"

// The skinned frame and the image controls of the main window: every visible button, check box
// and radio button is a set of pictures under a caption, over a real control outside the
// visible region that keeps the state.

namespace {

struct ImageButton {
  TImage* normal;
  TImage* over;
  TLabel* caption;
};

struct ImageCheckBox {
  TCheckBox* box;
  TImage* checked_normal;
  TImage* checked_over;
  TImage* unchecked_normal;
  TImage* unchecked_over;
  TLabel* caption;
};

struct ImageRadio {
  TRadioButton* radio;
  TImage* selected;
  TImage* unselected_normal;
  TImage* unselected_over;
  TLabel* caption;
};

void Enter(const ImageButton& b, bool condition) {
  if (!condition || !b.normal->Visible()) return;
  b.normal->Hide();
  b.over->Show();
  b.caption->Font()->SetColor(clBtnHighlight);
  Screen->SetCursor(crHandPoint);
}

// Image buttons test no condition on leave.
void Leave(const ImageButton& b) {
  if (!b.over->Visible()) return;
  b.normal->Show();
  b.over->Hide();
  b.caption->Font()->SetColor(clBtnFace);
  Screen->SetCursor(crDefault);
}

void Enter(const ImageCheckBox& c, bool condition) {
  if (!condition) return;
  if (c.checked_normal->Visible()) {
    c.checked_normal->Hide();
    c.checked_over->Show();
  } else if (c.unchecked_normal->Visible()) {
    c.unchecked_normal->Hide();
    c.unchecked_over->Show();
  } else {
    return;
  }
  c.caption->Font()->SetColor(clBtnHighlight);
  Screen->SetCursor(crHandPoint);
}

void Leave(const ImageCheckBox& c, bool condition) {
  if (!condition) return;
  if (c.checked_over->Visible()) {
    c.checked_normal->Show();
    c.checked_over->Hide();
  } else if (c.unchecked_over->Visible()) {
    c.unchecked_normal->Show();
    c.unchecked_over->Hide();
  } else {
    return;
  }
  c.caption->Font()->SetColor(clBtnFace);
  Screen->SetCursor(crDefault);
}

void Press(const ImageCheckBox& c, bool condition) {
  if (condition) c.box->SetChecked(!c.box->Checked());
}

// A radio has a hover look only while it is unselected.
void Enter(const ImageRadio& r, bool condition) {
  if (!condition || !r.unselected_normal->Visible()) return;
  r.unselected_normal->Hide();
  r.unselected_over->Show();
  r.caption->Font()->SetColor(clBtnHighlight);
  Screen->SetCursor(crHandPoint);
}

void Leave(const ImageRadio& r, bool condition) {
  if (!condition || !r.unselected_over->Visible()) return;
  r.unselected_normal->Show();
  r.unselected_over->Hide();
  r.caption->Font()->SetColor(clBtnFace);
  Screen->SetCursor(crDefault);
}

void Press(const ImageRadio& r, bool condition) {
  if (condition) r.radio->SetChecked(true);
}

void ShowOnly(std::initializer_list<TImage*> pictures, TImage* shown) {
  for (TImage* p : pictures) p->SetVisible(p == shown);
}

// Accessors of the image controls.

ImageButton ButtonNext(const Tform_Main& f) { return {f.img_btnNextNormal, f.img_btnNextOver, f.lab_btnNext}; }
ImageButton ButtonBack(const Tform_Main& f) { return {f.img_btnBackNormal, f.img_btnBackOver, f.lab_btnBack}; }
ImageButton ButtonCancel(const Tform_Main& f) { return {f.img_btnCancelNormal, f.img_btnCancelOver, f.lab_btnCancel}; }
ImageButton ButtonDeviceDiscovery(const Tform_Main& f) {
  return {f.img_btnDeviceDiscoveryNormal, f.img_btnDeviceDiscoveryOver, f.lab_btnDeviceDiscovery};
}
ImageCheckBox BoxUseOriginalPassword(const Tform_Main& f) {
  return {f.checkBox_UseOriginalPassword,
          f.img_checkBoxUseOriginalPassword_checkedNormal,
          f.img_checkBoxUseOriginalPassword_checkedOver,
          f.img_checkBoxUseOriginalPassword_uncheckedNormal,
          f.img_checkBoxUseOriginalPassword_uncheckedOver,
          f.lab_checkBoxUseOriginalPassword};
}
ImageCheckBox BoxUseDefaultDNTZandNetwork(const Tform_Main& f) {
  return {f.checkBox_UseDefaultDNTZandNetwork,
          f.img_checkBoxUseDefaultDNTZandNetwork_checkedNormal,
          f.img_checkBoxUseDefaultDNTZandNetwork_checkedOver,
          f.img_checkBoxUseDefaultDNTZandNetwork_uncheckedNormal,
          f.img_checkBoxUseDefaultDNTZandNetwork_uncheckedOver,
          f.lab_checkBoxUseDefaultDNTZandNetwork};
}
ImageCheckBox BoxUseDefaultDiskSetting(const Tform_Main& f) {
  return {f.checkBox_UseDefaultDiskSetting,
          f.img_checkBoxUseDefaultDiskSetting_checkedNormal,
          f.img_checkBoxUseDefaultDiskSetting_checkedOver,
          f.img_checkBoxUseDefaultDiskSetting_uncheckedNormal,
          f.img_checkBoxUseDefaultDiskSetting_uncheckedOver,
          f.lab_checkBoxUseDefaultDiskSetting};
}
ImageCheckBox BoxIgnoreConnectionFailMsg(const Tform_Main& f) {
  return {f.checkBox_IgnoreConnectionFailMsg,          f.img_IgnoreConnectionFailMsg_checkedNormal,
          f.img_IgnoreConnectionFailMsg_checkedOver,   f.img_IgnoreConnectionFailMsg_uncheckedNormal,
          f.img_IgnoreConnectionFailMsg_uncheckedOver, f.lab_IgnoreConnectionFailMsg};
}
ImageRadio RadioAutoIP(const Tform_Main& f) {
  return {f.radio_AutoIP, f.img_radioAutoIP_selected, f.img_radioAutoIP_unselectedNormal,
          f.img_radioAutoIP_unselectedOver, f.lab_radioAutoIP};
}
ImageRadio RadioFixedIP(const Tform_Main& f) {
  return {f.radio_FixedIP, f.img_radioFixedIP_selected, f.img_radioFixedIP_unselectedNormal,
          f.img_radioFixedIP_unselectedOver, f.lab_radioFixedIP};
}
ImageRadio RadioAutoDNS(const Tform_Main& f) {
  return {f.radio_AutoDNS, f.img_radioAutoDNS_selected, f.img_radioAutoDNS_unselectedNormal,
          f.img_radioAutoDNS_unselectedOver, f.lab_radioAutoDNS};
}
ImageRadio RadioFixedDNS(const Tform_Main& f) {
  return {f.radio_FixedDNS, f.img_radioFixedDNS_selected, f.img_radioFixedDNS_unselectedNormal,
          f.img_radioFixedDNS_unselectedOver, f.lab_radioFixedDNS};
}
ImageRadio RadioSTANDARD(const Tform_Main& f) {
  return {f.radio_Standard, f.img_radioSTANDARD_selected, f.img_radioSTANDARD_unselectedNormal,
          f.img_radioSTANDARD_unselectedOver, f.lab_radioSTANDARD};
}
ImageRadio RadioJBOD(const Tform_Main& f) {
  return {f.radio_JBOD, f.img_radioJBOD_selected, f.img_radioJBOD_unselectedNormal, f.img_radioJBOD_unselectedOver,
          f.lab_radioJBOD};
}
ImageRadio RadioRAID0(const Tform_Main& f) {
  return {f.radio_RAID0, f.img_radioRAID0_selected, f.img_radioRAID0_unselectedNormal, f.img_radioRAID0_unselectedOver,
          f.lab_radioRAID0};
}
ImageRadio RadioRAID1(const Tform_Main& f) {
  return {f.radio_RAID1, f.img_radioRAID1_selected, f.img_radioRAID1_unselectedNormal, f.img_radioRAID1_unselectedOver,
          f.lab_radioRAID1};
}
ImageRadio RadioExt2(const Tform_Main& f) {
  return {f.radio_Ext2, f.img_radioExt2_selected, f.img_radioExt2_unselectedNormal, f.img_radioExt2_unselectedOver,
          f.lab_radioExt2};
}
ImageRadio RadioExt3(const Tform_Main& f) {
  return {f.radio_Ext3, f.img_radioExt3_selected, f.img_radioExt3_unselectedNormal, f.img_radioExt3_unselectedOver,
          f.lab_radioExt3};
}

bool IpDnsChoicesOpen(const Tform_Main& f) { return !f.checkBox_UseDefaultDNTZandNetwork->Checked(); }

bool DiskChoiceOpen(const Tform_Main& f, const TRadioButton* radio) {
  return !f.checkBox_UseDefaultDiskSetting->Checked() && radio->Enabled();
}

}  // namespace

void Tform_Main::RegisterSkinHandlers() {
  handlers_.Add("img_btnNextNormalMouseEnter", this, &Tform_Main::img_btnNextNormalMouseEnter);
  handlers_.Add("img_btnNextOverMouseLeave", this, &Tform_Main::img_btnNextOverMouseLeave);
  handlers_.Add("img_btnBackNormalMouseEnter", this, &Tform_Main::img_btnBackNormalMouseEnter);
  handlers_.Add("img_btnBackOverMouseLeave", this, &Tform_Main::img_btnBackOverMouseLeave);
  handlers_.Add("img_btnCancelNormalMouseEnter", this, &Tform_Main::img_btnCancelNormalMouseEnter);
  handlers_.Add("img_btnCancelOverMouseLeave", this, &Tform_Main::img_btnCancelOverMouseLeave);
  handlers_.Add("img_btnDeviceDiscoveryNormalMouseEnter", this, &Tform_Main::img_btnDeviceDiscoveryNormalMouseEnter);
  handlers_.Add("img_btnDeviceDiscoveryOverMouseLeave", this, &Tform_Main::img_btnDeviceDiscoveryOverMouseLeave);
  handlers_.Add("lab_checkBoxUseOriginalPasswordMouseEnter", this,
                &Tform_Main::lab_checkBoxUseOriginalPasswordMouseEnter);
  handlers_.Add("lab_checkBoxUseOriginalPasswordMouseLeave", this,
                &Tform_Main::lab_checkBoxUseOriginalPasswordMouseLeave);
  handlers_.Add("lab_checkBoxUseOriginalPasswordClick", this, &Tform_Main::lab_checkBoxUseOriginalPasswordClick);
  handlers_.Add("lab_checkBoxUseDefaultDNTZandNetworkMouseEnter", this,
                &Tform_Main::lab_checkBoxUseDefaultDNTZandNetworkMouseEnter);
  handlers_.Add("lab_checkBoxUseDefaultDNTZandNetworkMouseLeave", this,
                &Tform_Main::lab_checkBoxUseDefaultDNTZandNetworkMouseLeave);
  handlers_.Add("lab_checkBoxUseDefaultDNTZandNetworkClick", this,
                &Tform_Main::lab_checkBoxUseDefaultDNTZandNetworkClick);
  handlers_.Add("lab_checkBoxUseDefaultDiskSettingMouseEnter", this,
                &Tform_Main::lab_checkBoxUseDefaultDiskSettingMouseEnter);
  handlers_.Add("lab_checkBoxUseDefaultDiskSettingMouseLeave", this,
                &Tform_Main::lab_checkBoxUseDefaultDiskSettingMouseLeave);
  handlers_.Add("lab_checkBoxUseDefaultDiskSettingClick", this, &Tform_Main::lab_checkBoxUseDefaultDiskSettingClick);
  handlers_.Add("img_IgnoreConnectionFailMsg_uncheckedNormalMouseEnter", this,
                &Tform_Main::img_IgnoreConnectionFailMsg_uncheckedNormalMouseEnter);
  handlers_.Add("img_IgnoreConnectionFailMsg_uncheckedOverMouseLeave", this,
                &Tform_Main::img_IgnoreConnectionFailMsg_uncheckedOverMouseLeave);
  handlers_.Add("img_IgnoreConnectionFailMsg_uncheckedOverClick", this,
                &Tform_Main::img_IgnoreConnectionFailMsg_uncheckedOverClick);
  handlers_.Add("lab_radioAutoIPMouseEnter", this, &Tform_Main::lab_radioAutoIPMouseEnter);
  handlers_.Add("lab_radioAutoIPMouseLeave", this, &Tform_Main::lab_radioAutoIPMouseLeave);
  handlers_.Add("lab_radioAutoIPClick", this, &Tform_Main::lab_radioAutoIPClick);
  handlers_.Add("lab_radioFixedIPMouseEnter", this, &Tform_Main::lab_radioFixedIPMouseEnter);
  handlers_.Add("lab_radioFixedIPMouseLeave", this, &Tform_Main::lab_radioFixedIPMouseLeave);
  handlers_.Add("lab_radioFixedIPClick", this, &Tform_Main::lab_radioFixedIPClick);
  handlers_.Add("lab_radioAutoDNSMouseEnter", this, &Tform_Main::lab_radioAutoDNSMouseEnter);
  handlers_.Add("lab_radioAutoDNSMouseLeave", this, &Tform_Main::lab_radioAutoDNSMouseLeave);
  handlers_.Add("lab_radioAutoDNSClick", this, &Tform_Main::lab_radioAutoDNSClick);
  handlers_.Add("lab_radioFixedDNSMouseEnter", this, &Tform_Main::lab_radioFixedDNSMouseEnter);
  handlers_.Add("lab_radioFixedDNSMouseLeave", this, &Tform_Main::lab_radioFixedDNSMouseLeave);
  handlers_.Add("lab_radioFixedDNSClick", this, &Tform_Main::lab_radioFixedDNSClick);
  handlers_.Add("lab_radioSTANDARDMouseEnter", this, &Tform_Main::lab_radioSTANDARDMouseEnter);
  handlers_.Add("lab_radioSTANDARDMouseLeave", this, &Tform_Main::lab_radioSTANDARDMouseLeave);
  handlers_.Add("lab_radioSTANDARDClick", this, &Tform_Main::lab_radioSTANDARDClick);
  handlers_.Add("lab_radioJBODMouseEnter", this, &Tform_Main::lab_radioJBODMouseEnter);
  handlers_.Add("lab_radioJBODMouseLeave", this, &Tform_Main::lab_radioJBODMouseLeave);
  handlers_.Add("lab_radioJBODClick", this, &Tform_Main::lab_radioJBODClick);
  handlers_.Add("lab_radioRAID0MouseEnter", this, &Tform_Main::lab_radioRAID0MouseEnter);
  handlers_.Add("lab_radioRAID0MouseLeave", this, &Tform_Main::lab_radioRAID0MouseLeave);
  handlers_.Add("lab_radioRAID0Click", this, &Tform_Main::lab_radioRAID0Click);
  handlers_.Add("lab_radioRAID1MouseEnter", this, &Tform_Main::lab_radioRAID1MouseEnter);
  handlers_.Add("lab_radioRAID1MouseLeave", this, &Tform_Main::lab_radioRAID1MouseLeave);
  handlers_.Add("lab_radioRAID1Click", this, &Tform_Main::lab_radioRAID1Click);
  handlers_.Add("lab_radioExt2MouseEnter", this, &Tform_Main::lab_radioExt2MouseEnter);
  handlers_.Add("lab_radioExt2MouseLeave", this, &Tform_Main::lab_radioExt2MouseLeave);
  handlers_.Add("lab_radioExt2Click", this, &Tform_Main::lab_radioExt2Click);
  handlers_.Add("lab_radioExt3MouseEnter", this, &Tform_Main::lab_radioExt3MouseEnter);
  handlers_.Add("lab_radioExt3MouseLeave", this, &Tform_Main::lab_radioExt3MouseLeave);
  handlers_.Add("lab_radioExt3Click", this, &Tform_Main::lab_radioExt3Click);
  handlers_.Add("img_PageControlBG1MouseMove", this, &Tform_Main::img_PageControlBG1MouseMove);
  handlers_.Add("img_PageControlBG2MouseMove", this, &Tform_Main::img_PageControlBG2MouseMove);
  handlers_.Add("img_PageControlBG3MouseMove", this, &Tform_Main::img_PageControlBG3MouseMove);
  handlers_.Add("img_PageControlBG4MouseMove", this, &Tform_Main::img_PageControlBG4MouseMove);
  handlers_.Add("img_PageControlBG5MouseMove", this, &Tform_Main::img_PageControlBG5MouseMove);
  handlers_.Add("img_PageControlBG6MouseMove", this, &Tform_Main::img_PageControlBG6MouseMove);
  handlers_.Add("img_MaingBGMouseEnter", this, &Tform_Main::img_MaingBGMouseEnter);
  handlers_.Add("img_checkBoxUseOriginalPassword_DummyMouseMove", this,
                &Tform_Main::img_checkBoxUseOriginalPassword_DummyMouseMove);
  handlers_.Add("img_MaingBGMouseDown", this, &Tform_Main::img_MaingBGMouseDown);
  handlers_.Add("lab_MainFormCaptionMouseDown", this, &Tform_Main::lab_MainFormCaptionMouseDown);
  handlers_.Add("img_CloseMouseEnter", this, &Tform_Main::img_CloseMouseEnter);
  handlers_.Add("img_CloseMouseLeave", this, &Tform_Main::img_CloseMouseLeave);
  handlers_.Add("img_CloseClick", this, &Tform_Main::img_CloseClick);
  handlers_.Add("img_MinimizeClick", this, &Tform_Main::img_MinimizeClick);
  handlers_.Add("radio_Ext2Click", this, &Tform_Main::radio_Ext2Click);
  handlers_.Add("radio_Ext3Click", this, &Tform_Main::radio_Ext3Click);
  handlers_.Add("checkBox_IgnoreConnectionFailMsgClick", this, &Tform_Main::checkBox_IgnoreConnectionFailMsgClick);
}

// The image buttons.

void Tform_Main::img_btnNextNormalMouseEnter(TObject*) { Enter(ButtonNext(*this), btn_Next->Enabled()); }
void Tform_Main::img_btnNextOverMouseLeave(TObject*) { Leave(ButtonNext(*this)); }
void Tform_Main::img_btnBackNormalMouseEnter(TObject*) { Enter(ButtonBack(*this), true); }
void Tform_Main::img_btnBackOverMouseLeave(TObject*) { Leave(ButtonBack(*this)); }
void Tform_Main::img_btnCancelNormalMouseEnter(TObject*) { Enter(ButtonCancel(*this), true); }
void Tform_Main::img_btnCancelOverMouseLeave(TObject*) { Leave(ButtonCancel(*this)); }
void Tform_Main::img_btnDeviceDiscoveryNormalMouseEnter(TObject*) {
  Enter(ButtonDeviceDiscovery(*this), btn_DeviceDiscovery->Enabled());
}
void Tform_Main::img_btnDeviceDiscoveryOverMouseLeave(TObject*) { Leave(ButtonDeviceDiscovery(*this)); }

// The image check boxes.

void Tform_Main::lab_checkBoxUseOriginalPasswordMouseEnter(TObject*) {
  Enter(BoxUseOriginalPassword(*this), checkBox_UseOriginalPassword->Enabled());
}
void Tform_Main::lab_checkBoxUseOriginalPasswordMouseLeave(TObject*) {
  Leave(BoxUseOriginalPassword(*this), checkBox_UseOriginalPassword->Enabled());
}
void Tform_Main::lab_checkBoxUseOriginalPasswordClick(TObject*) {
  Press(BoxUseOriginalPassword(*this), checkBox_UseOriginalPassword->Enabled());
}
void Tform_Main::lab_checkBoxUseDefaultDNTZandNetworkMouseEnter(TObject*) {
  Enter(BoxUseDefaultDNTZandNetwork(*this), true);
}
void Tform_Main::lab_checkBoxUseDefaultDNTZandNetworkMouseLeave(TObject*) {
  Leave(BoxUseDefaultDNTZandNetwork(*this), true);
}
void Tform_Main::lab_checkBoxUseDefaultDNTZandNetworkClick(TObject*) {
  Press(BoxUseDefaultDNTZandNetwork(*this), true);
  CloseDropDownLists();
}
void Tform_Main::lab_checkBoxUseDefaultDiskSettingMouseEnter(TObject*) {
  Enter(BoxUseDefaultDiskSetting(*this), checkBox_UseDefaultDiskSetting->Enabled());
}
void Tform_Main::lab_checkBoxUseDefaultDiskSettingMouseLeave(TObject*) {
  Leave(BoxUseDefaultDiskSetting(*this), checkBox_UseDefaultDiskSetting->Enabled());
}
void Tform_Main::lab_checkBoxUseDefaultDiskSettingClick(TObject*) {
  Press(BoxUseDefaultDiskSetting(*this), checkBox_UseDefaultDiskSetting->Enabled());
}
void Tform_Main::img_IgnoreConnectionFailMsg_uncheckedNormalMouseEnter(TObject*) {
  Enter(BoxIgnoreConnectionFailMsg(*this), checkBox_IgnoreConnectionFailMsg->Enabled());
}
void Tform_Main::img_IgnoreConnectionFailMsg_uncheckedOverMouseLeave(TObject*) {
  Leave(BoxIgnoreConnectionFailMsg(*this), checkBox_IgnoreConnectionFailMsg->Enabled());
}
void Tform_Main::img_IgnoreConnectionFailMsg_uncheckedOverClick(TObject*) {
  Press(BoxIgnoreConnectionFailMsg(*this), checkBox_IgnoreConnectionFailMsg->Enabled());
}

// The image radio buttons.

void Tform_Main::lab_radioAutoIPMouseEnter(TObject*) { Enter(RadioAutoIP(*this), IpDnsChoicesOpen(*this)); }
void Tform_Main::lab_radioAutoIPMouseLeave(TObject*) { Leave(RadioAutoIP(*this), IpDnsChoicesOpen(*this)); }
void Tform_Main::lab_radioAutoIPClick(TObject*) {
  CloseDropDownLists();
  Press(RadioAutoIP(*this), IpDnsChoicesOpen(*this));
}
void Tform_Main::lab_radioFixedIPMouseEnter(TObject*) { Enter(RadioFixedIP(*this), IpDnsChoicesOpen(*this)); }
void Tform_Main::lab_radioFixedIPMouseLeave(TObject*) { Leave(RadioFixedIP(*this), IpDnsChoicesOpen(*this)); }
void Tform_Main::lab_radioFixedIPClick(TObject*) {
  CloseDropDownLists();
  Press(RadioFixedIP(*this), IpDnsChoicesOpen(*this));
}
void Tform_Main::lab_radioAutoDNSMouseEnter(TObject*) { Enter(RadioAutoDNS(*this), IpDnsChoicesOpen(*this)); }
void Tform_Main::lab_radioAutoDNSMouseLeave(TObject*) { Leave(RadioAutoDNS(*this), IpDnsChoicesOpen(*this)); }
void Tform_Main::lab_radioAutoDNSClick(TObject*) {
  CloseDropDownLists();
  Press(RadioAutoDNS(*this), IpDnsChoicesOpen(*this));
}
void Tform_Main::lab_radioFixedDNSMouseEnter(TObject*) { Enter(RadioFixedDNS(*this), IpDnsChoicesOpen(*this)); }
void Tform_Main::lab_radioFixedDNSMouseLeave(TObject*) { Leave(RadioFixedDNS(*this), IpDnsChoicesOpen(*this)); }
void Tform_Main::lab_radioFixedDNSClick(TObject*) {
  CloseDropDownLists();
  Press(RadioFixedDNS(*this), IpDnsChoicesOpen(*this));
}
void Tform_Main::lab_radioSTANDARDMouseEnter(TObject*) {
  Enter(RadioSTANDARD(*this), DiskChoiceOpen(*this, radio_Standard));
}
void Tform_Main::lab_radioSTANDARDMouseLeave(TObject*) {
  Leave(RadioSTANDARD(*this), DiskChoiceOpen(*this, radio_Standard));
}
void Tform_Main::lab_radioSTANDARDClick(TObject*) {
  Press(RadioSTANDARD(*this), DiskChoiceOpen(*this, radio_Standard));
}
void Tform_Main::lab_radioJBODMouseEnter(TObject*) { Enter(RadioJBOD(*this), DiskChoiceOpen(*this, radio_JBOD)); }
void Tform_Main::lab_radioJBODMouseLeave(TObject*) { Leave(RadioJBOD(*this), DiskChoiceOpen(*this, radio_JBOD)); }
void Tform_Main::lab_radioJBODClick(TObject*) { Press(RadioJBOD(*this), DiskChoiceOpen(*this, radio_JBOD)); }
void Tform_Main::lab_radioRAID0MouseEnter(TObject*) { Enter(RadioRAID0(*this), DiskChoiceOpen(*this, radio_RAID0)); }
void Tform_Main::lab_radioRAID0MouseLeave(TObject*) { Leave(RadioRAID0(*this), DiskChoiceOpen(*this, radio_RAID0)); }
void Tform_Main::lab_radioRAID0Click(TObject*) { Press(RadioRAID0(*this), DiskChoiceOpen(*this, radio_RAID0)); }
void Tform_Main::lab_radioRAID1MouseEnter(TObject*) { Enter(RadioRAID1(*this), DiskChoiceOpen(*this, radio_RAID1)); }
void Tform_Main::lab_radioRAID1MouseLeave(TObject*) { Leave(RadioRAID1(*this), DiskChoiceOpen(*this, radio_RAID1)); }
void Tform_Main::lab_radioRAID1Click(TObject*) { Press(RadioRAID1(*this), DiskChoiceOpen(*this, radio_RAID1)); }
void Tform_Main::lab_radioExt2MouseEnter(TObject*) { Enter(RadioExt2(*this), DiskChoiceOpen(*this, radio_Ext2)); }
void Tform_Main::lab_radioExt2MouseLeave(TObject*) { Leave(RadioExt2(*this), DiskChoiceOpen(*this, radio_Ext2)); }
void Tform_Main::lab_radioExt2Click(TObject*) { Press(RadioExt2(*this), DiskChoiceOpen(*this, radio_Ext2)); }
void Tform_Main::lab_radioExt3MouseEnter(TObject*) { Enter(RadioExt3(*this), DiskChoiceOpen(*this, radio_Ext3)); }
void Tform_Main::lab_radioExt3MouseLeave(TObject*) { Leave(RadioExt3(*this), DiskChoiceOpen(*this, radio_Ext3)); }
void Tform_Main::lab_radioExt3Click(TObject*) { Press(RadioExt3(*this), DiskChoiceOpen(*this, radio_Ext3)); }

// The page-background rule: moving over a page's background ends every hover look the page
// left behind.

void Tform_Main::LeavePageButtons() {
  Leave(ButtonCancel(*this));
  Leave(ButtonNext(*this));
  Leave(ButtonBack(*this));
}

void Tform_Main::img_PageControlBG1MouseMove(TObject*, TShiftState, int, int) {
  LeavePageButtons();
  Leave(ButtonDeviceDiscovery(*this));
  Screen->SetCursor(crDefault);
}

void Tform_Main::img_PageControlBG2MouseMove(TObject*, TShiftState, int, int) {
  LeavePageButtons();
  Screen->SetCursor(crDefault);
}

void Tform_Main::img_PageControlBG3MouseMove(TObject* Sender, TShiftState, int, int) {
  LeavePageButtons();
  lab_checkBoxUseDefaultDNTZandNetworkMouseLeave(Sender);
  lab_comboBoxTimeZoneMouseLeave(Sender);
  lab_radioAutoIPMouseLeave(Sender);
  lab_radioFixedIPMouseLeave(Sender);
  lab_radioAutoDNSMouseLeave(Sender);
  lab_radioFixedDNSMouseLeave(Sender);
  Screen->SetCursor(crDefault);
}

void Tform_Main::img_PageControlBG4MouseMove(TObject* Sender, TShiftState, int, int) {
  LeavePageButtons();
  lab_checkBoxUseDefaultDiskSettingMouseLeave(Sender);
  lab_radioExt2MouseLeave(Sender);
  lab_radioExt3MouseLeave(Sender);
  lab_radioSTANDARDMouseLeave(Sender);
  lab_radioJBODMouseLeave(Sender);
  lab_radioRAID0MouseLeave(Sender);
  lab_radioRAID1MouseLeave(Sender);
  Screen->SetCursor(crDefault);
}

void Tform_Main::img_PageControlBG5MouseMove(TObject* Sender, TShiftState, int, int) {
  LeavePageButtons();
  lab_CBDriveList1MouseLeave(Sender);
  lab_CBDriveList2MouseLeave(Sender);
  Screen->SetCursor(crDefault);
}

void Tform_Main::img_PageControlBG6MouseMove(TObject*, TShiftState, int, int) {
  LeavePageButtons();
  Screen->SetCursor(crDefault);
}

void Tform_Main::img_MaingBGMouseEnter(TObject*) {
  Leave(ButtonCancel(*this));
  Leave(ButtonBack(*this));
  Leave(ButtonNext(*this));
}

void Tform_Main::img_checkBoxUseOriginalPassword_DummyMouseMove(TObject* Sender, TShiftState, int, int) {
  lab_checkBoxUseOriginalPasswordMouseLeave(Sender);
}

// The frame.

void Tform_Main::img_MaingBGMouseDown(TObject*, TMouseButton, TShiftState, int, int) { StartMoveByCaption(); }

void Tform_Main::lab_MainFormCaptionMouseDown(TObject*, TMouseButton, TShiftState, int, int) { StartMoveByCaption(); }

void Tform_Main::img_CloseMouseEnter(TObject*) { Screen->SetCursor(crHandPoint); }
void Tform_Main::img_CloseMouseLeave(TObject*) { Screen->SetCursor(crDefault); }
void Tform_Main::img_CloseClick(TObject*) { Close(); }
void Tform_Main::img_MinimizeClick(TObject*) { Application->Minimize(); }

// Looks set by other parts.

void Tform_Main::SetNextButtonLook(bool enabled) {
  Screen->SetCursor(crDefault);
  lab_btnNext->Font()->SetColor(enabled ? clBtnFace : clBtnShadow);
  img_btnNextNormal->Show();
  img_btnNextOver->Hide();
}

void Tform_Main::SetDiscoveryButtonLook(bool enabled) {
  lab_btnDeviceDiscovery->Font()->SetColor(enabled ? clBtnFace : clBtnShadow);
  img_btnDeviceDiscoveryNormal->Show();
  img_btnDeviceDiscoveryOver->Hide();
  Screen->SetCursor(crDefault);
}

namespace {
// The file-system radios' own look: the checked one selected and in the hover colour.
void FileSystemLook(const ImageRadio& checked, const ImageRadio& other) {
  checked.selected->Show();
  checked.unselected_normal->Hide();
  checked.unselected_over->Hide();
  other.unselected_normal->Show();
  other.selected->Hide();
  other.unselected_over->Hide();
  checked.caption->Font()->SetColor(clBtnHighlight);
  other.caption->Font()->SetColor(clBtnFace);
  Screen->SetCursor(crDefault);
}
}  // namespace

void Tform_Main::radio_Ext2Click(TObject*) {
  if (radio_Ext2->Checked()) FileSystemLook(RadioExt2(*this), RadioExt3(*this));
}

void Tform_Main::radio_Ext3Click(TObject*) {
  if (radio_Ext3->Checked()) FileSystemLook(RadioExt3(*this), RadioExt2(*this));
}

void Tform_Main::checkBox_IgnoreConnectionFailMsgClick(TObject*) {
  const ImageCheckBox box = BoxIgnoreConnectionFailMsg(*this);
  ShowOnly({box.checked_normal, box.checked_over, box.unchecked_normal, box.unchecked_over},
           checkBox_IgnoreConnectionFailMsg->Checked() ? box.checked_normal : box.unchecked_normal);
}
