// A program instance for the window registry tests. Given a title, it registers an application
// window and a main window with it, answers for them, and reports every request on its
// standard output until its standard input closes. Given "ask" and a title, it is the second
// instance: it finds the first one's windows and asks them to show themselves, exiting 0 when
// both were found. Given "squat" and socket names, it is another program that holds those
// abstract names, until its standard input closes.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
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

}  // namespace

int Squat(int count, char** names) {
  std::vector<int> sockets;
  for (int i = 0; i < count; ++i) {
    const std::string name = names[i];
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    name.copy(address.sun_path + 1, sizeof address.sun_path - 2);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 1) != 0) return 1;
    sockets.push_back(fd);
  }
  std::cout << "ready" << std::endl;
  for (std::string line; std::getline(std::cin, line);) {
  }
  for (const int fd : sockets) ::close(fd);
  return 0;
}

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "squat") return Squat(argc - 2, argv + 2);
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
