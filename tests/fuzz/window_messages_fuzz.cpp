// Any bytes as a message to the window registry's server, as another process of the user sends
// them over its socket, and as an answer that a lookup reads back. Checked against a model of
// the messages written here: the request read is exactly the one the model reads (or none), it
// reads the same again once written out, and the server's answer and the window actions it runs
// are the ones the model expects of the windows registered: the first window that matches, or
// the one asked for, run once with the command given, and nothing for anything else.
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "platform/window_messages.h"
#include "platform/window_registry.h"

namespace {

using fuzz::Check;
using platform::WindowRequest;

struct Window {
  const char* class_name;
  const char* title;
  platform::HWND handle = nullptr;
  std::vector<int> shown;  // the show commands it was asked, -1 for a bring to the front
};

Window g_windows[] = {
    {"TApplication", "Orvo NAS Setup Wizard", nullptr, {}},
    {"Tform_Main", "Orvo NAS Setup Wizard", nullptr, {}},
    {"TForm", "tform_main", nullptr, {}},
};

uint32_t IdOf(platform::HWND handle) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle)); }

// The model: fields ended by NUL, a kind and its fields, numbers of one to ten digits in range.
std::optional<uint64_t> ModelNumber(std::string_view text, uint64_t most) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (const char c : text) {
    if (!(c >= '0' && c <= '9')) return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return value <= most ? std::optional(value) : std::nullopt;
}

std::optional<WindowRequest> Model(std::string_view message) {
  if (message.size() > platform::kMaxWindowMessage || message.empty() || message.back() != '\0') return std::nullopt;
  std::vector<std::string> fields(1);
  for (size_t i = 0; i + 1 < message.size(); ++i) {
    if (message[i] == '\0') {
      fields.emplace_back();
    } else {
      fields.back().push_back(message[i]);
    }
  }
  auto text = [](const std::string& field, std::optional<std::string>& into) {
    if (field == "-") return true;
    if (field.empty() || field.front() != '=') return false;
    into = field.substr(1);
    return true;
  };
  WindowRequest r;
  if (fields.size() == 3 && fields[0] == "FIND") {
    if (!text(fields[1], r.class_name) || !text(fields[2], r.title)) return std::nullopt;
    return r;
  }
  if (fields.size() == 3 && fields[0] == "SHOW") {
    const auto id = ModelNumber(fields[1], UINT32_MAX);
    const auto command = ModelNumber(fields[2], INT_MAX);
    if (!id || !command) return std::nullopt;
    r.kind = WindowRequest::Kind::kShow;
    r.id = static_cast<uint32_t>(*id);
    r.show_command = static_cast<int>(*command);
    return r;
  }
  if (fields.size() == 2 && fields[0] == "FRONT") {
    const auto id = ModelNumber(fields[1], UINT32_MAX);
    if (!id) return std::nullopt;
    r.kind = WindowRequest::Kind::kFront;
    r.id = static_cast<uint32_t>(*id);
    return r;
  }
  return std::nullopt;
}

bool SameLetters(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  for (Window& w : g_windows) {
    w.handle = platform::RegisterWindow(
        w.class_name, w.title, {[&w](int command) { w.shown.push_back(command); }, [&w] { w.shown.push_back(-1); }});
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string message(reinterpret_cast<const char*>(data), size);
  const std::optional<WindowRequest> read = platform::ParseWindowRequest(message);
  const std::optional<WindowRequest> expected = Model(message);
  Check(read == expected);
  if (read) Check(platform::ParseWindowRequest(platform::EncodeWindowRequest(*read)) == read);

  for (Window& w : g_windows) w.shown.clear();
  const std::string answer = platform::AnswerWindowRequest(message);
  std::string wanted = "0";
  std::vector<int> runs(std::size(g_windows), 0);
  if (expected && expected->kind == WindowRequest::Kind::kFind) {
    for (const Window& w : g_windows) {
      if ((!expected->class_name || SameLetters(w.class_name, *expected->class_name)) &&
          (!expected->title || SameLetters(w.title, *expected->title))) {
        wanted = std::to_string(IdOf(w.handle));
        break;
      }
    }
  } else if (expected) {
    for (size_t i = 0; i < std::size(g_windows); ++i) {
      if (IdOf(g_windows[i].handle) == expected->id) {
        wanted = "1";
        runs[i] = 1;
      }
    }
  }
  Check(answer == wanted);
  for (size_t i = 0; i < std::size(g_windows); ++i) {
    const Window& w = g_windows[i];
    Check(w.shown.size() == static_cast<size_t>(runs[i]));
    if (runs[i]) {
      Check(w.shown[0] == (expected->kind == WindowRequest::Kind::kShow ? expected->show_command : -1));
    }
  }

  // The same bytes as an answer a lookup reads: a window's id only when they are its digits.
  const auto number = platform::ParseWindowNumber(message);
  Check(number == (ModelNumber(message, UINT32_MAX)
                       ? std::optional<uint32_t>(static_cast<uint32_t>(*ModelNumber(message, UINT32_MAX)))
                       : std::nullopt));
  return 0;
}
