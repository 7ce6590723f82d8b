// The program's start where it cannot go on: how it ends and what it says, before any window.
#include <gtest/gtest.h>
#include <pthread.h>

#include <optional>
#include <string>

#include "../support/child_process.h"

namespace {

// A thread stack that machines do not give: 1 TB (in the shell's kilobytes for the stack limit, which a
// new thread's stack takes by default).
constexpr size_t kHugeStackBytes = size_t{1} << 40;
constexpr const char* kHugeStackKb = "1073741824";

bool ThreadWithStackCanBeMade(size_t bytes) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, bytes);
  pthread_t thread;
  const bool made = pthread_create(
                        &thread, &attributes, [](void*) -> void* { return nullptr; }, nullptr) == 0;
  if (made) pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
  return made;
}

// ThreadSanitizer's runtime lays out the address space below the stack, and cannot start under a
// 1 TB stack limit.
#if defined(__SANITIZE_THREAD__)
constexpr bool kRuntimeStartsUnderAHugeStackLimit = false;
#else
constexpr bool kRuntimeStartsUnderAHugeStackLimit = true;
#endif

struct Ending {
  int status;
  std::string output;
};

// The program without a display, after the shell commands `setup`; its error output with the rest.
Ending StartWithoutDisplay(const std::string& setup) {
  ChildProcess program({"sh", "-c", setup + "exec env -u DISPLAY \"$0\" 2>&1", WIZARD_PROGRAM});
  program.CloseStdin();
  std::string output;
  while (const std::optional<std::string> line = program.ReadLine(30000)) output += *line + "\n";
  return {program.Wait(), output};
}

// Nothing at start-up ends the program with terminate: it tells why on the standard error and
// ends with its exit code. A start-up helper that cannot be made is done without.
TEST(ProgramStart, AStartThatCannotGoOnSaysWhyAndEndsWithItsCode) {
  const struct {
    const char* what;
    std::string setup;
    int status;
    const char* says;
  } cases[] = {
      {"a world the environment does not know", "export ORVO_WORLD=moon; ", 2, "ORVO_WORLD must be"},
      {"no display", "", 1, "no display"},
      {"no display, and no thread for the start-up helper", std::string("ulimit -s ") + kHugeStackKb + " && ", 1,
       "no display"},
  };
  std::string skipped;
  for (const auto& c : cases) {
    if (c.setup.find("ulimit") != std::string::npos) {
      if (!kRuntimeStartsUnderAHugeStackLimit) {
        skipped = std::string(c.what) + ": ThreadSanitizer does not start under a 1 TB stack limit";
        continue;
      }
      if (ThreadWithStackCanBeMade(kHugeStackBytes)) {
        skipped = std::string(c.what) + ": this machine makes a thread with a 1 TB stack";
        continue;
      }
    }
    const Ending ending = StartWithoutDisplay(c.setup);
    EXPECT_EQ(ending.status, c.status) << c.what << ":\n" << ending.output;
    EXPECT_NE(ending.output.find(std::string("orvo-nas-setup-wizard: ") + c.says), std::string::npos) << c.what << ":\n"
                                                                                                      << ending.output;
  }
  if (!skipped.empty()) GTEST_SKIP() << skipped;
}

}  // namespace
