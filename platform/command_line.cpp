#include "platform/command_line.h"

#include <cctype>
#include <filesystem>

namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// A word from `i` on: up to a blank (or, in a cmd command, an operator) outside double quotes.
std::string ReadWord(const std::string& text, size_t& i, bool stop_at_operators) {
  std::string word;
  bool quoted = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && (IsBlank(c) || (stop_at_operators && (c == '<' || c == '>' || c == '|' || c == '&')))) break;
    word.push_back(c);
  }
  return word;
}

void SkipBlanks(const std::string& text, size_t& i) {
  while (i < text.size() && IsBlank(text[i])) ++i;
}

}  // namespace

ProgramAndArguments SplitProgram(const std::string& line) {
  size_t i = 0;
  SkipBlanks(line, i);
  ProgramAndArguments result;
  if (i < line.size() && line[i] == '"') {
    const size_t end = line.find('"', i + 1);
    result.program = line.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
    i = end == std::string::npos ? line.size() : end + 1;
  } else {
    while (i < line.size() && !IsBlank(line[i])) result.program.push_back(line[i++]);
  }
  SkipBlanks(line, i);
  result.arguments = line.substr(i);
  return result;
}

std::string ProgramName(const std::string& program) {
  const size_t slash = program.find_last_of("\\/");
  std::string name = Lower(slash == std::string::npos ? program : program.substr(slash + 1));
  if (name.size() > 4 && (name.ends_with(".exe") || name.ends_with(".com"))) name.resize(name.size() - 4);
  return name;
}

std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> words;
  size_t i = 0;
  for (SkipBlanks(text, i); i < text.size(); SkipBlanks(text, i)) words.push_back(ReadWord(text, i, false));
  return words;
}

std::optional<std::string> CmdCommandText(const std::string& arguments) {
  size_t i = 0;
  for (SkipBlanks(arguments, i); i < arguments.size() && arguments[i] == '/'; SkipBlanks(arguments, i)) {
    size_t end = i;
    while (end < arguments.size() && !IsBlank(arguments[end])) ++end;
    const std::string word = Lower(arguments.substr(i, end - i));
    if (word == "/c" || word == "/k") {
      SkipBlanks(arguments, end);
      return arguments.substr(end);
    }
    i = end;
  }
  return std::nullopt;
}

CmdCommand ParseCmdCommand(const std::string& text) {
  CmdCommand command;
  size_t i = 0;
  for (SkipBlanks(text, i); i < text.size(); SkipBlanks(text, i)) {
    // A handle digit counts only as a word of its own right before the operator ("2>").
    int handle = -1;
    if (std::isdigit(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
        (text[i + 1] == '>' || text[i + 1] == '<')) {
      handle = text[i] - '0';
      ++i;
    }
    const char c = text[i];
    if (c == '|' || c == '&') {
      const bool doubled = i + 1 < text.size() && text[i + 1] == c;
      command.unsupported = doubled ? std::string(2, c) : std::string(1, c);
      return command;
    }
    if (c == '<' || c == '>') {
      CmdRedirection r;
      r.handle = handle >= 0 ? handle : (c == '<' ? 0 : 1);
      r.input = c == '<';
      ++i;
      if (c == '>' && i < text.size() && text[i] == '>') {
        r.append = true;
        ++i;
      }
      if (i + 1 < text.size() && text[i] == '&' && std::isdigit(static_cast<unsigned char>(text[i + 1]))) {
        r.duplicate_of = text[i + 1] - '0';
        i += 2;
      } else {
        SkipBlanks(text, i);
        r.target = ReadWord(text, i, true);
      }
      command.redirections.push_back(r);
      continue;
    }
    command.words.push_back(ReadWord(text, i, true));
  }
  return command;
}

bool IsWritableRedirectionTarget(const std::string& host_path, const std::string& temp_folder) {
  namespace fs = std::filesystem;
  if (temp_folder.empty() || temp_folder[0] != '/' || host_path.empty() || host_path[0] != '/') return false;
  fs::path folder = fs::path(temp_folder).lexically_normal();
  if (!folder.has_filename()) folder = folder.parent_path();
  const fs::path file = fs::path(host_path).lexically_normal();
  if (!file.has_filename() || file.filename() == "." || file.filename() == "..") return false;
  return file.parent_path() == folder;
}

}  // namespace platform
