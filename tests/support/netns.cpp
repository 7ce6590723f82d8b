#include "netns.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

extern char** environ;

namespace netns {
namespace {

std::vector<char*> Argv(const std::vector<std::string>& argv) {
  std::vector<char*> out;
  for (const std::string& a : argv) out.push_back(const_cast<char*>(a.c_str()));
  out.push_back(nullptr);
  return out;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& out, const std::string& err) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  std::vector<char*> args = Argv(argv);
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int Status(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

}  // namespace

int Run(const std::vector<std::string>& argv) {
  const pid_t pid = Spawn(argv, "/dev/null", "/dev/null");
  if (pid < 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return Status(status);
}

Process::Process(const std::vector<std::string>& argv, const std::string& stdout_file, const std::string& stderr_file)
    : pid_(Spawn(argv, stdout_file, stderr_file)) {}

Process::~Process() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

void Process::Signal(int signal) {
  if (pid_ > 0) kill(pid_, signal);
}

int Process::Wait(int timeout_ms) {
  if (pid_ <= 0) return -1;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return Status(status);
    }
    if (std::chrono::steady_clock::now() > until) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

namespace {

bool In(const std::string& ns, std::vector<std::string> cmd) {
  std::vector<std::string> argv = {"ip", "-n", ns};
  argv.insert(argv.end(), cmd.begin(), cmd.end());
  return Run(argv) == 0;
}

// "eth" and 1 give "eth1".
std::string Numbered(const char* stem, int number) { return std::string(stem).append(std::to_string(number)); }

// The broadcast address of the /24 that holds `address`.
std::string Broadcast24(const std::string& address) { return address.substr(0, address.rfind('.')) + ".255"; }

}  // namespace

bool TestNetwork::Plug(const std::string& name, bool create, const std::string& bridge, int interface,
                       const std::string& address, bool default_route) {
  const std::string port = Numbered("p", ports_++);
  const std::string device = Numbered("eth", interface);
  return (!create || Run({"ip", "netns", "add", name}) == 0) &&
         In(switch_, {"link", "add", port, "type", "veth", "peer", "name", device, "netns", name}) &&
         In(switch_, {"link", "set", port, "master", bridge, "up"}) &&
         In(name, {"addr", "add", address + "/24", "broadcast", Broadcast24(address), "dev", device}) &&
         In(name, {"link", "set", device, "up"}) && In(name, {"link", "set", "lo", "up"}) &&
         (!default_route || In(name, {"route", "add", "default", "dev", device}));
}

std::unique_ptr<TestNetwork> TestNetwork::Create(int boxes, std::string* why_not) {
  if (geteuid() != 0) {
    *why_not = "network namespaces need root";
    return nullptr;
  }
  static std::atomic<int> counter{0};
  std::unique_ptr<TestNetwork> net(new TestNetwork());
  net->stem_ = "orvo" + std::to_string(getpid()) + "n" + std::to_string(counter++);
  net->switch_ = net->stem_ + "sw";
  if (Run({"ip", "netns", "add", net->switch_}) != 0) {
    *why_not = "'ip netns add' failed: network namespaces cannot be made here";
    return nullptr;
  }
  bool ok =
      In(net->switch_, {"link", "add", "br0", "type", "bridge"}) && In(net->switch_, {"link", "set", "br0", "up"});
  for (int i = 0; i <= boxes && ok; ++i) {
    const std::string name = net->stem_ + (i == 0 ? "pc" : Numbered("b", i));
    net->names_.push_back(name);
    const std::string address = i == 0 ? PcAddress() : BoxAddress(i - 1);
    if (i > 0) net->addresses_.push_back(address);
    ok = net->Plug(name, true, "br0", 0, address, true);
  }
  if (!ok) {
    *why_not = "the test network could not be set up with 'ip'";
    return nullptr;
  }
  net->temp_dir_ = (std::filesystem::temp_directory_path() / net->stem_).string();
  std::filesystem::create_directories(net->temp_dir_);
  return net;
}

int TestNetwork::AddSubnet(int boxes) {
  const int subnet = subnets_++;
  const std::string bridge = "br" + std::to_string(subnet);
  if (!In(switch_, {"link", "add", bridge, "type", "bridge"}) || !In(switch_, {"link", "set", bridge, "up"}) ||
      !Plug(pc(), false, bridge, subnet, SubnetAddress(subnet, 1), false)) {
    return -1;
  }
  const int first = static_cast<int>(addresses_.size());
  for (int i = 0; i < boxes; ++i) {
    const std::string name = stem_ + "b" + std::to_string(names_.size());
    names_.push_back(name);
    addresses_.push_back(SubnetAddress(subnet, i + 2));
    if (!Plug(name, true, bridge, 0, addresses_.back(), true)) return -1;
  }
  return first;
}

TestNetwork::~TestNetwork() {
  for (const std::string& n : names_) Run({"ip", "netns", "del", n});
  Run({"ip", "netns", "del", switch_});
  if (!temp_dir_.empty()) std::filesystem::remove_all(temp_dir_);
}

bool TestNetwork::AddBoxAddress(int i, const std::string& address) {
  return In(box(i), {"addr", "add", address + "/24", "broadcast", Broadcast24(address), "dev", "eth0"});
}

std::string TestNetwork::TempFile(const std::string& name) const { return temp_dir_ + "/" + name; }

EnterNamespace::EnterNamespace(const std::string& name) {
  original_ = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
  const int target = open(("/var/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
  ok_ = original_ >= 0 && target >= 0 && setns(target, CLONE_NEWNET) == 0;
  if (target >= 0) close(target);
}

EnterNamespace::~EnterNamespace() {
  if (original_ >= 0) {
    setns(original_, CLONE_NEWNET);
    close(original_);
  }
}

}  // namespace netns
