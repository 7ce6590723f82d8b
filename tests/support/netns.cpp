#include "netns.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

namespace netns {
namespace {

std::vector<char*> Argv(const std::vector<std::string>& argv) {
  std::vector<char*> out;
  for (const std::string& a : argv) out.push_back(const_cast<char*>(a.c_str()));
  out.push_back(nullptr);
  return out;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& out, const std::string& err) {
  std::vector<char*> args = Argv(argv);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    // The child dies with the test, so no helper outlives a test that was killed or crashed.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    const int out_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out_fd < 0 || err_fd < 0 || dup2(out_fd, 1) < 0 || dup2(err_fd, 2) < 0) _exit(127);
    execvp(args[0], args.data());
    _exit(127);
  }
  return pid;
}

int Status(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

// Every namespace and temp folder of a test process is named from this stem.
std::string Stem(pid_t pid) { return "orvo" + std::to_string(pid) + "n"; }

// A shell command that removes what a test process made: its namespaces and their temp folders.
// For a process that is gone it also ends whatever still runs in them; a dying test process
// itself (and the shell it starts) may be in one of them, and its helpers die with it anyway.
std::string RemovalCommand(pid_t pid, bool end_processes) {
  const std::string stem = Stem(pid);
  const std::string end = end_processes ? "for p in $(ip netns pids \"$n\"); do kill -9 \"$p\"; done; " : std::string();
  return "if cd /var/run/netns 2>/dev/null; then for n in " + stem + "*; do [ -e \"$n\" ] || continue; " + end +
         "ip netns del \"$n\"; done; fi; rm -rf '" + std::filesystem::temp_directory_path().string() + "/" + stem +
         "'*";
}

// A test process that dies without its destructors (a crash, an abort, a sanitizer's report)
// still removes its namespaces: the fatal signals and the sanitizers' death callback run the
// removal, prepared beforehand, through fork and exec only. Its helper processes die with it
// (PR_SET_PDEATHSIG).
pid_t g_owner = 0;
std::string g_removal;
struct sigaction g_previous[NSIG];
constexpr int kFatalSignals[] = {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTERM, SIGINT, SIGHUP};

void RemoveNow() {
  // A death test's child shares the handlers but not the namespaces.
  if (getpid() != g_owner) return;
  const pid_t child = fork();
  if (child == 0) {
    char* argv[] = {const_cast<char*>("/bin/sh"), const_cast<char*>("-c"), g_removal.data(), nullptr};
    execv("/bin/sh", argv);
    _exit(127);
  }
  if (child > 0) waitpid(child, nullptr, 0);
}

void OnFatalSignal(int signal) {
  RemoveNow();
  // The signal's own handling follows: a fault happens again on return, a sent signal is sent again.
  sigaction(signal, &g_previous[signal], nullptr);
  if (signal != SIGSEGV && signal != SIGBUS && signal != SIGFPE && signal != SIGILL) raise(signal);
}

}  // namespace

extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace {

// Once per test process: arms the removal, and removes what test processes that are gone left
// behind.
void PrepareRemoval() {
  static std::once_flag once;
  std::call_once(once, [] {
    g_owner = getpid();
    g_removal = RemovalCommand(g_owner, false);
    struct sigaction action {};
    action.sa_handler = OnFatalSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : kFatalSignals) sigaction(signal, &action, &g_previous[signal]);
    if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(RemoveNow);
    // What a test process killed outright (SIGKILL, a time-out) could not remove.
    std::set<pid_t> gone;
    for (const std::filesystem::path& folder :
         {std::filesystem::path("/var/run/netns"), std::filesystem::temp_directory_path()}) {
      std::error_code error;
      for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        const pid_t pid = name.rfind("orvo", 0) == 0 ? static_cast<pid_t>(std::atoi(name.c_str() + 4)) : 0;
        if (pid > 0 && name.rfind(Stem(pid), 0) == 0 && kill(pid, 0) != 0 && errno == ESRCH) gone.insert(pid);
      }
    }
    for (const pid_t pid : gone) Run({"/bin/sh", "-c", RemovalCommand(pid, true)});
  });
}

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

bool Process::Ended() {
  int status = 0;
  if (pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_) {
    pid_ = -1;
    exit_status_ = Status(status);
  }
  return pid_ <= 0;
}

int Process::Wait(int timeout_ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!Ended()) {
    if (std::chrono::steady_clock::now() > until) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return exit_status_;
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
  PrepareRemoval();
  static std::atomic<int> counter{0};
  std::unique_ptr<TestNetwork> net(new TestNetwork());
  net->stem_ = Stem(getpid()) + std::to_string(counter++);
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

bool TestNetwork::SetBoxGateway(int i, const std::string& gateway) {
  return In(box(i), {"route", "replace", "default", "via", gateway, "dev", "eth0"});
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
