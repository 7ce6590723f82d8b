#include "toolkit/ini_file.h"

#include "platform/profile.h"

namespace {
constexpr size_t kBufferChars = 2048;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident, const std::string& def) const {
  return platform::GetPrivateProfileString(section, ident, def, kBufferChars, file_name_);
}
