#include "toolkit/painter.h"

#include <algorithm>
#include <exception>
#include <numbers>
#include <string>

#include "platform/unicode.h"
#include "toolkit/cairo_canvas.h"
#include "toolkit/grid.h"
#include "toolkit/list_view.h"
#include "toolkit/page_control.h"
#include "toolkit/std_controls.h"
#include "toolkit/text_block.h"

namespace {

// The plain controls' own colours beyond the palette's.
constexpr TColor kSelection = RGBColor(0x99, 0xC9, 0xFF);
constexpr TColor kFocusFrame = RGBColor(0x33, 0x66, 0xCC);
constexpr TColor kProgressTrack = RGBColor(0xE6, 0xE6, 0xE6);
constexpr TColor kProgressBar = RGBColor(0x06, 0xB0, 0x25);
constexpr int kCheckSize = 13;
constexpr int kArrowWidth = 17;

void SetColour(cairo_t* cr, TColor color) {
  const TRgb rgb = ColorToRgb(color);
  cairo_set_source_rgb(cr, rgb.r / 255.0, rgb.g / 255.0, rgb.b / 255.0);
}

// A one-pixel frame just inside the rectangle.
void Frame(cairo_t* cr, TRect r, TColor color, double width = 1.0) {
  cairo_save(cr);
  SetColour(cr, color);
  cairo_set_line_width(cr, width);
  cairo_rectangle(cr, r.Left + width / 2, r.Top + width / 2, r.Width() - width, r.Height() - width);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// Text in a control's font: `colour` replaces the font's colour (disabled looks).
void Text(cairo_t* cr, const TFont& font, const std::string& text, TRect box, TAlignment alignment, TColor colour) {
  TTextFormat format;
  format.single_line = true;
  format.alignment = alignment;
  const TTextBlock block(font, text, format);
  cairo_save(cr);
  cairo_rectangle(cr, box.Left, box.Top, box.Width(), box.Height());
  cairo_clip(cr);
  block.Draw(cr, box.Left, box.Top + (box.Height() - block.Size().Y) / 2, box.Width(), ColorToRgb(colour));
  cairo_restore(cr);
}

TColor TextColour(const TControl& c) { return c.EffectivelyEnabled() ? c.GetFont().Color() : clBtnShadow; }

bool HasFocus(const TWinControl& c) { return c.Focused() && c.ParentForm() && c.ParentForm()->AcceptsInput(); }

class Painter {
 public:
  explicit Painter(cairo_t* cr) : cr_(cr) {}

  // Draws the whole form; returns the first failure of a control's drawing, if any.
  std::exception_ptr Form(const TForm& form) {
    FillBox(cr_, {0, 0, form.Width(), form.Height()}, form.Color());
    Children(form);
    return failure_;
  }

 private:
  void Children(const TWinControl& parent) {
    for (const TControl* child : parent.Controls()) {
      if (!child->Visible() || child->Width() <= 0 || child->Height() <= 0) continue;
      cairo_save(cr_);
      cairo_translate(cr_, child->Left(), child->Top());
      cairo_rectangle(cr_, 0, 0, child->Width(), child->Height());
      cairo_clip(cr_);
      // What a control's drawing raises (a picture that does not decode, a draw-cell handler's
      // exception) ends that control's drawing only: the rest of the window is still drawn.
      try {
        Control(*child);
      } catch (...) {
        if (!failure_) failure_ = std::current_exception();
      }
      if (auto* container = dynamic_cast<const TWinControl*>(child)) Children(*container);
      cairo_restore(cr_);
    }
  }

  void Control(const TControl& c) {
    const TRect box{0, 0, c.Width(), c.Height()};
    if (auto* label = dynamic_cast<const TLabel*>(&c)) return Label(*label, box);
    if (auto* image = dynamic_cast<const TImage*>(&c)) return Image(*image, box);
    if (auto* grid = dynamic_cast<const TStringGrid*>(&c)) return Grid(*grid, box);
    if (auto* edit = dynamic_cast<const TEdit*>(&c)) return Edit(*edit, box);
    if (auto* button = dynamic_cast<const TButton*>(&c)) return Button(*button, box);
    if (auto* check = dynamic_cast<const TCheckBox*>(&c)) return CheckBox(*check, box);
    if (auto* radio = dynamic_cast<const TRadioButton*>(&c)) return Radio(*radio, box);
    if (auto* combo = dynamic_cast<const TComboBox*>(&c)) return Combo(*combo, box);
    if (auto* list = dynamic_cast<const TListView*>(&c)) return ListView(*list, box);
    if (auto* bar = dynamic_cast<const TProgressBar*>(&c)) return Progress(*bar, box);
    if (auto* group = dynamic_cast<const TGroupBox*>(&c)) return Group(*group, box);
    if (auto* panel = dynamic_cast<const TPanel*>(&c)) return Panel(*panel, box);
    // Page controls, tab sheets and other containers show their colour.
    FillBox(cr_, box, c.Color());
  }

  void Label(const TLabel& label, TRect box) {
    if (!label.Transparent()) FillBox(cr_, box, label.Color());
    if (label.Caption().empty()) return;
    TTextFormat format;
    format.alignment = label.Alignment();
    if (label.WordWrap()) format.wrap_width = box.Width();
    const TTextBlock block(label.GetFont(), label.Caption(), format);
    int top = 0;
    if (label.Layout() == TTextLayout::tlCenter) top = (box.Height() - block.Size().Y) / 2;
    if (label.Layout() == TTextLayout::tlBottom) top = box.Height() - block.Size().Y;
    if (label.EffectivelyEnabled()) {
      block.Draw(cr_, 0, top, box.Width(), ColorToRgb(label.GetFont().Color()));
    } else {
      // The framework's disabled caption: engraved, a highlight under the shadow colour.
      block.Draw(cr_, 1, top + 1, box.Width(), ColorToRgb(clBtnHighlight));
      block.Draw(cr_, 0, top, box.Width(), ColorToRgb(clBtnShadow));
    }
  }

  void Image(const TImage& image, TRect box) {
    const auto& bitmap = image.Picture().BitmapToDraw();
    if (!bitmap || bitmap->width <= 0 || bitmap->height <= 0) return;
    if (!image.Stretch()) return PaintBitmap(cr_, *bitmap, 0, 0);
    cairo_save(cr_);
    cairo_scale(cr_, static_cast<double>(box.Width()) / bitmap->width,
                static_cast<double>(box.Height()) / bitmap->height);
    PaintBitmap(cr_, *bitmap, 0, 0);
    cairo_restore(cr_);
  }

  void Grid(const TStringGrid& grid, TRect box) {
    FillBox(cr_, box, grid.Color());
    if (grid.GridLineWidth() > 0) {
      // Lines after every column and row in view, in the framework's grid-line colour.
      const int last = std::min(grid.RowCount(), grid.TopRow() + grid.VisibleRowCount() + 1);
      for (int col = 0; col < grid.ColCount(); ++col) {
        const TRect cell = grid.CellRect(col, grid.TopRow());
        FillBox(cr_, {cell.Right, 0, cell.Right + grid.GridLineWidth(), box.Height()}, clSilver);
      }
      for (int row = grid.TopRow(); row < last; ++row) {
        const TRect cell = grid.CellRect(0, row);
        FillBox(cr_, {0, cell.Bottom, box.Width(), cell.Bottom + grid.GridLineWidth()}, clSilver);
      }
    }
    TCairoCanvas canvas(cr_, grid.Color());
    canvas.Font()->Assign(grid.GetFont());
    // Owner drawing runs the grid's handler, which paints on the canvas; the grid's model is
    // left as it was.
    const_cast<TStringGrid&>(grid).PaintCells(&canvas);
    if (grid.HasScrollBar()) {
      FillBox(cr_, grid.ScrollTrack(), clBtnShadow);
      const TRect thumb = grid.ScrollThumb();
      FillBox(cr_, {thumb.Left + 2, thumb.Top + 2, thumb.Right - 2, thumb.Bottom - 2}, clBtnFace);
    }
  }

  void Edit(const TEdit& edit, TRect box) {
    FillBox(cr_, box, edit.EffectivelyEnabled() ? edit.Color() : clBtnFace);
    const bool focused = HasFocus(edit);
    Frame(cr_, box, focused ? kFocusFrame : clBtnShadow);
    std::u16string shown = platform::Utf8ToUtf16(edit.Text());
    if (edit.PasswordChar()) shown.assign(shown.size(), edit.PasswordChar());
    const std::string text = platform::Utf16ToUtf8(shown);
    TTextFormat format;
    format.single_line = true;
    const TTextBlock block(edit.GetFont(), text, format);
    const int left = 3, top = (box.Height() - block.Size().Y) / 2;
    auto x_of = [&](int utf16_index) {
      const int bytes =
          static_cast<int>(platform::Utf16ToUtf8(std::u16string_view(shown).substr(0, utf16_index)).size());
      return left + block.XOfByte(bytes);
    };
    cairo_save(cr_);
    cairo_rectangle(cr_, 1, 1, box.Width() - 2, box.Height() - 2);
    cairo_clip(cr_);
    if (focused && edit.SelLength() > 0) {
      FillBox(cr_, {x_of(edit.SelStart()), top, x_of(edit.SelStart() + edit.SelLength()), top + block.Size().Y},
              kSelection);
    }
    block.Draw(cr_, left, top, block.Size().X, ColorToRgb(TextColour(edit)));
    if (focused && edit.SelLength() == 0) {
      const int x = x_of(edit.SelStart());
      FillBox(cr_, {x, top, x + 1, top + std::max(block.Size().Y, edit.GetFont().Height())}, edit.GetFont().Color());
    }
    cairo_restore(cr_);
  }

  void Button(const TButton& button, TRect box) {
    FillBox(cr_, box, clBtnFace);
    Frame(cr_, box, HasFocus(button) ? kFocusFrame : clBtnShadow, HasFocus(button) ? 2.0 : 1.0);
    Text(cr_, button.GetFont(), button.Caption(), {2, 2, box.Right - 2, box.Bottom - 2}, TAlignment::taCenter,
         TextColour(button));
  }

  void Mark(TRect box, bool round, bool checked, bool enabled) {
    const int top = (box.Height() - kCheckSize) / 2;
    const TColor fill = enabled ? clWindow : clBtnFace;
    cairo_save(cr_);
    cairo_translate(cr_, 0, top);
    if (round) {
      const double r = kCheckSize / 2.0;
      cairo_arc(cr_, r, r, r - 0.5, 0, 2 * std::numbers::pi);
      SetColour(cr_, fill);
      cairo_fill_preserve(cr_);
      SetColour(cr_, clBtnShadow);
      cairo_set_line_width(cr_, 1);
      cairo_stroke(cr_);
      if (checked) {
        cairo_arc(cr_, r, r, r / 2.5, 0, 2 * std::numbers::pi);
        SetColour(cr_, clWindowText);
        cairo_fill(cr_);
      }
    } else {
      FillBox(cr_, {0, 0, kCheckSize, kCheckSize}, fill);
      Frame(cr_, {0, 0, kCheckSize, kCheckSize}, clBtnShadow);
      if (checked) {
        SetColour(cr_, clWindowText);
        cairo_set_line_width(cr_, 2);
        cairo_move_to(cr_, 3, 6.5);
        cairo_line_to(cr_, 5.5, 9.5);
        cairo_line_to(cr_, 10, 3.5);
        cairo_stroke(cr_);
      }
    }
    cairo_restore(cr_);
  }

  void CheckBox(const TCheckBox& box_control, TRect box) {
    FillBox(cr_, box, box_control.Color());
    Mark(box, false, box_control.Checked(), box_control.EffectivelyEnabled());
    Text(cr_, box_control.GetFont(), box_control.Caption(), {kCheckSize + 4, 0, box.Right, box.Bottom},
         TAlignment::taLeftJustify, TextColour(box_control));
  }

  void Radio(const TRadioButton& radio, TRect box) {
    FillBox(cr_, box, radio.Color());
    Mark(box, true, radio.Checked(), radio.EffectivelyEnabled());
    Text(cr_, radio.GetFont(), radio.Caption(), {kCheckSize + 4, 0, box.Right, box.Bottom}, TAlignment::taLeftJustify,
         TextColour(radio));
  }

  void Combo(const TComboBox& combo, TRect box) {
    FillBox(cr_, box, combo.EffectivelyEnabled() ? clWindow : clBtnFace);
    Frame(cr_, box, HasFocus(combo) ? kFocusFrame : clBtnShadow);
    const TRect arrow{box.Right - kArrowWidth, 1, box.Right - 1, box.Bottom - 1};
    FillBox(cr_, arrow, clBtnFace);
    cairo_save(cr_);
    SetColour(cr_, TextColour(combo));
    const double cx = (arrow.Left + arrow.Right) / 2.0, cy = box.Height() / 2.0;
    cairo_move_to(cr_, cx - 4, cy - 2);
    cairo_line_to(cr_, cx + 4, cy - 2);
    cairo_line_to(cr_, cx, cy + 2);
    cairo_close_path(cr_);
    cairo_fill(cr_);
    cairo_restore(cr_);
    Text(cr_, combo.GetFont(), combo.Text(), {3, 1, arrow.Left - 1, box.Bottom - 1}, TAlignment::taLeftJustify,
         TextColour(combo));
  }

  void ListView(const TListView& list, TRect box) {
    FillBox(cr_, box, clWindow);
    const int columns = std::max(1, list.Columns().Count());
    const int column_width = std::max(1, (box.Width() - 2) / columns);
    const int line = list.GetFont().Height() + 6;
    int top = 1;
    if (list.Columns().Count() > 0) {
      FillBox(cr_, {1, 1, box.Right - 1, 1 + line}, clBtnFace);
      for (int c = 0; c < columns; ++c) {
        const int left = 1 + c * column_width;
        Text(cr_, list.GetFont(), list.Columns()[c], {left + 4, 1, left + column_width, 1 + line},
             TAlignment::taLeftJustify, TextColour(list));
      }
      top += line;
    }
    for (int i = 0; i < list.Count() && top < box.Bottom; ++i, top += line) {
      const TListItem* item = list.Item(i);
      if (i == list.ItemIndex()) FillBox(cr_, {1, top, box.Right - 1, top + line}, kSelection);
      for (int c = 0; c < columns; ++c) {
        const std::string& text =
            c == 0 ? item->Caption() : (c - 1 < item->SubItems().Count() ? item->SubItems()[c - 1] : std::string());
        const int left = 1 + c * column_width;
        Text(cr_, list.GetFont(), text, {left + 4, top, left + column_width, top + line}, TAlignment::taLeftJustify,
             TextColour(list));
      }
    }
    Frame(cr_, box, HasFocus(list) ? kFocusFrame : clBtnShadow);
  }

  void Progress(const TProgressBar& bar, TRect box) {
    FillBox(cr_, box, kProgressTrack);
    const int range = bar.Max() - bar.Min();
    if (range > 0) {
      const int filled =
          static_cast<int>(static_cast<long long>(box.Width() - 2) * (bar.Position() - bar.Min()) / range);
      FillBox(cr_, {1, 1, 1 + filled, box.Bottom - 1}, kProgressBar);
    }
    Frame(cr_, box, clBtnShadow);
  }

  void Group(const TGroupBox& group, TRect box) {
    FillBox(cr_, box, group.Color());
    const TTextBlock caption(group.GetFont(), group.Caption(), TTextFormat{.single_line = true});
    const int frame_top = caption.Size().Y / 2;
    Frame(cr_, {0, frame_top, box.Right, box.Bottom}, clBtnShadow);
    if (group.Caption().empty()) return;
    FillBox(cr_, {6, 0, 10 + caption.Size().X, caption.Size().Y}, group.Color());
    caption.Draw(cr_, 8, 0, caption.Size().X, ColorToRgb(TextColour(group)));
  }

  void Panel(const TPanel& panel, TRect box) {
    if (!panel.ParentBackground()) FillBox(cr_, box, panel.Color());
    if (!panel.Caption().empty()) {
      Text(cr_, panel.GetFont(), panel.Caption(), box, TAlignment::taCenter, TextColour(panel));
    }
  }

  cairo_t* cr_;
  std::exception_ptr failure_;
};

// Clears the pixels outside the window region. The region decides pixel by pixel, exactly as it
// decides where the mouse reaches the form; only the pixels outside its box and in its corners
// need asking.
void ClearOutsideRegion(const TWindowRegion& region, TBitmapData& bitmap) {
  const int w = bitmap.width;
  const int corner_w = (region.EllipseWidth + 1) / 2 + 1, corner_h = (region.EllipseHeight + 1) / 2 + 1;
  for (int y = 0; y < bitmap.height; ++y) {
    uint32_t* row = bitmap.pixels.data() + static_cast<size_t>(y) * w;
    const bool whole_row = y < region.Top + corner_h || y >= region.Bottom - corner_h;
    // Between the corners of a middle row only the pixels beside the box are outside.
    const int left_end = whole_row ? w : std::clamp(region.Left + corner_w, 0, w);
    const int right_start = whole_row ? w : std::clamp(region.Right - corner_w, left_end, w);
    for (int x = 0; x < left_end; ++x) {
      if (!region.Contains(x, y)) row[x] = 0;
    }
    for (int x = right_start; x < w; ++x) {
      if (!region.Contains(x, y)) row[x] = 0;
    }
  }
}

}  // namespace

void PaintForm(const TForm& form, cairo_t* cr) {
  if (const std::exception_ptr failure = Painter(cr).Form(form)) std::rethrow_exception(failure);
}

std::shared_ptr<TBitmapData> RenderForm(const TForm& form) {
  auto bitmap = std::make_shared<TBitmapData>();
  RenderForm(form, *bitmap);
  return bitmap;
}

void RenderForm(const TForm& form, TBitmapData& into) {
  TBitmapData* bitmap = &into;
  bitmap->width = std::max(0, form.Width());
  bitmap->height = std::max(0, form.Height());
  bitmap->pixels.assign(static_cast<size_t>(bitmap->width) * bitmap->height, 0);
  if (bitmap->pixels.empty()) return;
  cairo_surface_t* surface =
      cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(bitmap->pixels.data()), CAIRO_FORMAT_ARGB32,
                                          bitmap->width, bitmap->height, bitmap->width * 4);
  cairo_t* cr = cairo_create(surface);
  const std::exception_ptr failure = Painter(cr).Form(form);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  cairo_surface_destroy(surface);
  if (form.WindowRegion()) ClearOutsideRegion(*form.WindowRegion(), *bitmap);
  if (failure) std::rethrow_exception(failure);
}
