#include "toolkit/clipboard.h"

#include "toolkit/main_thread.h"

namespace {
std::string g_text;
TClipboardProvider g_provider;
}  // namespace

std::string ClipboardText() { return g_provider.get ? g_provider.get() : g_text; }

void SetClipboardText(const std::string& text) {
  TK_ASSERT_MAIN_THREAD("the clipboard");
  if (g_provider.set) {
    g_provider.set(text);
  } else {
    g_text = text;
  }
}

void SetClipboardProvider(TClipboardProvider provider) { g_provider = std::move(provider); }
