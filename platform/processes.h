#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/ping_command.h"
#include "platform/service.h"
#include "platform/win_types.h"
#include "platform/window_registry.h"

// Starting programs by command line (WinExec) and opening documents, folders and addresses
// (ShellExecuteA). The layer parses every command line itself and starts what it names with an
// argument vector, never through a shell; cmd's output redirection is done by the layer too.
namespace platform {

// Results of ShellExecuteA up to 32 are errors.
constexpr UINT SE_ERR_NOASSOC = 31;

// Where a started program's standard output goes: a file that the layer opened for a
// redirection, or nowhere (no console). Lines are written whole, each ending in CR LF as the
// platform's console programs end them, and are in the file when WriteLine returns.
class ProgramOutput {
 public:
  static std::shared_ptr<ProgramOutput> Discard();
  // Takes over an open file.
  static std::shared_ptr<ProgramOutput> ToFile(std::FILE* file);
  ~ProgramOutput();
  ProgramOutput(const ProgramOutput&) = delete;
  ProgramOutput& operator=(const ProgramOutput&) = delete;

  void WriteLine(std::string_view line);

 private:
  explicit ProgramOutput(std::FILE* file) : file_(file) {}
  std::mutex mutex_;
  std::FILE* file_;
};

// The programs of the platform that a processes backend runs.
class Processes {
 public:
  virtual ~Processes() = default;
  // Starts the ping of `command`, writing the Windows ping's lines to `output` as they come;
  // returns at once. 0, or the error that kept it from starting (ERROR_FILE_NOT_FOUND).
  virtual DWORD StartPing(const PingCommand& command, std::shared_ptr<ProgramOutput> output) = 0;
};

Processes& CurrentProcesses();
void InstallProcesses(Processes* processes);
Processes& HostProcesses();

// What the desktop opens for the program: an address or a host file or folder.
class Shell {
 public:
  virtual ~Shell() = default;
  // Opens it with the desktop's program for it; returns at once. 0, or SE_ERR_NOASSOC when the
  // desktop has none.
  virtual DWORD Open(const std::string& target) = 0;
};

Shell& CurrentShell();
void InstallShell(Shell* shell);
Shell& HostShell();

// Starts a program by its command line (in the ANSI code page). The programs of the platform
// are known by name: "cmd /c <command>" with one simple command and its redirections (>, >>, 2>,
// <, 2>&1), "ping" with the Windows ping's options, and "Explorer /n,/e,<folder>", which opens a
// program path's folder in the desktop's file manager. More than 31 when the program started;
// ERROR_FILE_NOT_FOUND for a program the platform does not have, ERROR_BAD_FORMAT for a line the
// emulation does not run (a cmd without /c, pipes and command chains). The show mode does not
// matter: there is no console.
UINT WinExec(const char* lpCmdLine, UINT uCmdShow);

using HINSTANCE = intptr_t;

// Opens an address ("http://...") or a program path with the desktop's program for it (the verb
// "open", or none). More than 32 on success; ERROR_FILE_NOT_FOUND for a path that does not exist,
// SE_ERR_NOASSOC for another verb or when the desktop has no program for it.
HINSTANCE ShellExecuteA(HWND hwnd, const char* lpOperation, const char* lpFile, const char* lpParameters,
                        const char* lpDirectory, int nShowCmd);

}  // namespace platform
