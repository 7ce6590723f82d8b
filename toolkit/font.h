#pragma once

#include <functional>
#include <string>

#include "toolkit/types.h"

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

// A control's font. Height is the character height in pixels.
class TFont {
 public:
  const std::string& Name() const { return name_; }
  int Height() const { return height_; }
  TColor Color() const { return color_; }
  TFontStyles Style() const { return style_; }
  void SetName(std::string name);
  void SetHeight(int height);
  void SetColor(TColor color);
  void SetStyle(TFontStyles style);
  void Assign(const TFont& other);
  bool operator==(const TFont& other) const {
    return name_ == other.name_ && height_ == other.height_ && color_ == other.color_ && style_ == other.style_;
  }

  // Called after every change (the owning control repaints).
  std::function<void()> OnChange;

 private:
  void Changed();
  std::string name_ = "Tahoma";
  int height_ = 11;
  TColor color_ = clWindowText;
  TFontStyles style_ = 0;
};

// A text that a window shows, and the font it shows it in.
struct TTextSample {
  TFont font;
  std::string text;
};
