#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "client/drive_mapping.h"
#include "client/firewall_exception.h"
#include "client/form_connection_test.h"
#include "link/transport.h"
#include "platform/files.h"
#include "platform/log_debug.h"
#include "platform/processes.h"
#include "text/language_strings.h"
#include "wizard/apply_thread.h"
#include "wizard/dialogs/apply_progress.h"
#include "wizard/dialogs/confirm_format.h"
#include "wizard/dialogs/login_dialog.h"
#include "wizard/main_form.h"

// The page flow: Next, Back and Cancel over the eight pages, and each page's show handler.

namespace {

constexpr const char* kForbiddenPasswordCharacters = "@:-/\\%\"'";

std::string Text(const platform::AnsiString& slot) { return platform::FromAnsi(slot); }

std::string JoinOctets(TEdit* a, TEdit* b, TEdit* c, TEdit* d) {
  return a->Text() + "." + b->Text() + "." + c->Text() + "." + d->Text();
}

// The failure text of a failed reachability test (every result but 4); nullopt for a value
// outside 0..6.
std::optional<std::string> FailureText(int result, const std::string& gw, const std::string& dns) {
  const platform::AnsiString* m[] = {nullptr,
                                     &str_LabConnectionFailedErrorMsg1,
                                     &str_LabConnectionFailedErrorMsg2,
                                     &str_LabConnectionFailedErrorMsg3,
                                     &str_LabConnectionFailedErrorMsg4,
                                     &str_LabConnectionFailedErrorMsg5,
                                     &str_LabConnectionFailedErrorMsg6,
                                     &str_LabConnectionFailedErrorMsg7,
                                     &str_LabConnectionFailedErrorMsg8,
                                     &str_LabConnectionFailedErrorMsg9,
                                     &str_LabConnectionFailedErrorMsg10,
                                     &str_LabConnectionFailedErrorMsg11};
  auto M = [&](int n) { return Text(*m[n]); };
  std::vector<std::string> lines;
  switch (result) {
    case 0:
      lines = {M(1) + gw, M(2)};
      break;
    case 1:
      lines = {"(1) " + M(3) + gw, "(2) " + M(4) + dns, "(3) " + M(5), M(2)};
      break;
    case 2:
      lines = {"(1) " + M(4) + dns, "(2) " + M(6), M(7), M(8)};
      break;
    case 3:
      lines = {"(1) " + M(9) + dns, "(2) " + M(5), M(10), M(11)};
      break;
    case 5:
      lines = {"(1) " + M(4) + dns, "(2) " + M(5), M(2)};
      break;
    case 6:
      lines = {M(5), M(10), M(11)};
      break;
    default:
      return std::nullopt;
  }
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
  return text;
}

}  // namespace

void Tform_Main::RegisterPageFlowHandlers() {
  handlers_.Add("btn_NextClick", this, &Tform_Main::btn_NextClick);
  handlers_.Add("btn_BackClick", this, &Tform_Main::btn_BackClick);
  handlers_.Add("btn_CancelSetup", this, &Tform_Main::btn_CancelSetup);
  handlers_.Add("btn_DeviceDiscoveryClick", this, &Tform_Main::btn_DeviceDiscoveryClick);
  handlers_.Add("ListView1Click", this, &Tform_Main::ListView1Click);
  handlers_.Add("tab_NASListShow", this, &Tform_Main::tab_NASListShow);
  handlers_.Add("tab_UserPassValidShow", this, &Tform_Main::tab_UserPassValidShow);
  handlers_.Add("tab_CurrentSettingsShow", this, &Tform_Main::tab_CurrentSettingsShow);
  handlers_.Add("tab_CurrentSettings_ConnectionFailedShow", this,
                &Tform_Main::tab_CurrentSettings_ConnectionFailedShow);
  handlers_.Add("tab_DiskConfigurationShow", this, &Tform_Main::tab_DiskConfigurationShow);
  handlers_.Add("tab_NetworkDiskMappingShow", this, &Tform_Main::tab_NetworkDiskMappingShow);
  handlers_.Add("tab_ClientSetupFinishShow", this, &Tform_Main::tab_ClientSetupFinishShow);
  handlers_.Add("tab_TotalFinishShow", this, &Tform_Main::tab_TotalFinishShow);
}

void Tform_Main::GoTo(TTabSheet* page) { PageControl1->SetActivePage(page); }

void Tform_Main::btn_NextClick(TObject*) {
  if (!btn_Next->Enabled()) return;
  if (!addFirewallException(osVersion)) {
    ShowWizardMessage(str_Msg22, 2);
    return;
  }
  CloseDropDownLists();
  TTabSheet* page = PageControl1->ActivePage();
  if (page == tab_NASList) {
    NextOnDeviceList();
  } else if (page == tab_UserPassValid) {
    NextOnPassword();
  } else if (page == tab_CurrentSettings) {
    NextOnSettings();
  } else if (page == tab_CurrentSettings_ConnectionFailed) {
    GoTo(checkBox_IgnoreConnectionFailMsg->Checked() ? tab_DiskConfiguration : tab_CurrentSettings);
  } else if (page == tab_DiskConfiguration) {
    if (SelectedNasRecord.diskLayout.diskAmount > 0 && !checkBox_UseDefaultDiskSetting->Checked()) {
      GoTo(tab_NetworkDiskMapping);
    } else {
      StartApplySequence();
    }
  } else if (page == tab_NetworkDiskMapping) {
    formatConfirmed = 0;
    if (!checkBox_UseDefaultDiskSetting->Checked()) {
      form_ConfirmFormat->ShowModal();
    } else {
      formatConfirmed = 1;
    }
    if (formatConfirmed == 0) return;
    LogDebug("Tform_Main::btn_NextClick- Start to apply settings!!");
    StartApplySequence();
  } else if (page == tab_ClientSetupFinish) {
    OpenSoftwareAddIns();
    GoTo(tab_TotalFinish);
  } else if (page == tab_TotalFinish) {
    OpenWebInterfaceAndClose();
  }
}

void Tform_Main::NextOnDeviceList() {
  const TListItem* row = ListView1->Selected();
  if (!row) return;
  SelectedNasRecord.Clear();
  const std::string mac = row->SubItems().Count() > 1 ? row->SubItems()[1] : std::string();
  std::strncpy(SelectedNasRecord.DeviceIdentifierString.data(), mac.c_str(),
               SelectedNasRecord.DeviceIdentifierString.size() - 1);
  std::strncpy(SelectedNasRecord.userName.data(), "admin", SelectedNasRecord.userName.size() - 1);
  if (GetNASInfo() == 5) {
    GoTo(tab_UserPassValid);
  } else {
    form_UsernamePassValid->ShowModal();
  }
}

void Tform_Main::NextOnPassword() {
  if (checkBox_UseOriginalPassword->Checked()) {
    GoTo(tab_CurrentSettings);
    return;
  }
  const std::string p1 = edit_NewPassword1->Text(), p2 = edit_NewPassword2->Text();
  auto refuse_and_clear = [this](const platform::AnsiString& message) {
    ShowWizardMessage(message, 2);
    edit_NewPassword1->SetText("");
    edit_NewPassword2->SetText("");
    edit_NewPassword1->SetFocus();
  };
  if (p1.empty()) {
    ShowWizardMessage(str_Msg1, 2);
    edit_NewPassword1->SetFocus();
  } else if (p2.empty()) {
    ShowWizardMessage(str_Msg2, 2);
    edit_NewPassword2->SetFocus();
  } else if (p1 != p2) {
    refuse_and_clear(str_Msg3);
  } else if (p1.find(' ') != std::string::npos || p2.find(' ') != std::string::npos) {
    refuse_and_clear(str_Msg4);
  } else if (p1.find_first_of(kForbiddenPasswordCharacters) != std::string::npos) {
    refuse_and_clear(str_Msg24);
  } else if (platform::ToAnsi(p1).size() >= SelectedNasRecord.adminPassword.size()) {
    // Every request after the settings write carries the password in the header's field, 31
    // bytes and a terminator: a longer one (double-byte characters) would be written to the box
    // whole and then sent cut, and the box would refuse the reboot.
    refuse_and_clear(str_Msg17);
  } else {
    GoTo(tab_CurrentSettings);
  }
}

void Tform_Main::NextOnSettings() {
  // The Next picture takes no focus, so an octet that refuses to be left must stop it here:
  // otherwise its text would reach the checks and the reachability test's command line.
  if (FocusedOctetRefusesToLeave()) return;
  const std::string name = edit_DeviceName->Text();
  if (name.empty()) {
    ShowWizardMessage(str_Msg5, 2);
    edit_DeviceName->SetFocus();
    return;
  }
  if (name.find(' ') != std::string::npos) {
    ShowWizardMessage(str_Msg6, 2);
    edit_DeviceName->SetFocus();
    return;
  }
  if (!checkIPAddressControl()) return;
  if (radio_AutoIP->Checked() && radio_AutoDNS->Checked()) {
    GoTo(tab_DiskConfiguration);
    return;
  }
  const std::string gw = JoinOctets(edit_IPGateway1, edit_IPGateway2, edit_IPGateway3, edit_IPGateway4);
  const std::string dns = JoinOctets(edit_IPDNS1_1, edit_IPDNS1_2, edit_IPDNS1_3, edit_IPDNS1_4);
  form_ConnectionTest->lab_TestStatus->SetCaption(Text(str_LabTestStatus4));
  form_ConnectionTest->gatewayHost = platform::ToAnsi(gw);
  form_ConnectionTest->primaryDnsHost = platform::ToAnsi(dns);
  form_ConnectionTest->timer_CheckConnection->SetEnabled(true);
  form_ConnectionTest->ShowModal();
  const int result = form_ConnectionTest->ConnectionTestResult;
  if (result == 4) {
    GoTo(tab_DiskConfiguration);
    return;
  }
  if (const std::optional<std::string> text = FailureText(result, gw, dns)) {
    lab_ConnectionFailedErrorMsg->SetCaption(*text);
  }
  GoTo(tab_CurrentSettings_ConnectionFailed);
}

void Tform_Main::StartApplySequence() {
  auto* apply = new thread_RAIDCreateApply();
  apply->FreeOnTerminate = true;
  apply->OnTerminate = [this](TObject* sender) { thread_RAIDCreateApplyTerminate(sender); };
  apply->Start();
  form_ApplyProgress->applyRunning = true;
  form_ApplyProgress->ShowModal();
}

void Tform_Main::OpenSoftwareAddIns() {
  for (char letter = 'Z'; letter >= 'E'; --letter) {
    if (GetDriveTypeByLetter(letter) != 5) continue;
    char path[64];
    std::snprintf(path, sizeof path, "%c:\\Software Add-ins", letter);
    if (!platform::DirectoryExists(path)) continue;
    const std::string command = std::string("Explorer /n,/e,") + path;
    platform::WinExec(command.c_str(), 1);
  }
}

void Tform_Main::OpenWebInterfaceAndClose() {
  // After the apply sequence the last discovery round may have found no box; then there is no
  // address to open, and the window still closes.
  const std::string ip = SelectedDeviceIp();
  if (ip.empty()) {
    LogDebug("Tform_Main::btn_NextClick- no device is selected, the web interface is not opened");
  } else {
    platform::ShellExecuteA(nullptr, "open", ("http://" + ip).c_str(), nullptr, nullptr, 5);
  }
  Close();
}

void Tform_Main::btn_BackClick(TObject*) {
  CloseDropDownLists();
  TTabSheet* page = PageControl1->ActivePage();
  if (page == tab_UserPassValid) {
    GoTo(tab_NASList);
  } else if (page == tab_CurrentSettings) {
    GoTo(tab_UserPassValid);
  } else if (page == tab_CurrentSettings_ConnectionFailed || page == tab_DiskConfiguration) {
    GoTo(tab_CurrentSettings);
  } else if (page == tab_NetworkDiskMapping) {
    GoTo(tab_DiskConfiguration);
  }
}

void Tform_Main::btn_CancelSetup(TObject*) {
  CloseDropDownLists();
  msgBoxResultOK = 0;
  ShowWizardMessage(str_Msg18, 0);
  if (msgBoxResultOK == 1) GoTo(tab_NASList);
}

void Tform_Main::btn_DeviceDiscoveryClick(TObject*) {
  if (btn_DeviceDiscovery->Enabled()) StartDeviceDiscovery();
}

void Tform_Main::ListView1Click(TObject*) {
  const bool usable = ListView1->Selected() != nullptr && g_App_end.load() != 0;
  btn_Next->SetEnabled(usable);
  SetNextButtonLook(usable);
}

void Tform_Main::ShowButtonRow(bool cancel, bool back, const platform::AnsiString& next_caption) {
  btn_Cancel->SetVisible(cancel);
  panel_btnCancel->SetVisible(cancel);
  btn_Back->SetVisible(back);
  panel_btnBack->SetVisible(back);
  btn_Next->Show();
  panel_btnNext->Show();
  btn_Next->SetCaption(Text(next_caption));
  lab_btnNext->SetCaption(Text(next_caption));
}

void Tform_Main::tab_NASListShow(TObject*) {
  ShowButtonRow(false, false, str_BtnNext);
  // Refresh is disabled until the first round has run, so its gate would keep the page from
  // ever searching; showing the page starts a round unless one is under way.
  if (!timer_DeviceDiscovery->Enabled()) StartDeviceDiscovery();
}

void Tform_Main::tab_UserPassValidShow(TObject*) {
  ShowButtonRow(true, true, str_BtnNext);
  if (SelectedNasRecord.adminPassword[0] != 0) {
    checkBox_UseOriginalPassword->SetEnabled(true);
    lab_checkBoxUseOriginalPassword->Font()->SetColor(clBtnFace);
  } else {
    checkBox_UseOriginalPassword->SetChecked(false);
    checkBox_UseOriginalPassword->SetEnabled(false);
    lab_checkBoxUseOriginalPassword->Font()->SetColor(clBtnShadow);
  }
}

void Tform_Main::tab_CurrentSettingsShow(TObject*) { ShowButtonRow(true, true, str_BtnNext); }

void Tform_Main::tab_CurrentSettings_ConnectionFailedShow(TObject*) {
  ShowButtonRow(true, true, str_BtnNext);
  checkBox_IgnoreConnectionFailMsg->SetChecked(false);
  for (TImage* p : {img_IgnoreConnectionFailMsg_checkedNormal, img_IgnoreConnectionFailMsg_checkedOver,
                    img_IgnoreConnectionFailMsg_uncheckedNormal, img_IgnoreConnectionFailMsg_uncheckedOver}) {
    p->SetVisible(p == img_IgnoreConnectionFailMsg_uncheckedNormal);
  }
}

void Tform_Main::tab_DiskConfigurationShow(TObject*) {
  const bool new_layout = SelectedNasRecord.diskLayout.diskAmount != 0 && !checkBox_UseDefaultDiskSetting->Checked();
  ShowButtonRow(true, true, new_layout ? str_BtnNext : str_BtnApply);
}

void Tform_Main::tab_NetworkDiskMappingShow(TObject* Sender) {
  ShowButtonRow(true, true, str_BtnApply);
  cb_DriveList1Change(Sender);
}

void Tform_Main::ShowResult(TLabel* label, bool ok) {
  label->SetCaption(Text(ok ? strLabOK : strLabFail));
  // A line that failed in an earlier run and succeeds now goes back to the page's colour.
  label->Font()->SetColor(ok ? clBtnFace : clRed);
}

void Tform_Main::tab_ClientSetupFinishShow(TObject*) {
  ShowButtonRow(false, false, str_BtnNext);
  for (TLabel* line : {lab_PasswordAppliedStatus, lab_DeviceAppliedStatus, lab_NetworkAppliedStatus}) {
    ShowResult(line, settingsApplied != 0);
  }
  const bool disks = SelectedNasRecord.diskLayout.diskAmount > 0 && !checkBox_UseDefaultDiskSetting->Checked();
  for (TLabel* l : {lab_TitleDiskAppliedStatus, lab_DiskAppliedStatus, lab_separate4, lab_separate5,
                    lab_TitleNetworkDiskMappingStatus, lab_NetworkDiskMappingStatus}) {
    l->SetVisible(disks);
  }
  if (disks) {
    ShowResult(lab_DiskAppliedStatus, diskApplied != 0);
    ShowResult(lab_NetworkDiskMappingStatus, driveMappingApplied != 0);
  }
  if (!btn_Next->Enabled()) {
    btn_Next->SetEnabled(true);
    SetNextButtonLook(true);
  }
}

void Tform_Main::tab_TotalFinishShow(TObject*) { ShowButtonRow(false, false, str_BtnFinish); }
