#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "platform/win_types.h"

// Files and folders by the program's paths: a drive path ("Z:\Software Add-ins") reaches the
// host folder behind that drive letter (its mount point, a share's folder), with names matched
// without regard to letter case as the platform matches them; a host path ("/tmp/x") is taken
// as it is.
namespace platform {

// The host path (UTF-8) of a program path given in UTF-8; nothing when its drive has no folder (a
// free letter, a drive without medium, a share whose files the backend does not hold).
std::optional<std::string> HostPathOf(const std::string& path);

// The calls below take the program's 8-bit paths, in the system's ANSI code page.
bool DirectoryExists(const char* lpPathName);

// Deletes a file. False with the last error set: ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND,
// ERROR_ACCESS_DENIED (a folder, no permission).
BOOL DeleteFile(const char* lpFileName);

// fopen of a program path ("r", "w" or "a"; the text mode "t" is the default on the host and is
// dropped), opened as OpenRegularFile opens it.
std::FILE* OpenFile(const char* lpFileName, const char* mode);

// fopen ("r", "w" or "a") of a host path that never follows a link in the path's last part and
// never waits: anything but a regular file (a link, a FIFO, a device, a folder) is refused and
// left as it is, a file opened for writing is emptied only once it is known to be a regular
// file. Nothing with errno set when refused: ELOOP for a link, EACCES for what is not a regular
// file, else what the system said.
std::FILE* OpenRegularFile(const std::string& host_path, const char* mode);

// The temporary folder with its trailing separator: the length of the text without its
// terminator, or, when the buffer is too small, the size the buffer needs (terminator included).
// 0 with ERROR_PATH_NOT_FOUND when the backend has no temporary folder, or one whose name the
// code page cannot hold.
DWORD GetTempPathA(DWORD nBufferLength, char* lpBuffer);

}  // namespace platform
