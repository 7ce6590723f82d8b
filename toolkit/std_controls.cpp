#include "toolkit/std_controls.h"

#include <algorithm>
#include <vector>

#include "platform/unicode.h"
#include "toolkit/clipboard.h"
#include "toolkit/form.h"
#include "toolkit/main_thread.h"
#include "toolkit/text_metrics.h"

// TLabel

TLabel::TLabel(TComponent* owner) : TControl(owner) {
  Font()->OnChange = [this] {
    AdjustSize();
    Invalidate();
  };
}

void TLabel::SetAlignment(TAlignment a) {
  TK_ASSERT_MAIN_THREAD("a label");
  alignment_ = a;
  Invalidate();
}

void TLabel::SetLayout(TTextLayout l) {
  TK_ASSERT_MAIN_THREAD("a label");
  layout_ = l;
  Invalidate();
}

void TLabel::SetTransparent(bool t) {
  TK_ASSERT_MAIN_THREAD("a label");
  transparent_ = t;
  Invalidate();
}

void TLabel::SetAutoSize(bool a) {
  TK_ASSERT_MAIN_THREAD("a label");
  auto_size_ = a;
  AdjustSize();
}

void TLabel::SetWordWrap(bool w) {
  TK_ASSERT_MAIN_THREAD("a label");
  word_wrap_ = w;
  AdjustSize();
  Invalidate();
}

void TLabel::AdjustSize() {
  // Word-wrapped labels keep the box the layout gives them.
  if (!auto_size_ || word_wrap_) return;
  const TPoint size = MeasureText(GetFont(), Caption());
  SetBounds(Left(), Top(), size.X, size.Y);
}

// TImage

TImage::TImage(TComponent* owner) : TControl(owner) {}

void TImage::SetPicture(TPicture picture) {
  TK_ASSERT_MAIN_THREAD("a picture");
  picture_ = std::move(picture);
  Invalidate();
}

void TImage::SetStretch(bool s) {
  TK_ASSERT_MAIN_THREAD("a picture");
  stretch_ = s;
  Invalidate();
}

// TEdit

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetColor(clWindow);
}

std::string TEdit::Text() const { return platform::Utf16ToUtf8(text_); }

void TEdit::Changed() {
  Invalidate();
  if (OnChange) OnChange(this);
}

void TEdit::SetText(std::string_view text) {
  TK_ASSERT_MAIN_THREAD("an edit's text");
  std::u16string wide = platform::Utf8ToUtf16(text);
  if (wide == text_) return;
  text_ = std::move(wide);
  sel_start_ = 0;
  sel_length_ = 0;
  Changed();
}

void TEdit::SetPasswordChar(char16_t c) {
  TK_ASSERT_MAIN_THREAD("an edit");
  password_char_ = c;
  Invalidate();
}

void TEdit::SetSelStart(int start) {
  TK_ASSERT_MAIN_THREAD("an edit's selection");
  sel_start_ = std::clamp(start, 0, Length());
  sel_length_ = 0;
}

void TEdit::SetSelLength(int length) {
  TK_ASSERT_MAIN_THREAD("an edit's selection");
  sel_length_ = std::clamp(length, 0, Length() - sel_start_);
}

void TEdit::SelectAll() {
  TK_ASSERT_MAIN_THREAD("an edit's selection");
  sel_start_ = 0;
  sel_length_ = Length();
}

void TEdit::DoEnter() {
  if (auto_select_) SelectAll();
  TWinControl::DoEnter();
}

void TEdit::ReplaceSelection(std::u16string_view with) {
  text_.replace(static_cast<size_t>(sel_start_), static_cast<size_t>(sel_length_), with);
  sel_start_ += static_cast<int>(with.size());
  sel_length_ = 0;
  Changed();
}

void TEdit::HandleChar(char16_t key) {
  TK_ASSERT_MAIN_THREAD("an edit's text");
  switch (key) {
    case 8:  // Backspace
      if (sel_length_ > 0) {
        ReplaceSelection(u"");
      } else if (sel_start_ > 0) {
        --sel_start_;
        sel_length_ = 1;
        ReplaceSelection(u"");
      }
      return;
    case 3:  // Ctrl+C
      if (sel_length_ > 0 && !password_char_) {
        SetClipboardText(
            platform::Utf16ToUtf8(text_.substr(static_cast<size_t>(sel_start_), static_cast<size_t>(sel_length_))));
      }
      return;
    case 24:  // Ctrl+X
      if (sel_length_ > 0 && !password_char_) {
        SetClipboardText(
            platform::Utf16ToUtf8(text_.substr(static_cast<size_t>(sel_start_), static_cast<size_t>(sel_length_))));
        ReplaceSelection(u"");
      }
      return;
    case 22:  // Ctrl+V
      PasteText(ClipboardText());
      return;
    default:
      break;
  }
  if (key < 32) return;  // other control characters do not enter the text
  // A full edit refuses a character unless it replaces a selection.
  if (max_length_ > 0 && Length() - sel_length_ + 1 > max_length_) return;
  const char16_t one[1] = {key};
  ReplaceSelection(std::u16string_view(one, 1));
}

bool TEdit::HandleKeyDown(uint16_t key, TShiftState shift) {
  TK_ASSERT_MAIN_THREAD("an edit");
  switch (key) {
    case VK_INSERT:
      if (shift & ssShift) {
        PasteText(ClipboardText());
        return true;
      }
      return false;
    case VK_LEFT:
      SetSelStart(sel_length_ > 0 ? sel_start_ : sel_start_ - 1);
      return true;
    case VK_RIGHT:
      SetSelStart(sel_length_ > 0 ? sel_start_ + sel_length_ : sel_start_ + 1);
      return true;
    case VK_HOME:
      SetSelStart(0);
      return true;
    case VK_END:
      SetSelStart(Length());
      return true;
    case VK_DELETE:
      if (sel_length_ == 0 && sel_start_ < Length()) sel_length_ = 1;
      if (sel_length_ > 0) ReplaceSelection(u"");
      return true;
    default:
      return false;
  }
}

void TEdit::PasteText(const std::string& text) {
  TK_ASSERT_MAIN_THREAD("an edit's text");
  std::u16string wide = platform::Utf8ToUtf16(text);
  // A single-line edit takes the first line of the clipboard.
  const size_t line_end = wide.find_first_of(u"\r\n");
  if (line_end != std::u16string::npos) wide.resize(line_end);
  if (max_length_ > 0) {
    const int room = std::max(0, max_length_ - (Length() - sel_length_));
    if (static_cast<int>(wide.size()) > room) wide.resize(static_cast<size_t>(room));
  }
  if (wide.empty() && sel_length_ == 0) return;
  ReplaceSelection(wide);
}

// TButton

TButton::TButton(TComponent* owner) : TWinControl(owner) { SetTabStop(true); }

bool TButton::HandleKeyDown(uint16_t key, TShiftState shift) {
  (void)shift;
  if (key != VK_RETURN && key != VK_SPACE) return false;
  Click();
  return true;
}

// TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) { SetTabStop(true); }

void TCheckBox::SetChecked(bool checked) {
  TK_ASSERT_MAIN_THREAD("a check box");
  if (checked_ == checked) return;
  checked_ = checked;
  Invalidate();
  TControl::Click();
}

bool TCheckBox::HandleKeyDown(uint16_t key, TShiftState shift) {
  (void)shift;
  if (key != VK_SPACE) return false;
  Click();
  return true;
}

// TRadioButton

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner) {}

void TRadioButton::SetChecked(bool checked) {
  TK_ASSERT_MAIN_THREAD("a radio button");
  if (checked_ == checked) return;
  checked_ = checked;
  SetTabStop(checked);
  Invalidate();
  if (!checked) return;
  if (TWinControl* parent = Parent()) {
    for (TControl* sibling : parent->Controls()) {
      if (auto* radio = dynamic_cast<TRadioButton*>(sibling); radio && radio != this) radio->SetChecked(false);
    }
  }
  TControl::Click();
}

bool TRadioButton::HandleKeyDown(uint16_t key, TShiftState shift) {
  (void)shift;
  if (key == VK_SPACE) {
    Click();
    return true;
  }
  if (key != VK_LEFT && key != VK_UP && key != VK_RIGHT && key != VK_DOWN) return false;
  TWinControl* parent = Parent();
  TForm* form = ParentForm();
  if (!parent || !form) return true;
  std::vector<TRadioButton*> group;
  for (TWinControl* c : parent->TabOrderedChildren()) {
    auto* radio = dynamic_cast<TRadioButton*>(c);
    if (radio && (radio == this || radio->CanFocus())) group.push_back(radio);
  }
  const auto at = std::find(group.begin(), group.end(), this);
  if (at == group.end() || group.size() < 2) return true;
  const size_t n = group.size(), i = static_cast<size_t>(at - group.begin());
  TRadioButton* reached = group[(key == VK_RIGHT || key == VK_DOWN) ? (i + 1) % n : (i + n - 1) % n];
  // The platform's radios check themselves when the keyboard brings the focus to them.
  if (form->FocusControl(reached)) reached->SetChecked(true);
  return true;
}

// TComboBox

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner) {
  items_.OnChange = [this] {
    TK_ASSERT_MAIN_THREAD("a combo box's items");
    if (item_index_ >= items_.Count()) item_index_ = -1;
    Invalidate();
  };
}

void TComboBox::SetItemIndex(int index) {
  TK_ASSERT_MAIN_THREAD("a combo box");
  item_index_ = index >= 0 && index < items_.Count() ? index : -1;
  Invalidate();
}

std::string TComboBox::Text() const { return item_index_ >= 0 ? items_[item_index_] : std::string(); }

void TComboBox::Clear() {
  TK_ASSERT_MAIN_THREAD("a combo box");
  item_index_ = -1;
  items_.Clear();
}

bool TComboBox::HandleKeyDown(uint16_t key, TShiftState shift) {
  (void)shift;
  int next = item_index_;
  if (key == VK_DOWN) next = std::min(item_index_ + 1, items_.Count() - 1);
  if (key == VK_UP) next = std::max(item_index_ - 1, 0);
  if (key != VK_DOWN && key != VK_UP) return false;
  if (next != item_index_ && items_.Count() > 0) {
    SetItemIndex(next);
    if (OnChange) OnChange(this);
  }
  return true;
}

// TProgressBar

void TProgressBar::SetMin(int v) {
  TK_ASSERT_MAIN_THREAD("a progress bar");
  min_ = v;
  SetPosition(position_);
}

void TProgressBar::SetMax(int v) {
  TK_ASSERT_MAIN_THREAD("a progress bar");
  max_ = v;
  SetPosition(position_);
}

void TProgressBar::SetPosition(int v) {
  TK_ASSERT_MAIN_THREAD("a progress bar");
  const int clamped = std::clamp(v, min_, std::max(min_, max_));
  if (clamped == position_) return;
  position_ = clamped;
  Invalidate();
}
