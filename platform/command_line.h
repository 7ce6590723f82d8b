#pragma once

#include <optional>
#include <string>
#include <vector>

// Command lines as the platform's process start reads them. Nothing here runs anything: the
// layer parses the line and starts a program with an argument vector, never through a shell.
namespace platform {

// The program of a command line (its first word, or the text of a leading quoted part) and the
// rest of the line after the blanks that follow it.
struct ProgramAndArguments {
  std::string program;
  std::string arguments;
};
ProgramAndArguments SplitProgram(const std::string& line);

// The name a program is known by: its file name without folder and without ".exe" or ".com",
// in lower case ("C:\Windows\system32\CMD.EXE" is "cmd").
std::string ProgramName(const std::string& program);

// The words of a text, split at blanks outside double quotes; the quotes are dropped.
std::vector<std::string> SplitWords(const std::string& text);

// The command that cmd.exe runs for its arguments: the text after /c (or /k) behind any other
// switches; nothing when there is no /c or /k.
std::optional<std::string> CmdCommandText(const std::string& arguments);

// One redirection of a cmd command: "> f", ">> f", "2> f", "< f", "2>&1".
struct CmdRedirection {
  int handle = 1;         // 0 input, 1 output, 2 errors
  bool append = false;    // ">>"
  std::string target;     // the file; empty for a duplication
  int duplicate_of = -1;  // "2>&1": the handle it goes to
  bool input = false;     // "<" (also "2<"): the file is read, never written
  friend bool operator==(const CmdRedirection&, const CmdRedirection&) = default;
};

// A simple command of cmd: its words (quotes dropped) and its redirections, in the order given.
// `unsupported` names a part the emulation does not run (pipes "|", command chains "&", "&&",
// "||"), empty when there is none.
struct CmdCommand {
  std::vector<std::string> words;
  std::vector<CmdRedirection> redirections;
  std::string unsupported;
};
CmdCommand ParseCmdCommand(const std::string& text);

// Whether cmd may open the host path for writing: only a file right inside the private
// temporary folder `temp_folder` (the program's own logs), named by an absolute path. Nothing
// else is ever emptied or written by a command line, whatever text reached it.
bool IsWritableRedirectionTarget(const std::string& host_path, const std::string& temp_folder);

}  // namespace platform
