#include "toolkit/ini_file.h"

namespace {
constexpr size_t kBufferChars = 2048;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident, const std::string& def) const {
  return reader_.GetString(section, ident, def, kBufferChars);
}
