// A program instance for the window registry tests. Given a title, it registers an application
// window and a main window with it, answers for them, and reports every request on its
// standard output until its standard input closes. Given "ask" and a title, it is the second
// instance: it finds the first one's windows and asks them to show themselves, exiting 0 when
// both were found.
#include <iostream>
#include <mutex>
#include <string>

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

int main(int argc, char** argv) {
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
