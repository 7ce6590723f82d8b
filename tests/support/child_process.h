#pragma once

// Test harness only: starts helper programs (a second instance, the X server of the gui tests)
// with pipes to their standard input and output.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

class ChildProcess {
 public:
  // `quiet`: the child's error output goes nowhere.
  explicit ChildProcess(const std::vector<std::string>& argv, bool quiet = false) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      // The child dies with the test, so no helper outlives a test that was killed.
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      dup2(in[0], 0);
      dup2(out[1], 1);
      if (quiet) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
      }
      execvp(args[0], args.data());
      const char failed = 1;
      [[maybe_unused]] const ssize_t n = write(ready[1], &failed, 1);
      _exit(127);
    }
    close(ready[1]);
    close(in[0]);
    close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
    char failed = 0;
    const bool exec_failed = pid_ < 0 || read(ready[0], &failed, 1) == 1;
    close(ready[0]);
    if (exec_failed) {
      if (pid_ > 0) Wait();
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
