#include "text/language_loader.h"

#include <algorithm>

#include "platform/exception.h"
#include "platform/exe_path.h"
#include "text/language_keys.h"
#include "text/language_layout.h"
#include "toolkit/control.h"
#include "toolkit/form.h"
#include "toolkit/ini_file.h"

uint8_t lang_FirstPass = 0;

namespace {

TForm* FindWindow(std::string_view name) {
  const std::vector<TForm*>& forms = Screen->Forms();
  const auto it = std::find_if(forms.begin(), forms.end(), [&](TForm* f) { return f->Name() == name; });
  return it == forms.end() ? nullptr : *it;
}

// The control behind a target, or nullptr when its window does not exist (yet).
TControl* FindTarget(const TextTarget& target) {
  TForm* window = FindWindow(target.window);
  if (!window || target.control.empty()) return window;
  if (auto* control = dynamic_cast<TControl*>(window->FindComponent(target.control))) return control;
  throw platform::Exception("LoadLanguageStrings: window " + std::string(target.window) + " has no control " +
                            std::string(target.control));
}

bool Applies(const TextTarget& target, bool first_pass) { return !(first_pass && target.second_call); }

}  // namespace

void LoadLanguageStrings(platform::AnsiString languageName) {
  LoadLanguageStringsFrom(LanguageFilePath(), languageName);
}

void LoadLanguageStringsFrom(const std::string& file, const platform::AnsiString& languageName) {
  const TIniFile ini(file);
  const std::string section = platform::FromAnsi(languageName);
  const bool first_pass = lang_FirstPass != 0;
  platform::AnsiString halves[2];
  std::vector<TControl*> joined_targets;

  for (const LanguageKey& row : LanguageKeys()) {
    std::vector<TControl*> targets;
    for (const TextTarget& target : row.captions) {
      if (!Applies(target, first_pass)) continue;
      if (TControl* control = FindTarget(target)) targets.push_back(control);
    }
    if (targets.empty() && !row.slot && row.joined == JoinedHalf::kNone) continue;

    const std::string value = ini.ReadString(section, std::string(row.key), std::string(row.english));
    if (row.joined != JoinedHalf::kNone) {
      halves[row.joined == JoinedHalf::kFirst ? 0 : 1] = platform::ToAnsi(value);
      if (row.joined == JoinedHalf::kFirst) joined_targets = targets;
    } else {
      for (TControl* control : targets) control->SetCaption(value);
    }
    if (row.slot) *row.slot = platform::ToAnsi(value);
  }

  const std::string joined = platform::FromAnsi(halves[0] + platform::AnsiString("\n") + halves[1]);
  for (TControl* control : joined_targets) control->SetCaption(joined);
  ApplyLanguageLayout(languageName);
}

std::string LanguageFilePath() { return platform::ExecutableFolder() + "Quillmere.ini"; }
