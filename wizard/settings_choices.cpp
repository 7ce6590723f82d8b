#include <cstdio>

#include "link/address.h"
#include "wizard/main_form.h"

// The choices of the password and settings pages: the address-mode radios and the two
// use-current check boxes, which fill, clear, enable and grey the page from the box's record.

namespace {

using Octets = std::array<TEdit*, 4>;
using OctetLabels = std::array<TLabel*, 4>;

// Fills a group from a record field: octet k gets byte k of the field.
void Fill(const Octets& group, uint32_t field) {
  for (int k = 0; k < 4; ++k) {
    char text[8];
    std::snprintf(text, sizeof text, "%ld", static_cast<long>((field >> (8 * k)) & 0xFF));
    group[k]->SetText(text);
  }
}

void Clear(const Octets& group) {
  for (TEdit* e : group) e->SetText("");
}

void Enable(const Octets& group, bool enabled) {
  for (TEdit* e : group) e->SetEnabled(enabled);
}

void Colour(std::initializer_list<TLabel*> labels, TColor colour) {
  for (TLabel* l : labels) l->Font()->SetColor(colour);
}

void Look(TImage* shown, std::initializer_list<TImage*> hidden) {
  shown->Show();
  for (TImage* h : hidden) h->Hide();
}

}  // namespace

Octets Tform_Main::IpGroup() const { return {edit_IPAddr1, edit_IPAddr2, edit_IPAddr3, edit_IPAddr4}; }
Octets Tform_Main::MaskGroup() const { return {edit_IPMask1, edit_IPMask2, edit_IPMask3, edit_IPMask4}; }
Octets Tform_Main::GatewayGroup() const { return {edit_IPGateway1, edit_IPGateway2, edit_IPGateway3, edit_IPGateway4}; }
Octets Tform_Main::Dns1Group() const { return {edit_IPDNS1_1, edit_IPDNS1_2, edit_IPDNS1_3, edit_IPDNS1_4}; }
Octets Tform_Main::Dns2Group() const { return {edit_IPDNS2_1, edit_IPDNS2_2, edit_IPDNS2_3, edit_IPDNS2_4}; }

std::vector<TLabel*> Tform_Main::IpCaptions() const {
  return {lab_IPAddr,     lab_Mask,       lab_Gateway,    lab_IPAddr1,       lab_IPAddr2,       lab_IPAddr3,
          lab_IPAddr4,    lab_IPMask1,    lab_IPMask2,    lab_IPMask3,       lab_IPMask4,       lab_IPGateway1,
          lab_IPGateway2, lab_IPGateway3, lab_IPGateway4, lab_IPAddrDot1,    lab_IPAddrDot2,    lab_IPAddrDot3,
          lab_IPMaskDot1, lab_IPMaskDot2, lab_IPMaskDot3, lab_IPGatewayDot1, lab_IPGatewayDot2, lab_IPGatewayDot3};
}

std::vector<TLabel*> Tform_Main::DnsCaptions() const {
  return {lab_DNS1,        lab_DNS2,        lab_IPDNS1_1,    lab_IPDNS1_2,   lab_IPDNS1_3,    lab_IPDNS1_4,
          lab_IPDNS2_1,    lab_IPDNS2_2,    lab_IPDNS2_3,    lab_IPDNS2_4,   lab_IPDNS1_Dot1, lab_IPDNS1_Dot2,
          lab_IPDNS1_Dot3, lab_IPDNS2_Dot1, lab_IPDNS2_Dot2, lab_IPDNS2_Dot3};
}

void Tform_Main::RegisterSettingsChoiceHandlers() {
  handlers_.Add("radio_FixedIPClick", this, &Tform_Main::radio_FixedIPClick);
  handlers_.Add("radio_AutoIPClick", this, &Tform_Main::radio_AutoIPClick);
  handlers_.Add("radio_AutoDNSClick", this, &Tform_Main::radio_AutoDNSClick);
  handlers_.Add("radio_FixedDNSClick", this, &Tform_Main::radio_FixedDNSClick);
  handlers_.Add("checkBox_UseOriginalPasswordClick", this, &Tform_Main::checkBox_UseOriginalPasswordClick);
  handlers_.Add("checkBox_UseDefaultDNTZandNetworkClick", this, &Tform_Main::checkBox_UseDefaultDNTZandNetworkClick);
}

void Tform_Main::SelectRadio(TRadioButton* radio, void (Tform_Main::*handler)(TObject*)) {
  if (radio->Checked()) {
    (this->*handler)(radio);
  } else {
    radio->SetChecked(true);
  }
}

void Tform_Main::radio_FixedIPClick(TObject*) {
  if (!radio_FixedIP->Checked()) return;
  radio_AutoDNS->SetEnabled(false);
  if (!radio_FixedDNS->Checked()) radio_FixedDNS->SetChecked(true);
  for (const Octets& g : {IpGroup(), MaskGroup(), GatewayGroup()}) Enable(g, true);
  const auto& record = SelectedNasRecord.settings.bytes;
  Fill(IpGroup(), ReadAddressField(record, settings_field::kIpAddress));
  Fill(MaskGroup(), ReadAddressField(record, settings_field::kSubnetMask));
  const uint32_t gateway = ReadAddressField(record, settings_field::kGateway);
  if (gateway == IpStrToInt("0.0.0.0")) {
    Clear(GatewayGroup());
  } else {
    Fill(GatewayGroup(), gateway);
  }
  Look(img_radioFixedIP_selected, {img_radioFixedIP_unselectedNormal, img_radioFixedIP_unselectedOver});
  Look(img_radioAutoIP_unselectedNormal, {img_radioAutoIP_selected, img_radioAutoIP_unselectedOver});
  for (TLabel* l : IpCaptions()) l->Font()->SetColor(clBtnFace);
}

void Tform_Main::radio_AutoIPClick(TObject*) {
  if (!radio_AutoIP->Checked()) return;
  radio_AutoDNS->SetEnabled(true);
  for (const Octets& g : {IpGroup(), MaskGroup(), GatewayGroup()}) Enable(g, false);
  for (const Octets& g : {IpGroup(), MaskGroup(), GatewayGroup()}) Clear(g);
  Look(img_radioAutoIP_selected, {img_radioAutoIP_unselectedNormal, img_radioAutoIP_unselectedOver});
  Look(img_radioFixedIP_unselectedNormal, {img_radioFixedIP_selected, img_radioFixedIP_unselectedOver});
  for (TLabel* l : IpCaptions()) l->Font()->SetColor(clBtnShadow);
}

void Tform_Main::radio_AutoDNSClick(TObject*) {
  if (!radio_AutoDNS->Checked()) return;
  for (const Octets& g : {Dns1Group(), Dns2Group()}) Enable(g, false);
  for (const Octets& g : {Dns1Group(), Dns2Group()}) Clear(g);
  Look(img_radioAutoDNS_selected, {img_radioAutoDNS_unselectedNormal, img_radioAutoDNS_unselectedOver});
  Look(img_radioFixedDNS_unselectedNormal, {img_radioFixedDNS_selected, img_radioFixedDNS_unselectedOver});
  for (TLabel* l : DnsCaptions()) l->Font()->SetColor(clBtnShadow);
}

void Tform_Main::radio_FixedDNSClick(TObject*) {
  if (!radio_FixedDNS->Checked()) return;
  for (const Octets& g : {Dns1Group(), Dns2Group()}) Enable(g, true);
  const auto& record = SelectedNasRecord.settings.bytes;
  const std::pair<Octets, size_t> servers[] = {{Dns1Group(), settings_field::kDns1},
                                               {Dns2Group(), settings_field::kDns2}};
  for (const auto& [group, field] : servers) {
    const uint32_t value = ReadAddressField(record, field);
    if (IpIntToStr(value) != "0.0.0.0") {
      Fill(group, value);
    } else {
      Clear(group);
    }
  }
  Look(img_radioFixedDNS_selected, {img_radioFixedDNS_unselectedNormal, img_radioFixedDNS_unselectedOver});
  Look(img_radioAutoDNS_unselectedNormal, {img_radioAutoDNS_selected, img_radioAutoDNS_unselectedOver});
  for (TLabel* l : DnsCaptions()) l->Font()->SetColor(clBtnFace);
}

void Tform_Main::checkBox_UseOriginalPasswordClick(TObject*) {
  TImage* pictures[] = {img_checkBoxUseOriginalPassword_checkedNormal, img_checkBoxUseOriginalPassword_checkedOver,
                        img_checkBoxUseOriginalPassword_uncheckedNormal, img_checkBoxUseOriginalPassword_uncheckedOver};
  TImage* shown = nullptr;
  if (!checkBox_UseOriginalPassword->Checked()) {
    Colour({lab_NewPassword1, lab_NewPassword2}, clBtnHighlight);
    edit_NewPassword1->SetEnabled(true);
    edit_NewPassword2->SetEnabled(true);
    edit_NewPassword1->SetFocus();
    shown = img_checkBoxUseOriginalPassword_uncheckedNormal;
  } else {
    edit_NewPassword1->SetText("");
    edit_NewPassword2->SetText("");
    Colour({lab_NewPassword1, lab_NewPassword2}, clBtnShadow);
    edit_NewPassword1->SetEnabled(false);
    edit_NewPassword2->SetEnabled(false);
    shown = img_checkBoxUseOriginalPassword_checkedNormal;
  }
  for (TImage* p : pictures) p->SetVisible(p == shown);
}

std::vector<TLabel*> Tform_Main::SettingsCaptions() const {
  std::vector<TLabel*> labels = {
      lab_DeviceName,  lab_TimeZone,     lab_comboBoxTimeZone, lab_editDeviceName, lab_TitleAutoIPFixedIP,
      lab_radioAutoIP, lab_radioFixedIP, lab_radioAutoDNS,     lab_radioFixedDNS,  lab_TitleAutoDNSFixedDNS};
  for (TLabel* l : IpCaptions()) labels.push_back(l);
  for (TLabel* l : DnsCaptions()) labels.push_back(l);
  return labels;
}

void Tform_Main::checkBox_UseDefaultDNTZandNetworkClick(TObject*) {
  TImage* pictures[] = {
      img_checkBoxUseDefaultDNTZandNetwork_checkedNormal, img_checkBoxUseDefaultDNTZandNetwork_checkedOver,
      img_checkBoxUseDefaultDNTZandNetwork_uncheckedNormal, img_checkBoxUseDefaultDNTZandNetwork_uncheckedOver};
  TControl* choices[] = {edit_DeviceName, ComboBoxTimeZone, radio_FixedIP, radio_AutoIP, radio_AutoDNS, radio_FixedDNS};
  if (checkBox_UseDefaultDNTZandNetwork->Checked()) {
    const auto& record = SelectedNasRecord.settings.bytes;
    edit_DeviceName->SetText(platform::FromAnsi(
        platform::AnsiString(ReadTextField(record, settings_field::kHostname, settings_field::kHostnameSize))));
    LoadTimeZoneList();
    SyncTimeZoneDropDown();
    const uint32_t unset = IpStrToInt("0.0.0.0");
    if (ReadAddressField(record, settings_field::kDns1) == unset &&
        ReadAddressField(record, settings_field::kDns2) == unset) {
      SelectRadio(radio_AutoDNS, &Tform_Main::radio_AutoDNSClick);
    } else {
      SelectRadio(radio_FixedDNS, &Tform_Main::radio_FixedDNSClick);
    }
    if (SelectedNasRecord.isDHCP != 0) {
      SelectRadio(radio_AutoIP, &Tform_Main::radio_AutoIPClick);
    } else {
      SelectRadio(radio_FixedIP, &Tform_Main::radio_FixedIPClick);
    }
    for (TControl* c : choices) c->SetEnabled(false);
    for (const Octets& g : {IpGroup(), MaskGroup(), GatewayGroup(), Dns1Group(), Dns2Group()}) Enable(g, false);
    for (TImage* p : pictures) p->Hide();
    for (TLabel* l : SettingsCaptions()) l->Font()->SetColor(clBtnShadow);
  } else {
    for (TImage* p : pictures) p->Hide();
    for (TLabel* l : SettingsCaptions()) l->Font()->SetColor(clBtnFace);
    for (TControl* c : choices) c->SetEnabled(true);
    if (radio_FixedDNS->Checked()) {
      radio_FixedDNSClick(radio_FixedDNS);
    } else {
      radio_AutoDNSClick(radio_AutoDNS);
    }
    if (radio_FixedIP->Checked()) {
      radio_FixedIPClick(radio_FixedIP);
    } else {
      radio_AutoIPClick(radio_AutoIP);
    }
  }
}
