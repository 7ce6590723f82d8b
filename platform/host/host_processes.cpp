#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/clock.h"
#include "platform/host/spawn.h"
#include "platform/iputils_ping.h"
#include "platform/processes.h"

namespace platform {
namespace {

// Cuts what a pipe delivers into lines, without their line ends.
class LineReader {
 public:
  template <class OnLine>
  void Feed(const char* data, size_t size, OnLine on_line) {
    pending_.append(data, size);
    for (size_t end; (end = pending_.find('\n')) != std::string::npos; pending_.erase(0, end + 1)) {
      on_line(Line(pending_.substr(0, end)));
    }
  }
  template <class OnLine>
  void Finish(OnLine on_line) {
    if (!pending_.empty()) on_line(Line(pending_));
    pending_.clear();
  }

 private:
  static std::string Line(std::string text) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
  }
  std::string pending_;
};

// Follows a running ping: translates each line as it comes and writes it to the output, then
// collects the ping's exit and writes the statistics.
void Relay(SpawnedProgram ping, PingCommand command, std::shared_ptr<ProgramOutput> output, uint64_t started_ms) {
  IputilsPingTranscript transcript(std::move(command));
  auto elapsed_ms = [started_ms] { return RealClock().NowMs() - started_ms; };
  auto write = [&](const std::vector<std::string>& lines) {
    for (const std::string& line : lines) output->WriteLine(line);
  };
  LineReader readers[2];
  pollfd fds[2] = {{ping.out, POLLIN, 0}, {ping.err, POLLIN, 0}};
  auto on_output = [&](const std::string& line) { write(transcript.OnOutput(line, elapsed_ms())); };
  auto on_error = [&](const std::string& line) {
    bool understood = true;
    write(transcript.OnError(line, understood));
    if (!understood) std::fprintf(stderr, "ping: %s\n", line.c_str());
  };
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        if (i == 0) readers[0].Feed(buffer, static_cast<size_t>(n), on_output);
        if (i == 1) readers[1].Feed(buffer, static_cast<size_t>(n), on_error);
      } else if (n == 0 || errno != EINTR) {
        if (i == 0) readers[0].Finish(on_output);
        if (i == 1) readers[1].Finish(on_error);
        close(fds[i].fd);
        fds[i].fd = -1;
      }
    }
  }
  for (const pollfd& fd : fds) {
    if (fd.fd >= 0) close(fd.fd);
  }
  int status = 0;
  while (waitpid(ping.pid, &status, 0) < 0 && errno == EINTR) {
  }
  write(transcript.Finish(elapsed_ms()));
}

class HostProcessesImpl final : public Processes {
 public:
  DWORD StartPing(const PingCommand& command, std::shared_ptr<ProgramOutput> output) override {
    // The transcript's clock starts before ping's, so that it never runs behind ping's requests.
    const uint64_t started_ms = RealClock().NowMs();
    SpawnedProgram ping = Spawn(IputilsPingArguments(command), true);
    if (ping.pid < 0) return ping.error == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
    RunInBackground("ping " + command.target, [ping, command, output = std::move(output), started_ms] {
      Relay(ping, command, output, started_ms);
    });
    return ERROR_SUCCESS;
  }
};

class HostShellImpl final : public Shell {
 public:
  DWORD Open(const std::string& target) override {
    SpawnedProgram opener = Spawn({"xdg-open", target}, false);
    if (opener.pid < 0) return SE_ERR_NOASSOC;
    RunInBackground("xdg-open", [pid = opener.pid] {
      int status = 0;
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    });
    return ERROR_SUCCESS;
  }
};

}  // namespace

Processes& HostProcesses() {
  static HostProcessesImpl processes;
  return processes;
}

Shell& HostShell() {
  static HostShellImpl shell;
  return shell;
}

}  // namespace platform
