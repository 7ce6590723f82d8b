#include "platform/file_save.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/clock.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxLinks = 40;  // what the system follows before it gives up (ELOOP)
constexpr std::string_view kSaveInfix = ".orvo-save-";
constexpr size_t kRandomPart = 6;  // mkostemp's XXXXXX

std::mutex hook_mutex;
std::function<int(SaveStep)> step_hook;

// 0, or the error number a test makes the step fail with.
int Step(SaveStep step) {
  std::lock_guard<std::mutex> lock(hook_mutex);
  return step_hook ? step_hook(step) : 0;
}

std::string Error(int number) { return std::strerror(number); }

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { Close(); }
  int get() const { return fd_; }
  int Close() {
    const int result = fd_ >= 0 ? ::close(fd_) : 0;
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = EIO;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Syncs a folder, so that a rename or a new entry in it outlives a power cut. A file system that
// cannot sync folders (EINVAL) keeps them as well as it can.
std::string SyncFolder(const fs::path& folder) {
  if (const int error = Step(SaveStep::kSyncFolder)) return "cannot sync its folder: " + Error(error);
  const Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0 || (::fsync(fd.get()) != 0 && errno != EINVAL)) return "cannot sync its folder: " + Error(errno);
  return {};
}

fs::path FolderOf(const fs::path& file) { return file.has_parent_path() ? file.parent_path() : fs::path("."); }

// Makes a missing folder with those on its way, each entry synced into its parent; the last one
// is the user's alone.
std::string MakeFolder(const fs::path& folder, bool last = true) {
  struct stat status {};
  if (folder.empty() || ::stat(folder.c_str(), &status) == 0) return {};
  const fs::path parent = FolderOf(folder);
  if (parent != folder) {
    if (std::string why = MakeFolder(parent, false); !why.empty()) return why;
  }
  if (::mkdir(folder.c_str(), last ? 0700 : 0777) != 0 && errno != EEXIST) {
    return "cannot make its folder: " + Error(errno);
  }
  return SyncFolder(parent);
}

// The file a write to `path` must replace: a link is followed to its target, so that the link
// stays a link. Nothing when the links go round.
std::optional<fs::path> Target(const fs::path& path) {
  fs::path target = path;
  std::error_code error;
  for (int hops = 0; hops < kMaxLinks; ++hops) {
    if (!fs::is_symlink(fs::symlink_status(target, error))) return target;
    const fs::path next = fs::read_symlink(target, error);
    if (error) return std::nullopt;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return std::nullopt;
}

// Whether the user may write the file: the write bits say so for root too, who could write it
// anyway.
bool Writable(const fs::path& file, const struct stat& status) {
  return (status.st_mode & 0222) != 0 && ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) == 0;
}

// Removes what saves that died left of `name` in `folder`: our temporary files that are the
// user's and that no save holds (a save locks its temporary file while it writes it).
void RemoveLeftovers(const fs::path& folder, const std::string& name) {
  const std::string prefix = std::string(".").append(name).append(kSaveInfix);
  DIR* entries = ::opendir(folder.c_str());
  if (!entries) return;
  while (const dirent* entry = ::readdir(entries)) {
    const std::string_view found(entry->d_name);
    if (found.size() != prefix.size() + kRandomPart || !found.starts_with(prefix)) continue;
    const int dir = ::dirfd(entries);
    const Descriptor fd(::openat(dir, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid() ||
        ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
      continue;
    }
    // Still the file that was checked: only the user can change the folder under us.
    struct stat now {};
    if (::fstatat(dir, entry->d_name, &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_ino == status.st_ino &&
        now.st_dev == status.st_dev) {
      ::unlinkat(dir, entry->d_name, 0);
    }
  }
  ::closedir(entries);
}

}  // namespace

SaveLock SaveLock::Take(const std::string& path) {
  SaveLock lock;
  const fs::path given(path);
  if (std::string why = MakeFolder(FolderOf(given)); !why.empty()) {
    lock.why_ = why;
    return lock;
  }
  const std::optional<fs::path> target = Target(given);
  if (!target) {
    lock.why_ = "its links go round";
    return lock;
  }
  lock.target_ = target->string();
  const fs::path lock_file =
      FolderOf(*target) / std::string(".").append(target->filename().string()).append(".orvo-lock");
  // Read-only is enough for flock; not following a link nor waiting on a FIFO under the name.
  int fd = ::open(lock_file.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  struct stat status {};
  if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    lock.why_ = "cannot open " + lock_file.string() + ": " + (fd < 0 ? Error(errno) : "not a regular file");
    if (fd >= 0) ::close(fd);
    return lock;
  }
  const uint64_t deadline = CurrentClock().NowMs() + kSaveLockWaitMs;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK || CurrentClock().NowMs() >= deadline) {
      lock.why_ = errno == EWOULDBLOCK ? "another writer held its lock too long" : "cannot lock it: " + Error(errno);
      ::close(fd);
      return lock;
    }
    Sleep(10);
  }
  lock.fd_ = fd;
  return lock;
}

SaveLock::SaveLock(SaveLock&& other) noexcept
    : target_(std::move(other.target_)), fd_(std::exchange(other.fd_, -1)), why_(std::move(other.why_)) {}

SaveLock& SaveLock::operator=(SaveLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    target_ = std::move(other.target_);
    fd_ = std::exchange(other.fd_, -1);
    why_ = std::move(other.why_);
  }
  return *this;
}

SaveLock::~SaveLock() {
  if (fd_ >= 0) ::close(fd_);
}

std::string SaveLock::ReplaceFile(std::string_view bytes) const {
  if (!held()) return why_;
  const fs::path target(target_);
  const fs::path folder = FolderOf(target);
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) return "it is not a regular file";
  if (exists && !Writable(target, old)) return "it is read-only";
  if (exists && old.st_nlink > 1) {
    return "it has " + std::to_string(old.st_nlink) + " hard links, which a save would part from it";
  }
  const std::string name = target.filename().string();
  RemoveLeftovers(folder, name);

  std::string temporary = (folder / std::string(".").append(name).append(kSaveInfix).append(kRandomPart, 'X')).string();
  Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (fd.get() < 0) return "cannot make a temporary file beside it: " + Error(errno);
  // Locked while it is written, so that no other save takes it for a leftover.
  int error = ::flock(fd.get(), LOCK_EX) == 0 && (!exists || ::fchmod(fd.get(), old.st_mode & 07777) == 0) &&
                      WriteAll(fd.get(), bytes)
                  ? 0
                  : errno;
  if (!error) error = Step(SaveStep::kSyncFile);
  if (!error && ::fsync(fd.get()) != 0) error = errno;
  if (!error) error = Step(SaveStep::kRename);
  if (!error && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error) {
    ::unlink(temporary.c_str());
    return Error(error);
  }
  fd.Close();
  return SyncFolder(folder);
}

void SetSaveStepHookForTest(std::function<int(SaveStep)> hook) {
  std::lock_guard<std::mutex> lock(hook_mutex);
  step_hook = std::move(hook);
}

}  // namespace platform
