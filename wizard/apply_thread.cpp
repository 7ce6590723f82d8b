#include "wizard/apply_thread.h"

#include <cstring>

#include "client/drive_mapping.h"
#include "link/disk_command.h"
#include "platform/clock.h"
#include "platform/log_debug.h"
#include "text/language_strings.h"
#include "toolkit/application.h"
#include "wizard/dialogs/apply_progress.h"
#include "wizard/main_form.h"

namespace {

std::string Text(const platform::AnsiString& slot) { return platform::FromAnsi(slot); }

std::string Trim(const std::string& s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

template <class F>
auto OnMain(F f) {
  decltype(f()) result{};
  Application->Synchronize([&] { result = f(); });
  return result;
}

void OnMainDo(const std::function<void()>& f) { Application->Synchronize(f); }

// The percentage shown for tick t of the reboot wait: t / 180 x 100, truncated.
int RebootPercent(int t) { return static_cast<int>(t / 180.0 * 100.0); }

}  // namespace

void ShowApplyStatus(const std::string& text) {
  LogDebug("ApplyStatus: " + text);
  form_ApplyProgress->lab_ApplyStatus->SetCaption(text);
}

void ShowApplyProgress(int position) {
  LogDebug("ApplyProgress: " + std::to_string(position));
  form_ApplyProgress->ProgressBar1->SetPosition(position);
}

void thread_RAIDCreateApply::Status(const std::string& text) {
  OnMainDo([&] { ShowApplyStatus(text); });
}

void thread_RAIDCreateApply::StatusPercent(const std::string& text, int percent) {
  Status(text + " " + std::to_string(percent) + "%");
}

void thread_RAIDCreateApply::Progress(int position) {
  OnMainDo([&] { ShowApplyProgress(position); });
}

int thread_RAIDCreateApply::CurrentProgress() {
  return OnMain([] { return form_ApplyProgress->ProgressBar1->Position(); });
}

void thread_RAIDCreateApply::Run(int32_t command) {
  form_Main->g_RAIDCommandType.store(command);
  form_Main->g_RAIDExecStatus.store(RAIDCMD_PROCEEDING);
  form_Main->isDiscoveryMode_.store(0);
  form_Main->SetRAIDCommand();
}

bool thread_RAIDCreateApply::RunUntilAnswered(int32_t command, int limit, const std::function<void()>& sent) {
  Tform_Main& f = *form_Main;
  f.raidCommandErrorCounter.store(0);
  Run(command);
  if (sent) sent();
  for (;;) {
    const int32_t status = f.g_RAIDExecStatus.load();
    if (status == RAIDCMD_OK) return true;
    if (status == RAIDCMD_ERROR) {
      LogDebug("thread_RAIDCreateApply- command " + std::to_string(command) +
               " error counter: " + std::to_string(f.raidCommandErrorCounter.load() + 1));
      if (f.raidCommandErrorCounter.fetch_add(1) + 1 >= limit) return false;
      f.g_RAIDExecStatus.store(RAIDCMD_PROCEEDING);
      f.SetRAIDCommand();
      continue;
    }
    LogDebug("thread_RAIDCreateApply- command " + std::to_string(command) + " is still running");
    platform::Sleep(1000);
  }
}

bool thread_RAIDCreateApply::FollowFormatStatus(int32_t command, const std::string& status, int base, int end) {
  Tform_Main& f = *form_Main;
  f.raidCommandErrorCounter.store(0);
  f.g_RAIDExecStatus.store(-1);
  for (int progress = CurrentProgress(); progress < end; progress = CurrentProgress()) {
    StatusPercent(status, progress - base);
    const int32_t state = f.g_RAIDExecStatus.load();
    if (state == RAIDCMD_PROCEEDING) {
      platform::Sleep(1000);
      continue;
    }
    if (state == RAIDCMD_ERROR) {
      LogDebug("thread_RAIDCreateApply- format status error counter: " +
               std::to_string(f.raidCommandErrorCounter.load() + 1));
      if (f.raidCommandErrorCounter.fetch_add(1) + 1 >= 3) return false;
    } else if (state == RAIDCMD_OK) {
      f.raidCommandErrorCounter.store(0);
    }
    Run(command);
    platform::Sleep(1000);
  }
  return true;
}

void thread_RAIDCreateApply::Execute() {
  Tform_Main& f = *form_Main;
  LogDebug("thread_RAIDCreateApply- Step0");
  f.settingsApplied = f.diskApplied = f.driveMappingApplied = f.deviceFoundAfterReboot = 0;
  Progress(0);
  Status(Text(str_LabApplyStatus1));
  platform::Sleep(500);
  f.iGetNASInfoResult.store(-1);
  Status(Text(str_LabApplyStatus2));
  Progress(10);
  if (!FollowFormatStatus(RAID_GETFORMATSTATUS_FORTEST, Text(str_LabApplyStatus3), 10, 110)) return;

  const int32_t disk_amount = f.SelectedNasRecord.diskLayout.diskAmount;
  const bool keep_disks = OnMain([&] { return f.checkBox_UseDefaultDiskSetting->Checked(); });
  if (disk_amount > 0 && !keep_disks) {
    LogDebug("thread_RAIDCreateApply- Step1");
    if (!RunUntilAnswered(RAID_CREATE, 5, [&] {
          Status(Text(str_LabApplyStatus4));
          Progress(120);
        })) {
      return;
    }
    Status(Text(str_LabApplyStatus5));
    Progress(125);
    platform::Sleep(3000);

    LogDebug("thread_RAIDCreateApply- Step2");
    Status(Text(str_LabApplyStatus6));
    Progress(130);
    if (!FollowFormatStatus(RAID_GETFORMATSTATUS_FORUSERSETTING, Text(str_LabApplyStatus7), 130, 230)) return;

    LogDebug("thread_RAIDCreateApply- Step3");
    platform::Sleep(1500);
    Status(Text(str_LabApplyStatus8));
    Progress(235);
    if (!RunUntilAnswered(RAID_CREATEDEFAULTSHAREFOLDER, 5)) return;
    Status(Text(str_LabApplyStatus9));
    Progress(240);
    platform::Sleep(1000);
    f.diskApplied = 1;
  } else if (disk_amount > 0) {
    f.diskApplied = 1;
  }

  LogDebug("thread_RAIDCreateApply- Step4");
  if (!f.sendCommand_EZPROBE()) {
    LogDebug("sendCommand_EZPROBE() fail");
    return;
  }
  Status(Text(str_LabApplyStatus10));
  Progress(260);
  if (!f.sendCommand_ISP()) {
    LogDebug("sendCommand_ISP() fail...");
    return;
  }
  OnMainDo([&] {
    if (f.checkBox_UseOriginalPassword->Checked()) return;
    const platform::AnsiString password = platform::ToAnsi(f.edit_NewPassword1->Text());
    f.SelectedNasRecord.adminPassword.fill(0);
    std::memcpy(f.SelectedNasRecord.adminPassword.data(), password.c_str(),
                std::min(password.size(), f.SelectedNasRecord.adminPassword.size() - 1));
  });
  Status(Text(str_LabApplyStatus11));
  Progress(270);
  platform::Sleep(500);
  f.settingsApplied = 1;

  LogDebug("thread_RAIDCreateApply- Step5");
  Status(Text(str_LabApplyStatus12));
  Progress(280);
  if (!RunUntilAnswered(RAID_REBOOT, 5)) return;
  Status(Text(str_LabApplyStatus13));
  Progress(290);
  platform::Sleep(3000);

  LogDebug("thread_RAIDCreateApply- Step6");
  Progress(300);
  f.deviceFoundAfterReboot = WaitForDeviceReboot() ? 1 : 0;

  if (f.deviceFoundAfterReboot && !keep_disks) {
    LogDebug("thread_RAIDCreateApply- Step7");
    Status(Text(str_LabApplyStatus15));
    Progress(310);
    f.driveMappingApplied = MapVolumes() ? 1 : 0;
  }

  if (f.deviceFoundAfterReboot) Status(Text(str_LabApplyStatus16));
  Progress(320);
  platform::Sleep(500);
  f.iGetNASInfoResult.store(5);
  LogDebug("thread_RAIDCreateApply::Execute- Finished...");
}

bool thread_RAIDCreateApply::MapVolumes() {
  Tform_Main& f = *form_Main;
  struct Volume {
    std::string item;  // the list's chosen item: the letter, ":  " and the remote name
    bool in_use;       // the letter is connected to a share now
    const char* share;
    std::string disk;  // how the traces name it: "1", "2", or "" for a single volume
  };
  std::vector<Volume> volumes;
  std::string device_name;
  // The pages and the drive table belong to the main thread.
  OnMainDo([&] {
    device_name = f.edit_DeviceName->Text();
    auto volume = [&](TComboBox* list, const char* share, const char* disk) {
      const int i = list->ItemIndex();
      const bool known = i >= 0 && i < list->Items().Count() && i < static_cast<int>(f.DriveTable.size());
      volumes.push_back({known ? list->Items()[i] : std::string(),
                         known && !Trim(f.DriveTable[static_cast<size_t>(i)].remoteName.bytes()).empty(), share, disk});
    };
    const int32_t disks = f.SelectedNasRecord.diskLayout.diskAmount;
    if (disks == 2 && f.radio_Standard->Checked()) {
      volume(f.cb_DriveList1, "\\Volume_1", "1");
      volume(f.cb_DriveList2, "\\Volume_2", "2");
    } else if (disks > 0) {
      volume(f.cb_DriveList1, "\\Volume_1", "");
    }
  });
  bool all_mapped = !volumes.empty();
  for (const Volume& v : volumes) {
    if (v.item.empty()) {
      LogDebug("Create Network Disk" + v.disk + " Error: no drive letter is chosen");
      all_mapped = false;
      continue;
    }
    const char letter = v.item[0];
    if (v.in_use) {
      if (UnmapNetworkDrive(letter, true) == 0) {
        platform::Sleep(3000);
      } else {
        LogDebug("Disconnect network disk" + v.disk + " failed...");
      }
    }
    const std::string remote = Trim("\\\\" + platform::ToAnsi(device_name).bytes() + v.share);
    const uint32_t result = MapNetworkDrive(platform::AnsiString(remote), letter, true);
    if (result == 0) {
      LogDebug("Create Network Disk" + v.disk + " Successfully");
    } else {
      LogDebug("Create Network Disk" + v.disk + " Error, Error Code: " + std::to_string(result));
      all_mapped = false;
    }
  }
  return all_mapped;
}

bool thread_RAIDCreateApply::WaitForDeviceReboot() {
  Tform_Main& f = *form_Main;
  const std::string waiting = Text(str_LabApplyStatus14);
  int t = 0;
  for (int i = 0; i < 90; ++i) {
    StatusPercent(waiting, RebootPercent(t));
    ++t;
    platform::Sleep(1000);
  }
  const std::string mac(f.SelectedNasRecord.DeviceIdentifierString.data());
  bool found = false;
  while (t < 180 && !found) {
    OnMainDo([&] { f.StartDeviceDiscovery(); });
    platform::Sleep(1500);
    while (OnMain([&] { return f.timer_DeviceDiscovery->Enabled(); })) platform::Sleep(100);
    // The round's end selected its first row, which may be another box; the row of the box that was
    // set up becomes the selected one, so that Finish and the web link reach it at the address it
    // answered from now.
    const int rows = OnMain([&] {
      const int count = f.ListView1->Count();
      for (int i = 0; i < count && !found; ++i) {
        const TStrings& sub = f.ListView1->Item(i)->SubItems();
        if (sub.Count() > 1 && sub[1] == mac) {
          f.SelectNASRow(i);
          found = true;
        }
      }
      return count;
    });
    if (found) break;
    if (rows == 0) platform::Sleep(1000);
    StatusPercent(waiting, RebootPercent(t));
    t += 3;
  }
  if (!found) {
    // Whatever the last round selected is not the box that was set up: nothing may lead there.
    OnMainDo([&] { f.SelectNASRow(-1); });
    return false;
  }
  for (t = 170; t < 180; ++t) {
    StatusPercent(waiting, RebootPercent(t));
    platform::Sleep(1000);
  }
  return true;
}

void Tform_Main::thread_RAIDCreateApplyTerminate(TObject*) {
  // The sequence has handed over: the progress window may close now.
  form_ApplyProgress->applyRunning = false;
  const int32_t result = iGetNASInfoResult.load();
  switch (result) {
    case -1:
    case 1:
    case 2:
    case 3:
      LogDebug("!!!!!!iGetNASInfoResult: " + std::to_string(result) + "!!!!!!!!");
      ShowWizardMessage(str_Msg15, 1);
      break;
    case 0:
      ShowWizardMessage(str_Msg13, 1);
      break;
    case 4:
      ShowWizardMessage(str_Msg14, 1);
      break;
    case 5:
      if (deviceFoundAfterReboot == 0) ShowWizardMessage(str_Msg28, 2);
      PageControl1->SetActivePage(tab_ClientSetupFinish);
      break;
    default:
      break;
  }
  form_ApplyProgress->Close();
}
