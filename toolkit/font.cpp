#include "toolkit/font.h"

#include "toolkit/main_thread.h"

void TFont::Changed() {
  // A font of no control (a canvas's, a copy) may be set up on any thread.
  if (!OnChange) return;
  TK_ASSERT_MAIN_THREAD("a font");
  OnChange();
}

void TFont::SetName(std::string name) {
  if (name_ == name) return;
  name_ = std::move(name);
  Changed();
}

void TFont::SetHeight(int height) {
  if (height_ == height) return;
  height_ = height;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color_ == color) return;
  color_ = color;
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (style_ == style) return;
  style_ = style;
  Changed();
}

void TFont::Assign(const TFont& other) {
  if (*this == other) return;
  name_ = other.name_;
  height_ = other.height_;
  color_ = other.color_;
  style_ = other.style_;
  Changed();
}
