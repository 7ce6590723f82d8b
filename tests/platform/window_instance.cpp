// A program instance for the window registry tests. Given a title, it registers an application
// window and a main window with it, answers for them, and reports every request on its
// standard output until its standard input closes. Given "ask" and a title, it is the second
// instance: it finds the first one's windows and asks them to show themselves, exiting 0 when
// both were found. Given "squat", the usual name of the user's temporary folder, a process id and
// abstract socket names, it is another user's program that does what it can against the instance
// of that process: it holds those names (the ones the registry once used), takes the folder's
// name in $TMPDIR (open to all), and tries to connect to every socket of that process it can think of, over
// and over, until its standard input closes; it then prints how many attempts connected.
#include <dirent.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <vector>

#include "platform/window_registry.h"

namespace {

int Ask(const std::string& title) {
  platform::HWND app = platform::FindWindowA("TApplication", title.c_str());
  if (!app) return 1;
  platform::ShowWindow(app, platform::SW_RESTORE);
  platform::SetForegroundWindow(app);
  platform::HWND main = platform::FindWindowA("Tform_Main", title.c_str());
  if (!main) return 1;
  platform::ShowWindow(main, platform::SW_SHOW);
  return 0;
}

socklen_t Address(const std::string& name, bool abstract, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  name.copy(address.sun_path + (abstract ? 1 : 0), sizeof address.sun_path - 2);
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + (abstract ? 1 : 0) + name.size() +
                                (abstract ? 0 : 1));
}

bool Connects(const std::string& path) {
  sockaddr_un address;
  const socklen_t length = Address(path, false, address);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
  const bool connected = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
  if (fd >= 0) ::close(fd);
  return connected;
}

int Squat(const std::string& usual, const std::string& pid, int count, char** names) {
  const char* tmpdir = std::getenv("TMPDIR");
  if (!tmpdir) return 2;
  const std::string planted = std::string(tmpdir) + "/" + usual;
  if (::mkdir(planted.c_str(), 0777) != 0 || ::chmod(planted.c_str(), 0777) != 0) return 1;
  std::vector<int> sockets;
  for (int i = 0; i < count; ++i) {
    sockaddr_un address;
    const socklen_t length = Address(names[i], true, address);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 1) != 0) return 1;
    sockets.push_back(fd);
  }
  std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
  for (char& c : display) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  const std::string socket_name = "windows." + display + "." + pid;
  std::cout << "ready" << std::endl;
  long attempts = 0, connected = 0;
  for (;;) {
    pollfd in{0, POLLIN, 0};
    if (::poll(&in, 1, 0) != 0) break;
    // The socket in every folder of the user's it can see.
    std::vector<std::string> targets;
    if (DIR* folder = ::opendir(tmpdir)) {
      while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.compare(0, usual.size(), usual) == 0)
          targets.push_back(std::string(tmpdir) + "/" + name + "/" + socket_name);
      }
      ::closedir(folder);
    }
    for (const std::string& target : targets) {
      ++attempts;
      connected += Connects(target);
    }
  }
  for (const int fd : sockets) ::close(fd);
  std::cout << "attempts " << (attempts > 0 ? "made" : "none") << " connected " << connected << std::endl;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "squat") return Squat(argv[2], argv[3], argc - 4, argv + 4);
  if (argc == 3 && std::string(argv[1]) == "ask") return Ask(argv[2]);
  if (argc != 2) return 2;
  const std::string title = argv[1];
  std::mutex out;
  auto report = [&out](const std::string& line) {
    std::lock_guard<std::mutex> lock(out);
    std::cout << line << std::endl;
  };
  for (const char* class_name : {"TApplication", "Tform_Main"}) {
    const std::string name = class_name;
    platform::RegisterWindow(name, title,
                             {[report, name](int command) { report(name + " show " + std::to_string(command)); },
                              [report, name] { report(name + " front"); }});
  }
  platform::StartWindowServer();
  report("ready");
  for (std::string line; std::getline(std::cin, line);) {
  }
  platform::StopWindowServer();
  return 0;
}
