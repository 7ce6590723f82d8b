#pragma once

#include <cstdint>

#include "platform/ansi.h"
#include "toolkit/form.h"

class TImage;
class TLabel;
class TTimer;

// The texts of the language that the window's progress lines are made of: the program's text
// slots, read at each test (the language loader may fill them after the window exists).
struct ConnectionTestTextSlots {
  const platform::AnsiString* test = nullptr;        // "Test"
  const platform::AnsiString* gateway = nullptr;     // "Default Gateway: "
  const platform::AnsiString* primaryDns = nullptr;  // "Primary NDS: "
  const platform::AnsiString* publicDns = nullptr;   // "Public DNS: "
};

// The reachability test before fixed network settings are applied: a small modal window that
// pings the default gateway, the primary DNS server and the public DNS servers 8.8.8.8 and
// 208.67.222.222 with the system's ping, watches each ping's output file for a reply line
// ("TTL="), leaves the outcome in ConnectionTestResult and closes itself.
//
// ConnectionTestResult, where a target passes when it answered or was not given ("..."):
//   0 the gateway failed (nothing else tested)
//   1 the gateway was given and answered; the primary DNS and the public DNS failed
//   2 the gateway passes, the primary DNS failed, the public DNS passes
//   3 the gateway passes, the primary DNS was given and answered, the public DNS failed
//   4 everything passes
//   5 no gateway given; the primary DNS and the public DNS failed
//   6 the gateway passes, no primary DNS given, the public DNS failed
class Tform_ConnectionTest : public TForm {
 public:
  explicit Tform_ConnectionTest(TComponent* owner);
  ~Tform_ConnectionTest() override;
  std::string ClassName() const override { return "Tform_ConnectionTest"; }

  TImage* img_formBG = nullptr;
  TLabel* lab_TestStatus = nullptr;
  TLabel* lab_Title = nullptr;
  TTimer* timer_CheckConnection = nullptr;

  void FormCreate(TObject* Sender);
  // The window closes itself once the test has its outcome. Before that (the timer still to fire,
  // the pings running) it refuses: the page flow would read an outcome not made yet while the
  // test ran on behind it.
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void img_formBGMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void timer_CheckConnectionTimer(TObject* Sender);

  // Deletes the file, then starts "cmd.exe /c ping <host> > <path>" hidden and returns at once.
  // False, with nothing started or deleted, when the host is not a dotted IPv4 address (any
  // other text would become part of the command line) or no path is given; false, with nothing
  // started, when an old file is there and cannot be deleted: what it holds would be read as
  // this ping's answer.
  bool RunPing(const platform::AnsiString& path, const platform::AnsiString& host);
  // 1 as soon as a line of the file (a piece of at most 511 characters) holds "TTL=", else 0
  // (also when the file cannot be opened).
  int PingOutputHasTTL(const platform::AnsiString& path);

  // Given by the program before the first test; a test without them closes the window and raises
  // platform::Exception.
  void SetTextSlots(const ConnectionTestTextSlots& slots) { slots_ = slots; }

 private:
  // Pings one target and watches its file; `line` is the progress line before the host.
  bool TestTarget(const platform::AnsiString& host, const platform::AnsiString& line, const platform::AnsiString& path);

  bool testing_ = false;
  uint8_t gatewayReachable = 0;
  uint8_t primaryDnsReachable = 0;
  uint8_t publicDnsReachable = 0;

 public:
  // Set by the page flow before each showing; "..." means no host given.
  platform::AnsiString gatewayHost;
  platform::AnsiString primaryDnsHost;
  // Read by the page flow after the window has closed.
  int32_t ConnectionTestResult = 0;

 private:
  ConnectionTestTextSlots slots_;
};

extern Tform_ConnectionTest* form_ConnectionTest;
