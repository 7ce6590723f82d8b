#include "platform/host/spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <mutex>

#include "platform/host_processes.h"
#include "platform/thread.h"

extern char** environ;

namespace platform {
namespace {

struct Background {
  Thread thread;
  std::shared_ptr<std::atomic<bool>> done;
};

std::mutex g_mutex;

// Never destroyed: threads still running when the process ends go with it.
std::vector<Background>& Threads() {
  static auto* threads = new std::vector<Background>;
  return *threads;
}

}  // namespace

SpawnedProgram Spawn(const std::vector<std::string>& argv, bool capture) {
  SpawnedProgram program;
  int out[2] = {-1, -1}, err[2] = {-1, -1};
  if (capture && (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)) {
    program.error = errno;
    for (int fd : {out[0], out[1], err[0], err[1]}) {
      if (fd >= 0) close(fd);
    }
    return program;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (capture) {
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  }
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGCHLD}) sigaddset(&defaults, s);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  program.error = posix_spawnp(&program.pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (capture) {
    close(out[1]);
    close(err[1]);
    program.out = out[0];
    program.err = err[0];
  }
  if (program.error != 0) {
    program.pid = -1;
    if (capture) {
      close(program.out);
      close(program.err);
      program.out = program.err = -1;
    }
  }
  return program;
}

void RunInBackground(const std::string& name, std::function<void()> body) {
  auto done = std::make_shared<std::atomic<bool>>(false);
  Thread thread(name, [body = std::move(body), done]() mutable {
    body();
    body = nullptr;  // the program's output file is closed before it counts as done
    done->store(true);
  });
  std::lock_guard<std::mutex> lock(g_mutex);
  std::vector<Background>& threads = Threads();
  std::erase_if(threads, [](Background& b) {
    if (!b.done->load()) return false;
    b.thread.Join();
    return true;
  });
  threads.push_back({std::move(thread), std::move(done)});
}

void WaitForHostPrograms() {
  std::vector<Background> threads;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    threads.swap(Threads());
  }
  for (Background& b : threads) b.thread.Join();
}

}  // namespace platform
