#pragma once

#include <string>

namespace platform {

// The full path of the running executable (the application object's ExeName), read from
// /proc/self/exe. Raises platform::Exception when the system does not tell it.
std::string ExecutablePath();

// Its folder, up to and including the last separator, as ExtractFilePath gives it.
std::string ExecutableFolder();

}  // namespace platform
