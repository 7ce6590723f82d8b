#include "platform/processes.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <variant>
#include <vector>

#include "platform/ansi.h"
#include "platform/command_line.h"
#include "platform/drives.h"
#include "platform/files.h"

namespace platform {
namespace {

constinit ServiceSlot<Processes> g_processes(&HostProcesses);
constinit ServiceSlot<Shell> g_shell(&HostShell);

// What WinExec reports for a program that started.
constexpr UINT kStarted = 33;

constexpr const char* kFileNotFound = "The system cannot find the file specified.";
constexpr const char* kPathNotFound = "The system cannot find the path specified.";

// The console of a hidden cmd or ping is the program's standard error.
void Console(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

UINT RunPing(const std::vector<std::string>& arguments, const std::shared_ptr<ProgramOutput>& output) {
  auto parsed = ParsePingArguments(arguments);
  if (auto* refusal = std::get_if<std::vector<std::string>>(&parsed)) {
    for (const std::string& line : *refusal) output->WriteLine(line);
    return kStarted;
  }
  const DWORD error = CurrentProcesses().StartPing(std::get<PingCommand>(parsed), output);
  return error ? error : kStarted;
}

// Explorer's arguments are switches and a folder separated by commas; blanks belong to the path.
UINT RunExplorer(const std::string& arguments) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t comma = arguments.find(',', start);
    std::string part(arguments.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    while (!part.empty() && (part.front() == ' ' || part.front() == '"')) part.erase(part.begin());
    while (!part.empty() && (part.back() == ' ' || part.back() == '"')) part.pop_back();
    parts.push_back(part);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  std::string folder;
  for (size_t i = 0; i < parts.size(); ++i) {
    std::string word = parts[i];
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if ((word == "/root" || word == "/select") && i + 1 < parts.size()) {
      folder = parts[++i];
      // A selected item is shown in its folder.
      if (word == "/select") folder = folder.substr(0, folder.find_last_of("\\/"));
    } else if (!word.empty() && word[0] != '/') {
      folder = parts[i];
    }
  }
  const char* home = std::getenv("HOME");
  std::optional<std::string> host = folder.empty() ? std::optional<std::string>(home ? home : "/") : HostPathOf(folder);
  std::error_code error;
  if (!host || !std::filesystem::is_directory(*host, error)) {
    Console("The path '" + folder + "' does not exist or is not a directory.");
    return kStarted;
  }
  return CurrentShell().Open(*host) ? static_cast<UINT>(ERROR_FILE_NOT_FOUND) : kStarted;
}

// cmd runs one simple command: it opens the redirections first, in order, then the program.
UINT RunCmd(const std::string& text) {
  const CmdCommand command = ParseCmdCommand(text);
  if (!command.unsupported.empty()) {
    Console("cmd: \"" + command.unsupported + "\" is not run by this emulation of cmd");
    return ERROR_BAD_FORMAT;
  }
  // Every target is checked before the first is opened: a line that names one file it may not
  // write empties none. Only the program's own logs in the private temporary folder are written.
  std::vector<std::optional<std::string>> hosts;
  const std::string temp_folder = CurrentDrives().TempFolder();
  for (const CmdRedirection& r : command.redirections) {
    // The form that is checked is the one opened: "x/.." is not left to a link's folder.
    std::optional<std::string> host = r.duplicate_of >= 0 ? std::nullopt : HostPathOf(r.target);
    if (host && !r.input) host = std::filesystem::path(*host).lexically_normal().string();
    hosts.push_back(std::move(host));
    if (r.duplicate_of >= 0) continue;
    if (r.target.empty()) {
      Console("The syntax of the command is incorrect.");
      return kStarted;
    }
    if (!hosts.back()) {
      Console(r.input ? kFileNotFound : kPathNotFound);
      return kStarted;
    }
    if (!r.input && !IsWritableRedirectionTarget(*hosts.back(), temp_folder)) {
      Console("Access is denied.");
      return kStarted;
    }
  }
  std::shared_ptr<ProgramOutput> output = ProgramOutput::Discard();
  for (size_t i = 0; i < command.redirections.size(); ++i) {
    const CmdRedirection& r = command.redirections[i];
    if (r.duplicate_of >= 0) continue;
    // A link or a FIFO planted under the name is refused, never followed or waited on.
    std::FILE* file = OpenRegularFile(*hosts[i], r.input ? "r" : r.append ? "a" : "w");
    if (!file) {
      const bool missing = errno == ENOENT || errno == ENOTDIR;
      Console(!missing ? "Access is denied." : r.input ? kFileNotFound : kPathNotFound);
      return kStarted;
    }
    auto opened = ProgramOutput::ToFile(file);
    if (r.handle == 1 && !r.input) output = opened;
  }
  if (command.words.empty()) return kStarted;
  const std::string program = ProgramName(command.words.front());
  if (program == "ping") {
    const UINT result = RunPing({command.words.begin() + 1, command.words.end()}, output);
    if (result <= 31)
      Console("'ping' is not recognized as an internal or external command,\noperable program or batch file.");
    return kStarted;
  }
  if (program == "explorer") {
    const size_t start = text.find_first_not_of(" \t");
    return RunExplorer(SplitProgram(text.substr(start)).arguments);
  }
  Console("'" + command.words.front() +
          "' is not recognized as an internal or external command,\noperable program or batch file.");
  return kStarted;
}

bool IsAddress(const std::string& target) {
  const size_t colon = target.find(':');
  if (colon == std::string::npos || colon < 2) return false;
  for (size_t i = 0; i < colon; ++i) {
    const char c = target[i];
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return false;
  }
  return std::isalpha(static_cast<unsigned char>(target[0])) &&
         (target.compare(colon, 3, "://") == 0 || target.compare(0, colon, "mailto") == 0);
}

}  // namespace

std::shared_ptr<ProgramOutput> ProgramOutput::Discard() {
  return std::shared_ptr<ProgramOutput>(new ProgramOutput(nullptr));
}

std::shared_ptr<ProgramOutput> ProgramOutput::ToFile(std::FILE* file) {
  return std::shared_ptr<ProgramOutput>(new ProgramOutput(file));
}

ProgramOutput::~ProgramOutput() {
  if (file_) std::fclose(file_);
}

void ProgramOutput::WriteLine(std::string_view line) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!file_) return;
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fputs("\r\n", file_);
  std::fflush(file_);
}

Processes& CurrentProcesses() { return g_processes.Current(); }
void InstallProcesses(Processes* processes) { g_processes.Install(processes); }
Shell& CurrentShell() { return g_shell.Current(); }
void InstallShell(Shell* shell) { g_shell.Install(shell); }

UINT WinExec(const char* lpCmdLine, UINT) {
  const std::string line = lpCmdLine ? FromAnsi(AnsiString(lpCmdLine)) : std::string();
  const ProgramAndArguments split = SplitProgram(line);
  const std::string program = ProgramName(split.program);
  if (program == "cmd") {
    const std::optional<std::string> command = CmdCommandText(split.arguments);
    if (!command) {
      Console("cmd: only \"cmd /c <command>\" is run by this emulation of cmd");
      return ERROR_BAD_FORMAT;
    }
    return RunCmd(*command);
  }
  if (program == "ping") return RunPing(SplitWords(split.arguments), ProgramOutput::Discard());
  if (program == "explorer") return RunExplorer(split.arguments);
  return ERROR_FILE_NOT_FOUND;
}

HINSTANCE ShellExecuteA(HWND, const char* lpOperation, const char* lpFile, const char*, const char*, int) {
  const std::string verb = lpOperation ? FromAnsi(AnsiString(lpOperation)) : "open";
  if (verb != "open" && verb != "explore") return SE_ERR_NOASSOC;
  const std::string file = lpFile ? FromAnsi(AnsiString(lpFile)) : std::string();
  if (file.empty()) return ERROR_FILE_NOT_FOUND;
  std::optional<std::string> target = IsAddress(file) ? std::optional(file) : HostPathOf(file);
  std::error_code error;
  if (!IsAddress(file) && (!target || !std::filesystem::exists(*target, error))) return ERROR_FILE_NOT_FOUND;
  return CurrentShell().Open(*target) ? SE_ERR_NOASSOC : 42;
}

}  // namespace platform
