// nas-sim: simulated Orvo NAS boxes on the host's real network, for demos and end-to-end runs.
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/stop_signal.h"
#include "sim/nas_sim/options.h"
#include "sim/nas_sim/server.h"

int main(int argc, char** argv) {
  platform::BlockStopSignals();
  nas_sim::Options options;
  try {
    options = nas_sim::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "nas-sim: %s\n", e.what());
    return 2;
  }
  if (options.help) {
    std::fputs(nas_sim::Usage(), stdout);
    return 0;
  }
  std::FILE* log = stdout;
  if (!options.log_file.empty()) {
    log = std::fopen(options.log_file.c_str(), "a");
    if (log == nullptr) {
      std::fprintf(stderr, "nas-sim: cannot write the log file '%s'\n", options.log_file.c_str());
      return 2;
    }
  }
  nas_sim::Server server(options, log);
  try {
    server.Start();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "nas-sim: %s\n", e.what());
    return 1;
  }
  for (const nas_sim::BoxSetup& b : options.boxes) {
    std::fprintf(stderr, "nas-sim: %s answering on %s (UDP 9999, TCP 9998)\n", b.name.c_str(), b.address.c_str());
  }
  const char* signal = platform::WaitForStopSignal();
  std::fprintf(stderr, "nas-sim: %s, stopping\n", signal);
  server.Stop();
  if (log != stdout) std::fclose(log);
  return 0;
}
