#include "platform/window_messages.h"

#include <climits>
#include <vector>

namespace platform {
namespace {

std::string Optional(const std::optional<std::string>& text) { return text ? "=" + *text : std::string("-"); }

// The text of a field that is "-" (none) or "=" and the text; false for anything else.
bool FromOptional(std::string_view field, std::optional<std::string>& text) {
  if (field == "-") {
    text.reset();
    return true;
  }
  if (field.empty() || field[0] != '=') return false;
  text = std::string(field.substr(1));
  return true;
}

}  // namespace

std::optional<uint32_t> ParseWindowNumber(std::string_view text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(value);
}

std::string EncodeWindowRequest(const WindowRequest& request) {
  std::vector<std::string> fields;
  switch (request.kind) {
    case WindowRequest::Kind::kFind:
      fields = {"FIND", Optional(request.class_name), Optional(request.title)};
      break;
    case WindowRequest::Kind::kShow:
      fields = {"SHOW", std::to_string(request.id), std::to_string(request.show_command)};
      break;
    case WindowRequest::Kind::kFront:
      fields = {"FRONT", std::to_string(request.id)};
      break;
  }
  std::string message;
  for (const std::string& field : fields) {
    message += field;
    message += '\0';
  }
  return message;
}

std::optional<WindowRequest> ParseWindowRequest(std::string_view message) {
  if (message.size() > kMaxWindowMessage || message.empty() || message.back() != '\0') return std::nullopt;
  std::vector<std::string_view> f;
  for (size_t start = 0; start < message.size();) {
    const size_t end = message.find('\0', start);
    f.push_back(message.substr(start, end - start));
    start = end + 1;
  }
  WindowRequest request;
  if (f.size() == 3 && f[0] == "FIND") {
    request.kind = WindowRequest::Kind::kFind;
    if (!FromOptional(f[1], request.class_name) || !FromOptional(f[2], request.title)) return std::nullopt;
    return request;
  }
  if (f.size() == 3 && f[0] == "SHOW") {
    const auto id = ParseWindowNumber(f[1]);
    const auto command = ParseWindowNumber(f[2]);
    if (!id || !command || *command > static_cast<uint32_t>(INT_MAX)) return std::nullopt;
    request.kind = WindowRequest::Kind::kShow;
    request.id = *id;
    request.show_command = static_cast<int>(*command);
    return request;
  }
  if (f.size() == 2 && f[0] == "FRONT") {
    const auto id = ParseWindowNumber(f[1]);
    if (!id) return std::nullopt;
    request.kind = WindowRequest::Kind::kFront;
    request.id = *id;
    return request;
  }
  return std::nullopt;
}

}  // namespace platform
