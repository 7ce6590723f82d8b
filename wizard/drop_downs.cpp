#include <utility>

#include "link/transport.h"
#include "platform/ansi.h"
#include "toolkit/canvas.h"
#include "wizard/main_form.h"

// The three skinned drop-downs (time zone, two drive letters) and the device grid.

namespace {

// The parts of one drop-down: caption, its three pictures, the list grid, the real combo box
// and the main window's fields that belong to it.
struct DropDown {
  TLabel* caption;
  TImage* normal;
  TImage* over;
  TImage* open;
  TStringGrid* grid;
  TComboBox* combo;
  int32_t& index;
  int32_t& hover_row;
  int32_t& hover_col;
};

// The text of an item as the grids and captions show it: through the 8-bit code page.
std::string ShownText(const std::string& item) { return platform::FromAnsi(platform::ToAnsi(item)); }

std::string ItemText(const TComboBox* combo, int index) {
  return index >= 0 && index < combo->Items().Count() ? ShownText(combo->Items()[index]) : std::string();
}

// Scrolls the list so that the item stands at the top, as far as the grid scrolls.
void ScrollTo(TStringGrid* grid, int index) {
  grid->VScroll(SB_TOP);
  for (int i = 0; i < index; ++i) grid->VScroll(SB_LINEDOWN);
}

void Toggle(const DropDown& d) {
  if (d.grid->Visible()) {
    d.grid->Hide();
    d.open->Hide();
    d.normal->Show();
    d.over->Hide();
  } else {
    d.grid->Show();
    d.open->Show();
    d.normal->Hide();
    d.over->Hide();
  }
}

void HoverEnter(const DropDown& d) {
  if (!d.normal->Visible()) return;
  d.normal->Hide();
  d.over->Show();
  d.open->Hide();
  d.caption->Font()->SetColor(clBtnHighlight);
  Screen->SetCursor(crHandPoint);
}

void HoverLeave(const DropDown& d) {
  if (!d.over->Visible()) return;
  d.normal->Show();
  d.over->Hide();
  d.open->Hide();
  d.caption->Font()->SetColor(clBtnFace);
  Screen->SetCursor(crDefault);
}

// The hover fields of a grid: the cell under the mouse, -1 each outside the cells. They decide
// where a click goes and the cursor; rows are not drawn differently under the mouse.
void TrackHover(TStringGrid* grid, int32_t& hover_row, int32_t& hover_col, int x, int y) {
  int col = -1, row = -1;
  grid->MouseToCell(x, y, col, row);
  hover_col = col;
  hover_row = row;
  grid->Repaint();
  Screen->SetCursor(col >= 0 && row >= 0 ? crHandPoint : crDefault);
}

void EndHover(TStringGrid* grid, int32_t& hover_row, int32_t& hover_col) {
  Screen->SetCursor(crDefault);
  hover_col = -1;
  hover_row = -1;
  grid->Repaint();
}

void DrawListRow(const DropDown& d, TImageList* pictures, int col, int row, TRect rect) {
  TCanvas* canvas = d.grid->Canvas();
  if (col == 0) pictures->Draw(canvas, rect.Left, rect.Top, row == d.index ? 1 : 0, true);
  canvas->SetBkMode(TRANSPARENT);
  canvas->Font()->Assign(d.grid->GetFont());
  canvas->DrawText(ShownText(d.grid->Cell(col, row)), rect, DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER);
}

DropDown TimeZoneDropDown(Tform_Main& f) {
  return {f.lab_comboBoxTimeZone,
          f.img_comboBoxTimeZone_Normal,
          f.img_comboBoxTimeZone_Over,
          f.img_comboBoxTimeZone_Selected,
          f.sg_TimeZone,
          f.ComboBoxTimeZone,
          f.TimeZoneIndex,
          f.TimeZoneHoverRow,
          f.TimeZoneHoverCol};
}

DropDown DriveList1(Tform_Main& f) {
  return {f.lab_CBDriveList1,          f.img_CBDriveList1_Normal, f.img_CBDriveList1_Over,
          f.img_CBDriveList1_Selected, f.sg_CBDriveList1,         f.cb_DriveList1,
          f.DriveList1Index,           f.DriveList1HoverRow,      f.DriveList1HoverCol};
}

DropDown DriveList2(Tform_Main& f) {
  return {f.lab_CBDriveList2,          f.img_CBDriveList2_Normal, f.img_CBDriveList2_Over,
          f.img_CBDriveList2_Selected, f.sg_CBDriveList2,         f.cb_DriveList2,
          f.DriveList2Index,           f.DriveList2HoverRow,      f.DriveList2HoverCol};
}

// Closes a drop-down on an item: the list hides, scrolled so that the item heads it, and the
// caption shows the item.
void CloseOn(const DropDown& d, int index) {
  d.grid->Hide();
  d.index = index;
  ScrollTo(d.grid, index);
  d.caption->SetCaption(ItemText(d.combo, index));
  d.normal->Show();
  d.over->Hide();
  d.open->Hide();
}

// A click on a cell of an open list makes its item the combo box's choice.
bool Pick(const DropDown& d) {
  if (d.hover_row < 0 || d.hover_col < 0) return false;
  d.index = d.hover_row;
  d.combo->SetItemIndex(d.hover_row);
  return true;
}

}  // namespace

void Tform_Main::RegisterDropDownHandlers() {
  handlers_.Add("lab_comboBoxTimeZoneClick", this, &Tform_Main::lab_comboBoxTimeZoneClick);
  handlers_.Add("lab_comboBoxTimeZoneMouseEnter", this, &Tform_Main::lab_comboBoxTimeZoneMouseEnter);
  handlers_.Add("lab_comboBoxTimeZoneMouseLeave", this, &Tform_Main::lab_comboBoxTimeZoneMouseLeave);
  handlers_.Add("lab_CBDriveList1Click", this, &Tform_Main::lab_CBDriveList1Click);
  handlers_.Add("lab_CBDriveList1MouseEnter", this, &Tform_Main::lab_CBDriveList1MouseEnter);
  handlers_.Add("lab_CBDriveList1MouseLeave", this, &Tform_Main::lab_CBDriveList1MouseLeave);
  handlers_.Add("lab_CBDriveList2Click", this, &Tform_Main::lab_CBDriveList2Click);
  handlers_.Add("lab_CBDriveList2MouseEnter", this, &Tform_Main::lab_CBDriveList2MouseEnter);
  handlers_.Add("lab_CBDriveList2MouseLeave", this, &Tform_Main::lab_CBDriveList2MouseLeave);
  handlers_.Add("sg_TimeZoneClick", this, &Tform_Main::sg_TimeZoneClick);
  handlers_.Add("sg_TimeZoneDrawCell", this, &Tform_Main::sg_TimeZoneDrawCell);
  handlers_.Add("sg_TimeZoneMouseMove", this, &Tform_Main::sg_TimeZoneMouseMove);
  handlers_.Add("sg_TimeZoneMouseLeave", this, &Tform_Main::sg_TimeZoneMouseLeave);
  handlers_.Add("sg_CBDriveList1Click", this, &Tform_Main::sg_CBDriveList1Click);
  handlers_.Add("sg_CBDriveList1DrawCell", this, &Tform_Main::sg_CBDriveList1DrawCell);
  handlers_.Add("sg_CBDriveList1MouseMove", this, &Tform_Main::sg_CBDriveList1MouseMove);
  handlers_.Add("sg_CBDriveList1MouseLeave", this, &Tform_Main::sg_CBDriveList1MouseLeave);
  handlers_.Add("sg_CBDriveList2Click", this, &Tform_Main::sg_CBDriveList2Click);
  handlers_.Add("sg_CBDriveList2DrawCell", this, &Tform_Main::sg_CBDriveList2DrawCell);
  handlers_.Add("sg_CBDriveList2MouseMove", this, &Tform_Main::sg_CBDriveList2MouseMove);
  handlers_.Add("sg_CBDriveList2MouseLeave", this, &Tform_Main::sg_CBDriveList2MouseLeave);
  handlers_.Add("sg_NASListClick", this, &Tform_Main::sg_NASListClick);
  handlers_.Add("sg_NASListDrawCell", this, &Tform_Main::sg_NASListDrawCell);
  handlers_.Add("sg_NASListMouseMove", this, &Tform_Main::sg_NASListMouseMove);
  handlers_.Add("sg_NASListMouseLeave", this, &Tform_Main::sg_NASListMouseLeave);
}

void Tform_Main::SelectTimeZoneItem(int index) { CloseOn(TimeZoneDropDown(*this), index); }

void Tform_Main::SelectDriveList1Item(int index) { CloseOn(DriveList1(*this), index); }

void Tform_Main::SelectDriveList2Item(int index) {
  CloseOn(DriveList2(*this), index);
  // The second letter is offered only while its real list is shown (two standard disks).
  img_CBDriveList2_Normal->SetVisible(cb_DriveList2->Visible());
}

void Tform_Main::CloseDropDownLists() {
  if (sg_CBDriveList1->Visible()) SelectDriveList1Item(cb_DriveList1->ItemIndex());
  if (sg_CBDriveList2->Visible()) SelectDriveList2Item(cb_DriveList2->ItemIndex());
  if (sg_TimeZone->Visible()) SelectTimeZoneItem(ComboBoxTimeZone->ItemIndex());
}

void Tform_Main::SyncTimeZoneDropDown() {
  sg_TimeZone->SetRow(ComboBoxTimeZone->ItemIndex());
  TimeZoneIndex = ComboBoxTimeZone->ItemIndex();
  ScrollTo(sg_TimeZone, TimeZoneIndex);
  lab_comboBoxTimeZone->SetCaption(ItemText(ComboBoxTimeZone, TimeZoneIndex));
}

void Tform_Main::lab_comboBoxTimeZoneClick(TObject*) {
  if (checkBox_UseDefaultDNTZandNetwork->Checked()) return;
  Toggle(TimeZoneDropDown(*this));
}

void Tform_Main::lab_CBDriveList1Click(TObject*) {
  SelectDriveList2Item(cb_DriveList2->ItemIndex());
  Toggle(DriveList1(*this));
}

void Tform_Main::lab_CBDriveList2Click(TObject*) {
  SelectDriveList1Item(cb_DriveList1->ItemIndex());
  Toggle(DriveList2(*this));
}

void Tform_Main::lab_comboBoxTimeZoneMouseEnter(TObject*) {
  if (!checkBox_UseDefaultDNTZandNetwork->Checked()) HoverEnter(TimeZoneDropDown(*this));
}
void Tform_Main::lab_comboBoxTimeZoneMouseLeave(TObject*) {
  if (!checkBox_UseDefaultDNTZandNetwork->Checked()) HoverLeave(TimeZoneDropDown(*this));
}
void Tform_Main::lab_CBDriveList1MouseEnter(TObject*) { HoverEnter(DriveList1(*this)); }
void Tform_Main::lab_CBDriveList1MouseLeave(TObject*) { HoverLeave(DriveList1(*this)); }
void Tform_Main::lab_CBDriveList2MouseEnter(TObject*) { HoverEnter(DriveList2(*this)); }
void Tform_Main::lab_CBDriveList2MouseLeave(TObject*) { HoverLeave(DriveList2(*this)); }

void Tform_Main::sg_TimeZoneClick(TObject*) {
  if (checkBox_UseDefaultDNTZandNetwork->Checked()) return;
  if (Pick(TimeZoneDropDown(*this))) SelectTimeZoneItem(ComboBoxTimeZone->ItemIndex());
}

void Tform_Main::sg_CBDriveList1Click(TObject* Sender) {
  if (!Pick(DriveList1(*this))) return;
  SelectDriveList1Item(cb_DriveList1->ItemIndex());
  cb_DriveList1Change(Sender);
}

void Tform_Main::sg_CBDriveList2Click(TObject* Sender) {
  if (!Pick(DriveList2(*this))) return;
  SelectDriveList2Item(cb_DriveList2->ItemIndex());
  cb_DriveList2Change(Sender);
}

void Tform_Main::sg_TimeZoneDrawCell(TObject*, int ACol, int ARow, TRect Rect, TGridDrawState) {
  DrawListRow(TimeZoneDropDown(*this), imgList, ACol, ARow, Rect);
}
void Tform_Main::sg_CBDriveList1DrawCell(TObject*, int ACol, int ARow, TRect Rect, TGridDrawState) {
  DrawListRow(DriveList1(*this), imgList, ACol, ARow, Rect);
}
void Tform_Main::sg_CBDriveList2DrawCell(TObject*, int ACol, int ARow, TRect Rect, TGridDrawState) {
  DrawListRow(DriveList2(*this), imgList, ACol, ARow, Rect);
}

void Tform_Main::sg_TimeZoneMouseMove(TObject*, TShiftState, int X, int Y) {
  TrackHover(sg_TimeZone, TimeZoneHoverRow, TimeZoneHoverCol, X, Y);
}
void Tform_Main::sg_CBDriveList1MouseMove(TObject*, TShiftState, int X, int Y) {
  TrackHover(sg_CBDriveList1, DriveList1HoverRow, DriveList1HoverCol, X, Y);
}
void Tform_Main::sg_CBDriveList2MouseMove(TObject*, TShiftState, int X, int Y) {
  TrackHover(sg_CBDriveList2, DriveList2HoverRow, DriveList2HoverCol, X, Y);
}
void Tform_Main::sg_TimeZoneMouseLeave(TObject*) { EndHover(sg_TimeZone, TimeZoneHoverRow, TimeZoneHoverCol); }
void Tform_Main::sg_CBDriveList1MouseLeave(TObject*) {
  EndHover(sg_CBDriveList1, DriveList1HoverRow, DriveList1HoverCol);
}
void Tform_Main::sg_CBDriveList2MouseLeave(TObject*) {
  EndHover(sg_CBDriveList2, DriveList2HoverRow, DriveList2HoverCol);
}

void Tform_Main::RefreshNASListGrid() {
  NASSelectedRow = -1;
  sg_NASList->SetRowCount(0);
  const int count = ListView1->Count();
  for (int i = 0; i < count; ++i) {
    const TListItem* item = ListView1->Item(i);
    sg_NASList->SetRowCount(i + 1);
    sg_NASList->SetCell(0, i, item->Caption());
    sg_NASList->SetCell(1, i, item->SubItems().Count() > 0 ? item->SubItems()[0] : std::string());
    sg_NASList->SetCell(2, i, item->SubItems().Count() > 1 ? item->SubItems()[1] : std::string());
  }
  if (count >= 1) {
    NASSelectedRow = 0;
    sg_NASList->SetRow(0);
  }
  const bool fits = count <= 9;
  sg_NASList->SetRowCount(fits ? 9 : count);
  sg_NASList->SetWidth(fits ? 389 : 391);
  for (int c = 0; c < sg_NASList->ColCount(); ++c) sg_NASList->SetColWidth(c, fits ? 129 : 124);
}

void Tform_Main::sg_NASListDrawCell(TObject*, int ACol, int ARow, TRect Rect, TGridDrawState) {
  TCanvas* canvas = sg_NASList->Canvas();
  if (ARow >= ListView1->Count()) {
    imgList->Draw(canvas, Rect.Left, Rect.Top, 0, true);
    return;
  }
  imgList->Draw(canvas, Rect.Left, Rect.Top, ARow == NASSelectedRow ? 1 : 0, true);
  canvas->Font()->Assign(sg_NASList->GetFont());
  canvas->Font()->SetColor(clBtnFace);
  canvas->Font()->SetStyle(0);
  // The texts show only while no UDP work is under way.
  if (g_App_end.load() == 0) return;
  canvas->SetBkMode(TRANSPARENT);
  canvas->DrawText(ShownText(sg_NASList->Cell(ACol, ARow)), Rect,
                   DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS);
}

void Tform_Main::sg_NASListMouseMove(TObject*, TShiftState, int X, int Y) {
  TrackHover(sg_NASList, NASHoverRow, NASHoverCol, X, Y);
}

void Tform_Main::sg_NASListMouseLeave(TObject*) { EndHover(sg_NASList, NASHoverRow, NASHoverCol); }

void Tform_Main::SelectNASRow(int row) {
  NASSelectedRow = row;
  ListView1->SetItemIndex(row);
  sg_NASList->Invalidate();
}

void Tform_Main::sg_NASListClick(TObject*) {
  const bool on_row = NASHoverRow >= 0 && NASHoverCol >= 0 && NASHoverRow < ListView1->Count();
  SelectNASRow(on_row ? NASHoverRow : -1);
  btn_Next->SetEnabled(on_row);
  SetNextButtonLook(on_row);
}
