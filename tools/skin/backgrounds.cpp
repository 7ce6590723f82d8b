#include "backgrounds.h"

#include "icons.h"
#include "palette.h"

namespace skin {
namespace p = palette;

namespace {

// Where things are, in the coordinates of a page of the main window: the page control's
// visible region is (10, 12) to (677, 399); the card ends above the button row.
constexpr double kCardLeft = 10, kCardTop = 12, kCardRight = 677, kCardBottom = 346, kHeaderBottom = 48;
constexpr double kCornerRadius = 7.5;  // the 15 x 15 corner ellipse of the window regions
// The page control stands at (-2, 36) in the window.
constexpr double kPageX = -2, kPageY = 36;

// The page's card; with a header band for the page title, or plain.
void Card(cairo_t* cr, bool header) {
  const double w = kCardRight - kCardLeft, h = kCardBottom - kCardTop;
  Shadow(cr, kCardLeft, kCardTop, w, h, kCornerRadius, 6, 0.35);
  RoundedRect(cr, kCardLeft, kCardTop, w, h, kCornerRadius);
  FillVertical(cr, kHeaderBottom, kCardBottom, p::kCardTop, p::kCardBottom, true);
  cairo_save(cr);
  cairo_clip(cr);
  if (header) {
    cairo_rectangle(cr, kCardLeft, kCardTop, w, kHeaderBottom - kCardTop);
    FillVertical(cr, kCardTop, kHeaderBottom, p::kHeaderTop, p::kHeaderBottom);
    cairo_rectangle(cr, kCardLeft, kHeaderBottom, w, 1);
    SetColor(cr, p::kLine);
    cairo_fill(cr);
    // The accent under the page title.
    RoundedRect(cr, 26, kHeaderBottom - 2, 56, 3, 1.5);
    SetColor(cr, p::kAccent);
    cairo_fill(cr);
  }
  // Light from the top left.
  Glow(cr, kCardLeft + 60, kCardTop, 420, Hex(0x3FD0C4, 0.05));
  cairo_restore(cr);
  RoundedRect(cr, kCardLeft + 0.5, kCardTop + 0.5, w - 1, h - 1, kCornerRadius);
  SetColor(cr, p::kCardBorder);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

}  // namespace

void DrawMainBackground(Canvas& c) {
  cairo_t* cr = c.cr();
  SetColor(cr, p::kFrame);
  cairo_paint(cr);
  // The picture stands at (-10, -9) in the window.
  cairo_translate(cr, 10, 9);
  cairo_rectangle(cr, 0, 0, 683, kPageY);
  FillVertical(cr, 0, kPageY, p::kTitleTop, p::kFrame);
  Glow(cr, 70, 0, 160, Hex(0x3FD0C4, 0.07));
  DrawMark(cr, 56, 8, 28);
  cairo_translate(cr, kPageX, kPageY);
  Card(cr, true);
}

void DrawPageBackground(Canvas& c, Page page) {
  cairo_t* cr = c.cr();
  SetColor(cr, p::kFrame);
  cairo_paint(cr);
  // The picture covers the page control's visible region from its top-left corner.
  cairo_translate(cr, -kCardLeft, -kCardTop);
  Card(cr, page != Page::Finish);
  switch (page) {
    case Page::Devices:
      DrawNasBox(cr, 462, 96, 180, 210);
      break;
    case Page::Password:
      DrawLock(cr, 478, 92, 140, 172);
      break;
    case Page::Settings:
      DrawNetworkNodes(cr, 448, 236, 196, 92);
      break;
    case Page::Disks:
      DrawDisks(cr, 442, 92, 180, 200);
      break;
    case Page::DriveMapping:
      DrawNetworkDrive(cr, 482, 104, 170, 200);
      break;
    case Page::Results:
      DrawSuccessBadge(cr, 592, 150, 48);
      break;
    case Page::ConnectionFailed:
      DrawBrokenLink(cr, 534, 96, 116, 126);
      break;
    case Page::Finish:
      break;
  }
}

void DrawDialogBackground(Canvas& c, const DialogLook& look) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height(), header = 28;
  SetColor(cr, p::kFrame);
  cairo_paint(cr);
  RoundedRect(cr, 0, 0, w, h, look.corner_radius);
  FillVertical(cr, header, h, p::kCardTop, p::kCardBottom, true);
  cairo_save(cr);
  cairo_clip(cr);
  cairo_rectangle(cr, 0, 0, w, header);
  FillVertical(cr, 0, header, p::kHeaderTop, p::kHeaderBottom);
  cairo_rectangle(cr, 0, 0, w, 2);
  SetColor(cr, p::kAccent);
  cairo_fill(cr);
  cairo_rectangle(cr, 0, header, w, 1);
  SetColor(cr, p::kLine);
  cairo_fill(cr);
  Glow(cr, 30, header, 200, Hex(0x3FD0C4, 0.05));
  cairo_restore(cr);
  if (look.mark) {
    DrawMark(cr, 10, 7, 16);
    TextStyle brand;
    brand.size_px = 10;
    brand.bold = true;
    brand.letter_spacing = 2;
    brand.color = p::kSubtleText;
    DrawText(cr, "ORVO", 32, 8, 0, brand);
  }
  RoundedRect(cr, 0.5, 0.5, w - 1, h - 1, look.corner_radius);
  SetColor(cr, p::kCardBorder);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

}  // namespace skin
