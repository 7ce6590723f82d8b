#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace platform {

// A program started with an argument vector (found on PATH), its input from /dev/null, no
// descriptor of ours but the standard ones, default signal handling. With `capture` its output
// and errors come through pipes (`out`, `err`), else they go where ours go.
struct SpawnedProgram {
  pid_t pid = -1;
  int out = -1;
  int err = -1;
  int error = 0;  // errno when it could not be started
};
SpawnedProgram Spawn(const std::vector<std::string>& argv, bool capture);

// Runs `body` on a thread of the host backends that nobody waits for but WaitForHostPrograms;
// one still running when the process ends goes with it.
void RunInBackground(const std::string& name, std::function<void()> body);

}  // namespace platform
