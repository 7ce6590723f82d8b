// The skinned drop-downs (time zone, two drive letters): their states under the pointer, picking
// an item, where the list stands when it opens again, and how the lists close.
#include <gtest/gtest.h>

#include <variant>

#include "skinned_page_support.h"
#include "toolkit/canvas.h"

namespace {

struct DropDownParts {
  TLabel* caption;
  TImage* normal;
  TImage* over;
  TImage* open;
  TStringGrid* grid;
  TComboBox* combo;
};

enum class State { kClosed, kHovered, kOpen, kOther };

State StateOf(const DropDownParts& d) {
  const bool n = d.normal->Visible(), h = d.over->Visible(), o = d.open->Visible(), g = d.grid->Visible();
  if (n && !h && !o && !g) return State::kClosed;
  if (!n && h && !o && !g) return State::kHovered;
  if (!n && !h && o && g) return State::kOpen;
  return State::kOther;
}

class DropDownTest : public SkinnedPageTest {
 protected:
  DropDownParts DriveList1() const {
    const Tform_Main& m = *form_Main;
    return {m.lab_CBDriveList1,          m.img_CBDriveList1_Normal, m.img_CBDriveList1_Over,
            m.img_CBDriveList1_Selected, m.sg_CBDriveList1,         m.cb_DriveList1};
  }
  DropDownParts DriveList2() const {
    const Tform_Main& m = *form_Main;
    return {m.lab_CBDriveList2,          m.img_CBDriveList2_Normal, m.img_CBDriveList2_Over,
            m.img_CBDriveList2_Selected, m.sg_CBDriveList2,         m.cb_DriveList2};
  }
  DropDownParts TimeZone() const {
    const Tform_Main& m = *form_Main;
    return {m.lab_comboBoxTimeZone,
            m.img_comboBoxTimeZone_Normal,
            m.img_comboBoxTimeZone_Over,
            m.img_comboBoxTimeZone_Selected,
            m.sg_TimeZone,
            m.ComboBoxTimeZone};
  }
  // The drive-letter page with both letters offered (two disks in the standard layout).
  void ShowDriveLetters() {
    LogIn();
    form_Main->radio_Standard->SetChecked(true);
    ShowPage(form_Main->tab_NetworkDiskMapping);
    ASSERT_TRUE(form_Main->cb_DriveList2->Visible());
  }
  // A click on the visible row `row` of an open list (0 is the row at its top).
  void ClickListRow(const DropDownParts& d, int row) {
    const TRect cell = d.grid->CellRect(0, d.grid->TopRow() + row);
    const TPoint at = d.grid->ClientToForm({cell.Left + 20, cell.Top + 12});
    driver_.ClickAt(at.X, at.Y);
    app_.ProcessMessages();
  }
  void ClickCaption(const DropDownParts& d) {
    ClickOn(d.caption);
    RunFor(kDoubleClickMs + 1);  // so that the next click on it is not a double click
  }
};

TEST_F(DropDownTest, ADriveListGoesThroughItsStatesByTheMouse) {
  ShowDriveLetters();
  Tform_Main& m = *form_Main;
  const DropDownParts d = DriveList1();
  ASSERT_GE(d.combo->Items().Count(), 9);
  EXPECT_EQ(StateOf(d), State::kClosed);

  MoveOnto(d.caption);
  EXPECT_EQ(StateOf(d), State::kHovered);
  EXPECT_EQ(d.caption->GetFont().Color(), clBtnHighlight);
  EXPECT_EQ(Screen->Cursor(), crHandPoint);
  MoveOnto(d.over);  // beside the caption, on the hover picture
  EXPECT_EQ(StateOf(d), State::kHovered);
  MoveOnto(m.img_PageControlBG5);
  EXPECT_EQ(StateOf(d), State::kClosed);
  EXPECT_EQ(d.caption->GetFont().Color(), clBtnFace);
  EXPECT_EQ(Screen->Cursor(), crDefault);

  ClickCaption(d);
  EXPECT_EQ(StateOf(d), State::kOpen);
  MoveOnto(m.img_PageControlBG5);
  MoveOnto(d.caption);
  EXPECT_EQ(StateOf(d), State::kOpen) << "an open list shows no hover look";
  ClickCaption(d);
  EXPECT_EQ(StateOf(d), State::kClosed);
  EXPECT_EQ(d.combo->ItemIndex(), 0) << "closing by the caption keeps the item";

  // Picking a cell closes the list on that item.
  ClickCaption(d);
  ClickListRow(d, 2);
  EXPECT_EQ(StateOf(d), State::kClosed);
  EXPECT_EQ(d.combo->ItemIndex(), 2);
  EXPECT_EQ(m.DriveList1Index, 2);
  EXPECT_EQ(d.caption->Caption(), d.combo->Items()[2]);

  // A click elsewhere on the page closes it on the combo box's current item.
  ClickCaption(d);
  m.cb_DriveList1->SetItemIndex(4);
  ClickOn(m.lab_TitleNetworkDiskDrive);
  EXPECT_EQ(StateOf(d), State::kClosed);
  EXPECT_EQ(d.caption->Caption(), d.combo->Items()[4]);
  EXPECT_EQ(m.DriveList1Index, 4);
}

TEST_F(DropDownTest, APickedItemHeadsTheListWhenItOpensAgain) {
  ShowDriveLetters();
  const DropDownParts d = DriveList1();
  const int count = d.combo->Items().Count();
  ClickCaption(d);
  ClickListRow(d, 2);
  EXPECT_EQ(d.grid->TopRow(), 2);
  ClickCaption(d);
  EXPECT_EQ(d.grid->TopRow(), 2) << "the list opens where it was left";
  ClickListRow(d, 3);  // item 5
  EXPECT_EQ(d.combo->ItemIndex(), 5);
  EXPECT_EQ(d.grid->TopRow(), 5);
  ClickCaption(d);
  ClickListRow(d, 0);
  EXPECT_EQ(d.combo->ItemIndex(), 5) << "item 5 stands at the top";

  // Near the end the list stops at its last page of four rows.
  form_Main->SelectDriveList1Item(count - 2);
  EXPECT_EQ(d.grid->TopRow(), count - 4);
  // An index without an item: the list at its top and an empty caption.
  form_Main->SelectDriveList1Item(-1);
  EXPECT_EQ(d.grid->TopRow(), 0);
  EXPECT_EQ(d.caption->Caption(), "");
  EXPECT_EQ(StateOf(d), State::kClosed);
}

TEST_F(DropDownTest, TheTwoDriveListsCloseEachOther) {
  ShowDriveLetters();
  const DropDownParts one = DriveList1(), two = DriveList2();
  ClickCaption(two);
  ASSERT_EQ(StateOf(two), State::kOpen);
  const int second = two.combo->ItemIndex();
  ClickCaption(one);
  EXPECT_EQ(StateOf(one), State::kOpen);
  EXPECT_EQ(StateOf(two), State::kClosed);
  EXPECT_EQ(two.caption->Caption(), two.combo->Items()[second]);
  ClickCaption(two);
  EXPECT_EQ(StateOf(two), State::kOpen);
  EXPECT_EQ(StateOf(one), State::kClosed);

  // Without a second letter its list stays without any picture.
  form_Main->radio_RAID1->SetChecked(true);
  ASSERT_FALSE(two.combo->Visible());
  ClickCaption(one);
  ClickCaption(one);
  for (TImage* p : {two.normal, two.over, two.open}) EXPECT_FALSE(p->Visible()) << p->Name();
}

TEST_F(DropDownTest, AClickBesideTheCellsLeavesTheListOpenAndUnchanged) {
  ShowDriveLetters();
  const DropDownParts d = DriveList1();
  ClickCaption(d);
  const int item = d.combo->ItemIndex();
  // Right of the column, where the scroll bar stands.
  const TPoint beside = d.grid->ClientToForm({d.grid->ColWidth(0) + 8, 10});
  driver_.MoveTo(beside.X, beside.Y);
  EXPECT_EQ(Screen->Cursor(), crDefault);
  EXPECT_EQ(form_Main->DriveList1HoverRow, -1);
  driver_.ClickAt(beside.X, beside.Y);
  EXPECT_EQ(StateOf(d), State::kOpen);
  EXPECT_EQ(d.combo->ItemIndex(), item);
  const TPoint cell = d.grid->ClientToForm({20, 10});
  driver_.MoveTo(cell.X, cell.Y);
  EXPECT_EQ(Screen->Cursor(), crHandPoint);
}

TEST_F(DropDownTest, TheTimeZoneIgnoresTheMouseWhileUseCurrentSettingsIsTicked) {
  LogIn();
  Tform_Main& m = *form_Main;
  ShowPage(m.tab_CurrentSettings);
  const DropDownParts d = TimeZone();
  m.checkBox_UseDefaultDNTZandNetwork->SetChecked(true);
  MoveOnto(d.caption);
  EXPECT_EQ(StateOf(d), State::kClosed);
  EXPECT_EQ(Screen->Cursor(), crDefault);
  ClickCaption(d);
  EXPECT_EQ(StateOf(d), State::kClosed);

  m.checkBox_UseDefaultDNTZandNetwork->SetChecked(false);
  MoveOnto(m.img_PageControlBG3);
  MoveOnto(d.caption);
  EXPECT_EQ(StateOf(d), State::kHovered);
  ClickCaption(d);
  ASSERT_EQ(StateOf(d), State::kOpen);

  // Ticked while open: the list takes no pick, but closing all lists still closes it.
  m.checkBox_UseDefaultDNTZandNetwork->SetChecked(true);
  const int item = d.combo->ItemIndex();
  ClickListRow(d, 1);
  EXPECT_EQ(StateOf(d), State::kOpen);
  EXPECT_EQ(d.combo->ItemIndex(), item);
  m.CloseDropDownLists();
  EXPECT_EQ(StateOf(d), State::kClosed);
  EXPECT_EQ(d.caption->Caption(), d.combo->Items()[item]);
}

TEST_F(DropDownTest, ListRowsDrawTheirPictureAndTextLeftAlignedInTheListsFont) {
  ShowDriveLetters();
  const DropDownParts d = DriveList1();
  ClickCaption(d);
  ClickListRow(d, 1);
  ClickCaption(d);
  TRecordingCanvas canvas;
  d.grid->PaintCells(&canvas);
  int pictures = 0, texts = 0;
  for (const CanvasOp& op : canvas.ops) {
    if (const auto* b = std::get_if<CanvasBitmapOp>(&op)) {
      const int row = d.grid->TopRow() + b->y / 25;
      EXPECT_EQ(b->bitmap, form_Main->imgList->Image(row == 1 ? 1 : 0)) << row;
      ++pictures;
    } else if (const auto* t = std::get_if<CanvasTextOp>(&op)) {
      EXPECT_EQ(t->flags, DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER);
      EXPECT_EQ(t->bk_mode, TRANSPARENT);
      EXPECT_EQ(t->font.Color(), clBtnFace);
      EXPECT_EQ(t->text, d.combo->Items()[d.grid->TopRow() + t->rect.Top / 25]);
      ++texts;
    }
  }
  EXPECT_GT(pictures, 0);
  EXPECT_EQ(pictures, texts);
}

}  // namespace
