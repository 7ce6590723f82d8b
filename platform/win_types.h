#pragma once

#include <cstdint>

namespace platform {

// The integer types and error codes of the platform's system calls, which the program's code is
// written against.
using LONG = int32_t;
using DWORD = uint32_t;
using BYTE = uint8_t;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_BAD_PATHNAME = 161;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_NO_MORE_ITEMS = 259;

}  // namespace platform
