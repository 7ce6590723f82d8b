#pragma once

#include <string_view>
#include <vector>

#include "platform/ansi.h"

// A control whose caption a key sets, named by its window and its component name; no control
// name means the window's own caption. A target marked for the second call is left out while
// lang_FirstPass is set, since its window does not exist yet or must keep its layout text.
struct TextTarget {
  std::string_view window;
  std::string_view control;
  bool second_call = false;
};

// The two keys whose values, joined by a line feed, make one caption.
enum class JoinedHalf { kNone, kFirst, kSecond };

// One row of the key table: a key of the language file, its built-in English text and where its
// value goes: control captions (UTF-8, every character kept), the slot of the key's name (ANSI
// code page), or one half of a joined caption (then `captions` names that control).
struct LanguageKey {
  std::string_view key;
  std::string_view english;
  std::vector<TextTarget> captions;
  platform::AnsiString* slot = nullptr;
  JoinedHalf joined = JoinedHalf::kNone;
};

// Every key in the order of reading. A key has one row, except str_LabDNS1, which the settings
// page and the reachability test read with different defaults.
const std::vector<LanguageKey>& LanguageKeys();
