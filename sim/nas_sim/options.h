#pragma once

#include <string>
#include <vector>

#include "sim/box/box.h"

namespace nas_sim {

struct BoxSetup {
  std::string name;                 // for the log; also the model name unless one is given
  std::string address = "0.0.0.0";  // "0.0.0.0": every address of the host
  sim::BoxConfig config;
};

struct Options {
  std::vector<BoxSetup> boxes;
  std::string log_file;  // empty: standard output
  bool help = false;
};

// Reads the command line (and the JSON file it names). Throws std::runtime_error with a message
// for the user on anything it cannot read.
Options ParseOptions(const std::vector<std::string>& args);
const char* Usage();

}  // namespace nas_sim
