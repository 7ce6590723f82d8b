#include "controls.h"

#include <cmath>

#include "palette.h"

namespace skin {
namespace p = palette;

void DrawButton(Canvas& c, Look look) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height(), r = 6;
  struct Colors {
    Rgba top, bottom, border;
  };
  const Colors colors = look == Look::Normal  ? Colors{Hex(0x245661), Hex(0x1A404A), Hex(0x33707A)}
                        : look == Look::Hover ? Colors{Hex(0x27ACA1), Hex(0x1B8A81), Hex(0x5FDCD0)}
                                              : Colors{Hex(0x166A63), Hex(0x11554F), Hex(0x2A9A90)};
  RoundedRect(cr, 0.5, 0.5, w - 1, h - 1, r);
  FillVertical(cr, 0, h, colors.top, colors.bottom, true);
  SetColor(cr, colors.border);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  if (look == Look::Pressed) {
    // A pressed button is lit from below: a dark band at the top edge.
    RoundedRect(cr, 1.5, 1.5, w - 3, h - 3, r - 1);
    cairo_clip(cr);
    cairo_rectangle(cr, 0, 0, w, 5);
    FillVertical(cr, 0, 5, Hex(0x000000, 0.25), Hex(0x000000, 0));
    cairo_reset_clip(cr);
    return;
  }
  // The glossy top edge.
  cairo_move_to(cr, r, 1.5);
  cairo_line_to(cr, w - r, 1.5);
  SetColor(cr, Hex(0xFFFFFF, look == Look::Hover ? 0.30 : 0.14));
  cairo_stroke(cr);
  if (look == Look::Hover) {
    RoundedRect(cr, 0.5, 0.5, w - 1, h - 1, r);
    cairo_clip(cr);
    Glow(cr, w / 2, h, w * 0.45, Hex(0x8FFFF4, 0.18));
    cairo_reset_clip(cr);
  }
}

void DrawCheckBox(Canvas& c, bool checked, bool hover) {
  cairo_t* cr = c.cr();
  RoundedRect(cr, 1.5, 1.5, 13, 13, 3);
  if (checked) {
    FillVertical(cr, 1, 15, hover ? p::kAccentBright : p::kAccent, hover ? p::kAccent : p::kAccentDeep, true);
    SetColor(cr, hover ? Hex(0x9BF0E7) : p::kAccentBright);
  } else {
    FillVertical(cr, 1, 15, p::kFieldTop, hover ? Hex(0x123238) : p::kField, true);
    SetColor(cr, hover ? p::kAccentBright : p::kMuted);
  }
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  if (checked) {
    cairo_move_to(cr, 4.4, 8.2);
    cairo_line_to(cr, 7.0, 10.8);
    cairo_line_to(cr, 11.8, 5.2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, 2);
    SetColor(cr, Hex(0xFFFFFF));
    cairo_stroke(cr);
  }
}

void DrawRadio(Canvas& c, bool selected, bool hover) {
  cairo_t* cr = c.cr();
  const double cx = 8.5, cy = 8, r = 6.5;
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  FillVertical(cr, cy - r, cy + r, p::kFieldTop, hover ? Hex(0x123238) : p::kField, true);
  SetColor(cr, selected || hover ? p::kAccentBright : p::kMuted);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  if (selected) {
    Glow(cr, cx, cy, 5.5, p::kAccent.WithAlpha(0.6));
    cairo_arc(cr, cx, cy, 3.2, 0, 2 * M_PI);
    FillVertical(cr, cy - 3, cy + 3, Hex(0xA8F5EC), p::kAccent);
  }
}

void DrawDropDown(Canvas& c, Look look) {
  cairo_t* cr = c.cr();
  const double w = c.width();
  const bool open = look == Look::Pressed;
  const double h = open ? 31 : 30;  // the open field meets its list, which starts 31 pixels down
  if (open) {
    TopRoundedRect(cr, 0.5, 0.5, w - 1, h, 5);
  } else {
    RoundedRect(cr, 0.5, 0.5, w - 1, h - 1, 5);
  }
  FillVertical(cr, 0, h, p::kFieldTop, p::kField, true);
  SetColor(cr, look == Look::Normal ? p::kFieldBorder : p::kAccentBright);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  // The button part: a divider and a chevron.
  const double bx = w - 30;
  cairo_move_to(cr, bx + 0.5, 6);
  cairo_line_to(cr, bx + 0.5, h - 6);
  SetColor(cr, look == Look::Normal ? p::kLine : p::kAccent.WithAlpha(0.6));
  cairo_stroke(cr);
  if (look != Look::Normal) {
    RoundedRect(cr, bx + 2, 2, 26, h - 4 - (open ? 0 : 0), 4);
    SetColor(cr, p::kAccent.WithAlpha(0.18));
    cairo_fill(cr);
  }
  const double ax = bx + 15, ay = 15;
  if (open) {
    cairo_move_to(cr, ax - 4.5, ay + 2.2);
    cairo_line_to(cr, ax, ay - 2.3);
    cairo_line_to(cr, ax + 4.5, ay + 2.2);
  } else {
    cairo_move_to(cr, ax - 4.5, ay - 2.2);
    cairo_line_to(cr, ax, ay + 2.3);
    cairo_line_to(cr, ax + 4.5, ay - 2.2);
  }
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_width(cr, 1.8);
  SetColor(cr, look == Look::Normal ? p::kSubtleText : p::kAccentBright);
  cairo_stroke(cr);
}

namespace {
void Field(cairo_t* cr, double w, double h) {
  RoundedRect(cr, 0.5, 0.5, w - 1, h - 1, 5);
  FillVertical(cr, 0, h, p::kFieldTop, p::kField, true);
  SetColor(cr, p::kFieldBorder);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  // An inset: a faint shadow under the top edge.
  cairo_move_to(cr, 5, 1.5);
  cairo_line_to(cr, w - 5, 1.5);
  SetColor(cr, Hex(0x000000, 0.35));
  cairo_stroke(cr);
}
}  // namespace

void DrawEditField(Canvas& c) { Field(c.cr(), c.width(), c.height()); }

void DrawAddressField(Canvas& c) {
  cairo_t* cr = c.cr();
  Field(cr, c.width(), c.height());
  // The octet labels stand at 15, 40, 65 and 90 pixels, 21 wide.
  for (int i = 0; i < 4; ++i) {
    const double x = 15 + 25 * i;
    cairo_move_to(cr, x + 2, 22.5);
    cairo_line_to(cr, x + 19, 22.5);
  }
  SetColor(cr, p::kFieldBorder.WithAlpha(0.7));
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

void DrawListRow(Canvas& c, bool selected) {
  // Rows are painted cell by cell from the same picture, so it must not change across its width.
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  cairo_rectangle(cr, 0, 0, w, h - 1);
  if (selected) {
    FillVertical(cr, 0, h, Hex(0x25A499), Hex(0x1B8178));
  } else {
    FillVertical(cr, 0, h, Hex(0x11272C), Hex(0x0E2226));
  }
  cairo_rectangle(cr, 0, h - 1, w, 1);
  SetColor(cr, selected ? Hex(0x166B64) : p::kLine);
  cairo_fill(cr);
  if (selected) {
    cairo_rectangle(cr, 0, 0, w, 1);
    SetColor(cr, Hex(0xFFFFFF, 0.18));
    cairo_fill(cr);
  }
}

void DrawListHeader(Canvas& c, int columns) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  TopRoundedRect(cr, 0, 0, w, h, 5);
  FillVertical(cr, 0, h, Hex(0x1E434C), Hex(0x17363E));
  for (int i = 1; i < columns; ++i) {
    const double x = std::floor(w * i / columns) + 0.5;
    cairo_move_to(cr, x, 5);
    cairo_line_to(cr, x, h - 5);
  }
  SetColor(cr, Hex(0x335E67));
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  cairo_rectangle(cr, 0, h - 2, w, 2);
  SetColor(cr, p::kAccent.WithAlpha(0.85));
  cairo_fill(cr);
}

namespace {
void TitleGlyph(Canvas& c, void (*path)(cairo_t*, double, double)) {
  cairo_t* cr = c.cr();
  path(cr, c.width(), c.height());
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_width(cr, 1.7);
  SetColor(cr, Hex(0xC9D8DA));
  cairo_stroke(cr);
}
}  // namespace

void DrawClose(Canvas& c) {
  TitleGlyph(c, [](cairo_t* cr, double w, double h) {
    cairo_move_to(cr, w / 2 - 4.5, h / 2 - 4.5);
    cairo_line_to(cr, w / 2 + 4.5, h / 2 + 4.5);
    cairo_move_to(cr, w / 2 + 4.5, h / 2 - 4.5);
    cairo_line_to(cr, w / 2 - 4.5, h / 2 + 4.5);
  });
}

void DrawMinimize(Canvas& c) {
  TitleGlyph(c, [](cairo_t* cr, double w, double h) {
    cairo_move_to(cr, w / 2 - 5, h / 2 + 3.5);
    cairo_line_to(cr, w / 2 + 5, h / 2 + 3.5);
  });
}

}  // namespace skin
