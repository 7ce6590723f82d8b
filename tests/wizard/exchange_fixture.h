#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "forwarding_sockets.h"
#include "platform/sockets.h"
#include "sim/lan.h"
#include "wizard_fixture.h"

// The wizard's exchanges with a box (login, settings, disk commands, the apply sequence and the
// login dialog) on the simulated LAN, with what the PC sent and every trace recorded with its time.

// One send of the PC: a datagram, or one piece of a TCP stream.
struct SentPacket {
  uint64_t time_ms;
  bool udp;
  std::string to;  // the peer's dotted address
  std::vector<uint8_t> bytes;
};

// The PC's sockets with a record of every send; each call is handed on to the world's sockets.
class RecordingSockets final : public ForwardingSockets {
 public:
  std::vector<SentPacket> Sent();

  int Connect(platform::SOCKET s, const platform::SOCKADDR_IN& peer) override;
  int Send(platform::SOCKET s, const char* data, int length) override;
  int SendTo(platform::SOCKET s, const char* data, int length, const platform::SOCKADDR_IN& to) override;

 private:
  void Record(bool udp, const std::string& to, const char* data, int length);

  std::mutex mutex_;
  std::vector<SentPacket> sent_;
  std::unordered_map<platform::SOCKET, std::string> peers_;  // TCP sockets and where they connect
};

struct TimedTrace {
  uint64_t time_ms;
  std::string text;
  bool main_thread;
};

// Built before the fixture and gone after it: the windows close their sockets and trace on their
// way out, and the fixture's clock has waited for every other thread by then.
struct Recorders {
  RecordingSockets recorder_;
  std::mutex traces_mutex_;
  std::vector<TimedTrace> timed_traces_;
};

// A host on the PC's wire that answers every disk command on UDP 9999 with the text the test sets,
// in as many copies as it asks.
class ScriptedDiskPeer : public sim::UdpEndpoint {
 public:
  ScriptedDiskPeer(sim::Lan& lan, sim::Host& host) : lan_(lan), host_(host) {}
  void Answer(const std::string& text, int copies = 1);
  // Sends a disk-command reply with `text` to the PC's UDP port unasked.
  void Push(const std::string& text);
  void Deliver(const sim::Datagram& datagram) override;
  // A disk-command reply with `text`.
  static std::vector<uint8_t> Reply(const std::string& text);

 private:
  sim::Lan& lan_;
  sim::Host& host_;
  std::mutex mutex_;
  std::string text_ = "OK";
  int copies_ = 1;
};

class ExchangeTest : protected Recorders, public WizardTest {
 protected:
  explicit ExchangeTest(platform::VirtualClock::Options clock_options = {});

  static constexpr const char* kBoxIp = "192.168.1.20";

  // The box of the test (at kBoxIp unless its config says otherwise).
  sim::BoxNode& AddTheBox(sim::BoxConfig config = {});
  sim::BoxNode& box() { return *box_; }
  void SetFaults(const std::function<void(sim::BoxFaults&)>& change);

  // Shows the main window and waits for the first discovery round, which selects the first row.
  void StartAndFindTheBox();
  // Lists the box as the selected device row without a discovery round.
  void ListTheBox(const std::string& ip = kBoxIp);
  // A login attempt as the device page makes it (user "admin") with the given password.
  int32_t LogIn(const std::string& password = "");
  // Runs one disk command as its callers do and waits until it is answered or timed out; the
  // state it ended with.
  int32_t RunDiskCommand(int32_t type);

  // The box's TCP replies pass through `change` before they leave.
  void ChangeTcpReplies(std::function<void(std::vector<uint8_t>&)> change);
  // A host at `ip` that answers disk commands with scripted texts.
  std::shared_ptr<ScriptedDiskPeer> AddScriptedPeer(const std::string& ip);

  std::vector<SentPacket> Sent() { return recorder_.Sent(); }
  // The datagrams sent to the box's UDP port since `from_ms`, as (time, command text).
  std::vector<std::pair<uint64_t, std::string>> DiskCommandsSent(uint64_t from_ms = 0);
  // The box's own record of the disk commands it was asked, in order.
  std::vector<sim::BoxRequest> BoxDiskCommands();
  static std::string CommandOf(const sim::BoxRequest& request);

  std::vector<TimedTrace> AllTraces();
  // The time of the first trace with exactly this text from `from_ms` on.
  std::optional<uint64_t> TraceTime(const std::string& text, uint64_t from_ms = 0);
  int TraceCount(const std::string& text);

  sim::BoxNode* box_ = nullptr;
};
