#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "toolkit/form.h"

// Drives a form the way a user does, through the same entry points as the on-screen
// presenter: pointer moves, button presses, keys, typed text and pastes, by control name or
// by position in the form. Tests use it to exercise the windows.
class TDriver {
 public:
  explicit TDriver(TForm* form) : form_(form) {}
  TForm* Form() const { return form_; }
  void SetForm(TForm* form) { form_ = form; }

  // The named component of the form; std::invalid_argument when there is none.
  TControl* Find(const std::string& name) const;
  template <class T>
  T* Get(const std::string& name) const {
    T* typed = dynamic_cast<T*>(Find(name));
    if (!typed) throw std::invalid_argument(name + " is not of the asked class");
    return typed;
  }
  // The centre of a control in form coordinates.
  TPoint CenterOf(const std::string& name) const;

  void MoveTo(int x, int y);
  void MoveTo(const std::string& name);
  void LeaveForm();
  void Press(int x, int y, TMouseButton button = TMouseButton::mbLeft);
  void Release(int x, int y, TMouseButton button = TMouseButton::mbLeft);
  void ClickAt(int x, int y, TMouseButton button = TMouseButton::mbLeft);
  void Click(const std::string& name);
  void DoubleClick(const std::string& name);
  void Wheel(int x, int y, int notches) { form_->MouseWheelAt(x, y, notches); }

  // A key press: the key, and the character it types when the key was not handled as a key
  // (Enter 13, Backspace 8, Escape 27, Space).
  void Key(uint16_t key, TShiftState shift = 0);
  void Tab(bool backwards = false) { Key(VK_TAB, backwards ? ssShift : 0u); }
  void Enter() { Key(VK_RETURN); }
  void Backspace() { Key(VK_BACK); }
  // Types UTF-8 text character by character.
  void Type(std::string_view text);
  // Ctrl+V: the typed control character 22 goes through the key filters, then the edit pastes.
  void CtrlV();
  // A paste that types no character (the context menu's Paste).
  void Paste(const std::string& text);

 private:
  TForm* form_;
};
