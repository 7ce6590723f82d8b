#pragma once

#include <string>

#include "toolkit/component.h"

// The framework's ini-file class: reads a profile file through the platform's profile reader.
// Names and texts are UTF-8. Reading never writes the file, and a file that cannot be read reads
// like an empty one.
class TIniFile : public TObject {
 public:
  explicit TIniFile(std::string file_name) : file_name_(std::move(file_name)) {}
  std::string ClassName() const override { return "TIniFile"; }

  const std::string& FileName() const { return file_name_; }
  // The value of `ident` in `section`, or `def` when there is none; at most 2047 characters,
  // what the framework's 2048-character buffer holds.
  std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) const;

 private:
  std::string file_name_;
};
