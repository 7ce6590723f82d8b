#include "toolkit/grid.h"

#include <algorithm>

#include "toolkit/main_thread.h"

namespace {
const std::string kEmpty;
}

TStringGrid::TStringGrid(TComponent* owner) : TWinControl(owner) { col_widths_.assign(5, default_col_width_); }

void TStringGrid::SetColCount(int n) {
  TK_ASSERT_MAIN_THREAD("a grid");
  col_widths_.resize(static_cast<size_t>(std::max(n, 0)), default_col_width_);
  for (auto& row : cells_) row.resize(col_widths_.size());
  Invalidate();
}

void TStringGrid::SetRowCount(int n) {
  TK_ASSERT_MAIN_THREAD("a grid");
  row_count_ = std::max(n, 0);
  cells_.resize(static_cast<size_t>(row_count_));
  row_ = std::min(row_, std::max(row_count_ - 1, 0));
  SetTopRow(top_row_);
  Invalidate();
}

void TStringGrid::SetDefaultColWidth(int w) {
  TK_ASSERT_MAIN_THREAD("a grid");
  default_col_width_ = w;
  std::fill(col_widths_.begin(), col_widths_.end(), w);
  Invalidate();
}

void TStringGrid::SetColWidth(int col, int w) {
  TK_ASSERT_MAIN_THREAD("a grid");
  col_widths_.at(static_cast<size_t>(col)) = w;
  Invalidate();
}

void TStringGrid::SetDefaultRowHeight(int h) {
  TK_ASSERT_MAIN_THREAD("a grid");
  row_height_ = h;
  Invalidate();
}

void TStringGrid::SetGridLineWidth(int w) {
  TK_ASSERT_MAIN_THREAD("a grid");
  line_width_ = w;
  Invalidate();
}

const std::string& TStringGrid::Cell(int col, int row) const {
  if (row < 0 || row >= static_cast<int>(cells_.size())) return kEmpty;
  const auto& r = cells_[static_cast<size_t>(row)];
  if (col < 0 || col >= static_cast<int>(r.size())) return kEmpty;
  return r[static_cast<size_t>(col)];
}

void TStringGrid::SetCell(int col, int row, std::string text) {
  TK_ASSERT_MAIN_THREAD("a grid");
  if (row < 0 || row >= row_count_ || col < 0 || col >= ColCount()) return;
  auto& r = cells_[static_cast<size_t>(row)];
  r.resize(col_widths_.size());
  r[static_cast<size_t>(col)] = std::move(text);
  Invalidate();
}

void TStringGrid::SetRow(int row) {
  TK_ASSERT_MAIN_THREAD("a grid");
  if (row < 0 || row >= row_count_) return;
  row_ = row;
  Invalidate();
}

int TStringGrid::VisibleRowCount() const {
  const int pitch = row_height_ + line_width_;
  return pitch > 0 ? std::max(1, (Height() + line_width_) / pitch) : row_count_;
}

void TStringGrid::SetTopRow(int row) {
  TK_ASSERT_MAIN_THREAD("a grid");
  const int last_top = std::max(0, row_count_ - VisibleRowCount());
  top_row_ = std::clamp(row, 0, last_top);
  Invalidate();
}

void TStringGrid::VScroll(int code) {
  if (code == SB_TOP) SetTopRow(0);
  if (code == SB_LINEDOWN) SetTopRow(top_row_ + 1);
}

TRect TStringGrid::CellRect(int col, int row) const {
  int left = 0;
  for (int c = 0; c < col && c < ColCount(); ++c) left += col_widths_[static_cast<size_t>(c)] + line_width_;
  const int top = (row - top_row_) * (row_height_ + line_width_);
  return {left, top, left + (col < ColCount() ? col_widths_[static_cast<size_t>(col)] : 0), top + row_height_};
}

void TStringGrid::MouseToCell(int x, int y, int& col, int& row) const {
  col = -1;
  row = -1;
  int left = 0;
  for (int c = 0; c < ColCount(); ++c) {
    const int w = col_widths_[static_cast<size_t>(c)];
    if (x >= left && x < left + w + line_width_) {
      col = c;
      break;
    }
    left += w + line_width_;
  }
  const int pitch = row_height_ + line_width_;
  if (y >= 0 && pitch > 0) {
    const int r = top_row_ + y / pitch;
    if (r < row_count_) row = r;
  }
  if (col < 0 || row < 0) {
    col = -1;
    row = -1;
  }
}

void TStringGrid::PaintCells(TCanvas* canvas) {
  if (!OnDrawCell) return;
  canvas_ = canvas;
  // The canvas lives only while the grid is drawn, also when a handler raises.
  struct Release {
    TCanvas*& canvas;
    ~Release() { canvas = nullptr; }
  } release{canvas_};
  const int last = std::min(row_count_, top_row_ + VisibleRowCount() + 1);
  for (int r = top_row_; r < last; ++r) {
    for (int c = 0; c < ColCount(); ++c) {
      const TRect rect = CellRect(c, r);
      if (rect.Top >= Height()) continue;
      OnDrawCell(this, c, r, rect, r == row_ ? gdSelected : 0u);
    }
  }
}

namespace {
int ColumnsWidth(const TStringGrid& g) {
  int width = 0;
  for (int c = 0; c < g.ColCount(); ++c) width += g.ColWidth(c) + g.GridLineWidth();
  return width;
}
}  // namespace

bool TStringGrid::HasScrollBar() const { return row_count_ > VisibleRowCount() && Width() > ColumnsWidth(*this); }

TRect TStringGrid::ScrollTrack() const {
  if (!HasScrollBar()) return {};
  return {ColumnsWidth(*this), 0, Width(), Height()};
}

TRect TStringGrid::ScrollThumb() const {
  if (!HasScrollBar()) return {};
  const TRect track = ScrollTrack();
  const int visible = VisibleRowCount();
  const int length = std::max(12, track.Height() * visible / row_count_);
  const int last_top = row_count_ - visible;
  const int top = (track.Height() - length) * top_row_ / std::max(1, last_top);
  return {track.Left, top, track.Right, top + length};
}

bool TStringGrid::MouseWheel(int delta) {
  if (!HasScrollBar() || delta == 0) return false;
  SetTopRow(top_row_ + (delta > 0 ? -3 : 3));
  return true;
}

void TStringGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == TMouseButton::mbLeft && ScrollTrack().Contains(x, y)) {
    const TRect thumb = ScrollThumb();
    if (y < thumb.Top) SetTopRow(top_row_ - VisibleRowCount());
    if (y >= thumb.Bottom) SetTopRow(top_row_ + VisibleRowCount());
  }
  TWinControl::MouseDown(button, shift, x, y);
}
