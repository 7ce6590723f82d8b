#include "platform/window_registry.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace platform {
namespace {

// One abstract socket per process answers for its windows; its name says whose it is. The
// kernel removes it with the process, so the registry never holds a dead instance.
const std::string kSocketPrefix = "orvo-nas-wizard-windows.";
constexpr int kAnswerTimeoutMs = 1000;
constexpr size_t kMaxMessage = 8192;

struct Entry {
  std::string class_name;
  std::string title;
  WindowActions actions;
};

// The user's windows on one display are one desktop: a program started on another X display
// neither finds nor is found by this one.
std::string DesktopPrefix(uid_t uid) {
  std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
  for (char& c : display) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return kSocketPrefix + std::to_string(uid) + "." + display + ".";
}

// A process answers under its own name, "<prefix><pid>", or, when another program holds that
// (an abstract name belongs to whoever binds it first), under one of the further names
// "<prefix><pid>.<n>".
constexpr int kFurtherNames = 15;
std::string SocketName(uid_t uid, pid_t pid, int further) {
  std::string name = DesktopPrefix(uid).append(std::to_string(pid));
  if (further) name.append(".").append(std::to_string(further));
  return name;
}

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

socklen_t AbstractAddress(const std::string& name, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  const size_t length = std::min(name.size(), sizeof address.sun_path - 1);
  std::copy_n(name.data(), length, address.sun_path + 1);
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
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

// Reads until the peer closes its side, at most kMaxMessage bytes.
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
    if (data.size() > kMaxMessage) return std::nullopt;
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

// Requests are NUL-separated fields; an optional text is "-" for none or "=" and the text.
std::vector<std::string> Fields(const std::string& message) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (start < message.size()) {
    const size_t end = message.find('\0', start);
    if (end == std::string::npos) break;
    fields.push_back(message.substr(start, end - start));
    start = end + 1;
  }
  return fields;
}
std::string Optional(const char* text) { return text ? std::string("=").append(text) : std::string("-"); }
std::optional<std::string> FromOptional(const std::string& field) {
  if (!field.empty() && field[0] == '=') return field.substr(1);
  return std::nullopt;
}
std::optional<uint32_t> Number(const std::string& text) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return {};
  const unsigned long long v = std::stoull(text);
  if (v > 0xFFFFFFFFull) return {};
  return static_cast<uint32_t>(v);
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

  // Never raises: whatever fails, the program runs on, and only a second start cannot find it.
  void StartServer() {
    std::lock_guard<std::mutex> lock(server_mutex_);
    if (server_.joinable()) return;
    auto unfindable = [](const std::string& why) {
      std::fprintf(stderr, "window registry: %s; a second start of the program will not find this one\n", why.c_str());
    };
    Fd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    Fd stop(::eventfd(0, EFD_CLOEXEC));
    if (!listener || !stop) return unfindable(std::string("no socket: ") + std::strerror(errno));
    std::optional<std::string> bound;
    for (int further = 0; further <= kFurtherNames && !bound; ++further) {
      const std::string name = SocketName(getuid(), getpid(), further);
      sockaddr_un address;
      const socklen_t length = AbstractAddress(name, address);
      if (::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), length) == 0) {
        bound = name;
      } else if (errno != EADDRINUSE) {
        return unfindable("cannot take the name " + name + ": " + std::strerror(errno));
      }
    }
    if (!bound) return unfindable("every name of this process is held by another program");
    if (bound != SocketName(getuid(), getpid(), 0)) {
      std::fprintf(stderr, "window registry: another program holds %s; this one answers as %s\n",
                   SocketName(getuid(), getpid(), 0).c_str(), bound->c_str());
    }
    if (::listen(listener.get(), 16) != 0) return unfindable(std::string("cannot listen: ") + std::strerror(errno));
    stop_ = std::move(stop);
    // Not a platform::Thread: it waits on sockets only, never on the program's clock, and must
    // not hold up a virtual clock.
    try {
      server_ = std::thread([this, listener = std::move(listener)]() mutable { Serve(listener.get()); });
    } catch (const std::system_error& e) {
      stop_ = Fd();
      unfindable(std::string("no thread: ") + e.what());
    }
  }

  void StopServer() {
    std::lock_guard<std::mutex> lock(server_mutex_);
    if (!server_.joinable()) return;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(stop_.get(), &one, sizeof one);
    server_.join();
    stop_ = Fd();
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
    const std::optional<std::string> request = ReadAll(fd);
    if (!request) return;
    const std::vector<std::string> f = Fields(*request);
    std::string reply = "0";
    if (f.size() == 3 && f[0] == "FIND") {
      const auto class_name = FromOptional(f[1]);
      const auto title = FromOptional(f[2]);
      reply = std::to_string(FindLocal(class_name ? class_name->c_str() : nullptr, title ? title->c_str() : nullptr));
    } else if (f.size() == 3 && f[0] == "SHOW") {
      const auto id = Number(f[1]);
      const auto command = Number(f[2]);
      if (id && command) reply = std::string(ActLocal(*id, static_cast<int>(*command)) ? "1" : "0");
    } else if (f.size() == 2 && f[0] == "FRONT") {
      if (const auto id = Number(f[1])) reply = std::string(ActLocal(*id, std::nullopt) ? "1" : "0");
    }
    WriteAll(fd, reply);
  }

  std::mutex mutex_;
  std::map<uint32_t, Entry> entries_;
  uint32_t next_id_ = 1;

  std::mutex server_mutex_;
  std::thread server_;
  Fd stop_;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

// Another process of this user that answers for its windows, and the name it answers under.
struct Instance {
  pid_t pid;
  std::string name;
};

// The other processes of this user that answer for their windows.
std::vector<Instance> OtherInstances() {
  std::vector<Instance> found;
  std::ifstream table("/proc/net/unix");
  const std::string prefix = DesktopPrefix(getuid());
  std::string line;
  while (std::getline(table, line)) {
    const size_t at = line.rfind(' ');
    if (at == std::string::npos || line.compare(at + 1, 1 + prefix.size(), "@" + prefix) != 0) continue;
    const std::string name = line.substr(at + 2);
    const std::string suffix = name.substr(prefix.size());
    const size_t dot = suffix.find('.');
    const auto pid = Number(suffix.substr(0, dot));
    const auto further = dot == std::string::npos ? std::optional<uint32_t>(0) : Number(suffix.substr(dot + 1));
    if (!pid || !further || *further > kFurtherNames || static_cast<pid_t>(*pid) == getpid()) continue;
    if (std::none_of(found.begin(), found.end(), [&](const Instance& i) { return i.name == name; })) {
      found.push_back({static_cast<pid_t>(*pid), name});
    }
  }
  return found;
}

// One request to another instance; its answer, or nothing when it does not answer in time.
std::optional<std::string> Ask(const Instance& instance, const std::string& request) {
  Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!fd) return std::nullopt;
  sockaddr_un address;
  const socklen_t length = AbstractAddress(instance.name, address);
  if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), length) != 0) {
    if (errno != EINPROGRESS && errno != EAGAIN) return std::nullopt;
    if (!WaitReady(fd.get(), POLLOUT, kAnswerTimeoutMs)) return std::nullopt;
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) return std::nullopt;
  }
  // Only the instance the name promises, of this user, is believed: a name can be held by anyone.
  if (!PeerIsOurs(fd.get(), instance.pid) || !WriteAll(fd.get(), request)) return std::nullopt;
  ::shutdown(fd.get(), SHUT_WR);
  return ReadAll(fd.get());
}

std::string Request(std::initializer_list<std::string> fields) {
  std::string message;
  for (const std::string& f : fields) {
    message += f;
    message += '\0';
  }
  return message;
}

bool Act(HWND window, std::optional<int> show_command) {
  if (!window) return false;
  const pid_t pid = HandlePid(window);
  if (pid == getpid()) return TheRegistry().ActLocal(HandleId(window), show_command);
  const std::string id = std::to_string(HandleId(window));
  const std::string request =
      show_command ? Request({"SHOW", id, std::to_string(*show_command)}) : Request({"FRONT", id});
  for (const Instance& instance : OtherInstances()) {
    if (instance.pid != pid) continue;
    if (const std::optional<std::string> answer = Ask(instance, request)) return *answer == "1";
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
  const std::string request = Request({"FIND", Optional(class_name), Optional(window_name)});
  for (const Instance& instance : OtherInstances()) {
    const std::optional<std::string> answer = Ask(instance, request);
    if (!answer) continue;
    const auto id = Number(*answer);
    if (id && *id != 0) return MakeHandle(instance.pid, *id);
  }
  return nullptr;
}

bool ShowWindow(HWND window, int show_command) { return Act(window, show_command); }

bool SetForegroundWindow(HWND window) { return Act(window, std::nullopt); }

}  // namespace platform
