#pragma once

#include <memory>
#include <string>

#include "toolkit/control.h"
#include "toolkit/picture.h"
#include "toolkit/strings.h"

// A text label (a graphic control: it never takes the focus).
class TLabel : public TControl {
 public:
  explicit TLabel(TComponent* owner);
  std::string ClassName() const override { return "TLabel"; }

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout l);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool t);
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool a);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool w);

 protected:
  void CaptionChanged() override { AdjustSize(); }

 private:
  void AdjustSize();
  TAlignment alignment_ = TAlignment::taLeftJustify;
  TTextLayout layout_ = TTextLayout::tlTop;
  bool transparent_ = false;
  bool auto_size_ = true;
  bool word_wrap_ = false;
};

// A picture (may be empty and still take mouse events).
class TImage : public TControl {
 public:
  explicit TImage(TComponent* owner);
  std::string ClassName() const override { return "TImage"; }
  const TPicture& Picture() const { return picture_; }
  void SetPicture(TPicture picture);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool t) {
    TK_ASSERT_MAIN_THREAD("a picture");
    transparent_ = t;
  }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool s);

 private:
  TPicture picture_;
  bool transparent_ = false;
  bool stretch_ = false;
};

// A single-line edit control.
class TEdit : public TWinControl {
 public:
  explicit TEdit(TComponent* owner);
  std::string ClassName() const override { return "TEdit"; }
  bool TakesFocusOnClick() const override { return true; }

  std::string Text() const;
  void SetText(std::string_view text);
  // Length in UTF-16 code units, as the platform's edit control counts.
  int Length() const { return static_cast<int>(text_.size()); }
  int MaxLength() const { return max_length_; }
  void SetMaxLength(int n) {
    TK_ASSERT_MAIN_THREAD("an edit");
    max_length_ = n;
  }
  char16_t PasswordChar() const { return password_char_; }
  void SetPasswordChar(char16_t c);
  bool AutoSelect() const { return auto_select_; }
  void SetAutoSelect(bool a) {
    TK_ASSERT_MAIN_THREAD("an edit");
    auto_select_ = a;
  }
  int SelStart() const { return sel_start_; }
  int SelLength() const { return sel_length_; }
  void SetSelStart(int start);
  void SetSelLength(int length);
  void SelectAll();
  void Clear() { SetText(""); }

  TNotifyEvent OnChange;

  void DoEnter() override;
  void HandleChar(char16_t key) override;
  bool HandleKeyDown(uint16_t key, TShiftState shift) override;
  void PasteText(const std::string& text) override;

 private:
  void ReplaceSelection(std::u16string_view with);
  void Changed();

  std::u16string text_;
  int max_length_ = 0;
  char16_t password_char_ = 0;
  bool auto_select_ = true;
  int sel_start_ = 0;
  int sel_length_ = 0;
};

// A push button.
class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner);
  std::string ClassName() const override { return "TButton"; }
  bool TakesFocusOnClick() const override { return true; }
  bool HandleKeyDown(uint16_t key, TShiftState shift) override;
};

// A check box: setting Checked runs OnClick on every change of state.
class TCheckBox : public TWinControl {
 public:
  explicit TCheckBox(TComponent* owner);
  std::string ClassName() const override { return "TCheckBox"; }
  bool TakesFocusOnClick() const override { return true; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  // A user's click toggles the box.
  void Click() override { SetChecked(!checked_); }
  bool HandleKeyDown(uint16_t key, TShiftState shift) override;

 private:
  bool checked_ = false;
};

// A radio button: the checked one of a parent's radios is the only checked one and its tab
// stop. Setting Checked to true runs OnClick only when it was not checked. Space clicks the
// focused radio; the arrow keys move the focus to the next (Right, Down) or previous (Left, Up)
// radio of the same parent that can take it, around the end, and check the one reached.
class TRadioButton : public TWinControl {
 public:
  explicit TRadioButton(TComponent* owner);
  std::string ClassName() const override { return "TRadioButton"; }
  bool TakesFocusOnClick() const override { return true; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  void Click() override { SetChecked(true); }
  bool HandleKeyDown(uint16_t key, TShiftState shift) override;

 private:
  bool checked_ = false;
};

// A drop-down list combo box. Setting ItemIndex runs no handler; OnChange runs for a choice
// the user makes with the keys.
class TComboBox : public TWinControl {
 public:
  explicit TComboBox(TComponent* owner);
  std::string ClassName() const override { return "TComboBox"; }
  TStrings& Items() { return items_; }
  const TStrings& Items() const { return items_; }
  int ItemIndex() const { return item_index_; }
  void SetItemIndex(int index);
  // The text of the selected item ("" with none).
  std::string Text() const;
  void Clear();
  TNotifyEvent OnChange;
  bool HandleKeyDown(uint16_t key, TShiftState shift) override;

 private:
  TStrings items_;
  int item_index_ = -1;
};

// A plain container with a background colour.
class TPanel : public TWinControl {
 public:
  explicit TPanel(TComponent* owner) : TWinControl(owner) {}
  std::string ClassName() const override { return "TPanel"; }
  bool ParentBackground() const { return parent_background_; }
  void SetParentBackground(bool p) {
    TK_ASSERT_MAIN_THREAD("a panel");
    parent_background_ = p;
  }

 private:
  bool parent_background_ = false;
};

// A captioned frame around controls.
class TGroupBox : public TWinControl {
 public:
  explicit TGroupBox(TComponent* owner) : TWinControl(owner) {}
  std::string ClassName() const override { return "TGroupBox"; }
};

class TProgressBar : public TWinControl {
 public:
  explicit TProgressBar(TComponent* owner) : TWinControl(owner) {}
  std::string ClassName() const override { return "TProgressBar"; }
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetMin(int v);
  void SetMax(int v);
  // Clamped to Min..Max.
  void SetPosition(int v);

 private:
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
};
