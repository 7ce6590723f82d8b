#include "platform/exe_path.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/exception.h"

namespace platform {

std::string ExecutablePath() {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) throw Exception(std::string("cannot read the program's path (/proc/self/exe): ") + std::strerror(errno));
    // A result that fills the buffer may have been cut: try again with more room.
    if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(n));
    buffer.resize(buffer.size() * 2);
  }
}

std::string ExecutableFolder() {
  const std::string path = ExecutablePath();
  return path.substr(0, path.rfind('/') + 1);
}

}  // namespace platform
