#pragma once

#include <functional>
#include <string>

// The clipboard's text. Headless it is the program's own; the presenter connects the desktop's.
std::string ClipboardText();
void SetClipboardText(const std::string& text);

struct TClipboardProvider {
  std::function<std::string()> get;
  std::function<void(const std::string&)> set;
};
void SetClipboardProvider(TClipboardProvider provider);
