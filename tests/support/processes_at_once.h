#pragma once

// Test harness only: runs code in child processes of the test, started together, for what two
// programs do at once (two writers of one file) or what a process leaves when it dies.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <vector>

// Runs body(0) to body(count - 1), each in a child process of its own; the children wait until
// all of them are there and then start together. Each child ends with what its body returns
// (a body may also end the process itself). The exit codes, in order; -1 for a child that did
// not exit (killed by a signal), or when it could not be made.
inline std::vector<int> InProcessesAtOnce(size_t count, const std::function<int(size_t)>& body) {
  int go[2];
  if (::pipe(go) != 0) return std::vector<int>(count, -1);
  std::vector<pid_t> children;
  for (size_t i = 0; i < count; ++i) {
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(go[1]);
      char start;
      // The parent's end closes once every child is there.
      while (::read(go[0], &start, 1) > 0) {
      }
      std::_Exit(body(i));
    }
    children.push_back(child);
  }
  ::close(go[0]);
  ::close(go[1]);
  std::vector<int> codes;
  for (const pid_t child : children) {
    int status = 0;
    const bool exited = child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status);
    codes.push_back(exited ? WEXITSTATUS(status) : -1);
  }
  return codes;
}
