#include <atomic>
#include <cstdio>
#include <cstring>

#include "link/codec.h"
#include "link/delay.h"
#include "link/transport.h"
#include "platform/clock.h"
#include "platform/convert.h"
#include "platform/log_debug.h"
#include "platform/thread.h"
#include "platform/unicode.h"
#include "text/language_strings.h"
#include "toolkit/application.h"
#include "wizard/main_form.h"
#include "wizard/time_zone_table.h"

// Logging in to the chosen box and reading and writing its settings over the TCP exchange.

namespace {

constexpr NasMac kZeroMac{};

std::string PasswordText(const NasPassword& password) {
  return std::string(password.data(), strnlen(password.data(), password.size()));
}

// Both replies of the login answer a refused password with result 0 and any other bad header
// with 2; only a good header lets the reply's record be read.
bool HeaderAccepted(ResponseHeaderResult result, std::atomic<int32_t>& login_result) {
  if (result == RESPONSE_HDR_OK) return true;
  login_result.store(result == RESPONSE_HDR_ERR_PASSWORD ? 0 : 2);
  return false;
}

// The low 8 bits of each octet edit's number, the first edit in the first byte.
uint32_t AddressOf(TEdit* const (&octets)[4]) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= (static_cast<uint32_t>(platform::AtoI(octets[i]->Text())) & 0xFF) << (8 * i);
  return value;
}

// An edit's text of at most `units` UTF-16 units (as the edit counts), in the ANSI code page. The
// cut is made before the conversion: a double-byte code page gives up to two bytes a character,
// and cutting the bytes would write the box a password other than the one typed.
std::string AnsiOfAtMost(const std::string& text, size_t units) {
  std::u16string wide = platform::Utf8ToUtf16(text);
  if (wide.size() > units) wide.resize(units);
  return platform::ToAnsi(platform::Utf16ToUtf8(wide)).bytes();
}

std::string JoinedText(TEdit* const (&octets)[4]) {
  return octets[0]->Text() + "." + octets[1]->Text() + "." + octets[2]->Text() + "." + octets[3]->Text();
}

std::string AddressText(uint32_t network_order) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", network_order & 0xFF, (network_order >> 8) & 0xFF,
                (network_order >> 16) & 0xFF, network_order >> 24);
  return text;
}

}  // namespace

std::string Tform_Main::SelectedDeviceIp() {
  if (!platform::IsMainThread()) {
    std::string ip;
    Application->Synchronize([&] { ip = SelectedDeviceIp(); });
    return ip;
  }
  const TListItem* row = ListView1->Selected();
  return row && row->SubItems().Count() > 0 ? row->SubItems()[0] : std::string();
}

bool Tform_Main::sendCommand_EZPROBE() {
  TcpCommandKind_.store(0);
  NasPacket request;
  BuildProbeRequest(request, kZeroMac, SelectedNasRecord.adminPassword);
  LogDebug("Tform_Main::sendCommand_EZPROBE- Password:" + PasswordText(SelectedNasRecord.adminPassword));
  return sendTcpPacket(request.data(), kNasPacketSize);
}

bool Tform_Main::process_EZPROBE_result() {
  NasProbeRecord probe;
  const ResponseHeaderResult result = ParseProbeReply(TcpReplyBuffer(), CurrentTransactionId(), kZeroMac, probe);
  if (!HeaderAccepted(result, iGetNASInfoResult)) return false;
  const auto& b = probe.bytes;
  char flags[160];
  std::snprintf(flags, sizeof flags,
                "isNotDefault: %d, isSetBy0ts: %d, isWAN: %d, isDHCP: %d, isPPPOE: %d, Auth: %d, Wds: %d",
                b[probe_field::kIsNotDefault], b[probe_field::kIsSetBy0ts], b[probe_field::kIsWAN],
                b[probe_field::kIsDHCP], b[probe_field::kIsPPPOE], b[probe_field::kAuth], b[probe_field::kWds]);
  LogDebug(flags);
  LogDebug("ansiProductID: " + ReadTextField(b, probe_field::kProductId, probe_field::kProductIdSize));
  LogDebug("ansiFirmwareVersion: " +
           ReadTextField(b, probe_field::kFirmwareVersion, probe_field::kFirmwareVersionSize));
  SelectedNasRecord.isNotDefault = b[probe_field::kIsNotDefault] != 0 ? 1 : 0;
  SelectedNasRecord.isDHCP = b[probe_field::kIsDHCP] != 0 ? 1 : 0;
  LogDebug("Tform_Main::process_EZPROBE_result- process_EZPROBE_result() SUCCESS");
  return true;
}

bool Tform_Main::sendCommand_setWlan() {
  NasSettingsRecord record;
  record.bytes[settings_field::kAction] = kSettingsActionRead;
  WriteTextField(record.bytes, settings_field::kUsername, settings_field::kUsernameSize, "admin");
  TcpCommandKind_.store(1);
  NasPacket request;
  BuildSettingsRequest(request, kZeroMac, SelectedNasRecord.adminPassword, record);
  return sendTcpPacket(request.data(), kNasPacketSize);
}

bool Tform_Main::process_QUICKGW_result() {
  NasSettingsRecord& settings = SelectedNasRecord.settings;
  settings = NasSettingsRecord{};
  const ResponseHeaderResult result = ParseSettingsReply(TcpReplyBuffer(), CurrentTransactionId(), kZeroMac, settings);
  if (!HeaderAccepted(result, iGetNASInfoResult)) return false;
  const auto& b = settings.bytes;
  LogDebug("username: " + ReadTextField(b, settings_field::kUsername, settings_field::kUsernameSize));
  LogDebug("password: " + ReadTextField(b, settings_field::kPassword, settings_field::kPasswordSize));
  LogDebug("IP Address: " + AddressText(ReadAddressField(b, settings_field::kIpAddress)));
  LogDebug("Subnet Mask: " + AddressText(ReadAddressField(b, settings_field::kSubnetMask)));
  LogDebug("Gateway: " + AddressText(ReadAddressField(b, settings_field::kGateway)));
  LogDebug("DNS1: " + AddressText(ReadAddressField(b, settings_field::kDns1)));
  LogDebug("DNS2: " + AddressText(ReadAddressField(b, settings_field::kDns2)));
  LogDebug("TimeZone: " + ReadTextField(b, settings_field::kTimeZone, settings_field::kTimeZoneSize));
  LogDebug("Hostname: " + ReadTextField(b, settings_field::kHostname, settings_field::kHostnameSize));
  LogDebug("MAC: " + ReadTextField(b, settings_field::kMacText, settings_field::kMacTextSize));
  LogDebug("SSID: " + ReadTextField(b, settings_field::kSsid, settings_field::kSsidSize));
  LogDebug("Tform_Main::process_QUICKGW_result- process_QUICKGW_result() SUCCESS");
  return true;
}

NasSettingsRecord Tform_Main::SettingsToWrite() {
  NasSettingsRecord record;
  record.bytes[settings_field::kAction] = kSettingsActionWrite;
  WriteTextField(record.bytes, settings_field::kUsername, settings_field::kUsernameSize, "admin");

  const std::string password = checkBox_UseOriginalPassword->Checked() ? PasswordText(SelectedNasRecord.adminPassword)
                                                                       : AnsiOfAtMost(edit_NewPassword1->Text(), 20);
  WriteTextField(record.bytes, settings_field::kPassword, settings_field::kPasswordSize, password);
  WriteTextField(record.bytes, settings_field::kHostname, settings_field::kHostnameSize,
                 AnsiOfAtMost(edit_DeviceName->Text(), 32));

  if (checkBox_UseDefaultDNTZandNetwork->Checked() && checkBox_UseOriginalPassword->Enabled()) {
    std::copy_n(SelectedNasRecord.settings.bytes.begin() + settings_field::kTimeZone, settings_field::kTimeZoneSize,
                record.bytes.begin() + settings_field::kTimeZone);
  } else {
    const int row = FindTimeZoneRow(platform::ToAnsi(ComboBoxTimeZone->Text()));
    char number[16];
    std::snprintf(number, sizeof number, "%i", row >= 0 ? row + 1 : 1);
    WriteTextField(record.bytes, settings_field::kTimeZone, settings_field::kTimeZoneSize, number);
  }

  const platform::LocalTime t = platform::GetLocalTime();
  char date_time[32];
  std::snprintf(date_time, sizeof date_time, "%02d%02d%02d%02d%04d.%02d", t.month, t.day, t.hour, t.minute, t.year,
                t.second);
  WriteTextField(record.bytes, settings_field::kDateTime, settings_field::kDateTimeSize, date_time);
  OutputDebugStringA(std::string("MMDDhhmmCCYY.ss: ") + date_time);

  TEdit* const ip[4] = {edit_IPAddr1, edit_IPAddr2, edit_IPAddr3, edit_IPAddr4};
  TEdit* const mask[4] = {edit_IPMask1, edit_IPMask2, edit_IPMask3, edit_IPMask4};
  TEdit* const gateway[4] = {edit_IPGateway1, edit_IPGateway2, edit_IPGateway3, edit_IPGateway4};
  TEdit* const dns1[4] = {edit_IPDNS1_1, edit_IPDNS1_2, edit_IPDNS1_3, edit_IPDNS1_4};
  TEdit* const dns2[4] = {edit_IPDNS2_1, edit_IPDNS2_2, edit_IPDNS2_3, edit_IPDNS2_4};
  if (radio_FixedIP->Checked()) {
    record.bytes[settings_field::kIpMode] = kIpModeFixed;
    WriteAddressField(record.bytes, settings_field::kIpAddress, AddressOf(ip));
    WriteAddressField(record.bytes, settings_field::kSubnetMask, AddressOf(mask));
    WriteAddressField(record.bytes, settings_field::kGateway, AddressOf(gateway));
  } else {
    record.bytes[settings_field::kIpMode] = kIpModeDhcp;
  }
  if (radio_FixedDNS->Checked()) {
    if (JoinedText(dns1) != "0.0.0.0") WriteAddressField(record.bytes, settings_field::kDns1, AddressOf(dns1));
    if (JoinedText(dns2) != "0.0.0.0") WriteAddressField(record.bytes, settings_field::kDns2, AddressOf(dns2));
  }
  return record;
}

bool Tform_Main::sendCommand_ISP() {
  TcpCommandKind_.store(2);
  // The page's values are taken on the main thread, also when the apply thread writes them.
  NasSettingsRecord record;
  Application->Synchronize([&] { record = SettingsToWrite(); });
  NasPacket request;
  BuildSettingsRequest(request, kZeroMac, SelectedNasRecord.adminPassword, record);
  return sendTcpPacket(request.data(), kNasPacketSize);
}

void Tform_Main::SetLoginControlsEnabled(bool enabled) {
  ListView1->SetEnabled(enabled);
  sg_NASList->SetEnabled(enabled);
  btn_Next->SetEnabled(enabled);
  SetNextButtonLook(enabled);
  btn_Cancel->SetEnabled(enabled);
  btn_Back->SetEnabled(enabled);
  btn_DeviceDiscovery->SetEnabled(enabled);
  SetDiscoveryButtonLook(enabled);
}

namespace {
// Ticks a check box so that its click handler runs exactly once.
void TickOnce(TCheckBox* box, const std::function<void()>& handler) {
  if (box->Checked()) {
    handler();
  } else {
    box->SetChecked(true);
  }
}
}  // namespace

int32_t Tform_Main::GetNASInfo() {
  iGetNASInfoResult.store(-1);
  SetLoginControlsEnabled(false);
  LogDebug("Tform_Main::GetNASInfo- User Name: " +
           std::string(SelectedNasRecord.userName.data(),
                       strnlen(SelectedNasRecord.userName.data(), SelectedNasRecord.userName.size())));
  LogDebug("Tform_Main::GetNASInfo- Password: " + PasswordText(SelectedNasRecord.adminPassword));

  if (!sendCommand_EZPROBE()) {
    LogDebug("Tform_Main::GetNASInfo- sendCommand_EZPROBE() fail");
    SetLoginControlsEnabled(true);
    return iGetNASInfoResult.load();
  }
  LogDebug("Tform_Main::GetNASInfo- sendCommand_EZPROBE() ok!");
  if (!sendCommand_setWlan()) {
    LogDebug("Tform_Main::GetNASInfo- sendCommand_setWlan() fail...");
    SetLoginControlsEnabled(true);
    return iGetNASInfoResult.load();
  }
  LogDebug("Tform_Main::GetNASInfo- sendCommand_setWlan() ok!");

  SelectedNasRecord.diskLayout.diskAmount = -1;
  raidCommandErrorCounter.store(0);
  g_RAIDCommandType.store(RAID_GETRAIDSTATUS);
  g_RAIDExecStatus.store(RAIDCMD_PROCEEDING);
  isDiscoveryMode_.store(0);
  SetRAIDCommand();
  for (;;) {
    const int32_t status = g_RAIDExecStatus.load();
    if (status == RAIDCMD_OK) break;
    if (status == RAIDCMD_ERROR) {
      LogDebug("Tform_Main::GetNASInfo- The RAID Command Error Counter: " +
               std::to_string(raidCommandErrorCounter.load() + 1));
      if (raidCommandErrorCounter.fetch_add(1) + 1 >= 5) break;
      g_RAIDExecStatus.store(RAIDCMD_PROCEEDING);
      SetRAIDCommand();
      continue;
    }
    LogDebug("Tform_Main::GetNASInfo- The RAID Command is stillrunning");
    Delay(500, true);
  }

  if (SelectedNasRecord.diskLayout.diskAmount == -1) {
    SetLoginControlsEnabled(true);
    return 3;
  }

  TickOnce(checkBox_UseOriginalPassword, [this] { checkBox_UseOriginalPasswordClick(checkBox_UseOriginalPassword); });
  TickOnce(checkBox_UseDefaultDNTZandNetwork,
           [this] { checkBox_UseDefaultDNTZandNetworkClick(checkBox_UseDefaultDNTZandNetwork); });
  checkBox_UseDefaultDNTZandNetwork->SetChecked(false);
  RefreshDriveList();
  const NasDiskLayout& disks = SelectedNasRecord.diskLayout;
  if (disks.diskAmount > 0) {
    group_DiskConfig->Show();
    ShowDiskConfigOptions(true);
    checkBox_UseDefaultDiskSetting->SetEnabled(true);
    SetUseDefaultDiskSettingLabelEnabled(true);
    TickOnce(checkBox_UseDefaultDiskSetting,
             [this] { checkBox_UseDefaultDiskSettingClick(checkBox_UseDefaultDiskSetting); });
    if (disks.disk1FileSystem == 1 || disks.disk2FileSystem == 1) {
      checkBox_UseDefaultDiskSetting->SetChecked(false);
      checkBox_UseDefaultDiskSetting->SetEnabled(false);
      SetUseDefaultDiskSettingLabelEnabled(false);
    }
  } else {
    lab_HDAmount->SetCaption(platform::FromAnsi(str_LabDiskAmount) + " " + std::to_string(disks.diskAmount));
    group_DiskConfig->Hide();
    ShowDiskConfigOptions(false);
    checkBox_UseDefaultDiskSetting->SetEnabled(false);
    SetUseDefaultDiskSettingLabelEnabled(false);
  }
  SetLoginControlsEnabled(true);
  return 5;
}
