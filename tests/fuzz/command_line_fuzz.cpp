// Any cmd command line, as the reachability test's "cmd.exe /c ping <host> > <file>" becomes one
// when the host text holds operators, run through WinExec on a scratch folder. Checked against
// what it read and what it did: the program, the command, its words and its redirections are
// exactly those of a model of cmd's grammar written here; a file is written only when every
// file the line would write lies right inside the private temporary folder, and then only those
// files (never a file of the working folder, a subfolder, a link's target or anything else the
// line names), as inotify reports; a line that names any other file starts no ping.
#include <fcntl.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "check.h"
#include "named_scratch_folder.h"
#include "platform/ansi.h"
#include "platform/code_page.h"
#include "platform/command_line.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "sim/sim_drives.h"
#include "sim/sim_shell.h"

namespace {

namespace fs = std::filesystem;
using fuzz::Check;

// Starts nothing: it records the ping and writes one reply line to its output.
class RecordingProcesses final : public platform::Processes {
 public:
  platform::DWORD StartPing(const platform::PingCommand& command,
                            std::shared_ptr<platform::ProgramOutput> output) override {
    ++started;
    output->WriteLine("Reply from " + command.target + ": bytes=32 time<1ms TTL=64");
    return 0;
  }
  int started = 0;
};

constexpr const char* kVictimText = "the user's own file";

// The scratch world: the private temporary folder (drive T:) with a subfolder, a link to a file
// of the working folder, a FIFO and a folder under log-like names; the working folder (drive W:)
// with the user's file; inotify on every folder of it.
struct World {
  World() {
    platform::SetSystemCodePage(1252);
    fs::create_directories(temp / "sub");
    fs::create_directories(temp / "folder.txt");
    fs::create_directories(work);
    std::ofstream(work / "victim.txt") << kVictimText;
    std::ofstream(temp / "sub" / "x.txt") << kVictimText;
    fs::create_symlink(work / "victim.txt", temp / "link.txt");
    ::mkfifo((temp / "fifo.txt").c_str(), 0600);
    drives.SetTempFolder(temp.string() + "/");
    drives.SetLocalDrive('T', platform::DRIVE_FIXED, temp.string());
    drives.SetLocalDrive('W', platform::DRIVE_FIXED, work.string());
    platform::InstallDrives(&drives);
    platform::InstallProcesses(&processes);
    platform::InstallShell(&shell);
    notify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    for (const fs::path& folder : {scratch.path(), temp, temp / "sub", temp / "folder.txt", work}) {
      watches[inotify_add_watch(
          notify, folder.c_str(),
          IN_CREATE | IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_TO | IN_ATTRIB | IN_DELETE | IN_MOVED_FROM)] = folder;
    }
  }
  // The files touched since the last call (created, written, changed, removed), by full path.
  std::set<fs::path> Touched() {
    std::set<fs::path> touched;
    alignas(inotify_event) char buffer[16384];
    for (ssize_t n; (n = ::read(notify, buffer, sizeof buffer)) > 0;) {
      for (char* p = buffer; p < buffer + n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(p);
        if (e->len > 0) touched.insert(watches[e->wd] / e->name);
        p += sizeof(inotify_event) + e->len;
      }
    }
    return touched;
  }

  NamedScratchFolder scratch{"fuzz-command-line"};
  const fs::path temp = scratch.path() / "temp";
  const fs::path work = scratch.path() / "work";
  sim::SimDrives drives;
  RecordingProcesses processes;
  sim::SimShell shell;
  int notify = -1;
  int null = -1;
  std::map<int, fs::path> watches;
};

World* g_world = nullptr;

// ---- The model of cmd's grammar ----

bool Blank(char c) { return c == ' ' || c == '\t'; }
bool Operator(char c) { return c == '<' || c == '>' || c == '|' || c == '&'; }
bool Digit(char c) { return c >= '0' && c <= '9'; }

struct ModelCommand {
  std::vector<std::string> words;
  std::vector<platform::CmdRedirection> redirections;
  std::string unsupported;
};

ModelCommand ModelParse(const std::string& t) {
  ModelCommand m;
  size_t i = 0;
  // A word runs to a blank or an operator outside double quotes, which it drops.
  auto word = [&] {
    std::string w;
    for (bool quoted = false; i < t.size(); ++i) {
      if (t[i] == '"') {
        quoted = !quoted;
      } else if (!quoted && (Blank(t[i]) || Operator(t[i]))) {
        break;
      } else {
        w += t[i];
      }
    }
    return w;
  };
  while (true) {
    while (i < t.size() && Blank(t[i])) ++i;
    if (i == t.size()) return m;
    int handle = -1;
    if (Digit(t[i]) && i + 1 < t.size() && (t[i + 1] == '<' || t[i + 1] == '>')) handle = t[i++] - '0';
    const char c = t[i];
    if (c == '|' || c == '&') {
      m.unsupported = std::string(i + 1 < t.size() && t[i + 1] == c ? 2 : 1, c);
      return m;
    }
    if (c != '<' && c != '>') {
      m.words.push_back(word());
      continue;
    }
    platform::CmdRedirection r;
    r.input = c == '<';
    r.handle = handle >= 0 ? handle : r.input ? 0 : 1;
    ++i;
    if (c == '>' && i < t.size() && t[i] == '>') {
      r.append = true;
      ++i;
    }
    if (i + 1 < t.size() && t[i] == '&' && Digit(t[i + 1])) {
      r.duplicate_of = t[i + 1] - '0';
      i += 2;
    } else {
      while (i < t.size() && Blank(t[i])) ++i;
      r.target = word();
    }
    m.redirections.push_back(r);
  }
}

// Whether a path may be written: absolute, and, with "." and ".." taken by their names, a
// name right inside the temporary folder.
std::optional<std::vector<std::string>> Parts(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 1;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  return parts;
}

bool ModelWritable(const std::string& path, const std::string& temp) {
  if (path.empty() || path[0] != '/' || temp.empty() || temp[0] != '/') return false;
  // The last part must be a name of its own: "x/.", "x/.." and "x/" name a folder.
  const std::string last = path.substr(path.rfind('/') + 1);
  if (last.empty() || last == "." || last == "..") return false;
  auto file = Parts(path), folder = Parts(temp);
  return !file->empty() && file->size() == folder->size() + 1 &&
         std::equal(folder->begin(), folder->end(), file->begin());
}

bool Inside(const fs::path& path, const fs::path& folder) {
  const fs::path normal = path.lexically_normal();
  auto f = folder.begin();
  for (auto p = normal.begin(); f != folder.end(); ++p, ++f) {
    if (p == normal.end() || *p != *f) return false;
  }
  return true;
}

// ---- The line ----

std::string Place(FuzzedDataProvider& in, const World& w) {
  const std::string t = w.temp.string(), k = w.work.string();
  const std::string places[] = {
      t + "/pingGateway.txt",
      t + "/pingPrimaryDNS.txt",
      t + "//pingPublicDNS1.txt",
      t + "/./pingPublicDNS2.txt",
      t + "/sub/../pingGateway.txt",
      t + "/sub/x.txt",
      t + "/../work/victim.txt",
      t + "/link.txt",
      t + "/fifo.txt",
      t + "/folder.txt",
      t,
      t + "/",
      t + "/sub/..",
      "victim.txt",
      "pingGateway.txt",
      k + "/victim.txt",
      "T:\\pingGateway.txt",
      "t:\\SUB\\X.TXT",
      "W:\\victim.txt",
      "C:\\x.txt",
      "\"" + t + "/with blank.txt\"",
      "\"" + t + "/a\"b.txt",
  };
  if (in.ConsumeIntegralInRange<int>(0, 7) == 0) return in.ConsumeRandomLengthString(24);
  return places[in.ConsumeIntegralInRange<size_t>(0, std::size(places) - 1)];
}

std::string Token(FuzzedDataProvider& in, const World& w) {
  const char* words[] = {"ping", "10.0.0.1", "1.1.", "-n", "1", "\"", "x", "explorer", "\"a b\"", "192.168.1.1"};
  const char* operators[] = {">", ">>", "2>", "1>", "<", "1<", "0<", "2>&1", "<&0", ">&", "|", "&", "&&", "3>>"};
  switch (in.ConsumeIntegralInRange<int>(0, 4)) {
    case 0:
    case 1:
      return words[in.ConsumeIntegralInRange<size_t>(0, std::size(words) - 1)];
    case 2:
      return operators[in.ConsumeIntegralInRange<size_t>(0, std::size(operators) - 1)];
    case 3:
      return Place(in, w);
    default:
      return in.ConsumeRandomLengthString(12);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_world = new World();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  World& w = *g_world;
  FuzzedDataProvider in(data, size);
  const char* prefixes[] = {"cmd.exe /c ", "cmd /C  ", "CMD.EXE /q /c ", "\"C:\\Windows\\system32\\cmd.exe\" /c "};
  const std::string prefix = prefixes[in.ConsumeIntegralInRange<size_t>(0, std::size(prefixes) - 1)];
  const char* separators[] = {" ", "", "  ", "\t"};
  std::string text;
  for (int n = in.ConsumeIntegralInRange<int>(0, 12); n > 0 && in.remaining_bytes() > 0; --n) {
    text += Token(in, w);
    text += separators[in.ConsumeIntegralInRange<size_t>(0, std::size(separators) - 1)];
  }
  // The line as the program's 8-bit text holds it (WinExec takes it in the code page).
  text = platform::FromAnsi(platform::ToAnsi(text));
  if (text.find('\0') != std::string::npos) return 0;
  const std::string line = prefix + text;

  // What is read.
  const platform::ProgramAndArguments split = platform::SplitProgram(line);
  Check(platform::ProgramName(split.program) == "cmd");
  const std::optional<std::string> command_text = platform::CmdCommandText(split.arguments);
  const size_t first = text.find_first_not_of(" \t");
  Check(command_text && *command_text == (first == std::string::npos ? "" : text.substr(first)));
  const platform::CmdCommand command = platform::ParseCmdCommand(*command_text);
  const ModelCommand model = ModelParse(*command_text);
  Check(command.words == model.words && command.redirections == model.redirections &&
        command.unsupported == model.unsupported);

  // Which files it may write, and whether running it stays inside the scratch folder.
  const std::string temp = w.temp.string() + "/";
  bool writes_only_logs = true, inside = true;
  std::set<fs::path> logs;
  for (const platform::CmdRedirection& r : command.redirections) {
    if (r.duplicate_of >= 0) continue;
    const std::optional<std::string> host = platform::HostPathOf(r.target);
    Check(platform::IsWritableRedirectionTarget(r.target, temp) == ModelWritable(r.target, temp));
    if (!host || r.target.empty()) {
      writes_only_logs = false;
      continue;
    }
    if (!r.input) {
      const bool writable = platform::IsWritableRedirectionTarget(*host, temp);
      Check(writable == ModelWritable(*host, temp));
      writes_only_logs = writes_only_logs && writable;
      if (writable) logs.insert(fs::path(*host).lexically_normal());
    }
    const fs::path absolute = host->starts_with("/") ? fs::path(*host) : w.work / *host;
    inside = inside && Inside(absolute, w.scratch.path());
  }
  if (!inside) return 0;

  // What is done: with the working folder the scratch one, for the run only.
  w.Touched();
  const fs::path before = fs::current_path();
  fs::current_path(w.work);
  w.processes.started = 0;
  // cmd's console is the standard error, which the fuzzer's own report needs.
  std::fflush(stderr);
  const int console = ::dup(2);
  ::dup2(w.null, 2);
  platform::WinExec(platform::ToAnsi(line).c_str(), platform::SW_HIDE);
  std::fflush(stderr);
  ::dup2(console, 2);
  ::close(console);
  fs::current_path(before);
  const std::set<fs::path> touched = w.Touched();
  const bool runs = command.unsupported.empty() && writes_only_logs;
  for (const fs::path& file : touched) Check(runs && logs.count(file) == 1);
  if (!runs) Check(w.processes.started == 0);
  std::ifstream victim(w.work / "victim.txt");
  Check(std::string(std::istreambuf_iterator<char>(victim), {}) == kVictimText);
  Check(fs::is_symlink(fs::symlink_status(w.temp / "link.txt")));

  // The logs it wrote go, so that the next line meets the folder as it was.
  for (const fs::path& file : logs) {
    std::error_code ignored;
    if (fs::is_regular_file(fs::symlink_status(file))) fs::remove(file, ignored);
  }
  w.Touched();
  return 0;
}
