#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// A program the benchmark starts, with its environment, its output thrown away; ended (SIGTERM,
// then SIGKILL) when the object goes. Benchmark only; it calls POSIX directly.
class Child {
 public:
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& environment);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t pid() const { return pid_; }
  // Resident memory in bytes.
  uint64_t ResidentBytes() const;
  // CPU time of all its threads so far, ended ones included, in nanoseconds (10 ms steps).
  uint64_t CpuNs() const;

 private:
  pid_t pid_ = -1;
};

// Sleeps the benchmark itself.
void SleepMs(int ms);
