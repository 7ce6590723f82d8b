#pragma once

#include <cstdint>

namespace platform {

// The integer types and error codes of the platform's system calls, which the program's code is
// written against.
using LONG = int32_t;
using DWORD = uint32_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using UINT = uint32_t;
using BOOL = int32_t;  // nonzero is true

// One list of the system error codes, for every service of the layer.
constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_PATH_NOT_FOUND = 3;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr LONG ERROR_BAD_FORMAT = 11;
constexpr LONG ERROR_NOT_SUPPORTED = 50;
constexpr LONG ERROR_BAD_NETPATH = 53;
constexpr LONG ERROR_BAD_DEV_TYPE = 66;
constexpr LONG ERROR_BAD_NET_NAME = 67;
constexpr LONG ERROR_ALREADY_ASSIGNED = 85;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_BUFFER_OVERFLOW = 111;
constexpr LONG ERROR_INSUFFICIENT_BUFFER = 122;
constexpr LONG ERROR_INVALID_NAME = 123;
constexpr LONG ERROR_BAD_PATHNAME = 161;
constexpr LONG ERROR_NO_DATA = 232;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_NO_MORE_ITEMS = 259;
constexpr LONG ERROR_INVALID_SERVICE_CONTROL = 1052;
constexpr LONG ERROR_SERVICE_ALREADY_RUNNING = 1056;
constexpr LONG ERROR_SERVICE_DOES_NOT_EXIST = 1060;
constexpr LONG ERROR_SERVICE_CANNOT_ACCEPT_CTRL = 1061;
constexpr LONG ERROR_SERVICE_NOT_ACTIVE = 1062;
constexpr LONG ERROR_DATABASE_DOES_NOT_EXIST = 1065;
constexpr LONG ERROR_BAD_DEVICE = 1200;
constexpr LONG ERROR_DEVICE_ALREADY_REMEMBERED = 1202;
constexpr LONG ERROR_NOT_CONTAINER = 1207;
constexpr LONG ERROR_NO_NETWORK = 1222;
constexpr LONG RPC_S_SERVER_UNAVAILABLE = 1722;
constexpr LONG EPT_S_NOT_REGISTERED = 1753;
constexpr LONG ERROR_NOT_CONNECTED = 2250;

}  // namespace platform
