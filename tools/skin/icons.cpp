#include "icons.h"

#include <cmath>

#include "palette.h"

namespace skin {
namespace p = palette;

namespace {

void Stroke(cairo_t* cr, const Rgba& c, double width) {
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_width(cr, width);
  SetColor(cr, c);
  cairo_stroke(cr);
}

// Line art: a translucent fill under an accent outline.
void Art(cairo_t* cr, double alpha = 0.12, double width = 2) {
  SetColor(cr, p::kAccent.WithAlpha(alpha));
  cairo_fill_preserve(cr);
  Stroke(cr, p::kAccent, width);
}

}  // namespace

void DrawMessageIcon(Canvas& c, MessageKind kind) {
  cairo_t* cr = c.cr();
  const double cx = 24, cy = 24;
  // A soft shadow under the badge.
  Glow(cr, cx, cy + 2, 23, Hex(0x000000, 0.45));
  if (kind == MessageKind::Warning) {
    const double top = 5, bottom = 42, half = 21;
    cairo_move_to(cr, cx, top);
    cairo_line_to(cr, cx + half, bottom);
    cairo_line_to(cr, cx - half, bottom);
    cairo_close_path(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, 5);
    SetColor(cr, Hex(0xF5BE4A));
    cairo_stroke_preserve(cr);
    FillVertical(cr, top, bottom, Hex(0xF7C65A), Hex(0xDE9419));
    cairo_move_to(cr, cx, 17);
    cairo_line_to(cr, cx, 30);
    Stroke(cr, Hex(0x2B1D06), 4.2);
    cairo_arc(cr, cx, 36.2, 2.4, 0, 2 * M_PI);
    SetColor(cr, Hex(0x2B1D06));
    cairo_fill(cr);
    return;
  }
  const bool info = kind == MessageKind::Information;
  cairo_arc(cr, cx, cy, 20, 0, 2 * M_PI);
  FillVertical(cr, 4, 44, info ? Hex(0x3CC9BD) : Hex(0xEE6A61), info ? Hex(0x17776F) : Hex(0xB3302A));
  cairo_arc(cr, cx, cy, 19.5, 0, 2 * M_PI);
  Stroke(cr, Hex(0xFFFFFF, 0.25), 1);
  if (info) {
    cairo_arc(cr, cx, 14.5, 2.8, 0, 2 * M_PI);
    SetColor(cr, Hex(0xFFFFFF));
    cairo_fill(cr);
    cairo_move_to(cr, cx, 21.5);
    cairo_line_to(cr, cx, 34);
    Stroke(cr, Hex(0xFFFFFF), 4.6);
  } else {
    cairo_move_to(cr, cx - 7, cy - 7);
    cairo_line_to(cr, cx + 7, cy + 7);
    cairo_move_to(cr, cx + 7, cy - 7);
    cairo_line_to(cr, cx - 7, cy + 7);
    Stroke(cr, Hex(0xFFFFFF), 4);
  }
}

void DrawMark(cairo_t* cr, double x, double y, double size) {
  const double s = size / 30.0;
  RoundedRect(cr, x, y, size, size, 7 * s);
  FillVertical(cr, y, y + size, Hex(0x38C6BA), Hex(0x167069));
  RoundedRect(cr, x + 0.5, y + 0.5, size - 1, size - 1, 7 * s);
  Stroke(cr, Hex(0xFFFFFF, 0.22), 1);
  // Two bays, each with its light.
  for (int bay = 0; bay < 2; ++bay) {
    const double by = y + (8 + bay * 8) * s;
    RoundedRect(cr, x + 7 * s, by, 16 * s, 5.5 * s, 1.5 * s);
    SetColor(cr, Hex(0xFFFFFF, 0.92));
    cairo_fill(cr);
    cairo_arc(cr, x + 20 * s, by + 2.75 * s, 1.1 * s, 0, 2 * M_PI);
    SetColor(cr, Hex(0x167069));
    cairo_fill(cr);
  }
}

void DrawNasBox(cairo_t* cr, double x, double y, double w, double h) {
  Glow(cr, x + w / 2, y + h / 2, w * 0.75, p::kAccent.WithAlpha(0.10));
  // Network waves above the box.
  const double bx = x + w * 0.2, bw = w * 0.6, by = y + h * 0.28, bh = h * 0.66;
  for (int i = 1; i <= 3; ++i) {
    const double r = 10.0 * i;
    cairo_arc(cr, x + w / 2, by - 6, r, M_PI * 1.2, M_PI * 1.8);
    Stroke(cr, p::kAccent.WithAlpha(0.75 - 0.18 * i), 2);
  }
  RoundedRect(cr, bx, by, bw, bh, 10);
  FillVertical(cr, by, by + bh, Hex(0x1D4048), Hex(0x132C32), true);
  Stroke(cr, p::kAccent, 2);
  // Two drive bays with handles and lights.
  for (int bay = 0; bay < 2; ++bay) {
    const double dx = bx + 12, dy = by + 16 + bay * (bh * 0.26), dw = bw - 24, dh = bh * 0.2;
    RoundedRect(cr, dx, dy, dw, dh, 4);
    Art(cr, 0.10, 1.5);
    cairo_move_to(cr, dx + 10, dy + dh / 2);
    cairo_line_to(cr, dx + dw - 24, dy + dh / 2);
    Stroke(cr, p::kAccent.WithAlpha(0.55), 1.5);
    cairo_arc(cr, dx + dw - 11, dy + dh / 2, 3, 0, 2 * M_PI);
    SetColor(cr, p::kAccentBright);
    cairo_fill(cr);
    Glow(cr, dx + dw - 11, dy + dh / 2, 9, p::kAccentBright.WithAlpha(0.4));
  }
  // The front panel: power button and status lights.
  const double fy = by + bh - 22;
  cairo_arc(cr, bx + 20, fy, 5, 0, 2 * M_PI);
  Stroke(cr, p::kAccentBright, 1.6);
  for (int i = 0; i < 3; ++i) {
    cairo_arc(cr, bx + bw - 20 - i * 10, fy, 2, 0, 2 * M_PI);
    SetColor(cr, p::kAccent.WithAlpha(0.9 - 0.25 * i));
    cairo_fill(cr);
  }
  // Its shadow on the floor.
  cairo_save(cr);
  cairo_translate(cr, x + w / 2, by + bh + 8);
  cairo_scale(cr, bw * 0.6, 5);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  SetColor(cr, Hex(0x000000, 0.35));
  cairo_fill(cr);
}

void DrawLock(cairo_t* cr, double x, double y, double w, double h) {
  Glow(cr, x + w / 2, y + h / 2, w * 0.75, p::kAccent.WithAlpha(0.10));
  const double cx = x + w / 2;
  // A shield behind the lock.
  cairo_move_to(cr, cx, y);
  cairo_curve_to(cr, cx + w * 0.3, y + h * 0.08, cx + w * 0.45, y + h * 0.08, cx + w * 0.45, y + h * 0.1);
  cairo_curve_to(cr, cx + w * 0.45, y + h * 0.62, cx + w * 0.2, y + h * 0.86, cx, y + h);
  cairo_curve_to(cr, cx - w * 0.2, y + h * 0.86, cx - w * 0.45, y + h * 0.62, cx - w * 0.45, y + h * 0.1);
  cairo_curve_to(cr, cx - w * 0.45, y + h * 0.08, cx - w * 0.3, y + h * 0.08, cx, y);
  cairo_close_path(cr);
  Art(cr, 0.08, 2);
  const double lw = w * 0.42, lh = h * 0.3, lx = cx - lw / 2, ly = y + h * 0.42;
  cairo_arc_negative(cr, cx, ly, lw * 0.3, 0, M_PI);
  Stroke(cr, p::kAccentBright, 4);
  RoundedRect(cr, lx, ly, lw, lh, 6);
  FillVertical(cr, ly, ly + lh, Hex(0x2BB3A8), Hex(0x1A7F77), true);
  Stroke(cr, p::kAccentBright, 1.5);
  cairo_arc(cr, cx, ly + lh * 0.42, 4, 0, 2 * M_PI);
  SetColor(cr, p::kFrame);
  cairo_fill(cr);
  cairo_move_to(cr, cx, ly + lh * 0.42);
  cairo_line_to(cr, cx, ly + lh * 0.72);
  Stroke(cr, p::kFrame, 3);
}

void DrawNetworkNodes(cairo_t* cr, double x, double y, double w, double h) {
  struct Node {
    double fx, fy, r;
  };
  const Node nodes[] = {{0.12, 0.55, 5}, {0.35, 0.2, 7}, {0.52, 0.7, 9},
                        {0.78, 0.35, 6}, {0.92, 0.8, 4}, {0.3, 0.92, 4}};
  const int links[][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {2, 4}, {0, 5}, {5, 2}, {1, 3}};
  for (const auto& l : links) {
    cairo_move_to(cr, x + nodes[l[0]].fx * w, y + nodes[l[0]].fy * h);
    cairo_line_to(cr, x + nodes[l[1]].fx * w, y + nodes[l[1]].fy * h);
  }
  Stroke(cr, p::kAccent.WithAlpha(0.22), 1.5);
  for (const Node& n : nodes) {
    cairo_arc(cr, x + n.fx * w, y + n.fy * h, n.r, 0, 2 * M_PI);
    SetColor(cr, p::kAccent.WithAlpha(0.14));
    cairo_fill_preserve(cr);
    Stroke(cr, p::kAccent.WithAlpha(0.35), 1.5);
  }
}

void DrawDisks(cairo_t* cr, double x, double y, double w, double h) {
  Glow(cr, x + w / 2, y + h / 2, w * 0.75, p::kAccent.WithAlpha(0.10));
  const double dw = w * 0.8, dh = h * 0.36, rx = dw / 2, ry = dh * 0.22;
  for (int disk = 1; disk >= 0; --disk) {
    const double dx = x + (w - dw) / 2, dy = y + h * 0.12 + disk * dh * 1.05;
    // A drive seen from the top: an ellipse over a short cylinder.
    cairo_move_to(cr, dx, dy + ry);
    cairo_line_to(cr, dx, dy + dh - ry);
    cairo_save(cr);
    cairo_translate(cr, dx + rx, dy + dh - ry);
    cairo_scale(cr, rx, ry);
    cairo_arc_negative(cr, 0, 0, 1, M_PI, 0);
    cairo_restore(cr);
    cairo_line_to(cr, dx + dw, dy + ry);
    cairo_close_path(cr);
    FillVertical(cr, dy, dy + dh, Hex(0x1D4048), Hex(0x132C32), true);
    Stroke(cr, p::kAccent, 2);
    cairo_save(cr);
    cairo_translate(cr, dx + rx, dy + ry);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    SetColor(cr, Hex(0x1F4A52));
    cairo_fill_preserve(cr);
    Stroke(cr, p::kAccent, 2);
    cairo_arc(cr, dx + dw - 16, dy + dh - ry - 4, 2.6, 0, 2 * M_PI);
    SetColor(cr, p::kAccentBright);
    cairo_fill(cr);
  }
}

void DrawNetworkDrive(cairo_t* cr, double x, double y, double w, double h) {
  Glow(cr, x + w / 2, y + h / 2, w * 0.75, p::kAccent.WithAlpha(0.10));
  // A drive on a network plug: the box's volume as a letter of the PC.
  const double dw = w * 0.78, dh = h * 0.34, dx = x + (w - dw) / 2, dy = y + h * 0.12;
  RoundedRect(cr, dx, dy, dw, dh, 8);
  FillVertical(cr, dy, dy + dh, Hex(0x1D4048), Hex(0x132C32), true);
  Stroke(cr, p::kAccent, 2);
  cairo_move_to(cr, dx + 14, dy + dh - 14);
  cairo_line_to(cr, dx + dw * 0.55, dy + dh - 14);
  Stroke(cr, p::kAccent.WithAlpha(0.55), 2);
  cairo_arc(cr, dx + dw - 18, dy + dh - 14, 3.5, 0, 2 * M_PI);
  SetColor(cr, p::kAccentBright);
  cairo_fill(cr);
  const double cx = x + w / 2, ly = dy + dh, ny = y + h * 0.78;
  cairo_move_to(cr, cx, ly);
  cairo_line_to(cr, cx, ny);
  cairo_move_to(cr, x + w * 0.12, ny);
  cairo_line_to(cr, x + w * 0.88, ny);
  Stroke(cr, p::kAccent, 2);
  for (double fx : {0.12, 0.5, 0.88}) {
    RoundedRect(cr, x + w * fx - 9, ny - 9 + (fx == 0.5 ? 0 : 0), 18, 18, 4);
    SetColor(cr, fx == 0.5 ? p::kAccent : Hex(0x1D4048));
    cairo_fill_preserve(cr);
    Stroke(cr, p::kAccent, 2);
  }
}

void DrawSuccessBadge(cairo_t* cr, double cx, double cy, double radius) {
  Glow(cr, cx, cy, radius * 1.8, p::kAccent.WithAlpha(0.16));
  cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
  SetColor(cr, p::kAccent.WithAlpha(0.12));
  cairo_fill_preserve(cr);
  Stroke(cr, p::kAccent.WithAlpha(0.5), 2);
  cairo_arc(cr, cx, cy, radius * 0.72, 0, 2 * M_PI);
  FillVertical(cr, cy - radius, cy + radius, Hex(0x3CC9BD), Hex(0x17776F));
  cairo_move_to(cr, cx - radius * 0.32, cy + radius * 0.02);
  cairo_line_to(cr, cx - radius * 0.08, cy + radius * 0.26);
  cairo_line_to(cr, cx + radius * 0.36, cy - radius * 0.22);
  Stroke(cr, Hex(0xFFFFFF), radius * 0.13);
}

void DrawBrokenLink(cairo_t* cr, double x, double y, double w, double h) {
  Glow(cr, x + w / 2, y + h / 2, w * 0.75, p::kWarning.WithAlpha(0.08));
  const double cx = x + w / 2, cy = y + h / 2;
  // Two chain links pulled apart, with sparks of the break between them.
  for (int side = -1; side <= 1; side += 2) {
    cairo_save(cr);
    cairo_translate(cr, cx + side * w * 0.22, cy + side * h * 0.12);
    cairo_rotate(cr, -M_PI / 4);
    RoundedRect(cr, -w * 0.2, -h * 0.09, w * 0.4, h * 0.18, h * 0.09);
    cairo_restore(cr);
    Stroke(cr, p::kAccent, 5);
  }
  for (int i = 0; i < 3; ++i) {
    const double a = -M_PI / 4 + (i - 1) * 0.5;
    cairo_move_to(cr, cx + std::cos(a) * 10, cy - std::sin(a) * 10);
    cairo_line_to(cr, cx + std::cos(a) * 20, cy - std::sin(a) * 20);
  }
  Stroke(cr, p::kWarning, 2.5);
  for (int i = 0; i < 3; ++i) {
    const double a = 3 * M_PI / 4 + (i - 1) * 0.5;
    cairo_move_to(cr, cx + std::cos(a) * 10, cy - std::sin(a) * 10);
    cairo_line_to(cr, cx + std::cos(a) * 20, cy - std::sin(a) * 20);
  }
  Stroke(cr, p::kWarning, 2.5);
}

}  // namespace skin
