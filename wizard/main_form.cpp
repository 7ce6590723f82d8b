#include "wizard/main_form.h"

#include <cstdio>

#include "client/firewall_exception.h"
#include "platform/clock.h"
#include "platform/log_debug.h"
#include "platform/sockets.h"
#include "text/language_loader.h"
#include "toolkit/registry.h"
#include "wizard/layout_loading.h"

Tform_Main* form_Main = nullptr;

namespace {
constexpr const char* kLanguageKey = R"(SOFTWARE\Orvo\Orvo Fenwold Utilities)";

// Window shapes: a rounded rectangle with a 15 x 15 corner ellipse over the given size.
void Shape(TWinControl* control, int width, int height, TWindowRegion region) {
  control->SetBounds(control->Left(), control->Top(), width, height);
  control->SetWindowRegion(region);
}
}  // namespace

Tform_Main::Tform_Main(TComponent* owner) : TForm(owner) {
  RegisterLifeCycleHandlers();
  RegisterDiscoveryHandlers();
  RegisterDiskCommandHandlers();
  RegisterPageFlowHandlers();
  RegisterSettingsChoiceHandlers();
  RegisterDiskPageHandlers();
  RegisterMirroredEditHandlers();
  RegisterOctetEditHandlers();
  RegisterSkinHandlers();
  RegisterDropDownHandlers();

  LoadWizardLayout(*this, "form_Main", handlers_);
#define ORVO_FIELD(cls, name) name = BindComponent<cls>(*this, #name);
#include "wizard/forms/form_Main_fields.inc"
#undef ORVO_FIELD
  languageName = platform::AnsiString();
  SetDeviceLinkHost(this);
}

Tform_Main::~Tform_Main() {
  if (CurrentDeviceLinkHost() == this) SetDeviceLinkHost(nullptr);
  if (form_Main == this) form_Main = nullptr;
}

void Tform_Main::RegisterLifeCycleHandlers() {
  handlers_.Add("FormCreate", this, &Tform_Main::FormCreate);
  handlers_.Add("FormShow", this, &Tform_Main::FormShow);
  handlers_.Add("FormClose", this, &Tform_Main::FormClose);
  handlers_.Add("ListView1DblClick", this, &Tform_Main::ListView1DblClick);
  handlers_.Add("edit_NewPassword2KeyPress", this, &Tform_Main::edit_NewPassword2KeyPress);
}

void Tform_Main::FormCreate(TObject*) {
  const platform::LocalTime t = platform::GetLocalTime();
  char clock[64];
  std::snprintf(clock, sizeof clock, "MMDDhhmmCCYY.ss: %02d%02d%02d%02d%04d.%02d", t.month, t.day, t.hour, t.minute,
                t.year, t.second);
  OutputDebugStringA(clock);

  InstallDropDownCloser(tab_NetworkDiskMapping);
  InstallDropDownCloser(tab_CurrentSettings);

  TimeZoneIndex = TimeZoneHoverRow = TimeZoneHoverCol = -1;
  DriveList1Index = DriveList1HoverRow = DriveList1HoverCol = -1;
  DriveList2Index = DriveList2HoverRow = DriveList2HoverCol = -1;
  NASSelectedRow = NASHoverRow = NASHoverCol = -1;

  getOSVersion(osVersion);
  if (osVersion != 0) startFirewallService(firewallServiceState);
  addFirewallException(osVersion);

  CaretBlinkCounter = 0;

  Shape(this, 683, 440, {0, 0, 683, 440, 15, 15});
  Shape(PageControl1, 680, 421, {10, 12, 677, 399, 15, 15});
  for (TPanel* panel : {panel_btnCancel, panel_btnNext, panel_btnBack}) Shape(panel, 135, 34, {0, 0, 135, 34, 15, 15});

  PageControl1->SetActivePage(tab_NASList);
  SelectedNasRecord.Clear();
  LoadTimeZoneList();
  if (initializeWinsock()) LogDebug("initializeWinsock() SUCCESS");
  ReadLanguageName();
  lang_FirstPass = 1;
  LoadLanguageStrings(languageName);
}

void Tform_Main::InstallDropDownCloser(TWinControl* sheet) {
  for (TControl* c : sheet->Controls()) {
    const std::string cls = c->ClassName();
    if ((cls == "TImage" || cls == "TLabel") && !c->OnClick) c->OnClick = [this](TObject*) { CloseDropDownLists(); };
  }
}

void Tform_Main::ReadLanguageName() {
  languageName = platform::AnsiString();
  TRegistry registry(platform::KEY_READ);
  registry.SetRootKey(platform::HKEY_LOCAL_MACHINE);
  if (!registry.KeyExists(kLanguageKey) || !registry.OpenKeyReadOnly(kLanguageKey)) return;
  if (registry.ValueExists("Language")) {
    const std::string name = registry.ReadString("Language");
    LogDebug(name);
    languageName = platform::ToAnsi(name);
  } else {
    LogDebug("Language type is unknown!");
  }
  registry.CloseKey();
}

void Tform_Main::FormShow(TObject*) {
  if (lang_FirstPass == 0) return;
  lang_FirstPass = 0;
  LoadLanguageStrings(languageName);
}

void Tform_Main::FormClose(TObject*, TCloseAction&) {
  if (osVersion != 0 && (firewallServiceState == 1 || firewallServiceState == 7)) stopFirewallService();
}

void Tform_Main::ListView1DblClick(TObject* Sender) {
  if (ListView1->ItemIndex() != -1) btn_NextClick(Sender);
}

void Tform_Main::edit_NewPassword2KeyPress(TObject*, char16_t& Key) {
  if (Key == 13) btn_Next->Click();
}

bool initializeWinsock() {
  platform::WSADATA data{};
  if (platform::WSAStartup(platform::MAKEWORD(2, 2), &data) != 0) {
    LogDebug("(initializeWinsock)WSAStartup Fail");
    return false;
  }
  if ((data.wVersion & 0xFF) == 2 && (data.wVersion >> 8) == 2) return true;
  LogDebug("(initializeWinsock)WSAStartup Fail because of its version");
  return false;
}
