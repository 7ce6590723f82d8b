#pragma once

#include <cairo.h>

#include <memory>

#include "toolkit/form.h"
#include "toolkit/picture.h"

// Draws a form as the screen shows it: its visible controls in z-order (later children over
// earlier ones, as the mouse finds them), each clipped to its box and its parents' boxes. A
// pure function of the model; owner-drawn grids run their draw-cell handlers. Main thread.
// What a control's drawing raises (a picture that does not decode, a handler's exception) leaves
// that control unfinished; the rest is drawn, and the first such exception is raised at the end.

// Into `cr`, whose origin is the form's top-left corner.
void PaintForm(const TForm& form, cairo_t* cr);

// Into a new premultiplied ARGB bitmap of the form's size; pixels outside the window region
// are transparent.
std::shared_ptr<TBitmapData> RenderForm(const TForm& form);
// The same into a bitmap of the caller's, whose memory serves again (the presenter's).
void RenderForm(const TForm& form, TBitmapData& into);
