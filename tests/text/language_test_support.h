#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ansi.h"
#include "text/language_keys.h"
#include "text/language_layout.h"
#include "toolkit/control.h"
#include "toolkit/form.h"

// The five windows that the key table names, in the order the program creates them.
inline constexpr std::string_view kTextWindows[] = {"form_Main", "form_UsernamePassValid", "form_ConfirmFormat",
                                                    "form_MessageBox", "form_ConnectionTest"};

// A caption of a window's layout, so that a test sees which captions the loader left alone.
inline std::string LayoutCaption(std::string_view window, std::string_view control) {
  return "layout " + std::string(window) + "." + std::string(control);
}

// Windows standing in for the real layouts: a form of the window's name with a control of
// every name that the key table targets in it.
class TextWindows {
 public:
  TForm* Create(std::string_view name) {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetName(std::string(name));
    form->SetCaption(LayoutCaption(name, ""));
    for (const LanguageKey& row : LanguageKeys()) {
      for (const TextTarget& target : row.captions) {
        if (target.window != name || target.control.empty() || form->FindComponent(target.control)) continue;
        auto* control = new TControl(form.get());
        control->SetName(std::string(target.control));
        control->SetParent(form.get());
        control->SetCaption(LayoutCaption(name, target.control));
      }
    }
    if (name == "form_Main") {
      for (const std::string& control_name : LanguageLayoutControls()) {
        if (form->FindComponent(control_name)) continue;
        auto* control = new TControl(form.get());
        control->SetName(control_name);
        control->SetParent(form.get());
        control->SetVisible(false);
      }
    }
    forms_.push_back(std::move(form));
    return forms_.back().get();
  }
  void CreateAll() {
    for (std::string_view name : kTextWindows) Create(name);
  }
  // The control behind a target, or nullptr when its window was not created.
  TControl* Find(const TextTarget& target) const {
    for (const auto& form : forms_) {
      if (form->Name() != target.window) continue;
      if (target.control.empty()) return form.get();
      return dynamic_cast<TControl*>(form->FindComponent(target.control));
    }
    return nullptr;
  }

 private:
  std::vector<std::unique_ptr<TForm>> forms_;
};

// A section of a language file with the given keys and values (no blanks at their ends).
inline std::string IniSection(std::string_view name, const std::map<std::string, std::string>& values) {
  std::string text = "[" + std::string(name) + "]\r\n";
  for (const auto& [key, value] : values) text += key + "=" + value + "\r\n";
  return text;
}
