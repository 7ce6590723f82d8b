#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// The framework's exception class: what the program main catches and shows.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// Raised by the strict text-to-number conversions.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace platform
