// The reachability test as a wizard of another user runs it, for the host tests of the
// temporary folder: on the virtual clock against the simulated ping, with its files where the
// platform puts them for the user who runs this program. Arguments: the gateway, the primary
// DNS, then "answer=<address>" for every host that answers and "temp=<folder>" for a temporary
// folder given instead of the user's own. Prints the folder the files went to
// ("folder <path>"), the result and the number of pings ("result <code> pings <n>").
#include <cstdio>
#include <string>
#include <vector>

#include "client/form_connection_test.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/virtual_clock.h"
#include "sim/world.h"
#include "toolkit/application.h"
#include "toolkit/std_controls.h"
#include "toolkit/timer.h"
#include "wizard/forms/forms.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  RegisterWizardForms();
  platform::ScopedVirtualClock clock;
  sim::World world;
  world.pc().AddInterface("lan", sim::Ipv4Of("192.168.1.100"), sim::Ipv4Of("255.255.255.0"), "eth0");
  for (int i = 3; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.starts_with("answer=")) world.processes().AnswerPings(sim::Ipv4Of(argument.substr(7)), {0, 64});
    if (argument.starts_with("temp=")) world.drives().SetTempFolder(argument.substr(5));
  }
  world.Install();
  {
    TApplication app;
    TForm* main = nullptr;
    Tform_ConnectionTest* form = nullptr;
    app.CreateForm(main);
    app.CreateForm(form);
    const platform::AnsiString test("Test"), gateway("Default Gateway: "), dns("Primary NDS: "),
        public_dns("Public DNS: ");
    form->SetTextSlots({&test, &gateway, &dns, &public_dns});
    char folder[512] = {};
    platform::GetTempPathA(sizeof folder, folder);
    std::printf("folder %s\n", folder);
    form->gatewayHost = platform::AnsiString(argv[1]);
    form->primaryDnsHost = platform::AnsiString(argv[2]);
    form->timer_CheckConnection->SetEnabled(true);
    form->ShowModal();
    std::printf("result %d pings %zu\n", form->ConnectionTestResult, world.processes().Pings().size());
    platform::Sleep(20000);  // the last pings end
  }
  return 0;
}
