// The device page's grid over the device list: its size, what each cell draws and when, and
// what a click on a row chooses; the page's show handler and the hidden list's click.
#include <gtest/gtest.h>

#include <variant>

#include "device_page_support.h"
#include "link/transport.h"
#include "toolkit/canvas.h"

namespace {

class DeviceGridTest : public DevicePageTest {
 protected:
  // What the grid's cells draw now, as the painter would have them draw.
  std::vector<CanvasOp> PaintGrid() {
    TRecordingCanvas canvas;
    form_Main->sg_NASList->PaintCells(&canvas);
    return canvas.ops;
  }
  void AddBoxes(int count) {
    for (int i = 0; i < count; ++i) {
      sim::BoxConfig box;
      box.model_name = "NAS-" + std::to_string(++boxes_);
      AddNextBox(box);
    }
  }
  int boxes_ = 0;
};

TEST_F(DeviceGridTest, NineRowsServeUpToNineDevicesThenOneRowPerDeviceBesideTheScrollBar) {
  struct Step {
    int boxes_added;
    int rows;
    int width;
    int column_width;
    int selected;
  };
  const Step steps[] = {{0, 9, 389, 129, -1}, {1, 9, 389, 129, 0}, {8, 9, 389, 129, 0}, {1, 10, 391, 124, 0}};
  Start();
  for (const Step& s : steps) {
    AddBoxes(s.boxes_added);
    if (boxes_ > 0) ClickRefresh();
    WaitForRoundEnd();
    const TStringGrid& grid = *form_Main->sg_NASList;
    const int devices = form_Main->ListView1->Count();
    SCOPED_TRACE(devices);
    EXPECT_EQ(devices, boxes_);
    EXPECT_EQ(grid.RowCount(), s.rows);
    EXPECT_EQ(grid.Width(), s.width);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(grid.ColWidth(c), s.column_width);
    EXPECT_EQ(form_Main->NASSelectedRow, s.selected);
    for (int r = 0; r < grid.RowCount(); ++r) {
      const bool device = r < devices;
      const TListItem* item = device ? form_Main->ListView1->Item(r) : nullptr;
      EXPECT_EQ(grid.Cell(0, r), device ? item->Caption() : "");
      EXPECT_EQ(grid.Cell(1, r), device ? item->SubItems()[0] : "");
      EXPECT_EQ(grid.Cell(2, r), device ? item->SubItems()[1] : "");
    }
  }
}

TEST_F(DeviceGridTest, DeviceRowsShowTheirTextsOnlyWhileNoUdpWorkIsUnderWay) {
  AddBoxes(2);
  Start();
  WaitForRoundEnd();
  Tform_Main& f = *form_Main;
  const auto row_picture = f.imgList->Image(0);
  const auto selected_picture = f.imgList->Image(1);

  const std::vector<CanvasOp> idle = PaintGrid();
  int pictures = 0, texts = 0;
  for (const CanvasOp& op : idle) {
    if (const auto* b = std::get_if<CanvasBitmapOp>(&op)) {
      // Every cell draws its own picture at its own corner.
      const int row = b->y / 25, col = b->x / 130;
      const TRect cell = f.sg_NASList->CellRect(col, row);
      EXPECT_EQ(b->x, cell.Left);
      EXPECT_EQ(b->y, cell.Top);
      EXPECT_EQ(b->bitmap, row == 0 ? selected_picture : row_picture) << "row " << row;
      EXPECT_TRUE(b->enabled);
      ++pictures;
    } else if (const auto* t = std::get_if<CanvasTextOp>(&op)) {
      const int row = t->rect.Top / 25, col = t->rect.Left / 130;
      ASSERT_LT(row, 2) << "a filler row draws no text";
      EXPECT_EQ(t->text, f.sg_NASList->Cell(col, row));
      const TRect cell = f.sg_NASList->CellRect(col, row);
      EXPECT_TRUE(t->rect.Left == cell.Left && t->rect.Top == cell.Top && t->rect.Right == cell.Right &&
                  t->rect.Bottom == cell.Bottom);
      EXPECT_EQ(t->flags, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS);
      EXPECT_EQ(t->bk_mode, TRANSPARENT);
      EXPECT_EQ(t->font.Color(), clBtnFace);
      EXPECT_EQ(t->font.Style(), 0u);
      EXPECT_EQ(t->font.Name(), "Verdana");
      ++texts;
    }
  }
  EXPECT_EQ(pictures, 9 * 3);
  EXPECT_EQ(texts, 2 * 3);

  // A disk command's socket (no round): the rows keep their pictures, the texts go.
  OpenUdpSocket();
  const std::vector<CanvasOp> busy = PaintGrid();
  StopUdpReceiver();
  EXPECT_EQ(busy.size(), 9u * 3) << "pictures only";
  for (const CanvasOp& op : busy) EXPECT_TRUE(std::holds_alternative<CanvasBitmapOp>(op));

  // During a round the rows that have come in show their pictures only.
  ClickRefresh();
  RunFor(500);
  ASSERT_EQ(f.ListView1->Count(), 2);
  const std::vector<CanvasOp> searching = PaintGrid();
  EXPECT_EQ(searching.size(), 9u * 3);
  for (const CanvasOp& op : searching) {
    const auto* b = std::get_if<CanvasBitmapOp>(&op);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->bitmap, row_picture) << "the grid was emptied: no row is selected";
  }
}

TEST_F(DeviceGridTest, ClickingADeviceRowChoosesItAndAFillerRowLeavesNoChoice) {
  AddBoxes(2);
  Start();
  WaitForRoundEnd();
  Tform_Main& f = *form_Main;
  ASSERT_TRUE(f.btn_Next->Enabled()) << "the round's end enables Next with row 0 chosen";

  ClickDeviceRow(5);
  EXPECT_EQ(f.NASSelectedRow, -1);
  EXPECT_EQ(f.ListView1->ItemIndex(), -1);
  EXPECT_FALSE(f.btn_Next->Enabled());
  EXPECT_EQ(f.lab_btnNext->GetFont().Color(), clBtnShadow);

  ClickDeviceRow(1);
  EXPECT_EQ(f.NASSelectedRow, 1);
  EXPECT_EQ(f.ListView1->ItemIndex(), 1);
  EXPECT_TRUE(f.btn_Next->Enabled());
  EXPECT_EQ(f.lab_btnNext->GetFont().Color(), clBtnFace);
  bool selected_drawn = false;
  for (const CanvasOp& op : PaintGrid()) {
    const auto* b = std::get_if<CanvasBitmapOp>(&op);
    if (b && b->bitmap == f.imgList->Image(1)) selected_drawn |= b->y == f.sg_NASList->CellRect(0, 1).Top;
  }
  EXPECT_TRUE(selected_drawn);

  // The cell under the pointer decides, and the hand shows over the cells only.
  const TPoint cell = DeviceCell(2, 1);
  driver_.MoveTo(cell.X, cell.Y);
  EXPECT_EQ(f.NASHoverRow, 1);
  EXPECT_EQ(f.NASHoverCol, 2);
  EXPECT_EQ(Screen->Cursor(), crHandPoint);
  driver_.MoveTo("lab_Step1");
  EXPECT_EQ(f.NASHoverRow, -1);
  EXPECT_EQ(f.NASHoverCol, -1);
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(DeviceGridTest, WithoutDevicesEveryRowIsAFillerAndAClickKeepsNextDisabled) {
  Start();
  WaitForRoundEnd();
  Tform_Main& f = *form_Main;
  for (const CanvasOp& op : PaintGrid()) {
    const auto* b = std::get_if<CanvasBitmapOp>(&op);
    ASSERT_NE(b, nullptr) << "no text without devices";
    EXPECT_EQ(b->bitmap, f.imgList->Image(0));
  }
  ClickDeviceRow(0);
  EXPECT_FALSE(f.btn_Next->Enabled());
  EXPECT_EQ(f.ListView1->ItemIndex(), -1);
}

TEST_F(DeviceGridTest, TheHiddenListsClickEnablesNextOnlyForASelectedRowOutsideUdpWork) {
  AddBoxes(1);
  Start();
  WaitForRoundEnd();
  Tform_Main& f = *form_Main;
  f.btn_Next->SetEnabled(false);
  f.ListView1Click(f.ListView1);
  EXPECT_TRUE(f.btn_Next->Enabled());
  EXPECT_EQ(f.lab_btnNext->GetFont().Color(), clBtnFace);

  OpenUdpSocket();
  f.ListView1Click(f.ListView1);
  StopUdpReceiver();
  EXPECT_FALSE(f.btn_Next->Enabled()) << "a receiver at work";

  f.ListView1->SetItemIndex(-1);
  f.ListView1Click(f.ListView1);
  EXPECT_FALSE(f.btn_Next->Enabled());
  EXPECT_EQ(f.lab_btnNext->GetFont().Color(), clBtnShadow);
}

TEST_F(DeviceGridTest, ShowingTheDevicePageStartsARoundWithOnlyNextShown) {
  AddBoxes(1);
  Start();
  Tform_Main& f = *form_Main;
  EXPECT_TRUE(f.timer_DeviceDiscovery->Enabled()) << "the first show searches although Refresh starts disabled";
  EXPECT_FALSE(f.panel_btnCancel->Visible());
  EXPECT_FALSE(f.btn_Cancel->Visible());
  EXPECT_FALSE(f.panel_btnBack->Visible());
  EXPECT_TRUE(f.panel_btnNext->Visible());
  EXPECT_EQ(f.lab_btnNext->Caption(), "Next");
  WaitForRoundEnd();

  f.PageControl1->SetActivePage(f.tab_UserPassValid);
  EXPECT_TRUE(f.panel_btnBack->Visible());
  f.PageControl1->SetActivePage(f.tab_NASList);
  EXPECT_TRUE(f.timer_DeviceDiscovery->Enabled()) << "coming back searches again";
  EXPECT_EQ(f.ListView1->Count(), 0);
  EXPECT_FALSE(f.panel_btnBack->Visible());
  WaitForRoundEnd();
  EXPECT_EQ(f.ListView1->Count(), 1);
}

}  // namespace
