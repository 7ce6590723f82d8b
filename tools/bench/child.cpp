#include "child.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace {

std::vector<char*> Pointers(const std::vector<std::string>& texts) {
  std::vector<char*> out;
  for (const std::string& t : texts) out.push_back(const_cast<char*>(t.c_str()));
  out.push_back(nullptr);
  return out;
}

}  // namespace

void SleepMs(int ms) {
  timespec t{ms / 1000, (ms % 1000) * 1'000'000L};
  while (nanosleep(&t, &t) != 0 && errno == EINTR) {
  }
}

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  for (const std::string& setting : environment) {
    const std::string name = setting.substr(0, setting.find('=') + 1);
    std::erase_if(env, [&](const std::string& e) { return e.compare(0, name.size(), name) == 0; });
    env.push_back(setting);
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args = Pointers(argv), envp = Pointers(env);
  const int error = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(error));
}

Child::~Child() {
  kill(pid_, SIGTERM);
  for (int waited = 0; waited < 2000; waited += 10) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) return;
    SleepMs(10);
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

uint64_t Child::ResidentBytes() const {
  std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stoull(line.substr(6)) * 1024;
  }
  return 0;
}

uint64_t Child::CpuNs() const {
  // utime and stime, the 14th and 15th fields, count the threads that ended too.
  std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const size_t after_name = text.rfind(')');
  if (after_name == std::string::npos) return 0;
  std::istringstream fields(text.substr(after_name + 2));
  std::string field;
  uint64_t ticks = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i >= 14) ticks += std::stoull(field);
  }
  return ticks * (1'000'000'000ull / static_cast<uint64_t>(sysconf(_SC_CLK_TCK)));
}
