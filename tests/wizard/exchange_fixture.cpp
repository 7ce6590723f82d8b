#include "exchange_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/disk_command.h"
#include "link/wire.h"
#include "platform/log_debug.h"
#include "platform/thread.h"
#include "sim/box_node.h"
#include "toolkit/timer.h"
#include "wizard/main_form.h"

// ---- RecordingSockets ----

std::vector<SentPacket> RecordingSockets::Sent() {
  std::lock_guard<std::mutex> lock(mutex_);
  return sent_;
}

void RecordingSockets::Record(bool udp, const std::string& to, const char* data, int length) {
  std::lock_guard<std::mutex> lock(mutex_);
  sent_.push_back(
      {platform::CurrentClock().NowMs(), udp, to, std::vector<uint8_t>(data, data + (length > 0 ? length : 0))});
}

platform::SOCKET RecordingSockets::Socket(int af, int type, int protocol) {
  return target_->Socket(af, type, protocol);
}
int RecordingSockets::SetOption(platform::SOCKET s, int level, int name, int value) {
  return target_->SetOption(s, level, name, value);
}
int RecordingSockets::Bind(platform::SOCKET s, const platform::SOCKADDR_IN& address) {
  return target_->Bind(s, address);
}
int RecordingSockets::Listen(platform::SOCKET s, int backlog) { return target_->Listen(s, backlog); }
platform::SOCKET RecordingSockets::Accept(platform::SOCKET s, platform::SOCKADDR_IN* peer) {
  return target_->Accept(s, peer);
}
int RecordingSockets::Connect(platform::SOCKET s, const platform::SOCKADDR_IN& peer) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    peers_[s] = platform::inet_ntoa(peer.sin_addr);
  }
  return target_->Connect(s, peer);
}
int RecordingSockets::Send(platform::SOCKET s, const char* data, int length) {
  std::string to;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    to = peers_[s];
  }
  Record(false, to, data, length);
  return target_->Send(s, data, length);
}
int RecordingSockets::Recv(platform::SOCKET s, char* buffer, int length) { return target_->Recv(s, buffer, length); }
int RecordingSockets::SendTo(platform::SOCKET s, const char* data, int length, const platform::SOCKADDR_IN& to) {
  Record(true, platform::inet_ntoa(to.sin_addr), data, length);
  return target_->SendTo(s, data, length, to);
}
int RecordingSockets::RecvFrom(platform::SOCKET s, char* buffer, int length, platform::SOCKADDR_IN* from) {
  return target_->RecvFrom(s, buffer, length, from);
}
int RecordingSockets::SelectReadable(platform::SOCKET s, std::optional<uint64_t> timeout_ms) {
  return target_->SelectReadable(s, timeout_ms);
}
int RecordingSockets::Close(platform::SOCKET s) { return target_->Close(s); }
int RecordingSockets::LocalAddress(platform::SOCKET s, platform::SOCKADDR_IN* local) {
  return target_->LocalAddress(s, local);
}

// ---- ScriptedDiskPeer ----

void ScriptedDiskPeer::Answer(const std::string& text, int copies) {
  std::lock_guard<std::mutex> lock(mutex_);
  text_ = text;
  copies_ = copies;
}

std::vector<uint8_t> ScriptedDiskPeer::Reply(const std::string& text) {
  std::vector<uint8_t> reply(kNasPacketSize, 0);
  reply[0] = kNasServiceId;
  reply[1] = kNasDirectionReply;
  WriteU16(&reply[2], NAS_OPCODE_DISK_COMMAND);
  WriteU16(&reply[disk_command::kReplyLength], static_cast<uint16_t>(text.size()));
  std::copy(text.begin(), text.end(), reply.begin() + disk_command::kReplyText);
  return reply;
}

void ScriptedDiskPeer::Push(const std::string& text) {
  lan_.SendDatagram(host_, 9999, sim::Ipv4Of("192.168.1.100"), 9999, Reply(text));
}

void ScriptedDiskPeer::Deliver(const sim::Datagram& datagram) {
  if (datagram.bytes.size() < 48 || datagram.bytes[1] != kNasDirectionRequest) return;
  std::vector<uint8_t> reply;
  int copies;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    reply = Reply(text_);
    copies = copies_;
  }
  for (int i = 0; i < copies; ++i) lan_.SendDatagram(host_, 9999, datagram.from, datagram.from_port, reply);
}

// ---- The box's TCP port with changed replies ----

namespace {

class ChangedTcpPort final : public sim::TcpListener {
 public:
  ChangedTcpPort(sim::BoxNode& node, std::function<void(std::vector<uint8_t>&)> change)
      : node_(node), change_(std::move(change)) {}

  Answer OnConnect() override { return Answer::kAccept; }

  std::shared_ptr<sim::TcpEnd> Accept(std::shared_ptr<sim::TcpConnection> connection, sim::Ipv4 peer,
                                      uint16_t port) override {
    auto end = std::make_shared<End>(*this, std::move(connection), sim::FormatIpv4(peer) + ":" + std::to_string(port));
    std::lock_guard<std::mutex> lock(mutex_);
    ends_.push_back(end);  // the LAN holds the ends weakly
    return end;
  }

 private:
  struct End final : sim::TcpEnd {
    End(ChangedTcpPort& p, std::shared_ptr<sim::TcpConnection> c, std::string from)
        : port(p), connection(std::move(c)), peer(std::move(from)) {}
    void OnBytes(const std::vector<uint8_t>& bytes) override {
      if (answered) return;
      request.insert(request.end(), bytes.begin(), bytes.end());
      if (request.size() < kNasPacketSize) return;
      answered = true;
      request.resize(kNasPacketSize);
      std::optional<std::vector<uint8_t>> reply;
      port.node_.WithBox(
          [&](sim::Box& box) { reply = box.HandleTcpRequest(request, platform::CurrentClock().NowMs(), peer); });
      if (!reply) return;
      port.change_(*reply);
      connection->Send(sim::TcpConnection::kServer, *reply);
      connection->Close(sim::TcpConnection::kServer);
    }
    void OnPeerClosed() override { connection->Close(sim::TcpConnection::kServer); }

    ChangedTcpPort& port;
    std::shared_ptr<sim::TcpConnection> connection;
    const std::string peer;
    std::vector<uint8_t> request;
    bool answered = false;
  };

  sim::BoxNode& node_;
  std::function<void(std::vector<uint8_t>&)> change_;
  std::mutex mutex_;
  std::vector<std::shared_ptr<End>> ends_;
};

}  // namespace

// ---- ExchangeTest ----

ExchangeTest::ExchangeTest(platform::VirtualClock::Options clock_options) : WizardTest(clock_options) {
  recorder_.HandTo(&world_.sockets());
  platform::InstallSockets(&recorder_);
  platform::SetTraceObserver([this](std::string_view text, bool) {
    if (getenv("ORVO_TEST_TRACE")) fprintf(stderr, "trace: %.*s\n", int(text.size()), text.data());
    const bool main = platform::IsMainThread();
    if (main) traces_.emplace_back(text);
    std::lock_guard<std::mutex> lock(traces_mutex_);
    timed_traces_.push_back({platform::CurrentClock().NowMs(), std::string(text), main});
  });
}

sim::BoxNode& ExchangeTest::AddTheBox(sim::BoxConfig config) {
  box_ = &AddBox(std::move(config));
  return *box_;
}

void ExchangeTest::SetFaults(const std::function<void(sim::BoxFaults&)>& change) {
  box_->WithBox([&](sim::Box& b) { change(b.faults()); });
}

void ExchangeTest::StartAndFindTheBox() {
  Start();
  WaitForRoundEnd();
  ASSERT_NE(form_Main->ListView1->Selected(), nullptr) << "the box was not found";
}

void ExchangeTest::ListTheBox(const std::string& ip) {
  TListItem* row = form_Main->ListView1->Add();
  row->SetCaption("NAS-220");
  row->SubItems().Add(ip);
  row->SubItems().Add("00:11:32:AB:CD:EF");
  form_Main->ListView1->SetItemIndex(form_Main->ListView1->Count() - 1);
}

int32_t ExchangeTest::LogIn(const std::string& password) {
  SelectedNasRecordType& record = form_Main->SelectedNasRecord;
  record.Clear();
  const std::string mac = form_Main->ListView1->Selected()->SubItems()[1];
  std::strncpy(record.DeviceIdentifierString.data(), mac.c_str(), record.DeviceIdentifierString.size() - 1);
  std::strncpy(record.userName.data(), "admin", record.userName.size() - 1);
  std::strncpy(record.adminPassword.data(), password.c_str(), record.adminPassword.size() - 1);
  return form_Main->GetNASInfo();
}

int32_t ExchangeTest::RunDiskCommand(int32_t type) {
  Tform_Main& f = *form_Main;
  f.g_RAIDCommandType.store(type);
  f.g_RAIDExecStatus.store(RAIDCMD_PROCEEDING);
  f.isDiscoveryMode_.store(0);
  f.SetRAIDCommand();
  RunUntil([&] {
    const int32_t s = f.g_RAIDExecStatus.load();
    return s == RAIDCMD_OK || s == RAIDCMD_ERROR;
  });
  return f.g_RAIDExecStatus.load();
}

void ExchangeTest::ChangeTcpReplies(std::function<void(std::vector<uint8_t>&)> change) {
  world_.lan().ListenTcp(box_->host(), sim::kBoxTcpPort, std::make_shared<ChangedTcpPort>(*box_, std::move(change)));
}

std::shared_ptr<ScriptedDiskPeer> ExchangeTest::AddScriptedPeer(const std::string& ip) {
  sim::Host& host = world_.lan().AddHost("scripted " + ip);
  host.AddInterface("lan", sim::Ipv4Of(ip), sim::Ipv4Of("255.255.255.0"));
  auto peer = std::make_shared<ScriptedDiskPeer>(world_.lan(), host);
  uint16_t port = 9999;
  world_.lan().BindUdp(host, port, peer);
  return peer;
}

std::vector<std::pair<uint64_t, std::string>> ExchangeTest::DiskCommandsSent(uint64_t from_ms) {
  std::vector<std::pair<uint64_t, std::string>> commands;
  for (const SentPacket& p : Sent()) {
    if (!p.udp || p.time_ms < from_ms || p.bytes.size() < 48 || ReadU16(&p.bytes[2]) != NAS_OPCODE_DISK_COMMAND) {
      continue;
    }
    const uint16_t length = ReadU16(&p.bytes[disk_command::kRequestLength]);
    commands.emplace_back(p.time_ms, std::string(p.bytes.begin() + 48, p.bytes.begin() + 48 + length));
  }
  return commands;
}

std::string ExchangeTest::CommandOf(const sim::BoxRequest& request) {
  for (const auto& [name, value] : request.fields) {
    if (name == "command") return value;
  }
  return {};
}

std::vector<sim::BoxRequest> ExchangeTest::BoxDiskCommands() {
  std::vector<sim::BoxRequest> commands;
  for (const sim::BoxRequest& r : box_->Requests()) {
    if (r.transport == "udp" && r.opcode == NAS_OPCODE_DISK_COMMAND) commands.push_back(r);
  }
  return commands;
}

std::vector<TimedTrace> ExchangeTest::AllTraces() {
  std::lock_guard<std::mutex> lock(traces_mutex_);
  return timed_traces_;
}

std::optional<uint64_t> ExchangeTest::TraceTime(const std::string& text, uint64_t from_ms) {
  for (const TimedTrace& t : AllTraces()) {
    if (t.time_ms >= from_ms && t.text == text) return t.time_ms;
  }
  return std::nullopt;
}

int ExchangeTest::TraceCount(const std::string& text) {
  int count = 0;
  for (const TimedTrace& t : AllTraces()) count += t.text == text ? 1 : 0;
  return count;
}
