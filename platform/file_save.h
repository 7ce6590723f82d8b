#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// How a file that the user keeps is saved: under an advisory lock that every writer of ours
// takes before it reads the file, through a temporary file of our own name beside it that is
// synced and renamed over it, and with its folder synced after the rename. A save reported done
// therefore survives a power cut, two writers of ours never lose each other's change, and what a
// save that died left behind is cleared away by the next one.
namespace platform {

// How long a writer waits for another one's lock before it gives up on its save.
constexpr uint32_t kSaveLockWaitMs = 5000;

// The lock of one file, held from before its read until after its save: an exclusive flock of
// ".<name>.orvo-lock" beside the file that the path leads to (a link is followed, so that every
// way to the file meets the same lock). The lock file stays; removing it would let a writer
// that opened it before lock a file no one else sees.
class SaveLock {
 public:
  // Takes the lock of the file at `path`, making the path's folder (the user's alone) when it
  // is missing. Waits, on the program's clock, up to kSaveLockWaitMs for a writer that holds
  // it. A lock that cannot be had (no folder for it, the time is up) is not held and says why.
  static SaveLock Take(const std::string& path);

  SaveLock() = default;
  SaveLock(SaveLock&& other) noexcept;
  SaveLock& operator=(SaveLock&& other) noexcept;
  SaveLock(const SaveLock&) = delete;
  SaveLock& operator=(const SaveLock&) = delete;
  ~SaveLock();

  bool held() const { return fd_ >= 0; }
  const std::string& why() const { return why_; }

  // Replaces the locked file with `bytes`: a temporary file ".<name>.orvo-save-XXXXXX" beside it
  // is written, synced and renamed over it, then the folder is synced; only then is the save
  // done. The file keeps its permissions; a new one is the user's alone. Leftovers of that name
  // (the user's, not in use) are removed first. A file the user cannot write (its permission
  // bits say so) is never replaced, nor one with further hard links, which a rename would part
  // from it. Empty on success, else why it failed. The lock must be held.
  std::string ReplaceFile(std::string_view bytes) const;

 private:
  std::string target_;  // the file the path led to when the lock was taken
  int fd_ = -1;
  std::string why_;
};

// The system calls of a save that a test can make fail, or at which it can end the process as a
// crash would.
enum class SaveStep { kSyncFile, kRename, kSyncFolder };

// Test hook: called before each step of every save; a nonzero result makes the step fail with
// that error number, as the call would. An empty hook removes it.
void SetSaveStepHookForTest(std::function<int(SaveStep)> hook);

}  // namespace platform
