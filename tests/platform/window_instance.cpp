// A program instance for the window registry tests: registers an application window and a main
// window with the title it is given, answers for them, and reports every request on its
// standard output until its standard input closes.
#include <iostream>
#include <mutex>
#include <string>

#include "platform/window_registry.h"

int main(int argc, char** argv) {
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
