#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Files embedded into the executable at build time (layouts, pictures), by their path in the
// source tree ("wizard/forms/form_Main.json").
struct TEmbeddedFile {
  const char* path;
  const unsigned char* data;
  size_t size;
};

void RegisterEmbeddedFiles(const TEmbeddedFile* files, size_t count);
std::optional<std::string_view> FindEmbeddedFile(std::string_view path);
std::vector<std::string> EmbeddedFilesUnder(std::string_view folder);
