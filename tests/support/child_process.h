#pragma once

// Test harness only: starts helper programs (a second instance, the X server of the gui tests)
// with pipes to their standard input and output.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& argv) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const int error = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
    if (error != 0) {
      pid_ = -1;
      throw std::runtime_error("cannot start " + argv[0]);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      Wait();
    }
    CloseStdin();
    if (stdout_ >= 0) close(stdout_);
  }

  // The next line the child writes, or nothing when it writes none in time.
  std::optional<std::string> ReadLine(int timeout_ms = 5000) {
    for (;;) {
      const size_t end = buffer_.find('\n');
      if (end != std::string::npos) {
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return line;
      }
      pollfd p{stdout_, POLLIN, 0};
      if (poll(&p, 1, timeout_ms) <= 0) return std::nullopt;
      char chunk[256];
      const ssize_t n = read(stdout_, chunk, sizeof chunk);
      if (n <= 0) return std::nullopt;
      buffer_.append(chunk, static_cast<size_t>(n));
    }
  }
  void CloseStdin() {
    if (stdin_ >= 0) close(stdin_);
    stdin_ = -1;
  }
  void Terminate() {
    if (pid_ > 0) kill(pid_, SIGTERM);
  }
  // The exit status (-1 when killed by a signal).
  int Wait() {
    if (pid_ <= 0) return exit_status_;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    exit_status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return exit_status_;
  }

 private:
  pid_t pid_ = -1;
  int stdin_ = -1;
  int stdout_ = -1;
  int exit_status_ = -1;
  std::string buffer_;
};
