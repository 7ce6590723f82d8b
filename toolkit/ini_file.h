#pragma once

#include <string>

#include "platform/profile.h"
#include "toolkit/component.h"

// The framework's ini-file class: reads a profile file through the platform's profile reader.
// Names and texts are UTF-8. Reading never writes the file, and a file that cannot be read reads
// like an empty one. The file is read and decoded once and read again only when it has changed,
// so a run of reads costs one reading of the file. One thread at a time.
class TIniFile : public TObject {
 public:
  explicit TIniFile(std::string file_name) : reader_(std::move(file_name)) {}
  std::string ClassName() const override { return "TIniFile"; }

  const std::string& FileName() const { return reader_.path(); }
  // The value of `ident` in `section`, or `def` when there is none; at most 2047 characters,
  // what the framework's 2048-character buffer holds.
  std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) const;

 private:
  mutable platform::ProfileReader reader_;
};
