#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "client/drive_mapping.h"
#include "link/device_link_host.h"
#include "platform/ansi.h"
#include "toolkit/form.h"
#include "toolkit/grid.h"
#include "toolkit/image_list.h"
#include "toolkit/layout.h"
#include "toolkit/list_view.h"
#include "toolkit/page_control.h"
#include "toolkit/std_controls.h"
#include "toolkit/timer.h"
#include "wizard/selected_nas.h"

// The main window. It owns the wizard state that every other part of the program reads and
// writes, and the handlers of its pages. The handlers live in one source file per subject
// (discovery, login, disk commands, page flow, the settings and disk pages, the skinned
// controls, the drop-down lists, the mirrored edits); each file registers its handlers.
class Tform_Main : public TForm, public DeviceLinkHost {
 public:
  explicit Tform_Main(TComponent* owner);
  ~Tform_Main() override;
  std::string ClassName() const override { return "Tform_Main"; }

  // Controls, one field per component of the layout.
#define ORVO_FIELD(cls, name) cls* name = nullptr;
#include "wizard/forms/form_Main_fields.inc"
#undef ORVO_FIELD

  // The wizard state. Fields that the receive thread, the apply thread and the main thread
  // share are atomics; the result flags are read only after the apply thread has ended.
  std::atomic<int32_t> TcpCommandKind_{0};
  platform::AnsiString languageName;
  SelectedNasRecordType SelectedNasRecord;
  int32_t ipConfigThreadCount = 0;
  int32_t NASSelectedRow = 0, NASHoverRow = 0, NASHoverCol = 0;
  std::atomic<int32_t> g_RAIDCommandType{0};
  std::atomic<int32_t> g_RAIDExecStatus{0};
  std::atomic<int32_t> raidCommandErrorCounter{0};
  std::atomic<uint8_t> isDiscoveryMode_{0};
  int32_t TimeZoneIndex = 0, TimeZoneHoverRow = 0, TimeZoneHoverCol = 0;
  std::atomic<int32_t> iGetNASInfoResult{0};
  uint8_t formatConfirmed = 0;
  uint8_t settingsApplied = 0, diskApplied = 0, driveMappingApplied = 0;
  int32_t osVersion = 0;
  int32_t firewallServiceState = 0;
  int32_t CaretBlinkCounter = 0;
  int32_t FakeEditIndex = 0;
  DriveTableEntries DriveTable;
  int32_t DriveList1Index = 0, DriveList1HoverRow = 0, DriveList1HoverCol = 0;
  int32_t DriveList2Index = 0, DriveList2HoverRow = 0, DriveList2HoverCol = 0;
  int32_t msgBoxResultOK = 0;
  uint8_t deviceFoundAfterReboot = 0;

  // Each subject's handlers, registered with the layout's handler table by name.
  void RegisterLifeCycleHandlers();
  void RegisterDiscoveryHandlers();
  void RegisterDiskCommandHandlers();
  void RegisterPageFlowHandlers();
  void RegisterSettingsChoiceHandlers();
  void RegisterDiskPageHandlers();
  void RegisterMirroredEditHandlers();
  void RegisterOctetEditHandlers();
  void RegisterSkinHandlers();
  void RegisterDropDownHandlers();

  // Life cycle.
  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void ListView1DblClick(TObject* Sender);
  void edit_NewPassword2KeyPress(TObject* Sender, char16_t& Key);

  // Device discovery and the adapter scan.
  void StartDeviceDiscovery();
  void timer_DeviceDiscoveryTimer(TObject* Sender);
  void thread_IPConfigTerminate(TObject* Sender);
  platform::AnsiString BroadcastAddress(const platform::AnsiString& address, const platform::AnsiString& mask);

  // Login probe and settings exchange.
  bool sendCommand_EZPROBE();
  bool sendCommand_setWlan();
  bool sendCommand_ISP();
  int32_t GetNASInfo();

  // Disk commands.
  void SetRAIDCommand();
  void timer_RAIDExecTimer(TObject* Sender);

  // Page flow.
  void btn_NextClick(TObject* Sender);
  void btn_BackClick(TObject* Sender);
  void btn_CancelSetup(TObject* Sender);
  void btn_DeviceDiscoveryClick(TObject* Sender);
  void ListView1Click(TObject* Sender);
  void tab_NASListShow(TObject* Sender);
  void tab_UserPassValidShow(TObject* Sender);
  void tab_CurrentSettingsShow(TObject* Sender);
  void tab_CurrentSettings_ConnectionFailedShow(TObject* Sender);
  void tab_DiskConfigurationShow(TObject* Sender);
  void tab_NetworkDiskMappingShow(TObject* Sender);
  void tab_ClientSetupFinishShow(TObject* Sender);
  void tab_TotalFinishShow(TObject* Sender);
  void ShowWizardMessage(const platform::AnsiString& text, int kind);
  void StartApplySequence();

  // Settings page validation and choices.
  bool checkIPAddressControl();
  void radio_FixedIPClick(TObject* Sender);
  void radio_AutoIPClick(TObject* Sender);
  void radio_AutoDNSClick(TObject* Sender);
  void radio_FixedDNSClick(TObject* Sender);
  void checkBox_UseOriginalPasswordClick(TObject* Sender);
  void checkBox_UseDefaultDNTZandNetworkClick(TObject* Sender);

  // Disk page.
  void checkBox_UseDefaultDiskSettingClick(TObject* Sender);
  void radio_StandardClick(TObject* Sender);
  void radio_JBODClick(TObject* Sender);
  void radio_RAID0Click(TObject* Sender);
  void radio_RAID1Click(TObject* Sender);
  void cb_DriveList1Change(TObject* Sender);
  void cb_DriveList2Change(TObject* Sender);
  void ShowDiskConfigOptions(bool show);
  void SetUseDefaultDiskSettingLabelEnabled(bool enabled);
  void SetExt2LabelEnabled(bool enabled);
  void SetExt3LabelEnabled(bool enabled);
  void SetStandardLabelEnabled(bool enabled);
  void SetJBODLabelEnabled(bool enabled);
  void SetRAID0LabelEnabled(bool enabled);
  void SetRAID1LabelEnabled(bool enabled);
  void RefreshDriveList();

  // Apply sequence completion.
  void thread_RAIDCreateApplyTerminate(TObject* Sender);

  // Mirrored edits.
  void FakeEditOnChange(TObject* Sender);
  void FakeEditOnEnter(TObject* Sender);
  void FakeEditOnExit(TObject* Sender);
  void timer_FakeEditTimer(TObject* Sender);
  void RenderNewPassword1Mask();
  void RenderNewPassword2Mask();
  void lab_editNewPassword1Click(TObject* Sender);
  void lab_editNewPassword2Click(TObject* Sender);
  void lab_editDeviceNameClick(TObject* Sender);

  // Address octet edits.
  void edit_IPOnKeyPress(TObject* Sender, char16_t& Key);
  void FocusNextOctet(TObject* Sender);
  void edit_IPOnChange(TObject* Sender);
  void edit_IPOnExit(TObject* Sender);
  void lab_IPClick(TObject* Sender);
  // True while the focused octet holds anything but digits (only a paste puts them there): as it
  // keeps the focus, the page is not acted on either until the octet is mended.
  bool FocusedOctetRefusesToLeave();

  // Skinned window, image buttons and hover looks.
  void SetNextButtonLook(bool enabled);
  void SetDiscoveryButtonLook(bool enabled);
  void img_MaingBGMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void lab_MainFormCaptionMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void img_CloseMouseEnter(TObject* Sender);
  void img_CloseMouseLeave(TObject* Sender);
  void img_CloseClick(TObject* Sender);
  void img_MinimizeClick(TObject* Sender);
  void img_btnNextNormalMouseEnter(TObject* Sender);
  void img_btnNextOverMouseLeave(TObject* Sender);
  void img_btnBackNormalMouseEnter(TObject* Sender);
  void img_btnBackOverMouseLeave(TObject* Sender);
  void img_btnCancelNormalMouseEnter(TObject* Sender);
  void img_btnCancelOverMouseLeave(TObject* Sender);
  void img_btnDeviceDiscoveryNormalMouseEnter(TObject* Sender);
  void img_btnDeviceDiscoveryOverMouseLeave(TObject* Sender);
  void lab_checkBoxUseOriginalPasswordMouseEnter(TObject* Sender);
  void lab_checkBoxUseOriginalPasswordMouseLeave(TObject* Sender);
  void lab_checkBoxUseOriginalPasswordClick(TObject* Sender);
  void lab_checkBoxUseDefaultDNTZandNetworkMouseEnter(TObject* Sender);
  void lab_checkBoxUseDefaultDNTZandNetworkMouseLeave(TObject* Sender);
  void lab_checkBoxUseDefaultDNTZandNetworkClick(TObject* Sender);
  void lab_checkBoxUseDefaultDiskSettingMouseEnter(TObject* Sender);
  void lab_checkBoxUseDefaultDiskSettingMouseLeave(TObject* Sender);
  void lab_checkBoxUseDefaultDiskSettingClick(TObject* Sender);
  void img_IgnoreConnectionFailMsg_uncheckedNormalMouseEnter(TObject* Sender);
  void img_IgnoreConnectionFailMsg_uncheckedOverMouseLeave(TObject* Sender);
  void img_IgnoreConnectionFailMsg_uncheckedOverClick(TObject* Sender);
  void lab_radioAutoIPMouseEnter(TObject* Sender);
  void lab_radioAutoIPMouseLeave(TObject* Sender);
  void lab_radioAutoIPClick(TObject* Sender);
  void lab_radioFixedIPMouseEnter(TObject* Sender);
  void lab_radioFixedIPMouseLeave(TObject* Sender);
  void lab_radioFixedIPClick(TObject* Sender);
  void lab_radioAutoDNSMouseEnter(TObject* Sender);
  void lab_radioAutoDNSMouseLeave(TObject* Sender);
  void lab_radioAutoDNSClick(TObject* Sender);
  void lab_radioFixedDNSMouseEnter(TObject* Sender);
  void lab_radioFixedDNSMouseLeave(TObject* Sender);
  void lab_radioFixedDNSClick(TObject* Sender);
  void lab_radioSTANDARDMouseEnter(TObject* Sender);
  void lab_radioSTANDARDMouseLeave(TObject* Sender);
  void lab_radioSTANDARDClick(TObject* Sender);
  void lab_radioJBODMouseEnter(TObject* Sender);
  void lab_radioJBODMouseLeave(TObject* Sender);
  void lab_radioJBODClick(TObject* Sender);
  void lab_radioRAID0MouseEnter(TObject* Sender);
  void lab_radioRAID0MouseLeave(TObject* Sender);
  void lab_radioRAID0Click(TObject* Sender);
  void lab_radioRAID1MouseEnter(TObject* Sender);
  void lab_radioRAID1MouseLeave(TObject* Sender);
  void lab_radioRAID1Click(TObject* Sender);
  void lab_radioExt2MouseEnter(TObject* Sender);
  void lab_radioExt2MouseLeave(TObject* Sender);
  void lab_radioExt2Click(TObject* Sender);
  void lab_radioExt3MouseEnter(TObject* Sender);
  void lab_radioExt3MouseLeave(TObject* Sender);
  void lab_radioExt3Click(TObject* Sender);
  void img_PageControlBG1MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void img_PageControlBG2MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void img_PageControlBG3MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void img_PageControlBG4MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void img_PageControlBG5MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void img_PageControlBG6MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void img_MaingBGMouseEnter(TObject* Sender);
  void img_checkBoxUseOriginalPassword_DummyMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void radio_Ext2Click(TObject* Sender);
  void radio_Ext3Click(TObject* Sender);
  void checkBox_IgnoreConnectionFailMsgClick(TObject* Sender);

  // Drop-down lists and the device grid.
  void SelectTimeZoneItem(int index);
  void SelectDriveList1Item(int index);
  void SelectDriveList2Item(int index);
  void CloseDropDownLists();
  void SyncTimeZoneDropDown();
  void RefreshNASListGrid();
  // Makes `row` of the device list (-1: none) the chosen box, in the hidden list and the grid.
  void SelectNASRow(int row);
  void lab_comboBoxTimeZoneClick(TObject* Sender);
  void lab_comboBoxTimeZoneMouseEnter(TObject* Sender);
  void lab_comboBoxTimeZoneMouseLeave(TObject* Sender);
  void lab_CBDriveList1Click(TObject* Sender);
  void lab_CBDriveList1MouseEnter(TObject* Sender);
  void lab_CBDriveList1MouseLeave(TObject* Sender);
  void lab_CBDriveList2Click(TObject* Sender);
  void lab_CBDriveList2MouseEnter(TObject* Sender);
  void lab_CBDriveList2MouseLeave(TObject* Sender);
  void sg_TimeZoneClick(TObject* Sender);
  void sg_TimeZoneDrawCell(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State);
  void sg_TimeZoneMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void sg_TimeZoneMouseLeave(TObject* Sender);
  void sg_CBDriveList1Click(TObject* Sender);
  void sg_CBDriveList1DrawCell(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State);
  void sg_CBDriveList1MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void sg_CBDriveList1MouseLeave(TObject* Sender);
  void sg_CBDriveList2Click(TObject* Sender);
  void sg_CBDriveList2DrawCell(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State);
  void sg_CBDriveList2MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void sg_CBDriveList2MouseLeave(TObject* Sender);
  void sg_NASListClick(TObject* Sender);
  void sg_NASListDrawCell(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State);
  void sg_NASListMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void sg_NASListMouseLeave(TObject* Sender);

  // Time-zone list.
  bool LoadTimeZoneList();
  // Shows a failure that ends the program, then ends it with exit code 1. Before the texts are
  // loaded an empty slot shows its English text; before the message dialog exists the
  // application's error display shows it.
  [[noreturn]] void ShowStartupFailure(const platform::AnsiString& text, int kind);

  // DeviceLinkHost.
  bool isDiscoveryMode() override { return isDiscoveryMode_.load() != 0; }
  int TcpCommandKind() override { return TcpCommandKind_.load(); }
  void SetGetNASInfoResult(int value) override { iGetNASInfoResult.store(value); }
  std::string SelectedDeviceIp() override;
  void GetDeviceDiscoveryRes(const NasPacket& datagram, const platform::SOCKADDR_IN& from) override;
  void GetRAIDCommnadRes(const NasPacket& datagram, const platform::SOCKADDR_IN& from) override;
  bool process_EZPROBE_result() override;
  bool process_QUICKGW_result() override;

 private:
  void ReadLanguageName();
  // The page flow's steps.
  void GoTo(TTabSheet* page);
  void NextOnDeviceList();
  void NextOnPassword();
  void NextOnSettings();
  void OpenSoftwareAddIns();
  void OpenWebInterfaceAndClose();
  void ShowButtonRow(bool cancel, bool back, const platform::AnsiString& next_caption);
  void ShowResult(TLabel* label, bool ok);
  // Moves on from an octet: to the window's next tab stop, then to the next octet of the group.
  void AdvanceOctet(TObject* Sender);
  // The disk page's looks.
  void ShowDiskBoxPicture(TImage* shown);
  void ChooseRaidLevelLook(TRadioButton* chosen);
  void ShowSecondDriveLetter(bool show);
  void RaidLevelClick(TRadioButton* radio);
  // The octet edits of the five address groups and the captions of the IP and DNS groups.
  std::array<TEdit*, 4> IpGroup() const;
  std::array<TEdit*, 4> MaskGroup() const;
  std::array<TEdit*, 4> GatewayGroup() const;
  std::array<TEdit*, 4> Dns1Group() const;
  std::array<TEdit*, 4> Dns2Group() const;
  std::vector<TLabel*> IpCaptions() const;
  std::vector<TLabel*> DnsCaptions() const;
  std::vector<TLabel*> SettingsCaptions() const;
  // Selects a radio so that its click handler runs exactly once.
  void SelectRadio(TRadioButton* radio, void (Tform_Main::*handler)(TObject*));
  // The settings write's record from the pages (main thread).
  NasSettingsRecord SettingsToWrite();
  // The controls the login sequence disables while it works.
  void SetLoginControlsEnabled(bool enabled);
  void LeavePageButtons();
  void InstallDropDownCloser(TWinControl* sheet);

  THandlerTable handlers_;
};

extern Tform_Main* form_Main;

// Starts the platform's sockets library; true when version 2.2 is granted.
bool initializeWinsock();
