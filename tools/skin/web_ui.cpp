#include "web_ui.h"

#include <cmath>

#include "icons.h"
#include "palette.h"

namespace skin {
namespace p = palette;

namespace {

// A browser window showing the box's web interface, with the add-ins tile picked.
void Browser(cairo_t* cr, double x, double y, double w, double h) {
  Shadow(cr, x, y, w, h, 8, 8, 0.45);
  RoundedRect(cr, x, y, w, h, 8);
  SetColor(cr, Hex(0xE9F1F2));
  cairo_fill(cr);
  TopRoundedRect(cr, x, y, w, 22, 8);
  FillVertical(cr, y, y + 22, Hex(0x274E57), Hex(0x1E3F47));
  const unsigned dots[] = {0xEE6A61, 0xF2B233, 0x52D6CA};
  for (int i = 0; i < 3; ++i) {
    cairo_arc(cr, x + 12 + i * 10, y + 11, 3, 0, 2 * M_PI);
    SetColor(cr, Hex(dots[i]));
    cairo_fill(cr);
  }
  RoundedRect(cr, x + 46, y + 5, w - 56, 12, 6);
  SetColor(cr, Hex(0x0F2428));
  cairo_fill(cr);
  TextStyle url;
  url.size_px = 8.5;
  url.color = Hex(0xA9C7CA);
  DrawText(cr, "http://", x + 54, y + 5.5, 0, url);
  // The web interface: a side bar and a grid of tiles.
  const double top = y + 22;
  cairo_rectangle(cr, x, top, 46, h - 22);
  SetColor(cr, Hex(0x17363D));
  cairo_fill(cr);
  DrawMark(cr, x + 13, top + 8, 20);
  for (int i = 0; i < 4; ++i) {
    RoundedRect(cr, x + 9, top + 38 + i * 13, 28, 5, 2.5);
    SetColor(cr, Hex(0xFFFFFF, i == 2 ? 0.75 : 0.28));
    cairo_fill(cr);
  }
  RoundedRect(cr, x + 56, top + 10, w * 0.42, 7, 3.5);
  SetColor(cr, Hex(0x29454B));
  cairo_fill(cr);
  const double tw = (w - 56 - 10 - 2 * 8) / 3, th = (h - 22 - 30 - 8 - 10) / 2;
  for (int row = 0; row < 2; ++row) {
    for (int col = 0; col < 3; ++col) {
      const double tx = x + 56 + col * (tw + 8), ty = top + 26 + row * (th + 8);
      const bool picked = row == 1 && col == 1;
      RoundedRect(cr, tx, ty, tw, th, 5);
      if (picked) {
        FillVertical(cr, ty, ty + th, Hex(0x33C2B5), Hex(0x1B8A81));
      } else {
        SetColor(cr, Hex(0xFFFFFF));
        cairo_fill_preserve(cr);
        SetColor(cr, Hex(0xC9D9DB));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
      }
      cairo_arc(cr, tx + tw / 2, ty + th * 0.42, th * 0.18, 0, 2 * M_PI);
      SetColor(cr, picked ? Hex(0xFFFFFF) : Hex(0x9DBCC0));
      cairo_fill(cr);
      RoundedRect(cr, tx + tw * 0.22, ty + th * 0.72, tw * 0.56, 3.5, 1.75);
      SetColor(cr, picked ? Hex(0xFFFFFF, 0.85) : Hex(0xC9D9DB));
      cairo_fill(cr);
    }
  }
  // The pointer on the picked tile.
  const double px = x + 56 + 1.5 * tw + 8 + 6, py = top + 26 + th + 8 + th * 0.55;
  cairo_move_to(cr, px, py);
  cairo_line_to(cr, px, py + 15);
  cairo_line_to(cr, px + 4, py + 11);
  cairo_line_to(cr, px + 7, py + 17);
  cairo_line_to(cr, px + 9.5, py + 16);
  cairo_line_to(cr, px + 6.5, py + 10);
  cairo_line_to(cr, px + 11.5, py + 10);
  cairo_close_path(cr);
  SetColor(cr, Hex(0xFFFFFF));
  cairo_fill_preserve(cr);
  SetColor(cr, Hex(0x10252B));
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
}

}  // namespace

void DrawToWebUi(Canvas& c, const WebUiHint& hint) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  RoundedRect(cr, 0.5, 0.5, w - 1, h - 1, 10);
  FillVertical(cr, 0, h, Hex(0x143139), Hex(0x0D2125), true);
  SetColor(cr, p::kCardBorder);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  cairo_save(cr);
  RoundedRect(cr, 0.5, 0.5, w - 1, h - 1, 10);
  cairo_clip(cr);
  Glow(cr, w * 0.78, h * 0.5, 190, p::kAccent.WithAlpha(0.16));
  cairo_restore(cr);

  const double text_x = 26, text_w = 300;
  TextStyle title;
  title.size_px = 19;
  title.bold = true;
  title.color = p::kText;
  TextStyle subtitle;
  subtitle.size_px = 12.5;
  subtitle.color = p::kSubtleText;
  // Measure first so the block stands centred whatever the language makes of it.
  Canvas scratch(1, 1);
  const double title_h = DrawText(scratch.cr(), hint.title, 0, 0, text_w, title);
  const double subtitle_h = DrawText(scratch.cr(), hint.subtitle, 0, 0, text_w, subtitle);
  const double badge_h = 16, gap = 8;
  double y = std::round((h - (badge_h + gap + title_h + gap + subtitle_h)) / 2);
  RoundedRect(cr, text_x, y, 30, badge_h, 8);
  SetColor(cr, p::kAccent.WithAlpha(0.22));
  cairo_fill_preserve(cr);
  SetColor(cr, p::kAccent);
  cairo_stroke(cr);
  TextStyle badge;
  badge.size_px = 9;
  badge.bold = true;
  badge.align = Align::Center;
  badge.color = p::kAccentBright;
  DrawText(cr, hint.code, text_x, y + 2.5, 30, badge);
  y += badge_h + gap;
  DrawText(cr, hint.title, text_x, y, text_w, title);
  y += title_h + gap;
  DrawText(cr, hint.subtitle, text_x, y, text_w, subtitle);

  // An arrow from the words to the browser.
  const double ay = h / 2, ax0 = 340, ax1 = 372;
  cairo_move_to(cr, ax0, ay);
  cairo_line_to(cr, ax1, ay);
  cairo_move_to(cr, ax1 - 7, ay - 7);
  cairo_line_to(cr, ax1, ay);
  cairo_line_to(cr, ax1 - 7, ay + 7);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_width(cr, 3);
  SetColor(cr, p::kAccentBright);
  cairo_stroke(cr);

  Browser(cr, 386, 16, 204, 118);
}

}  // namespace skin
