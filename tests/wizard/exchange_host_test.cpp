// The login against a box on the host's own sockets that drips its reply one byte every 200 ms:
// the exchange ends at its bound, and the login goes on as after any failed probe.
#include <optional>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "platform/clock.h"
#include "wizard/dialogs/login_dialog.h"
#include "wizard/dialogs/message_box.h"

namespace {

using ExchangeHostTest = WizardHostTest;

TEST_F(ExchangeHostTest, ADrippedProbeReplyEndsAtTheBoundAndTheLoginDialogAsksForThePassword) {
  StartBoxes(0, {"10.77.0.2"}, {"--fault", "tcp=drip", "--fault", "chunk-gap=200"});
  StartWizard({"10.77.0.2"});
  form_Main->Show();
  WaitForRoundEnd();
  ASSERT_EQ(ListedAddresses(), std::set<std::string>{"10.77.0.2"}) << BoxErrors();

  std::optional<uint64_t> dialog_at;
  std::vector<std::string> messages;
  const TNotifyEvent login_shown = form_UsernamePassValid->OnShow;
  form_UsernamePassValid->OnShow = [&](TObject* sender) {
    if (login_shown) login_shown(sender);
    Application->Post([&] {
      dialog_at = platform::CurrentClock().NowMs();
      form_UsernamePassValid->btn_CancelClick(form_UsernamePassValid);
    });
  };
  const TNotifyEvent message_shown = form_MessageBox->OnShow;
  form_MessageBox->OnShow = [&](TObject* sender) {
    if (message_shown) message_shown(sender);
    Application->Post([&] {
      messages.push_back(form_MessageBox->lab_Message->Caption());
      form_MessageBox->lab_btnOKClick(form_MessageBox);
    });
  };

  const uint64_t start = platform::CurrentClock().NowMs();
  form_Main->btn_NextClick(form_Main->btn_Next);
  const uint64_t took = platform::CurrentClock().NowMs() - start;

  EXPECT_TRUE(messages.empty()) << messages.front();
  ASSERT_TRUE(dialog_at.has_value()) << "the login dialog was not shown";
  // 15 s from the first wait for the reply; connecting on the namespaces' bridge takes next to
  // nothing, and the box would need 102 s for its 512 bytes.
  EXPECT_GE(*dialog_at - start, kTcpReplyTimeoutMs);
  EXPECT_LT(*dialog_at - start, kTcpReplyTimeoutMs + 3000);
  EXPECT_LT(took, kTcpReplyTimeoutMs + 3000);
  EXPECT_EQ(form_Main->iGetNASInfoResult.load(), 1);
  EXPECT_EQ(g_sockfd.load(), platform::INVALID_SOCKET) << "the handle is free";
  EXPECT_EQ(form_Main->PageControl1->ActivePage(), form_Main->tab_NASList);
  EXPECT_TRUE(form_Main->btn_Next->Enabled());
  // The box was asked once: the probe, with the empty password of a first attempt.
  const std::string log = BoxLog(0);
  EXPECT_NE(log.find(R"("transport":"tcp")"), std::string::npos) << log;
  EXPECT_EQ(log.find(R"("transport":"tcp")"), log.rfind(R"("transport":"tcp")")) << log;
}

}  // namespace
