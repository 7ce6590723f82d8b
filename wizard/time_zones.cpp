#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "platform/exception.h"
#include "platform/log_debug.h"
#include "platform/registry.h"
#include "platform/time_zone.h"
#include "platform/unicode.h"
#include "text/language_keys.h"
#include "text/language_strings.h"
#include "toolkit/application.h"
#include "wizard/dialogs/message_box.h"
#include "wizard/main_form.h"
#include "wizard/time_zone_table.h"

namespace {

using platform::AnsiString;

const char* kStandardSuffix = " Standard Time";

AnsiString ReducedName(const std::string& name) {
  std::string reduced = name;
  const size_t at = reduced.find(kStandardSuffix);
  if (at != std::string::npos) reduced.erase(at, std::char_traits<char>::length(kStandardSuffix));
  return AnsiString(reduced);
}

int FindStemRow(const AnsiString& stem) {
  for (int i = 0; i < kTimeZoneCount; ++i) {
    if (TimeZoneTable[i].stem == stem) return i;
  }
  return -1;
}

// A string value read with the whole 260-byte buffer offered; nullopt when the read fails.
std::optional<std::string> ReadValue(platform::HKEY key, const char* name) {
  platform::BYTE buffer[260] = {};
  platform::DWORD size = sizeof buffer;
  platform::DWORD type = 0;
  if (platform::RegQueryValueExA(key, name, nullptr, &type, buffer, &size) != platform::ERROR_SUCCESS) {
    return std::nullopt;
  }
  // Data that fills the buffer need not end in a terminator: read no further than was given.
  const char* text = reinterpret_cast<const char*>(buffer);
  return std::string(text, strnlen(text, std::min<size_t>(size, sizeof buffer)));
}

}  // namespace

bool Tform_Main::LoadTimeZoneList() {
  platform::TIME_ZONE_INFORMATION information;
  const platform::DWORD zone_state = platform::GetTimeZoneInformation(&information);
  switch (zone_state) {
    case platform::TIME_ZONE_ID_UNKNOWN:
      LogDebug("TIME_ZONE_ID_UNKNOWN");
      break;
    case platform::TIME_ZONE_ID_STANDARD:
      LogDebug("TIME_ZONE_ID_STANDARD");
      break;
    case platform::TIME_ZONE_ID_DAYLIGHT:
      LogDebug("TIME_ZONE_ID_DAYLIGHT");
      break;
    default:
      LogDebug("TIME_ZONE_ID_INVALID");
      break;
  }
  const AnsiString standard_name = platform::ToAnsi(platform::Utf16ToUtf8(information.StandardName));

  ComboBox_tempTz->Clear();
  for (int i = 0; i < kTimeZoneCount; ++i) ComboBox_tempTz->Items().Add("");
  int current_row = -1;
  ComboBoxTimeZone->Clear();

  const std::string root_path = std::string(platform::kTimeZonesKeyPath) + "\\";
  platform::HKEY root{};
  if (platform::RegOpenKeyExA(platform::HKEY_LOCAL_MACHINE, root_path.c_str(), 0, platform::KEY_READ, &root) !=
      platform::ERROR_SUCCESS) {
    ShowStartupFailure(str_Msg7, 1);
  }
  for (platform::DWORD index = 0;; ++index) {
    char name[256] = {};
    platform::DWORD name_size = sizeof name;
    if (platform::RegEnumKeyExA(root, index, name, &name_size, nullptr, nullptr, nullptr, nullptr) !=
        platform::ERROR_SUCCESS) {
      break;
    }
    platform::HKEY key{};
    const std::string path = root_path + name;
    if (platform::RegOpenKeyExA(platform::HKEY_LOCAL_MACHINE, path.c_str(), 0, platform::KEY_READ, &key) !=
        platform::ERROR_SUCCESS) {
      ShowStartupFailure(str_Msg7, 2);
    }
    const std::optional<std::string> display = ReadValue(key, "Display");
    if (!display) ShowStartupFailure(str_Msg7, 2);
    const int row = FindStemRow(ReducedName(name));
    if (row >= 0) {
      ComboBox_tempTz->Items().Set(row, platform::FromAnsi(AnsiString(*display)));
      TimeZoneTable[row].code = AnsiString(*display);
      if (current_row == -1 && zone_state != platform::TIME_ZONE_ID_INVALID) {
        const std::optional<std::string> std_name = ReadValue(key, "Std");
        const AnsiString compared = std_name ? AnsiString(*std_name) : AnsiString(name);
        if (compared == standard_name) current_row = row;
      }
    }
    platform::RegCloseKey(key);
  }
  platform::RegCloseKey(root);

  for (int row = 0; row < kTimeZoneCount; ++row) {
    const std::string& entry = ComboBox_tempTz->Items()[row];
    if (entry.empty()) continue;
    ComboBoxTimeZone->Items().Add(entry);
    if (row == current_row) ComboBoxTimeZone->SetItemIndex(ComboBoxTimeZone->Items().Count() - 1);
  }
  if (ComboBoxTimeZone->ItemIndex() < 0) ComboBoxTimeZone->SetItemIndex(0);

  sg_TimeZone->SetRowCount(ComboBoxTimeZone->Items().Count());
  for (int i = 0; i < ComboBoxTimeZone->Items().Count(); ++i) sg_TimeZone->SetCell(0, i, ComboBoxTimeZone->Items()[i]);
  return true;
}

void Tform_Main::ShowStartupFailure(const platform::AnsiString& text, int kind) {
  platform::AnsiString shown = text;
  if (shown.empty()) {
    for (const LanguageKey& row : LanguageKeys()) {
      if (row.slot == &text) shown = platform::ToAnsi(row.english);
    }
  }
  if (form_MessageBox) {
    ShowWizardMessage(shown, kind);
  } else {
    Application->ShowException(platform::Exception(platform::FromAnsi(shown)));
  }
  std::exit(1);
}
