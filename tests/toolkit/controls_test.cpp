#include <gtest/gtest.h>

#include <functional>

#include "platform/thread.h"
#include "toolkit/clipboard.h"
#include "toolkit/grid.h"
#include "toolkit/list_view.h"
#include "toolkit/main_thread.h"
#include "toolkit/page_control.h"
#include "toolkit/std_controls.h"
#include "toolkit_fixture.h"

namespace {

class ControlsTest : public ToolkitTest {
 public:
  void DigitsOnly(TObject*, char16_t& key) {
    keys_seen_.push_back(key);
    if (key < u'0' || key > u'9') key = 0;
  }
  void Refuse(TObject* sender) {
    ++exits_;
    if (refuse_) static_cast<TWinControl*>(sender)->SetFocus();
  }
  std::u16string keys_seen_;
  bool refuse_ = false;
  int exits_ = 0;
};

TEST_F(ControlsTest, SettersRunClickHandlersByTheFrameworksRules) {
  handlers_.Add("Log", this, &ToolkitTest::Log);
  Load(R"(
    {"class": "TCheckBox", "name": "box", "OnClick": "Log"},
    {"class": "TPanel", "name": "group", "children": [
      {"class": "TRadioButton", "name": "a", "Checked": true, "OnClick": "Log"},
      {"class": "TRadioButton", "name": "b", "OnClick": "Log"}]},
    {"class": "TRadioButton", "name": "elsewhere", "Checked": true, "OnClick": "Log"},
    {"class": "TComboBox", "name": "combo", "Items": ["x", "y"], "OnChange": "Log"})");
  auto* box = Get<TCheckBox>("box");
  auto* a = Get<TRadioButton>("a");
  auto* b = Get<TRadioButton>("b");

  struct Step {
    std::function<void()> act;
    std::vector<std::string> expected_log;
  } const steps[] = {
      {[&] { box->SetChecked(true); }, {"box"}},
      {[&] { box->SetChecked(true); }, {}},
      {[&] { box->SetChecked(false); }, {"box"}},
      {[&] { a->SetChecked(true); }, {}},
      {[&] { b->SetChecked(true); }, {"b"}},
      {[&] { b->SetChecked(false); }, {}},
      {[&] { Get<TComboBox>("combo")->SetItemIndex(1); }, {}},
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    log_.clear();
    steps[i].act();
    EXPECT_EQ(log_, steps[i].expected_log) << "step " << i;
  }
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked()) << "radios of one parent exclude each other";
  EXPECT_TRUE(Get<TRadioButton>("elsewhere")->Checked()) << "a radio of another parent is not touched";
  EXPECT_TRUE(b->TabStop());
  EXPECT_FALSE(a->TabStop()) << "the checked radio is the group's tab stop";
}

// Keys on a focused radio button, as the framework has them: Space clicks it, the arrows move the
// focus to the next or previous radio of the same parent (around the end; controls of another
// class and radios that cannot take the focus are passed over) and check the one reached.
TEST_F(ControlsTest, SpaceAndTheArrowKeysChooseAmongTheRadiosOfAParent) {
  handlers_.Add("Log", this, &ToolkitTest::Log);
  Load(R"(
    {"class": "TPanel", "name": "group", "children": [
      {"class": "TRadioButton", "name": "a", "TabOrder": 0, "Checked": true, "OnClick": "Log"},
      {"class": "TEdit", "name": "between", "TabOrder": 1},
      {"class": "TRadioButton", "name": "off", "TabOrder": 2, "Enabled": false, "OnClick": "Log"},
      {"class": "TRadioButton", "name": "b", "TabOrder": 3, "OnClick": "Log"},
      {"class": "TRadioButton", "name": "c", "TabOrder": 4, "OnClick": "Log"}]},
    {"class": "TRadioButton", "name": "elsewhere", "OnClick": "Log"})");
  auto* a = Get<TRadioButton>("a");
  struct Step {
    uint16_t key;
    const char* focused;
    const char* checked;
    std::vector<std::string> clicks;
  } const steps[] = {
      {VK_RIGHT, "b", "b", {"b"}}, {VK_DOWN, "c", "c", {"c"}}, {VK_RIGHT, "a", "a", {"a"}},
      {VK_UP, "c", "c", {"c"}},    {VK_LEFT, "b", "b", {"b"}}, {VK_SPACE, "b", "b", {}},
  };
  a->SetFocus();
  for (const Step& step : steps) {
    SCOPED_TRACE("key " + std::to_string(step.key) + " to " + step.focused);
    log_.clear();
    driver_.Key(step.key);
    EXPECT_EQ(form_->ActiveControl()->Name(), step.focused);
    EXPECT_TRUE(Get<TRadioButton>(step.checked)->Checked());
    EXPECT_EQ(log_, step.clicks);
  }
  // The checked radio changed under the focused one (its picture was clicked): Space checks the
  // focused one again.
  Get<TRadioButton>("c")->SetChecked(true);
  log_.clear();
  driver_.Key(VK_SPACE);
  EXPECT_TRUE(Get<TRadioButton>("b")->Checked());
  EXPECT_EQ(log_, std::vector<std::string>{"b"});
  EXPECT_FALSE(Get<TRadioButton>("elsewhere")->Checked()) << "a radio of another parent is not reached";
  EXPECT_FALSE(Get<TRadioButton>("off")->Checked());
}

TEST_F(ControlsTest, EditSelectsAllOnEntryAndKeepsItsLengthLimit) {
  Load(R"({"class": "TEdit", "name": "other"}, {"class": "TEdit", "name": "octet", "MaxLength": 3, "Text": "255"})");
  auto* octet = Get<TEdit>("octet");
  octet->SetFocus();
  EXPECT_EQ(octet->SelLength(), 3);
  driver_.Type("1");
  EXPECT_EQ(octet->Text(), "1") << "a typed character replaces the selection";
  driver_.Type("234");
  EXPECT_EQ(octet->Text(), "123") << "a full edit refuses characters";
  octet->SetSelStart(1);
  octet->SetSelLength(1);
  driver_.Type("9");
  EXPECT_EQ(octet->Text(), "193") << "a selection is replaced even in a full edit";
  driver_.Backspace();
  EXPECT_EQ(octet->Text(), "13");
  driver_.Paste("45\n6");
  EXPECT_EQ(octet->Text(), "143") << "a paste takes its first line, cut to the room left";
  Get<TEdit>("other")->SetFocus();
  driver_.Tab();
  ASSERT_TRUE(octet->Focused());
  EXPECT_EQ(octet->SelStart(), 0);
  EXPECT_EQ(octet->SelLength(), 3) << "entered by Tab, the whole text is selected again";
}

TEST_F(ControlsTest, KeyFilterDropsButAPasteBypassesIt) {
  handlers_.Add("DigitsOnly", this, &ControlsTest::DigitsOnly);
  Load(R"({"class": "TEdit", "name": "octet", "OnKeyPress": "DigitsOnly"})");
  auto* octet = Get<TEdit>("octet");
  octet->SetFocus();
  driver_.Type("1a-2");
  EXPECT_EQ(octet->Text(), "12");
  SetClipboardText("x7");
  driver_.CtrlV();
  EXPECT_EQ(octet->Text(), "12") << "Ctrl+V types character 22, which the filter drops";
  driver_.Paste("x7");
  EXPECT_EQ(octet->Text(), "12x7") << "a paste that types nothing passes the filter";
  EXPECT_EQ(keys_seen_, (std::u16string{u'1', u'a', u'-', u'2', 22}));
}

TEST_F(ControlsTest, ChangeEventFollowsEveryTextChange) {
  handlers_.Add("Log", this, &ToolkitTest::Log);
  Load(R"({"class": "TEdit", "name": "e", "OnChange": "Log"})");
  auto* e = Get<TEdit>("e");
  e->SetFocus();
  driver_.Type("ab");
  e->SetText("ab");
  e->SetText("cd");
  driver_.Paste("!");
  EXPECT_EQ(log_.size(), 4u) << "typed twice, set once to a new text, pasted once";
}

TEST_F(ControlsTest, ExitHandlerCanRefuseToLoseTheFocus) {
  handlers_.Add("Refuse", this, &ControlsTest::Refuse);
  handlers_.Add("Log", this, &ToolkitTest::Log);
  Load(R"(
    {"class": "TEdit", "name": "stubborn", "OnExit": "Refuse", "OnEnter": "Log"},
    {"class": "TEdit", "name": "next", "OnEnter": "Log"})");
  auto* stubborn = Get<TEdit>("stubborn");
  stubborn->SetFocus();
  refuse_ = true;
  driver_.Tab();
  EXPECT_EQ(form_->ActiveControl(), stubborn);
  EXPECT_EQ(log_, std::vector<std::string>{"stubborn"}) << "the other edit never got the focus";
  refuse_ = false;
  driver_.Tab();
  EXPECT_EQ(form_->ActiveControl(), Get<TEdit>("next"));
}

TEST_F(ControlsTest, TabOrderRunsAcrossContainersAndWraps) {
  Load(R"(
    {"class": "TGroupBox", "name": "g2", "TabOrder": 1, "children": [
      {"class": "TEdit", "name": "g2b", "TabOrder": 1},
      {"class": "TEdit", "name": "g2a", "TabOrder": 0}]},
    {"class": "TGroupBox", "name": "g1", "TabOrder": 0, "children": [
      {"class": "TEdit", "name": "g1a"},
      {"class": "TEdit", "name": "g1off", "Enabled": false},
      {"class": "TEdit", "name": "g1hidden", "Visible": false},
      {"class": "TEdit", "name": "g1nostop", "TabStop": false}]},
    {"class": "TButton", "name": "last", "TabOrder": 2})");
  Get<TEdit>("g1a")->SetFocus();
  std::vector<std::string> order;
  for (int i = 0; i < 5; ++i) {
    driver_.Tab();
    order.push_back(form_->ActiveControl()->Name());
  }
  EXPECT_EQ(order, (std::vector<std::string>{"g2a", "g2b", "last", "g1a", "g2a"}));
  driver_.Tab(true);
  EXPECT_EQ(form_->ActiveControl()->Name(), "g1a");
}

TEST_F(ControlsTest, PageChangeTakesTheFocusOutOfTheOldPage) {
  handlers_.Add("Refuse", this, &ControlsTest::Refuse);
  handlers_.Add("Log", this, &ToolkitTest::Log);
  Load(R"({"class": "TPageControl", "name": "pages", "Width": 300, "Height": 200, "ActivePage": "p1", "children": [
    {"class": "TTabSheet", "name": "p1", "children": [{"class": "TEdit", "name": "field", "OnExit": "Refuse"}]},
    {"class": "TTabSheet", "name": "p2", "OnShow": "Log", "children": [{"class": "TEdit", "name": "first"}]}]})");
  auto* pages = Get<TPageControl>("pages");
  Get<TEdit>("field")->SetFocus();
  refuse_ = true;
  pages->SetActivePage(Get<TTabSheet>("p2"));
  EXPECT_EQ(pages->ActivePage()->Name(), "p1") << "the refusing edit keeps its page";
  EXPECT_TRUE(log_.empty());
  refuse_ = false;
  pages->SetActivePage(Get<TTabSheet>("p2"));
  EXPECT_EQ(pages->ActivePage()->Name(), "p2");
  EXPECT_EQ(exits_, 2);
  EXPECT_EQ(log_, std::vector<std::string>{"p2"});
  EXPECT_EQ(form_->ActiveControl()->Name(), "first") << "the new page's first tab stop takes the focus";
  EXPECT_FALSE(Get<TTabSheet>("p1")->Visible());
}

TEST_F(ControlsTest, APageChangeWhileAnotherWindowIsModalMovesTheFocusAndThePage) {
  Load(R"({"class": "TPageControl", "name": "pages", "Width": 300, "Height": 200, "ActivePage": "p1", "children": [
    {"class": "TTabSheet", "name": "p1", "children": [{"class": "TEdit", "name": "field"}]},
    {"class": "TTabSheet", "name": "p2", "children": [{"class": "TEdit", "name": "first"}]}]})");
  auto* pages = Get<TPageControl>("pages");
  Get<TEdit>("field")->SetFocus();
  auto* dialog = new TestForm(&app_);
  app_.Post([&] {
    pages->SetActivePage(Get<TTabSheet>("p2"));
    dialog->Close();
  });
  dialog->ShowModal();
  EXPECT_EQ(pages->ActivePage()->Name(), "p2");
  EXPECT_EQ(form_->ActiveControl()->Name(), "first");
  driver_.Type("7");
  EXPECT_EQ(Get<TEdit>("first")->Text(), "7") << "the input is the window's again once the dialog has gone";
}

TEST_F(ControlsTest, SheetShowRunsWhenTheWindowOfTheActivePageIsShown) {
  handlers_.Add("Log", this, &ToolkitTest::Log);
  const std::string text = R"({"class": "TestForm", "name": "form_Test", "children": [
    {"class": "TPageControl", "name": "pages", "ActivePage": "p2", "children": [
      {"class": "TTabSheet", "name": "p1", "OnShow": "Log"}, {"class": "TTabSheet", "name": "p2", "OnShow": "Log"}]}]})";
  LoadLayout(*form_, text, "t.json", handlers_, nullptr);
  Get<TPageControl>("pages")->SetActivePage(Get<TTabSheet>("p1"));
  EXPECT_TRUE(log_.empty()) << "the window is not shown yet";
  form_->Show();
  EXPECT_EQ(log_, std::vector<std::string>{"p1"});
  form_->Hide();
  form_->Show();
  EXPECT_EQ(log_, (std::vector<std::string>{"p1", "p1"}));
}

TEST_F(ControlsTest, GridMapsPointsToCellsAndScrollsToItsLastPage) {
  Load(R"({"class": "TStringGrid", "name": "g", "Width": 203, "Height": 100, "ColCount": 1, "RowCount": 10,
           "ColWidths": [184], "DefaultRowHeight": 24})");
  auto* g = Get<TStringGrid>("g");
  EXPECT_EQ(g->VisibleRowCount(), 4);
  struct Case {
    int x, y, col, row;
  } const cases[] = {{0, 0, 0, 0}, {183, 24, 0, 0}, {10, 25, 0, 1}, {10, 99, 0, 3}, {190, 10, -1, -1}, {-1, 5, -1, -1}};
  for (const Case& c : cases) {
    int col = 0, row = 0;
    g->MouseToCell(c.x, c.y, col, row);
    EXPECT_EQ(col, c.col) << c.x << "," << c.y;
    EXPECT_EQ(row, c.row) << c.x << "," << c.y;
  }
  g->VScroll(SB_TOP);
  for (int i = 0; i < 8; ++i) g->VScroll(SB_LINEDOWN);
  EXPECT_EQ(g->TopRow(), 6) << "ten rows, four in view";
  int col = 0, row = 0;
  g->MouseToCell(10, 0, col, row);
  EXPECT_EQ(row, 6);
  g->SetRowCount(3);
  g->MouseToCell(10, 80, col, row);
  EXPECT_EQ(row, -1) << "beneath the last row is no cell";
}

TEST_F(ControlsTest, AGridWithMoreRowsThanItShowsScrollsByWheelAndTrack) {
  Load(R"({"class": "TStringGrid", "name": "g", "Left": 10, "Top": 10, "Width": 391, "Height": 218, "ColCount": 3,
           "RowCount": 12, "ColWidths": [124, 124, 124], "DefaultRowHeight": 24, "GridLineWidth": 0})");
  auto* g = Get<TStringGrid>("g");
  ASSERT_TRUE(g->HasScrollBar());
  EXPECT_EQ(g->ScrollTrack().Left, 372);
  driver_.Wheel(50, 50, -1);
  EXPECT_EQ(g->TopRow(), 3) << "the last page: twelve rows, nine in view";
  int col = 0, row = 0;
  g->MouseToCell(10, 0, col, row);
  EXPECT_EQ(row, 3);
  driver_.Wheel(50, 50, 1);
  EXPECT_EQ(g->TopRow(), 0);
  const TRect thumb = g->ScrollThumb();
  driver_.ClickAt(10 + 380, 10 + thumb.Bottom + 5);
  EXPECT_EQ(g->TopRow(), 3) << "a press below the thumb scrolls a page, as far as it goes";
  g->SetRowCount(9);
  EXPECT_FALSE(g->HasScrollBar());
  driver_.Wheel(50, 50, -1);
  EXPECT_EQ(g->TopRow(), 0);
}

TEST_F(ControlsTest, ChangingAControlOffTheMainThreadStopsTheProgram) {
  if (!kMainThreadChecks) GTEST_SKIP() << "an optimized build does not check the thread (the Debug runs test it)";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  Load(R"(
    {"class": "TLabel", "name": "status"},
    {"class": "TComboBox", "name": "adapters"},
    {"class": "TListView", "name": "devices"},
    {"class": "TEdit", "name": "name"})");
  auto* devices = Get<TListView>("devices");
  TListItem* row = devices->Add();
  // The changes a worker is most tempted to make: a status line, the rows it found, a limit.
  const struct {
    const char* what;
    std::function<void()> change;
  } kCases[] = {
      {"a caption", [this] { Get<TLabel>("status")->SetCaption("from a worker"); }},
      {"a combo box's items", [this] { Get<TComboBox>("adapters")->Items().Add("192.168.1.255"); }},
      {"a list view", [devices] { devices->Add(); }},
      {"a list view's row", [row] { row->SetCaption("NAS-220"); }},
      {"a list view's row", [row] { row->SubItems().Add("192.168.1.20"); }},
      {"an edit", [this] { Get<TEdit>("name")->SetMaxLength(8); }},
  };
  for (const auto& c : kCases) {
    const std::string expected = std::string(c.what) + ".*changed off the main thread \\(thread 'apply'\\)";
    EXPECT_DEATH(
        {
          platform::Thread worker("apply", c.change);
          worker.Join();
        },
        expected)
        << c.what;
  }
}

}  // namespace
