#pragma once

#include "canvas.h"

// Icons and the line-art illustrations of the pages.
namespace skin {

enum class MessageKind { Information, Warning, Error };
void DrawMessageIcon(Canvas& c, MessageKind kind);

// The product mark: a rounded tile holding a two-bay box, `size` pixels square at (x, y).
void DrawMark(cairo_t* cr, double x, double y, double size);

// Illustrations, drawn into a box of about w x h pixels at (x, y).
void DrawNasBox(cairo_t* cr, double x, double y, double w, double h);
void DrawLock(cairo_t* cr, double x, double y, double w, double h);
void DrawNetworkNodes(cairo_t* cr, double x, double y, double w, double h);
void DrawDisks(cairo_t* cr, double x, double y, double w, double h);
void DrawNetworkDrive(cairo_t* cr, double x, double y, double w, double h);
void DrawSuccessBadge(cairo_t* cr, double cx, double cy, double radius);
void DrawBrokenLink(cairo_t* cr, double x, double y, double w, double h);

}  // namespace skin
