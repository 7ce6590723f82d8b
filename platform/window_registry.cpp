#include "platform/window_registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/temp_folder.h"
#include "platform/window_messages.h"

namespace platform {
namespace {

// One socket per process answers for its windows, in the user's private temporary folder (the
// runtime folder when the session has one), which no other user can enter: nobody else can take
// a name there, or connect to one. The socket's name says on which display and in which process.
const std::string kSocketPrefix = "windows.";
constexpr int kAnswerTimeoutMs = 1000;

struct Entry {
  std::string class_name;
  std::string title;
  WindowActions actions;
};

// The user's windows on one display are one desktop: a program started on another X display
// neither finds nor is found by this one.
std::string DesktopPrefix() {
  std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
  for (char& c : display) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return kSocketPrefix + display + ".";
}

std::string SocketName(pid_t pid) { return DesktopPrefix() + std::to_string(pid); }

bool SameText(const std::string& a, const char* b) {
  if (!b) return true;
  const std::string other(b);
  return std::equal(a.begin(), a.end(), other.begin(), other.end(), [](char x, char y) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

HWND MakeHandle(pid_t pid, uint32_t id) {
  return reinterpret_cast<HWND>((static_cast<uintptr_t>(static_cast<uint32_t>(pid)) << 32) | id);
}
pid_t HandlePid(HWND h) { return static_cast<pid_t>(reinterpret_cast<uintptr_t>(h) >> 32); }
uint32_t HandleId(HWND h) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h) & 0xFFFFFFFFu); }

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(Fd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
  Fd& operator=(Fd&& o) noexcept {
    std::swap(fd_, o.fd_);
    return *this;
  }
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_;
};

// The folder the sockets are in, opened without following a link, and only while it is a folder
// of this user that nobody else may enter.
Fd OpenSocketFolder(std::string* why_not) {
  std::string path = HostTempFolder();
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty()) {
    *why_not = "no private folder for its socket";
    return Fd();
  }
  Fd folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat status {};
  if (!folder || ::fstat(folder.get(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid() ||
      (status.st_mode & 077) != 0) {
    *why_not = path + " is not a private folder of this user";
    return Fd();
  }
  return folder;
}

// A socket of the opened folder, reached through the folder itself: the folder that was checked
// is the one used, and the path stays short whatever the folder's own.
bool FolderAddress(int folder, const std::string& name, sockaddr_un& address, socklen_t& length) {
  address = {};
  address.sun_family = AF_UNIX;
  const std::string path = "/proc/self/fd/" + std::to_string(folder) + "/" + name;
  if (path.size() >= sizeof address.sun_path) return false;
  std::copy(path.begin(), path.end(), address.sun_path);
  length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
  return true;
}

// The peer is a process of this user.
bool PeerIsOurs(int fd, std::optional<pid_t> expected_pid = std::nullopt) {
  ucred credentials{};
  socklen_t length = sizeof credentials;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) return false;
  return credentials.uid == getuid() && (!expected_pid || credentials.pid == *expected_pid);
}

// Waits for the fd to be ready until the deadline; false on time-out or error.
bool WaitReady(int fd, short events, int timeout_ms) {
  pollfd p{fd, events, 0};
  for (;;) {
    const int n = ::poll(&p, 1, timeout_ms);
    if (n > 0) return true;
    if (n == 0 || errno != EINTR) return false;
  }
}

// Reads until the peer closes its side, at most kMaxWindowMessage bytes.
std::optional<std::string> ReadAll(int fd) {
  std::string data;
  char buffer[1024];
  for (;;) {
    if (!WaitReady(fd, POLLIN, kAnswerTimeoutMs)) return std::nullopt;
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n == 0) return data;
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    data.append(buffer, static_cast<size_t>(n));
    if (data.size() > kMaxWindowMessage) return std::nullopt;
  }
}

bool WriteAll(int fd, const std::string& data) {
  size_t sent = 0;
  while (sent < data.size()) {
    if (!WaitReady(fd, POLLOUT, kAnswerTimeoutMs)) return false;
    const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    sent += static_cast<size_t>(n);
  }
  return true;
}

// Another process of this user that answers for its windows, and the name it answers under.
struct Instance {
  pid_t pid;
  std::string name;
};

// The sockets of the opened folder of this display (or of every display) but this process's.
std::vector<Instance> Instances(int folder, bool every_display) {
  std::vector<Instance> found;
  const int listing = ::dup(folder);
  DIR* entries = listing >= 0 ? ::fdopendir(listing) : nullptr;
  if (!entries) {
    if (listing >= 0) ::close(listing);
    return found;
  }
  const std::string prefix = every_display ? kSocketPrefix : DesktopPrefix();
  while (const dirent* entry = ::readdir(entries)) {
    const std::string name = entry->d_name;
    const size_t dot = name.rfind('.');
    if (name.compare(0, prefix.size(), prefix) != 0 || dot == std::string::npos || dot + 1 < prefix.size()) continue;
    if (!every_display && dot + 1 != prefix.size()) continue;
    const auto pid = ParseWindowNumber(std::string_view(name).substr(dot + 1));
    if (!pid || *pid == 0 || *pid > static_cast<uint32_t>(INT_MAX) || static_cast<pid_t>(*pid) == getpid()) continue;
    found.push_back({static_cast<pid_t>(*pid), name});
  }
  ::closedir(entries);
  return found;
}

// Whether the socket is what a process that ended without taking it along left: its process is
// gone and nobody listens there. Such a socket is removed.
bool RemovedAsLeftOver(int folder, const Instance& instance) {
  if (::kill(instance.pid, 0) == 0) return false;
  Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  sockaddr_un address;
  socklen_t length = 0;
  if (!fd || !FolderAddress(folder, instance.name, address, length)) return false;
  if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), length) == 0 || errno != ECONNREFUSED) return false;
  return ::unlinkat(folder, instance.name.c_str(), 0) == 0;
}

class Registry {
 public:
  ~Registry() { StopServer(); }

  HWND Add(const std::string& class_name, const std::string& title, WindowActions actions) {
    std::lock_guard<std::mutex> lock(mutex_);
    const uint32_t id = next_id_++;
    entries_[id] = {class_name, title, std::move(actions)};
    return MakeHandle(getpid(), id);
  }
  void SetTitle(HWND h, const std::string& title) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (HandlePid(h) != getpid()) return;
    auto it = entries_.find(HandleId(h));
    if (it != entries_.end()) it->second.title = title;
  }
  void Remove(HWND h) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (HandlePid(h) == getpid()) entries_.erase(HandleId(h));
  }

  uint32_t FindLocal(const char* class_name, const char* title) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& [id, e] : entries_) {
      if (SameText(e.class_name, class_name) && SameText(e.title, title)) return id;
    }
    return 0;
  }
  // Runs the window's action outside the lock; false when there is no such window.
  bool ActLocal(uint32_t id, std::optional<int> show_command) {
    WindowActions actions;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = entries_.find(id);
      if (it == entries_.end()) return false;
      actions = it->second.actions;
    }
    if (show_command) {
      if (actions.show) actions.show(*show_command);
    } else if (actions.bring_to_front) {
      actions.bring_to_front();
    }
    return true;
  }

  // The answer to one request of another process.
  std::string AnswerRequest(std::string_view message) {
    const std::optional<WindowRequest> request = ParseWindowRequest(message);
    if (!request) return "0";
    switch (request->kind) {
      case WindowRequest::Kind::kFind:
        return std::to_string(FindLocal(request->class_name ? request->class_name->c_str() : nullptr,
                                        request->title ? request->title->c_str() : nullptr));
      case WindowRequest::Kind::kShow:
        return ActLocal(request->id, request->show_command) ? "1" : "0";
      case WindowRequest::Kind::kFront:
        return ActLocal(request->id, std::nullopt) ? "1" : "0";
    }
    return "0";
  }

  // Never raises: whatever fails, the program runs on, and only a second start cannot find it.
  void StartServer() {
    std::lock_guard<std::mutex> lock(server_mutex_);
    if (server_.joinable()) return;
    auto unfindable = [](const std::string& why) {
      std::fprintf(stderr, "window registry: %s; a second start of the program will not find this one\n", why.c_str());
    };
    std::string why_not;
    Fd folder = OpenSocketFolder(&why_not);
    if (!folder) return unfindable(why_not);
    Fd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    Fd stop(::eventfd(0, EFD_CLOEXEC));
    if (!listener || !stop) return unfindable(std::string("no socket: ") + std::strerror(errno));
    // Bound under a name of its own and put in place once it listens, so that a finder never
    // meets the name before it answers; a socket that an ended process of the same number left
    // is replaced.
    // Killed programs (of any display) leave their sockets: the folder is kept to the live ones.
    for (const Instance& instance : Instances(folder.get(), true)) RemovedAsLeftOver(folder.get(), instance);
    const std::string name = SocketName(getpid());
    const std::string making = name + ".new";
    sockaddr_un address;
    socklen_t length = 0;
    if (!FolderAddress(folder.get(), making, address, length)) return unfindable("the display's name is too long");
    ::unlinkat(folder.get(), making.c_str(), 0);
    if (::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener.get(), 16) != 0 ||
        ::renameat(folder.get(), making.c_str(), folder.get(), name.c_str()) != 0) {
      const std::string why = std::string("cannot set up its socket: ") + std::strerror(errno);
      ::unlinkat(folder.get(), making.c_str(), 0);
      return unfindable(why);
    }
    struct stat status {};
    socket_inode_ = ::fstatat(folder.get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 ? status.st_ino : 0;
    socket_name_ = name;
    stop_ = std::move(stop);
    // Not a platform::Thread: it waits on sockets only, never on the program's clock, and must
    // not hold up a virtual clock.
    try {
      server_ = std::thread([this, listener = std::move(listener)]() mutable { Serve(listener.get()); });
    } catch (const std::system_error& e) {
      stop_ = Fd();
      ::unlinkat(folder.get(), name.c_str(), 0);
      return unfindable(std::string("no thread: ") + e.what());
    }
    folder_ = std::move(folder);
  }

  void StopServer() {
    std::lock_guard<std::mutex> lock(server_mutex_);
    if (!server_.joinable()) return;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(stop_.get(), &one, sizeof one);
    server_.join();
    stop_ = Fd();
    // Its name goes with it, unless another socket has taken the name since.
    struct stat status {};
    if (::fstatat(folder_.get(), socket_name_.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        status.st_ino == socket_inode_) {
      ::unlinkat(folder_.get(), socket_name_.c_str(), 0);
    }
    folder_ = Fd();
  }

 private:
  void Serve(int listener) {
    for (;;) {
      pollfd p[2] = {{listener, POLLIN, 0}, {stop_.get(), POLLIN, 0}};
      if (::poll(p, 2, -1) < 0) {
        if (errno == EINTR) continue;
        return;
      }
      if (p[1].revents) return;
      if (!(p[0].revents & POLLIN)) continue;
      Fd client(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
      if (client && PeerIsOurs(client.get())) Answer(client.get());
    }
  }

  void Answer(int fd) {
    if (const std::optional<std::string> request = ReadAll(fd)) WriteAll(fd, AnswerRequest(*request));
  }

  std::mutex mutex_;
  std::map<uint32_t, Entry> entries_;
  uint32_t next_id_ = 1;

  std::mutex server_mutex_;
  std::thread server_;
  Fd stop_;
  Fd folder_;
  std::string socket_name_;
  ino_t socket_inode_ = 0;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

// One request to another instance; its answer, or nothing when it does not answer in time.
std::optional<std::string> Ask(int folder, const Instance& instance, const std::string& request) {
  Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  sockaddr_un address;
  socklen_t length = 0;
  if (!fd || !FolderAddress(folder, instance.name, address, length)) return std::nullopt;
  if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), length) != 0) {
    const int refusal = errno;
    if (refusal == ECONNREFUSED) RemovedAsLeftOver(folder, instance);
    if (refusal != EINPROGRESS && refusal != EAGAIN) return std::nullopt;
    if (!WaitReady(fd.get(), POLLOUT, kAnswerTimeoutMs)) return std::nullopt;
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) return std::nullopt;
  }
  // Only the instance the name promises, of this user, is believed.
  if (!PeerIsOurs(fd.get(), instance.pid) || !WriteAll(fd.get(), request)) return std::nullopt;
  ::shutdown(fd.get(), SHUT_WR);
  return ReadAll(fd.get());
}

bool Act(HWND window, std::optional<int> show_command) {
  if (!window) return false;
  const pid_t pid = HandlePid(window);
  if (pid == getpid()) return TheRegistry().ActLocal(HandleId(window), show_command);
  if (show_command && *show_command < 0) return false;
  WindowRequest request;
  request.kind = show_command ? WindowRequest::Kind::kShow : WindowRequest::Kind::kFront;
  request.id = HandleId(window);
  request.show_command = show_command.value_or(0);
  std::string why_not;
  const Fd folder = OpenSocketFolder(&why_not);
  if (!folder) return false;
  for (const Instance& instance : Instances(folder.get(), false)) {
    if (instance.pid != pid) continue;
    if (const auto answer = Ask(folder.get(), instance, EncodeWindowRequest(request))) return *answer == "1";
  }
  return false;
}

}  // namespace

HWND RegisterWindow(const std::string& class_name, const std::string& title, WindowActions actions) {
  return TheRegistry().Add(class_name, title, std::move(actions));
}

void SetRegisteredWindowTitle(HWND window, const std::string& title) { TheRegistry().SetTitle(window, title); }

void UnregisterWindow(HWND window) { TheRegistry().Remove(window); }

void StartWindowServer() { TheRegistry().StartServer(); }

void StopWindowServer() { TheRegistry().StopServer(); }

HWND FindWindowA(const char* class_name, const char* window_name) {
  if (const uint32_t id = TheRegistry().FindLocal(class_name, window_name)) return MakeHandle(getpid(), id);
  WindowRequest request;
  if (class_name) request.class_name = class_name;
  if (window_name) request.title = window_name;
  std::string why_not;
  const Fd folder = OpenSocketFolder(&why_not);
  if (!folder) return nullptr;
  for (const Instance& instance : Instances(folder.get(), false)) {
    const std::optional<std::string> answer = Ask(folder.get(), instance, EncodeWindowRequest(request));
    if (!answer) continue;
    const auto id = ParseWindowNumber(*answer);
    if (id && *id != 0) return MakeHandle(instance.pid, *id);
  }
  return nullptr;
}

bool ShowWindow(HWND window, int show_command) { return Act(window, show_command); }

bool SetForegroundWindow(HWND window) { return Act(window, std::nullopt); }

std::string AnswerWindowRequest(std::string_view request) { return TheRegistry().AnswerRequest(request); }

}  // namespace platform
