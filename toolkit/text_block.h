#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include <string_view>

#include "toolkit/font.h"
#include "toolkit/palette.h"
#include "toolkit/types.h"

// How a text is laid out: the label's and DrawText's rules.
struct TTextFormat {
  int wrap_width = -1;  // break lines at words to this width in pixels; -1: no wrapping
  TAlignment alignment = TAlignment::taLeftJustify;
  bool single_line = false;  // line breaks do not break the line
  bool expand_tabs = true;   // tab stops every eight spaces; otherwise a tab is one space
};

// A text laid out in a font, measured and drawn the same way everywhere (labels, grid cells,
// plain controls, MeasureText). Main thread only.
class TTextBlock {
 public:
  TTextBlock(const TFont& font, std::string_view utf8, const TTextFormat& format = {});
  ~TTextBlock();
  TTextBlock(const TTextBlock&) = delete;
  TTextBlock& operator=(const TTextBlock&) = delete;

  // The size of the text's lines in pixels.
  TPoint Size() const { return {width_, height_}; }
  // Characters that no installed font has (drawn as boxes).
  int UnknownGlyphs() const;
  // Horizontal position of a byte offset of the text, from the text's left edge.
  int XOfByte(int byte_index) const;
  // Draws the text with its lines aligned in a box of `box_width` whose left-top is x, y
  // (with wrapping, the box is the wrap width).
  void Draw(cairo_t* cr, double x, double y, int box_width, TRgb colour) const;

 private:
  PangoLayout* layout_;
  TTextFormat format_;
  int origin_x_ = 0, origin_y_ = 0;
  int width_ = 0, height_ = 0;
};
