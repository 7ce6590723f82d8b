#include <gtest/gtest.h>

#include "pages_fixture.h"

namespace {

// The settings page of a box at 192.168.1.20/24, gateway and first server 192.168.1.1, no second
// server: every octet edit is enabled (fixed IP, fixed DNS).
class OctetEditTest : public PagesTest {
 protected:
  void SetUp() override {
    LogIn(FreshBox());
    ToSettingsPage();
  }
  bool AllSelected(TEdit* e) const { return e->SelStart() == 0 && e->SelLength() == e->Length(); }
  // Focuses an octet through its mirror and empties it.
  void Empty(const std::string& octet) {
    driver_.Click("lab_" + octet);
    driver_.Backspace();
  }
};

TEST_F(OctetEditTest, TheThirdDigitMovesOnWhileTheDigitStaysInItsOctet) {
  Tform_Main& f = *form_Main;
  driver_.Click("lab_IPAddr1");
  ASSERT_TRUE(AllSelected(f.edit_IPAddr1));
  driver_.Type("1");
  EXPECT_EQ(f.edit_IPAddr1->Text(), "1");
  driver_.Type("9");
  EXPECT_EQ(f.edit_IPAddr1->Text(), "19");
  EXPECT_EQ(Focused(), f.edit_IPAddr1);
  driver_.Type("2");
  EXPECT_EQ(f.edit_IPAddr1->Text(), "192");
  EXPECT_EQ(Focused(), f.edit_IPAddr2);
  EXPECT_TRUE(AllSelected(f.edit_IPAddr2));
  EXPECT_EQ(f.edit_IPAddr2->Text(), "168");
  EXPECT_TRUE(Traced("Tform_Main::edit_IPOnKeyPress- Key code: 32")) << "the digit 2 is 0x32";
  EXPECT_TRUE(Traced("Tform_Main::edit_IPOnKeyPress 3 - edit_IPAddr1"));
  EXPECT_EQ(f.lab_IPAddr1->Caption(), "192") << "the exit rendering of the first octet";
}

struct MoveKeyCase {
  const char* name;
  const char* before;  // the octet's text; selected as a click selects it
  const char* key;
  bool moves;
};

class OctetMoveKeyTest : public OctetEditTest, public ::testing::WithParamInterface<MoveKeyCase> {};

TEST_P(OctetMoveKeyTest, SpaceAndDotMoveOnFromAFilledOctetOnlyAndNeverEnterTheText) {
  const MoveKeyCase& c = GetParam();
  Tform_Main& f = *form_Main;
  f.edit_IPMask2->SetText(c.before);
  driver_.Click("lab_IPMask2");
  traces_.clear();
  driver_.Type(c.key);
  EXPECT_EQ(f.edit_IPMask2->Text(), c.before);
  EXPECT_EQ(Focused(), c.moves ? f.edit_IPMask3 : f.edit_IPMask2);
  EXPECT_TRUE(Traced(c.moves ? "Tform_Main::edit_IPOnKeyPress 1" : "Tform_Main::edit_IPOnKeyPress 4"));
  if (c.moves) {
    EXPECT_TRUE(AllSelected(f.edit_IPMask3));
  }
}

INSTANTIATE_TEST_SUITE_P(Keys, OctetMoveKeyTest,
                         ::testing::Values(MoveKeyCase{"space_in_empty", "", " ", false},
                                           MoveKeyCase{"dot_in_empty", "", ".", false},
                                           MoveKeyCase{"space_after_one_digit", "7", " ", true},
                                           MoveKeyCase{"dot_after_one_digit", "7", ".", true},
                                           MoveKeyCase{"dot_in_full", "255", ".", true}),
                         [](const auto& info) { return info.param.name; });

TEST_F(OctetEditTest, OtherCharactersAreDroppedAndBackspaceIsKept) {
  Tform_Main& f = *form_Main;
  driver_.Click("lab_IPGateway4");
  driver_.Type("-a\r");
  EXPECT_EQ(f.edit_IPGateway4->Text(), "1");
  driver_.CtrlV();
  EXPECT_EQ(f.edit_IPGateway4->Text(), "1") << "Ctrl+V arrives as a typed character and is dropped";
  driver_.Backspace();
  EXPECT_EQ(f.edit_IPGateway4->Text(), "");
  EXPECT_EQ(Focused(), f.edit_IPGateway4);
}

TEST_F(OctetEditTest, AValueAbove255BecomesTheLargestAndKeepsTheFocusSelected) {
  Tform_Main& f = *form_Main;
  driver_.Click("lab_IPAddr3");
  driver_.Type("300");
  EXPECT_EQ(f.edit_IPAddr3->Text(), "255");
  EXPECT_EQ(Focused(), f.edit_IPAddr3) << "the focus comes back from the fourth octet";
  EXPECT_TRUE(AllSelected(f.edit_IPAddr3));
  EXPECT_TRUE(Traced("Tform_Main::edit_IPOnChange"));
  EXPECT_EQ(f.lab_IPAddr3->Caption(), "255");
  EXPECT_EQ(f.lab_IPAddr4->Caption(), "20") << "the fourth octet was left as it was";
  driver_.Type("0");
  EXPECT_EQ(f.edit_IPAddr3->Text(), "0") << "the selected text is replaced next";
}

TEST_F(OctetEditTest, LeadingZerosStayAsTyped) {
  driver_.Click("lab_IPAddr4");
  driver_.Type("007");
  EXPECT_EQ(form_Main->edit_IPAddr4->Text(), "007");
  EXPECT_EQ(Focused(), form_Main->edit_IPMask1);
}

struct SelectionCase {
  const char* name;
  int sel_start, sel_length;
  const char* after;
  bool moves;
};

class OctetSelectionTest : public OctetEditTest, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(OctetSelectionTest, ADigitInAFullOctetReplacesTheSelectionAndMovesOnWhenOneOrNoneWasSelected) {
  const SelectionCase& c = GetParam();
  Tform_Main& f = *form_Main;
  driver_.Click("lab_IPAddr1");
  ASSERT_EQ(f.edit_IPAddr1->Text(), "192");
  f.edit_IPAddr1->SetSelStart(c.sel_start);
  f.edit_IPAddr1->SetSelLength(c.sel_length);
  driver_.Type("5");
  EXPECT_EQ(f.edit_IPAddr1->Text(), c.after);
  EXPECT_EQ(Focused(), c.moves ? f.edit_IPAddr2 : f.edit_IPAddr1);
}

INSTANTIATE_TEST_SUITE_P(Selections, OctetSelectionTest,
                         ::testing::Values(SelectionCase{"one_selected", 1, 1, "152", true},
                                           SelectionCase{"two_selected", 1, 2, "15", false},
                                           SelectionCase{"all_selected", 0, 3, "5", false},
                                           SelectionCase{"none_selected_full", 3, 0, "192", true}),
                         [](const auto& info) { return info.param.name; });

struct PathCase {
  const char* from;  // a fourth (or first) octet, emptied and then completed with three digits
  const char* to;
};

class OctetFocusPathTest : public OctetEditTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(OctetFocusPathTest, ACompletedOctetHandsTheFocusOn) {
  const PathCase& c = GetParam();
  Empty(std::string(c.from).substr(5));
  driver_.Type("123");
  EXPECT_EQ(Edit(c.from)->Text(), "123");
  ASSERT_NE(Focused(), nullptr);
  EXPECT_EQ(Focused()->Name(), c.to);
  if (Focused()->ClassName() != "TEdit") {
    // A hidden radio or button has no mirror: no label shows a caret or an underline.
    RunFor(1500);
    for (const std::string& g : Groups()) {
      for (int k = 1; k <= 4; ++k) {
        TLabel* l = Label("lab_" + g + std::to_string(k));
        EXPECT_EQ(l->Caption().find('|'), std::string::npos) << l->Name();
        EXPECT_EQ(l->Font()->Style(), 0u) << l->Name();
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Path, OctetFocusPathTest,
    ::testing::Values(PathCase{"edit_IPAddr1", "edit_IPAddr2"}, PathCase{"edit_IPAddr4", "edit_IPMask1"},
                      PathCase{"edit_IPMask4", "edit_IPGateway1"}, PathCase{"edit_IPGateway4", "radio_FixedDNS"},
                      PathCase{"edit_IPDNS1_4", "edit_IPDNS2_1"}, PathCase{"edit_IPDNS2_4", "btn_Cancel"}),
    [](const auto& info) { return std::string(info.param.from).substr(5); });

struct LabelGateCase {
  const char* name;
  std::vector<const char*> clicks;  // mode radios clicked first
  bool locked;                      // the page locked to the box's values
  const char* label;
  bool focuses;
};

class OctetLabelGateTest : public OctetEditTest, public ::testing::WithParamInterface<LabelGateCase> {};

TEST_P(OctetLabelGateTest, LabelClicksFocusOnlyWhereTheAddressIsTypedByHandAndAlwaysCloseTheLists) {
  const LabelGateCase& c = GetParam();
  for (const char* radio : c.clicks) driver_.Click(radio);
  if (c.locked) form_Main->checkBox_UseDefaultDNTZandNetwork->SetChecked(true);
  form_Main->sg_TimeZone->Show();
  TWinControl* before = Focused();
  driver_.Click(c.label);
  EXPECT_FALSE(form_Main->sg_TimeZone->Visible());
  const std::string label(c.label);
  if (c.focuses) {
    EXPECT_EQ(Focused(), Edit("edit_" + label.substr(4)));
  } else {
    EXPECT_EQ(Focused(), before);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Gates, OctetLabelGateTest,
    ::testing::Values(
        LabelGateCase{"fixed_address", {}, false, "lab_IPAddr2", true},
        LabelGateCase{"fixed_server", {}, false, "lab_IPDNS2_3", true},
        LabelGateCase{"automatic_ip_gateway", {"lab_radioAutoIP"}, false, "lab_IPGateway1", false},
        LabelGateCase{"automatic_ip_fixed_server", {"lab_radioAutoIP"}, false, "lab_IPDNS1_1", true},
        LabelGateCase{"automatic_dns_server", {"lab_radioAutoIP", "lab_radioAutoDNS"}, false, "lab_IPDNS1_1", false},
        LabelGateCase{"locked_page", {}, true, "lab_IPMask1", false}),
    [](const auto& info) { return info.param.name; });

struct PasteCase {
  const char* name;
  const char* pasted;
  const char* text;  // what the octet then holds
  bool leaves;       // a click elsewhere takes the focus
};

class OctetPasteTest : public OctetEditTest, public ::testing::WithParamInterface<PasteCase> {};

TEST_P(OctetPasteTest, APasteIsClampedWhenANumberAndOtherwiseHeldInTheOctet) {
  const PasteCase& c = GetParam();
  Tform_Main& f = *form_Main;
  driver_.Click("lab_IPAddr2");
  driver_.Paste(c.pasted);
  EXPECT_EQ(f.edit_IPAddr2->Text(), c.text);
  EXPECT_TRUE(Application->ShownExceptions().empty());
  driver_.Click("lab_editDeviceName");
  EXPECT_EQ(Focused(), c.leaves ? static_cast<TWinControl*>(f.edit_DeviceName) : f.edit_IPAddr2);
  if (c.leaves) {
    EXPECT_EQ(f.lab_IPAddr2->Caption(), c.text);
  } else {
    EXPECT_TRUE(AllSelected(f.edit_IPAddr2));
    EXPECT_TRUE(f.timer_FakeEdit->Enabled()) << "the caret goes on blinking";
    EXPECT_EQ(f.lab_IPAddr2->Font()->Style(), fsUnderline);
  }
}

INSTANTIATE_TEST_SUITE_P(Pastes, OctetPasteTest,
                         ::testing::Values(PasteCase{"in_range", "42", "42", true},
                                           PasteCase{"above_range", "999", "255", true},
                                           PasteCase{"negative", "-5", "0", true},
                                           PasteCase{"letters", "1a", "1a", false},
                                           PasteCase{"blank_before_a_number", " 12", " 12", false},
                                           PasteCase{"signed_number_in_range", "+7", "+7", false}),
                         [](const auto& info) { return info.param.name; });

TEST_F(OctetEditTest, AnOctetHoldingANonDigitKeepsThePageAndIsNotReadByNext) {
  Tform_Main& f = *form_Main;
  world_.processes().AnswerPings(sim::Ipv4Of("192.168.1.1"));
  driver_.Click("lab_IPGateway4");
  driver_.Paste("1x");
  ASSERT_EQ(f.edit_IPGateway4->Text(), "1x");

  f.btn_BackClick(f.btn_Back);
  EXPECT_EQ(Page(), f.tab_CurrentSettings);
  EXPECT_EQ(Focused(), f.edit_IPGateway4);
  f.btn_NextClick(f.btn_Next);
  EXPECT_EQ(Page(), f.tab_CurrentSettings);
  EXPECT_EQ(Focused(), f.edit_IPGateway4);
  EXPECT_TRUE(AllSelected(f.edit_IPGateway4));
  EXPECT_TRUE(messages_.empty()) << LastMessage();
  EXPECT_FALSE(Traced("Tform_Main::checkIPAddressControl")) << "the page's values are not read";
  EXPECT_TRUE(world_.processes().Pings().empty()) << "no reachability test ran";

  driver_.Type("7");
  EXPECT_EQ(f.edit_IPGateway4->Text(), "7");
  driver_.Click("lab_editDeviceName");
  EXPECT_EQ(Focused(), f.edit_DeviceName);
  EXPECT_EQ(f.lab_IPGateway4->Caption(), "7");
}

}  // namespace
