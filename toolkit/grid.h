#pragma once

#include <string>
#include <vector>

#include "toolkit/canvas.h"
#include "toolkit/control.h"

// Scroll codes of WM_VSCROLL.
constexpr int SB_LINEDOWN = 1;
constexpr int SB_TOP = 6;

// A string grid without fixed rows or columns, drawn by its owner through OnDrawCell.
class TStringGrid : public TWinControl {
 public:
  explicit TStringGrid(TComponent* owner);
  std::string ClassName() const override { return "TStringGrid"; }
  bool TakesFocusOnClick() const override { return true; }

  int ColCount() const { return static_cast<int>(col_widths_.size()); }
  void SetColCount(int n);
  int RowCount() const { return row_count_; }
  void SetRowCount(int n);
  int DefaultColWidth() const { return default_col_width_; }
  void SetDefaultColWidth(int w);
  int ColWidth(int col) const { return col_widths_.at(static_cast<size_t>(col)); }
  void SetColWidth(int col, int w);
  int DefaultRowHeight() const { return row_height_; }
  void SetDefaultRowHeight(int h);
  int GridLineWidth() const { return line_width_; }
  void SetGridLineWidth(int w);

  const std::string& Cell(int col, int row) const;
  void SetCell(int col, int row, std::string text);

  int Row() const { return row_; }
  void SetRow(int row);
  int TopRow() const { return top_row_; }
  void SetTopRow(int row);
  // Rows that fit whole in the grid's height.
  int VisibleRowCount() const;
  // The framework's WM_VSCROLL: SB_TOP, SB_LINEDOWN (stops at the last page).
  void VScroll(int code);

  // A grid with more rows than it shows has a vertical scroll bar to the right of its columns:
  // its track, and the thumb within it (empty rects when there is none).
  bool HasScrollBar() const;
  TRect ScrollTrack() const;
  TRect ScrollThumb() const;
  // The wheel scrolls three lines a notch; a press on the track above or below the thumb scrolls
  // a page.
  bool MouseWheel(int delta) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

  // Column and row of a point in the grid's coordinates; -1 each outside the cells.
  void MouseToCell(int x, int y, int& col, int& row) const;
  TRect CellRect(int col, int row) const;

  TDrawCellEvent OnDrawCell;
  // Calls OnDrawCell for every cell in view, on `canvas`.
  void PaintCells(TCanvas* canvas);
  // The canvas of the paint in progress (OnDrawCell draws on it).
  TCanvas* Canvas() const { return canvas_; }

 private:
  int row_count_ = 5;
  std::vector<int> col_widths_;
  int default_col_width_ = 64;
  int row_height_ = 24;
  int line_width_ = 1;
  std::vector<std::vector<std::string>> cells_;  // [row][col]
  int row_ = 0;
  int top_row_ = 0;
  TCanvas* canvas_ = nullptr;
};
