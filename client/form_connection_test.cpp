#include "client/form_connection_test.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/clock.h"
#include "platform/exception.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "platform/log_debug.h"
#include "platform/processes.h"
#include "toolkit/application.h"
#include "toolkit/layout.h"
#include "toolkit/resources.h"
#include "toolkit/std_controls.h"
#include "toolkit/timer.h"

using platform::AnsiString;

namespace {

constexpr const char* kLayoutFile = "wizard/forms/form_ConnectionTest.json";
constexpr const char* kPicturesFolder = "wizard/forms/pictures";
constexpr int kWindowWidth = 253;
constexpr int kWindowHeight = 100;
constexpr int kCornerEllipse = 15;
constexpr int kChecksPerTarget = 4;
constexpr uint32_t kCheckPauseMs = 1000;
const AnsiString kNoHost("...");

int32_t ResultCode(bool gatewayGiven, bool gateway, bool dnsGiven, bool dns, bool publicDns) {
  if (!gateway) return 0;
  if (publicDns) return dns ? 4 : 2;
  if (!dnsGiven) return 6;
  if (dns) return 3;
  return gatewayGiven ? 1 : 5;
}

// Four decimal numbers of 0 to 255 joined by ".", each of one to three digits.
bool IsDottedIpv4(const std::string& text) {
  int parts = 0;
  size_t i = 0;
  while (parts < 4) {
    size_t digits = 0;
    int value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 4; ++i, ++digits) {
      value = value * 10 + (text[i] - '0');
    }
    if (digits == 0 || digits > 3 || value > 255) return false;
    if (++parts < 4) {
      if (i >= text.size() || text[i] != '.') return false;
      ++i;
    }
  }
  return i == text.size();
}

const char* OutcomeTrace(int32_t code) {
  switch (code) {
    case 0:
      return "Gateway failed, \tPrimareDNS N/A, \tPublicDNS N/A";
    case 1:
    case 5:
      return "Gateway succeed, \tPrimareDNS Failed, \tPublicDNS Failed";
    case 2:
      return "Gateway succeed, \tPrimareDNS Failed, \tPublicDNS succeed";
    case 3:
    case 6:
      return "Gateway succeed, \tPrimareDNS succeed, PublicDNS Failed";
    default:
      return "Gateway succeed, \tPrimareDNS succeed, PublicDNS succeed";
  }
}

}  // namespace

Tform_ConnectionTest* form_ConnectionTest = nullptr;

Tform_ConnectionTest::~Tform_ConnectionTest() {
  if (form_ConnectionTest == this) form_ConnectionTest = nullptr;
}

Tform_ConnectionTest::Tform_ConnectionTest(TComponent* owner) : TForm(owner) {
  THandlerTable handlers;
  handlers.Add("FormCreate", this, &Tform_ConnectionTest::FormCreate);
  handlers.Add("img_formBGMouseDown", this, &Tform_ConnectionTest::img_formBGMouseDown);
  handlers.Add("timer_CheckConnectionTimer", this, &Tform_ConnectionTest::timer_CheckConnectionTimer);
  const auto layout = FindEmbeddedFile(kLayoutFile);
  if (!layout) throw ELayoutError(std::string(kLayoutFile) + " is not embedded");
  LoadLayout(*this, *layout, kLayoutFile, handlers, ResourcePictures(kPicturesFolder));
  img_formBG = BindComponent<TImage>(*this, "img_formBG");
  lab_TestStatus = BindComponent<TLabel>(*this, "lab_TestStatus");
  lab_Title = BindComponent<TLabel>(*this, "lab_Title");
  timer_CheckConnection = BindComponent<TTimer>(*this, "timer_CheckConnection");
  OnCloseQuery = [this](TObject* sender, bool& can_close) { FormCloseQuery(sender, can_close); };
}

void Tform_ConnectionTest::FormCloseQuery(TObject*, bool& CanClose) {
  CanClose = !timer_CheckConnection->Enabled() && !testing_;
}

void Tform_ConnectionTest::FormCreate(TObject*) {
  SetBounds(Left(), Top(), kWindowWidth, kWindowHeight);
  SetWindowRegion(TWindowRegion{0, 0, kWindowWidth, kWindowHeight, kCornerEllipse, kCornerEllipse});
  Invalidate();
}

void Tform_ConnectionTest::img_formBGMouseDown(TObject*, TMouseButton, TShiftState, int, int) { StartMoveByCaption(); }

bool Tform_ConnectionTest::RunPing(const AnsiString& path, const AnsiString& host) {
  if (path.empty()) return false;
  // The host becomes part of a command line: nothing but an address may reach it (no blank, no
  // redirection, no option).
  if (!IsDottedIpv4(host.bytes())) {
    LogDebug("Tform_ConnectionTest::RunPing- not an address: " + host.bytes());
    return false;
  }
  if (!platform::DeleteFile(path.c_str()) && platform::GetLastError() != platform::ERROR_FILE_NOT_FOUND) {
    LogDebug("Tform_ConnectionTest::RunPing- cannot delete " + path.bytes());
    return false;
  }
  // A folder with a blank would split the redirection target at the blank.
  const bool blank = path.bytes().find(' ') != std::string::npos;
  const AnsiString target = blank ? AnsiString("\"") + path + AnsiString("\"") : path;
  const AnsiString command = AnsiString("cmd.exe /c ping ") + host + AnsiString(" > ") + target;
  platform::WinExec(command.c_str(), platform::SW_HIDE);
  return true;
}

int Tform_ConnectionTest::PingOutputHasTTL(const AnsiString& path) {
  std::FILE* file = platform::OpenFile(path.c_str(), "rt");
  if (!file) return 0;
  char piece[512];
  int found = 0;
  while (!found && std::fgets(piece, sizeof piece, file)) found = std::strstr(piece, "TTL=") != nullptr;
  std::fclose(file);
  return found;
}

bool Tform_ConnectionTest::TestTarget(const AnsiString& host, const AnsiString& line, const AnsiString& path) {
  if (host == kNoHost) return true;
  lab_TestStatus->SetCaption(platform::FromAnsi(line + AnsiString(" ") + host));
  if (!RunPing(path, host)) return false;
  for (int check = 0; check < kChecksPerTarget; ++check) {
    if (PingOutputHasTTL(path)) return true;
    Application->ProcessMessages();
    platform::Sleep(kCheckPauseMs);
    lab_TestStatus->SetCaption(lab_TestStatus->Caption() + ".");
  }
  return false;
}

void Tform_ConnectionTest::timer_CheckConnectionTimer(TObject*) {
  timer_CheckConnection->SetEnabled(false);
  struct Testing {
    bool& flag;
    explicit Testing(bool& f) : flag(f) { flag = true; }
    ~Testing() { flag = false; }
  };
  std::optional<Testing> testing(std::in_place, testing_);
  gatewayReachable = primaryDnsReachable = publicDnsReachable = 0;
  if (!slots_.test || !slots_.gateway || !slots_.primaryDns || !slots_.publicDns) {
    // A wiring fault of the program: the window closes rather than stay open with nothing to do.
    ConnectionTestResult = 0;
    testing.reset();
    Close();
    throw platform::Exception("Tform_ConnectionTest: the text slots of the test were not given");
  }
  // The progress line of a target: the slot texts formatted with "%s %s %s", the host last.
  const AnsiString test = *slots_.test + AnsiString(" ");
  const AnsiString gatewayLine = test + *slots_.gateway;
  const AnsiString primaryDnsLine = test + *slots_.primaryDns;
  const AnsiString publicDnsLine = test + *slots_.publicDns;
  char folder[512] = {};
  const platform::DWORD length = platform::GetTempPathA(sizeof folder, folder);
  // Without a temporary folder of its own the test has nowhere safe for its files: every
  // target it would ping fails.
  const bool have_folder = length > 0 && length < sizeof folder;
  const AnsiString temp(folder);
  auto file = [&](const char* name) { return have_folder ? temp + AnsiString(name) : AnsiString(); };

  gatewayReachable = TestTarget(gatewayHost, gatewayLine, file("pingGateway.txt"));
  if (gatewayReachable) {
    primaryDnsReachable = TestTarget(primaryDnsHost, primaryDnsLine, file("pingPrimaryDNS.txt"));
    publicDnsReachable = TestTarget(AnsiString("8.8.8.8"), publicDnsLine, file("pingPublicDNS1.txt"));
    if (!publicDnsReachable) {
      publicDnsReachable = TestTarget(AnsiString("208.67.222.222"), publicDnsLine, file("pingPublicDNS2.txt"));
    }
  }
  ConnectionTestResult = ResultCode(gatewayHost != kNoHost, gatewayReachable, primaryDnsHost != kNoHost,
                                    primaryDnsReachable, publicDnsReachable);
  LogDebug(OutcomeTrace(ConnectionTestResult));
  testing.reset();
  Close();
}
