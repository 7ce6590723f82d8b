// What iputils' ping prints, any lines with any numbers at any times, as the ping transcript
// turns it into the Windows ping's lines. Checked against what it wrote: it never raises, a reply
// line's numbers stay within their fields, every request line is one of the requests that can
// have been sent (no more than the count, nor than one a second since the start), and the
// statistics count exactly the request lines, received never above sent.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "check.h"
#include "platform/iputils_ping.h"

namespace {

using fuzz::Check;

// Decimal digits of any length (an empty text too), or a point, as a number field may hold.
std::string NumberText(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      return std::to_string(in.ConsumeIntegralInRange<uint32_t>(0, 70));
    case 1:
      return std::to_string(in.ConsumeIntegral<uint64_t>());
    case 2: {
      std::string digits;
      for (size_t n = in.ConsumeIntegralInRange<size_t>(0, 30); n > 0; --n) {
        digits.push_back(static_cast<char>('0' + in.ConsumeIntegralInRange<int>(0, 9)));
      }
      return digits;
    }
    default:
      return in.ConsumeBool() ? "." : std::to_string(in.ConsumeIntegral<uint32_t>()) + "." + "5";
  }
}

std::string Address(FuzzedDataProvider& in) { return in.ConsumeBool() ? "10.0.0.1" : in.ConsumeRandomLengthString(20); }

// One line as iputils writes them, with the numbers and texts of the input, or any text.
std::string Line(FuzzedDataProvider& in, bool& to_error) {
  to_error = false;
  switch (in.ConsumeIntegralInRange<int>(0, 6)) {
    case 0:
      return "PING " + Address(in) + " (" + Address(in) + ") 32(60) bytes of data.";
    case 1: {
      std::string line =
          NumberText(in) + " bytes from " + Address(in) + ": icmp_seq=" + NumberText(in) + " ttl=" + NumberText(in);
      if (in.ConsumeBool()) line += " time=" + NumberText(in) + " ms";
      if (in.ConsumeBool()) line += in.ConsumeBool() ? " (DUP!)" : in.ConsumeRandomLengthString(10);
      return line;
    }
    case 2:
      return "From " + Address(in) + " icmp_seq=" + NumberText(in) + " " +
             (in.ConsumeBool() ? "Destination Host Unreachable" : in.ConsumeRandomLengthString(30));
    case 3:
      return NumberText(in) + " packets transmitted, " + NumberText(in) + " received";
    case 4: {
      to_error = true;
      const char* errors[] = {"ping: x: Name or service not known", "ping: connect: Network is unreachable",
                              "ping: socket: Operation not permitted", "ping: something else"};
      return in.ConsumeBool() ? errors[in.ConsumeIntegralInRange<int>(0, 3)] : in.ConsumeRandomLengthString(80);
    }
    case 5:
      // Longer than any line of a ping.
      return std::string(in.ConsumeIntegralInRange<size_t>(1000, 3000), in.ConsumeBool() ? ' ' : '1');
    default:
      return in.ConsumeRandomLengthString(200);
  }
}

// The lines that stand for one request each.
uint64_t RequestLines(const std::vector<std::string>& out) {
  uint64_t n = 0;
  for (const std::string& line : out) {
    n += line.starts_with("Reply from ") || line == "Request timed out." ||
         line == "PING: transmit failed. General failure.";
  }
  return n;
}

// The number after `key` (its first place, or with `last` its last), read in full; nothing when
// there is none.
std::optional<uint64_t> NumberAfter(const std::string& line, const std::string& key, bool last = false) {
  const size_t at = last ? line.rfind(key) : line.find(key);
  if (at == std::string::npos) return std::nullopt;
  uint64_t value = 0;
  size_t i = at + key.size(), digits = 0;
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9' && digits < 20; ++i, ++digits) {
    value = value * 10 + static_cast<uint64_t>(line[i] - '0');
  }
  if (digits == 0 || digits >= 20) return std::nullopt;
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  platform::PingCommand command;
  command.target = "10.0.0.1";
  command.until_stopped = in.ConsumeBool();
  command.count = in.ConsumeBool() ? in.ConsumeIntegralInRange<uint32_t>(1, 8) : in.ConsumeIntegral<uint32_t>();
  if (command.count == 0) command.count = 1;
  platform::IputilsPingTranscript transcript(command);
  std::vector<std::string> out;
  uint64_t elapsed_ms = 0;
  for (int lines = 0; in.remaining_bytes() > 0 && lines < 64; ++lines) {
    elapsed_ms += in.ConsumeIntegralInRange<uint64_t>(0, 5000);
    bool to_error = false;
    const std::string line = Line(in, to_error);
    bool understood = true;
    const std::vector<std::string> got =
        to_error ? transcript.OnError(line, understood) : transcript.OnOutput(line, elapsed_ms);
    out.insert(out.end(), got.begin(), got.end());
    // Before the end, only the requests sent by now have a line.
    const uint64_t by_time = elapsed_ms / 1000 + 2;
    Check(RequestLines(out) <= (command.until_stopped ? by_time : std::min<uint64_t>(command.count, by_time)));
  }
  // A counted run that ended is given its whole count, even one that could not send at all: a
  // long count is not run to its end here.
  if (!command.until_stopped && command.count > 8) return 0;
  elapsed_ms += in.ConsumeIntegralInRange<uint64_t>(0, 5000);
  const std::vector<std::string> end = transcript.Finish(elapsed_ms);
  out.insert(out.end(), end.begin(), end.end());

  if (out.size() == 1 && out[0].starts_with("Ping request could not find host ")) return 0;
  uint64_t replies = 0;
  std::optional<uint64_t> sent, received, lost;
  for (const std::string& line : out) {
    if (line.starts_with("Reply from ")) {
      ++replies;
      // An echo reply: "Reply from <address>: bytes=32 time<1ms TTL=64"; the address holds no
      // blank, so the fields are found by the blank before them.
      if (const auto ttl = NumberAfter(line, " TTL=", true)) {
        Check(*ttl <= 255);
        const auto bytes = NumberAfter(line, ": bytes=");
        Check(bytes && *bytes <= 65535);
        Check(line.find(" time<1ms ") != std::string::npos ||
              NumberAfter(line, " time=").value_or(uint64_t{1} << 40) <= UINT32_MAX);
      }
    } else if (line.starts_with("    Packets: Sent = ")) {
      Check(!sent);
      sent = NumberAfter(line, "Sent = ");
      received = NumberAfter(line, "Received = ");
      lost = NumberAfter(line, "Lost = ");
      Check(sent && received && lost);
    }
  }
  const uint64_t requests = RequestLines(out);
  Check(sent.has_value());
  Check(requests <= (command.until_stopped ? elapsed_ms / 1000 + 2 : command.count));
  Check(*sent == requests && *received == replies && *received <= *sent && *lost == *sent - *received);
  if (!command.until_stopped) Check(*sent == command.count);
  // The header, a line a request, the statistics (at most five lines).
  Check(out.size() <= 2 + requests + 5);
  return 0;
}
