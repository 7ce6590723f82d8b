#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/virtual_clock.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/layout.h"

// A form of a layout's own class name, with nothing of the wizard behind it.
class LayoutForm : public TForm {
 public:
  LayoutForm(TComponent* owner, std::string class_name) : TForm(owner), class_name_(std::move(class_name)) {}
  std::string ClassName() const override { return class_name_; }

 private:
  std::string class_name_;
};

struct WindowLayout {
  const char* form;
  const char* class_name;
};

// The six windows in the order the program creates them.
inline const std::vector<WindowLayout>& Windows() {
  static const std::vector<WindowLayout> windows = {
      {"form_Main", "Tform_Main"},
      {"form_ApplyProgress", "Tform_ApplyProgress"},
      {"form_UsernamePassValid", "Tform_UsernamePassValid"},
      {"form_ConfirmFormat", "Tform_ConfirmFormat"},
      {"form_MessageBox", "Tform_MessageBox"},
      {"form_ConnectionTest", "Tform_ConnectionTest"},
  };
  return windows;
}

using Json = nlohmann::ordered_json;

// Loads the embedded layouts into LayoutForms on the virtual clock. Every handler name that a
// layout binds is registered with the signature its event needs, so a load fails only on what
// the layout itself gets wrong (a name bound to events of two kinds among them).
class FormsTest : public ::testing::Test {
 public:
  static void SetUpTestSuite();

  // The layout's text as embedded.
  static Json LayoutJson(const std::string& form);
  // The bindings that wait in bindings.json, by form.
  static Json PendingBindings();

  LayoutForm* Load(const WindowLayout& window, const Json& layout);
  LayoutForm* Load(const WindowLayout& window) { return Load(window, LayoutJson(window.form)); }

  // The named component of a loaded form, as a T (a test failure when it is missing or another class).
  template <class T>
  static T* Get(TForm* form, const std::string& name) {
    return BindComponent<T>(*form, name);
  }

  void Notify(TObject*) {}
  void Key(TObject*, char16_t&) {}
  void Mouse(TObject*, TMouseButton, TShiftState, int, int) {}
  void MouseMove(TObject*, TShiftState, int, int) {}
  void DrawCell(TObject*, int, int, TRect, TGridDrawState) {}
  void Close(TObject*, TCloseAction&) {}

 protected:
  platform::ScopedVirtualClock clock_;
  TApplication app_;
};
