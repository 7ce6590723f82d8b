#pragma once

#include <memory>
#include <string>

#include "child_process.h"

// An X server of the test's own (Xvfb, 1280 x 1024), so that gui tests neither need nor touch
// the developer's desktop. Sets $DISPLAY for the process while it runs.
class Xvfb {
 public:
  // Nothing when the server cannot be started; Error() then tells why.
  static std::unique_ptr<Xvfb> Start(std::string& error) {
    std::unique_ptr<Xvfb> server(new Xvfb);
    try {
      server->process_ =
          std::make_unique<ChildProcess>(std::vector<std::string>{"Xvfb", "-displayfd", "1", "-screen", "0",
                                                                  "1280x1024x24", "-nolisten", "tcp", "-noreset"},
                                         true);
    } catch (const std::exception&) {
      error = "Xvfb is not installed (scripts/deps installs it)";
      return nullptr;
    }
    const auto number = server->process_->ReadLine(10000);
    if (!number || number->empty()) {
      error = "Xvfb did not start";
      return nullptr;
    }
    server->display_ = ":" + *number;
    setenv("DISPLAY", server->display_.c_str(), 1);
    return server;
  }
  ~Xvfb() {
    process_->Terminate();
    process_->Wait();
  }
  const std::string& Display() const { return display_; }

 private:
  Xvfb() = default;
  std::unique_ptr<ChildProcess> process_;
  std::string display_;
};
