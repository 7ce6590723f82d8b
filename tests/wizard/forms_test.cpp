#include "wizard/forms/forms.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <set>
#include <string>

#include "forms_fixture.h"
#include "toolkit/driver.h"
#include "toolkit/grid.h"
#include "toolkit/image_list.h"
#include "toolkit/list_view.h"
#include "toolkit/page_control.h"
#include "toolkit/resources.h"
#include "toolkit/std_controls.h"
#include "toolkit/timer.h"

namespace {

const WindowLayout& Window(const std::string& form) {
  for (const WindowLayout& w : Windows()) {
    if (form == w.form) return w;
  }
  throw std::invalid_argument("no window " + form);
}

Json* FindNode(Json& node, const std::string& name) {
  if (node.value("name", "") == name) return &node;
  if (node.contains("children")) {
    for (Json& child : node["children"]) {
      if (Json* found = FindNode(child, name)) return found;
    }
  }
  return nullptr;
}

// A control's rectangle in its window's client coordinates.
TRect InWindow(const TControl* c) {
  const TPoint p = c->ClientToForm({0, 0});
  return {p.X, p.Y, p.X + c->Width(), p.Y + c->Height()};
}

bool Intersects(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

bool Inside(const TRect& inner, const TRect& outer) {
  return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
         inner.Bottom <= outer.Bottom;
}

std::string Str(const TRect& r) {
  return "(" + std::to_string(r.Left) + ", " + std::to_string(r.Top) + ") " + std::to_string(r.Width()) + " x " +
         std::to_string(r.Height());
}

template <class T>
std::vector<T*> All(TForm* form) {
  std::vector<T*> found;
  for (TComponent* c : form->Components()) {
    if (auto* typed = dynamic_cast<T*>(c)) found.push_back(typed);
  }
  return found;
}

// Where each window's visible outline lies (the rounded region the program gives it).
TRect Outline(const std::string& form) {
  if (form == "form_Main") return {0, 0, 683, 440};
  if (form == "form_ApplyProgress") return {0, 0, 253, 135};
  if (form == "form_ConnectionTest") return {0, 0, 253, 100};
  return {0, 0, 253, 220};
}

TEST_F(FormsTest, EveryLayoutLoadsIntoAFormOfItsClass) {
  for (const WindowLayout& w : Windows()) {
    SCOPED_TRACE(w.form);
    try {
      EXPECT_EQ(Load(w)->Name(), w.form);
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
    }
  }
}

TEST_F(FormsTest, PendingBindingsNameControlsThatTakeTheirEvent) {
  const Json pending = PendingBindings();
  for (const auto& [form, rows] : pending.items()) EXPECT_NO_THROW(Window(form)) << "bindings for " << form;
  for (const WindowLayout& w : Windows()) {
    SCOPED_TRACE(w.form);
    Json layout = LayoutJson(w.form);
    std::set<std::string> seen;
    for (const Json& row : pending.value(w.form, Json::array())) {
      const std::string control = row.at("control"), event = row.at("event"), handler = row.at("handler");
      Json* node = FindNode(layout, control);
      ASSERT_NE(node, nullptr) << "no component " << control << " for " << handler;
      EXPECT_FALSE(node->contains(event)) << control << "." << event << " is bound already";
      EXPECT_TRUE(seen.insert(control + "." + event).second) << control << "." << event << " is pending twice";
      (*node)[event] = handler;
    }
    // The loader checks that each control takes its event with the handler's signature.
    try {
      Load(w, layout);
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
    }
  }
}

TEST_F(FormsTest, EveryPictureDecodesWithBothDecodersInUse) {
  std::set<std::string> kinds;
  for (const std::string& path : EmbeddedFilesUnder(kWizardPicturesFolder)) {
    SCOPED_TRACE(path);
    EXPECT_NO_THROW(DecodePicture(*FindEmbeddedFile(path), path));
    kinds.insert(path.substr(path.rfind('.')));
  }
  EXPECT_EQ(kinds, (std::set<std::string>{".jpg", ".png"}));
}

TEST_F(FormsTest, PicturesAreShownAtTheirOwnSize) {
  for (const WindowLayout& w : Windows()) {
    TForm* form = Load(w);
    for (TImage* image : All<TImage>(form)) {
      if (image->Picture().Empty()) continue;
      EXPECT_EQ(image->Picture().Width(), image->Width()) << image->Name() << " shows " << image->Picture().Name();
      EXPECT_EQ(image->Picture().Height(), image->Height()) << image->Name() << " shows " << image->Picture().Name();
    }
  }
  auto* rows = Get<TImageList>(Load(Window("form_Main")), "imgList");
  EXPECT_EQ(rows->Count(), 2) << "an ordinary row and the selected row";
  EXPECT_EQ(rows->Width(), 191);
  EXPECT_EQ(rows->Height(), 24);
}

TEST_F(FormsTest, ControlsStandWhereTheWizardExpectsThem) {
  constexpr int kAny = std::numeric_limits<int>::min();
  const char* const kSides[] = {"left", "top", "width", "height"};
  struct Case {
    std::string form;
    std::string control;
    int left, top, width, height;  // in the parent's coordinates; kAny is not checked
  };
  std::vector<Case> cases = {
      {"form_Main", "img_MaingBG", -10, -9, 709, 469},
      {"form_Main", "lab_MainFormCaption", 96, 10, kAny, kAny},
      {"form_Main", "img_Minimize", 590, 13, 16, 15},
      {"form_Main", "img_Close", 640, 13, 16, 15},
      {"form_Main", "panel_btnCancel", 30, 392, 135, 44},
      {"form_Main", "panel_btnBack", 368, 392, 135, 44},
      {"form_Main", "panel_btnNext", 521, 392, 135, 44},
      {"form_Main", "img_btnNextNormal", 0, 0, 135, 34},
      {"form_Main", "lab_btnNext", 0, 8, 135, 16},
      {"form_Main", "btn_Cancel", kAny, 466, kAny, kAny},
      {"form_Main", "btn_Back", kAny, 466, kAny, kAny},
      {"form_Main", "btn_Next", kAny, 466, kAny, kAny},
      {"form_Main", "btn_DeviceDiscovery", kAny, 497, kAny, kAny},
      {"form_Main", "img_btnDeviceDiscoveryNormal", 285, 55, 135, 34},
      {"form_Main", "lab_btnDeviceDiscovery", 285, 62, 133, 16},
      {"form_Main", "sg_NASList", 26, 116, 389, 218},
      {"form_Main", "img_checkBoxUseOriginalPassword_Dummy", 15, 41, 226, 41},
      {"form_Main", "img_NewPassword1BG", 251, 80, 134, 28},
      {"form_Main", "img_NewPassword2BG", 251, 120, 134, 28},
      {"form_Main", "lab_editNewPassword1", 265, 88, 104, 13},
      {"form_Main", "lab_editNewPassword2", 265, 128, 104, 13},
      {"form_Main", "img_editDeviceName", 180, 77, 134, 28},
      {"form_Main", "lab_editDeviceName", 190, 84, 113, 13},
      {"form_Main", "img_IPAddr", 271, 147, 134, 28},
      {"form_Main", "img_IPMask", 271, 181, 134, 28},
      {"form_Main", "img_IPGateway", 271, 215, 134, 28},
      {"form_Main", "img_IPDNS1", 271, 275, 134, 28},
      {"form_Main", "img_IPDNS2", 271, 308, 134, 28},
      {"form_Main", "lab_comboBoxTimeZone", 441, 83, 155, 13},
      {"form_Main", "img_comboBoxTimeZone_Normal", 429, 75, 203, 34},
      {"form_Main", "sg_TimeZone", 429, 106, 203, 100},
      {"form_Main", "lab_CBDriveList1", 39, 104, 155, 13},
      {"form_Main", "img_CBDriveList1_Normal", 26, 96, 203, 34},
      {"form_Main", "sg_CBDriveList1", 26, 128, 203, 100},
      {"form_Main", "lab_CBDriveList2", 279, 104, 155, 13},
      {"form_Main", "img_CBDriveList2_Normal", 266, 96, 203, 34},
      {"form_Main", "sg_CBDriveList2", 266, 128, 203, 100},
      {"form_Main", "group_DeviceNameTimeZone", 700, kAny, kAny, kAny},
      {"form_Main", "group_NetworkConfig", 700, kAny, kAny, kAny},
      {"form_Main", "group_PasswordConfig", 1000, kAny, kAny, kAny},
      {"form_Main", "cb_DriveList1", 700, kAny, kAny, kAny},
      {"form_Main", "cb_DriveList2", 700, kAny, kAny, kAny},
      {"form_MessageBox", "lab_Message", 67, 35, 171, 118},
      {"form_ConnectionTest", "lab_TestStatus", 20, 40, 215, 41},
      {"form_ApplyProgress", "lab_ApplyStatus", kAny, kAny, 225, 55},
  };
  const std::pair<const char*, int> octet_rows[] = {
      {"lab_IPAddr", 154}, {"lab_IPMask", 188}, {"lab_IPGateway", 222}, {"lab_IPDNS1_", 282}, {"lab_IPDNS2_", 315}};
  for (const auto& [prefix, top] : octet_rows) {
    for (int i = 0; i < 4; ++i)
      cases.push_back({"form_Main", prefix + std::to_string(i + 1), 286 + 25 * i, top, 21, 13});
  }
  for (const char* icon : {"img_ICONINFORMATION", "img_ICONWARNING", "img_ICONERROR"}) {
    cases.push_back({"form_MessageBox", icon, 10, 35, 48, 48});
  }
  for (const char* code : {"EN", "TC", "SC", "DE", "FR", "IT", "RU", "CZ", "PL"}) {
    cases.push_back({"form_Main", std::string("img_ToWebUI_") + code, 28, 90, kAny, kAny});
  }

  std::map<std::string, TForm*> forms;
  for (const WindowLayout& w : Windows()) forms[w.form] = Load(w);
  for (const Case& c : cases) {
    auto* control = dynamic_cast<TControl*>(forms.at(c.form)->FindComponent(c.control));
    ASSERT_NE(control, nullptr) << c.control;
    const int actual[] = {control->Left(), control->Top(), control->Width(), control->Height()};
    const int expected[] = {c.left, c.top, c.width, c.height};
    for (int i = 0; i < 4; ++i) {
      if (expected[i] != kAny) {
        EXPECT_EQ(actual[i], expected[i]) << c.control << " " << kSides[i];
      }
    }
  }
  EXPECT_EQ(forms["form_Main"]->ClientWidth(), 766);
  EXPECT_EQ(forms["form_Main"]->ClientHeight(), 588);
  EXPECT_EQ(forms["form_Main"]->GetFont().Name(), "Verdana");
}

TEST_F(FormsTest, MainWindowStartsAsTheWizardExpects) {
  TForm* form = Load(Window("form_Main"));
  auto* pages = Get<TPageControl>(form, "PageControl1");
  std::vector<std::string> names;
  for (TTabSheet* page : pages->Pages()) {
    names.push_back(page->Name());
    EXPECT_FALSE(page->TabVisible()) << page->Name();
  }
  EXPECT_EQ(names, (std::vector<std::string>{"tab_NASList", "tab_UserPassValid", "tab_CurrentSettings",
                                             "tab_DiskConfiguration", "tab_NetworkDiskMapping", "tab_ClientSetupFinish",
                                             "tab_CurrentSettings_ConnectionFailed", "tab_TotalFinish"}));
  EXPECT_EQ(pages->ActivePage()->Name(), "tab_TotalFinish");

  struct TimerCase {
    const char* name;
    uint32_t interval;
  };
  for (const TimerCase& t : {TimerCase{"timer_DeviceDiscovery", 2000}, TimerCase{"timer_RAIDExec", 5000},
                             TimerCase{"timer_FakeEdit", 500}}) {
    auto* timer = Get<TTimer>(form, t.name);
    EXPECT_EQ(timer->Interval(), t.interval) << t.name;
    EXPECT_FALSE(timer->Enabled()) << t.name;
  }
  auto* list = Get<TListView>(form, "ListView1");
  EXPECT_EQ(list->Columns().Count(), 3);
  for (const char* combo : {"cbAdapterList", "cbIpAddr", "cbSubMask"})
    EXPECT_FALSE(Get<TComboBox>(form, combo)->Visible());
  int shown = 0;
  for (const char* code : {"EN", "TC", "SC", "DE", "FR", "IT", "RU", "CZ", "PL"}) {
    shown += Get<TImage>(form, std::string("img_ToWebUI_") + code)->Visible();
  }
  EXPECT_EQ(shown, 0) << "the language picks the one picture to show";
  EXPECT_FALSE(Get<TButton>(form, "btn_DeviceDiscovery")->Enabled());

  TForm* login = Load(Window("form_UsernamePassValid"));
  EXPECT_EQ(Get<TTimer>(login, "timer_Edit")->Interval(), 500u);
  EXPECT_FALSE(Get<TTimer>(login, "timer_Edit")->Enabled());
  auto* test_timer = Get<TTimer>(Load(Window("form_ConnectionTest")), "timer_CheckConnection");
  EXPECT_EQ(test_timer->Interval(), 100u);
  EXPECT_FALSE(test_timer->Enabled());
  EXPECT_FALSE(Get<TButton>(Load(Window("form_ConfirmFormat")), "btn_OK")->Enabled());
}

TEST_F(FormsTest, PictureSetsShareOnePlaceAndMatchTheirRealControls) {
  struct CheckBoxCase {
    const char* form;
    const char* real;
    const char* prefix;
  };
  const CheckBoxCase boxes[] = {
      {"form_Main", "checkBox_UseOriginalPassword", "img_checkBoxUseOriginalPassword_"},
      {"form_Main", "checkBox_UseDefaultDiskSetting", "img_checkBoxUseDefaultDiskSetting_"},
      {"form_Main", "checkBox_IgnoreConnectionFailMsg", "img_IgnoreConnectionFailMsg_"},
      {"form_ConfirmFormat", "checkBox_FormatDisk", "img_checkBoxFormatDisk_"},
  };
  for (const CheckBoxCase& c : boxes) {
    SCOPED_TRACE(c.real);
    TForm* form = Load(Window(c.form));
    const bool checked = Get<TCheckBox>(form, c.real)->Checked();
    auto* shown = Get<TImage>(form, std::string(c.prefix) + (checked ? "checkedNormal" : "uncheckedNormal"));
    EXPECT_EQ(shown->Width(), 16);
    EXPECT_EQ(shown->Height(), 16);
    for (const char* look : {"checkedNormal", "checkedOver", "uncheckedNormal", "uncheckedOver"}) {
      auto* picture = Get<TImage>(form, std::string(c.prefix) + look);
      EXPECT_EQ(picture->Visible(), picture == shown) << look;
      EXPECT_EQ(Str(picture->BoundsRect()), Str(shown->BoundsRect())) << look;
      EXPECT_EQ(picture->Parent(), shown->Parent()) << look;
    }
  }

  struct RadioCase {
    const char* real;
    const char* prefix;
  };
  const RadioCase radios[] = {
      {"radio_AutoIP", "img_radioAutoIP_"},     {"radio_FixedIP", "img_radioFixedIP_"},
      {"radio_AutoDNS", "img_radioAutoDNS_"},   {"radio_FixedDNS", "img_radioFixedDNS_"},
      {"radio_Standard", "img_radioSTANDARD_"}, {"radio_JBOD", "img_radioJBOD_"},
      {"radio_RAID0", "img_radioRAID0_"},       {"radio_RAID1", "img_radioRAID1_"},
      {"radio_Ext2", "img_radioExt2_"},         {"radio_Ext3", "img_radioExt3_"},
  };
  TForm* form = Load(Window("form_Main"));
  for (const RadioCase& c : radios) {
    SCOPED_TRACE(c.real);
    const bool checked = Get<TRadioButton>(form, c.real)->Checked();
    auto* selected = Get<TImage>(form, std::string(c.prefix) + "selected");
    auto* normal = Get<TImage>(form, std::string(c.prefix) + "unselectedNormal");
    auto* over = Get<TImage>(form, std::string(c.prefix) + "unselectedOver");
    EXPECT_EQ(selected->Visible(), checked);
    EXPECT_EQ(normal->Visible(), !checked);
    EXPECT_FALSE(over->Visible());
    EXPECT_EQ(selected->Width(), 17);
    EXPECT_EQ(selected->Height(), 16);
    for (TImage* other : {normal, over}) EXPECT_EQ(Str(other->BoundsRect()), Str(selected->BoundsRect()));
  }

  // Buttons and drop-downs: the hover, pressed and open pictures lie hidden on the normal one.
  for (const WindowLayout& w : Windows()) {
    TForm* f = Load(w);
    for (TImage* normal : All<TImage>(f)) {
      const std::string name = normal->Name();
      if (!name.ends_with("Normal") || name.ends_with("checkedNormal") || name.ends_with("unselectedNormal")) continue;
      const std::string stem = name.substr(0, name.size() - 6);
      int partners = 0;
      for (const char* look : {"Over", "Down", "Selected"}) {
        auto* other = dynamic_cast<TImage*>(f->FindComponent(stem + look));
        if (!other) continue;
        ++partners;
        EXPECT_FALSE(other->Visible()) << other->Name();
        EXPECT_EQ(Str(other->BoundsRect()), Str(normal->BoundsRect())) << other->Name();
        EXPECT_EQ(other->Parent(), normal->Parent()) << other->Name();
      }
      EXPECT_GT(partners, 0) << name << " has no hover picture";
    }
  }
}

TEST_F(FormsTest, RealControlsLieOutsideTheOutlineAndTheSkinInsideIt) {
  for (const WindowLayout& w : Windows()) {
    TForm* form = Load(w);
    const TRect outline = Outline(w.form);
    for (TComponent* c : form->Components()) {
      auto* control = dynamic_cast<TControl*>(c);
      if (!control) continue;
      const bool real = dynamic_cast<TButton*>(c) || dynamic_cast<TCheckBox*>(c) || dynamic_cast<TRadioButton*>(c) ||
                        dynamic_cast<TComboBox*>(c) || dynamic_cast<TEdit*>(c) || dynamic_cast<TListView*>(c);
      const bool skin = dynamic_cast<TImage*>(c) || dynamic_cast<TLabel*>(c) || dynamic_cast<TStringGrid*>(c);
      const TRect at = InWindow(control);
      if (real) {
        EXPECT_FALSE(Intersects(at, outline)) << w.form << " " << c->Name() << " at " << Str(at);
      }
      if (skin && c->Name() != "img_MaingBG") {
        EXPECT_TRUE(Inside(at, outline)) << w.form << " " << c->Name() << " at " << Str(at);
      }
    }
  }
  // On the pages, the skin stays within the page control's visible region.
  TForm* main = Load(Window("form_Main"));
  for (TTabSheet* page : Get<TPageControl>(main, "PageControl1")->Pages()) {
    for (TControl* c : page->Controls()) {
      if (dynamic_cast<TWinControl*>(c) && !dynamic_cast<TStringGrid*>(c)) continue;
      EXPECT_TRUE(Inside(c->BoundsRect(), {10, 12, 677, 399})) << c->Name() << " at " << Str(c->BoundsRect());
    }
  }
}

TEST_F(FormsTest, TabCarriesTheFocusAlongTheHiddenEdits) {
  TForm* form = Load(Window("form_Main"));
  form->Show();
  TDriver driver(form);
  auto* pages = Get<TPageControl>(form, "PageControl1");
  struct Step {
    const char* page;
    const char* from;
    const char* to;
  };
  const Step steps[] = {
      {"tab_CurrentSettings", "edit_DeviceName", "radio_FixedIP"},
      {"tab_CurrentSettings", "radio_FixedIP", "edit_IPAddr1"},
      {"tab_CurrentSettings", "edit_IPAddr3", "edit_IPAddr4"},
      {"tab_CurrentSettings", "edit_IPAddr4", "edit_IPMask1"},
      {"tab_CurrentSettings", "edit_IPMask4", "edit_IPGateway1"},
      {"tab_CurrentSettings", "edit_IPGateway4", "radio_FixedDNS"},
      {"tab_CurrentSettings", "radio_FixedDNS", "edit_IPDNS1_1"},
      {"tab_CurrentSettings", "edit_IPDNS1_4", "edit_IPDNS2_1"},
      {"tab_CurrentSettings", "edit_IPDNS2_4", "btn_Cancel"},
      {"tab_UserPassValid", "edit_NewPassword1", "edit_NewPassword2"},
      {"tab_UserPassValid", "edit_NewPassword2", "btn_Cancel"},
  };
  Get<TEdit>(form, "edit_NewPassword1")->SetEnabled(true);
  Get<TEdit>(form, "edit_NewPassword2")->SetEnabled(true);
  for (const Step& s : steps) {
    pages->SetActivePage(Get<TTabSheet>(form, s.page));
    ASSERT_TRUE(form->FocusControl(Get<TWinControl>(form, s.from))) << s.from;
    driver.Tab();
    ASSERT_NE(form->ActiveControl(), nullptr) << s.from;
    EXPECT_EQ(form->ActiveControl()->Name(), s.to) << "Tab from " << s.from;
  }
}

}  // namespace
