#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

// Host-test support: network namespaces joined by veth pairs on a bridge, and child processes.
// Test infrastructure only, never linked into the program; it calls the OS directly.
namespace netns {

// Runs a program to its end; its exit status, or -1 when it could not be started.
int Run(const std::vector<std::string>& argv);

// A started child process; stdout and stderr go to files.
class Process {
 public:
  Process(const std::vector<std::string>& argv, const std::string& stdout_file, const std::string& stderr_file);
  ~Process();  // kills it if still running
  void Signal(int signal);
  // Waits up to `timeout_ms` for the end; the exit status, or -1 (still running or killed).
  int Wait(int timeout_ms);
  // Whether it has ended (or never started).
  bool Ended();

 private:
  pid_t pid_ = -1;
  int exit_status_ = -1;
};

// The PC in one namespace, each box in its own, all on one bridge in a third, with addresses
// 10.77.0.1 (PC), 10.77.0.2, 10.77.0.3 ... /24. Names are unique per run; the destructor
// deletes the namespaces (and with them every link).
class TestNetwork {
 public:
  // nullptr, with the reason in `why_not`, where namespaces cannot be made.
  static std::unique_ptr<TestNetwork> Create(int boxes, std::string* why_not);
  ~TestNetwork();

  const std::string& pc() const { return names_[0]; }
  const std::string& box(int i) const { return names_[static_cast<size_t>(i) + 1]; }
  static std::string PcAddress() { return "10.77.0.1"; }
  static std::string BoxAddress(int i) { return "10.77.0." + std::to_string(i + 2); }
  std::string TempFile(const std::string& name) const;
  // Gives box i one more address on its interface (a /24, like its first one).
  bool AddBoxAddress(int i, const std::string& address);
  // Sends box i's default route through `gateway` instead of straight out of its interface.
  bool SetBoxGateway(int i, const std::string& gateway);
  // A further subnet 10.<77 + n>.0.0/24 (n = 1, 2 ...) on a bridge of its own: the PC gets
  // interface eth<n> at .1 and `boxes` new box namespaces get .2, .3 ...; they follow the
  // earlier boxes in box(i). The PC's default route stays on eth0. Returns the index of the first
  // new box, or -1 when it could not be set up.
  int AddSubnet(int boxes);
  // The first address of box i, whichever subnet it is on.
  const std::string& AddressOf(int i) const { return addresses_[static_cast<size_t>(i)]; }
  static std::string SubnetAddress(int subnet, int host) {
    return "10." + std::to_string(77 + subnet) + ".0." + std::to_string(host);
  }

 private:
  TestNetwork() = default;
  // Joins namespace `name` (made first when `create`) to `bridge` as eth<interface> at `address`/24.
  bool Plug(const std::string& name, bool create, const std::string& bridge, int interface, const std::string& address,
            bool default_route);
  std::string stem_;
  std::string switch_;
  std::vector<std::string> names_;
  std::vector<std::string> addresses_;  // of the boxes
  int subnets_ = 1;
  int ports_ = 0;
  std::string temp_dir_;
};

// Moves the calling thread into a namespace until the scope ends.
class EnterNamespace {
 public:
  explicit EnterNamespace(const std::string& name);
  ~EnterNamespace();
  bool ok() const { return ok_; }

 private:
  int original_ = -1;
  bool ok_ = false;
};

}  // namespace netns
