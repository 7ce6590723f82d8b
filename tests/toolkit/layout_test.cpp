#include "toolkit/layout.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "toolkit/std_controls.h"
#include "toolkit_fixture.h"

namespace {

class LayoutTest : public ToolkitTest {
 public:
  void OnKey(TObject*, char16_t&) {}
  std::string LoadError(const std::string& children) {
    try {
      Load(children);
    } catch (const ELayoutError& e) {
      return e.what();
    }
    return "";
  }
};

TEST_F(LayoutTest, BuildsTheTreeWithPropertiesAndHandlers) {
  handlers_.Add("Log", this, &ToolkitTest::Log);
  Load(R"({"class": "TPanel", "name": "panel", "Left": 30, "Top": 192, "Width": 135, "Height": 44,
           "Color": 1775627, "BevelOuter": "bvNone", "children": [
             {"class": "TLabel", "name": "caption", "Left": 0, "Top": 8, "Width": 135, "Height": 16,
              "AutoSize": false, "Alignment": "taCenter", "Transparent": true, "Caption": "Next",
              "Font": {"Name": "Verdana", "Height": 13, "Color": "clBtnFace", "Style": ["fsBold"]},
              "OnClick": "Log"}]})");
  auto* panel = Get<TPanel>("panel");
  auto* caption = Get<TLabel>("caption");
  EXPECT_EQ(caption->Parent(), panel);
  EXPECT_EQ(caption->Owner(), form_);
  EXPECT_EQ(panel->Color(), RGBColor(0x0B, 0x18, 0x1B));
  EXPECT_EQ(caption->ClientToForm({0, 0}).Y, 200);
  EXPECT_EQ(caption->GetFont().Name(), "Verdana");
  EXPECT_EQ(caption->GetFont().Style(), fsBold);
  driver_.Click("caption");
  EXPECT_EQ(log_, std::vector<std::string>{"caption"});
}

TEST_F(LayoutTest, MistakesAreLoudAndNameTheFileAndTheControl) {
  handlers_.Add("OnKey", this, &LayoutTest::OnKey);
  handlers_.Add("Log", this, &ToolkitTest::Log);
  struct Case {
    const char* children;
    const char* message;
  } const cases[] = {
      {R"({"class": "TWidget", "name": "w"})", "test.json: unknown class 'TWidget' of w"},
      {R"({"class": "TLabel", "name": "l", "Colour": 1})", "test.json: TLabel l: unknown property Colour"},
      {R"({"class": "TLabel", "name": "l", "OnClick": "Missing"})", "test.json: TLabel l: unknown handler Missing"},
      {R"({"class": "TEdit", "name": "e", "OnChange": "OnKey"})", "test.json: TEdit e: handler OnKey does not fit"},
      {R"({"class": "TLabel", "name": "l"}, {"class": "TImage", "name": "l"})", "the name l is used twice"},
      {R"({"class": "TImage", "name": "i", "Picture": "gone.png"})", "test.json: TImage i: no picture gone.png"},
      {R"({"class": "TLabel", "name": "l", "Left": "ten"})", "TLabel l: Left must be an integer"},
      {R"({"class": "TLabel", "name": "l", "children": []})", "TLabel l: cannot hold children"},
  };
  for (const Case& c : cases) {
    for (TComponent* owned : std::vector<TComponent*>(form_->Components())) delete owned;
    const std::string error = LoadError(c.children);
    EXPECT_NE(error.find(c.message), std::string::npos) << "got: " << error;
  }
}

TEST_F(LayoutTest, BindingChecksNameAndClass) {
  Load(R"({"class": "TLabel", "name": "lab"})");
  EXPECT_NE(BindComponent<TLabel>(*form_, "lab"), nullptr);
  EXPECT_THROW(BindComponent<TEdit>(*form_, "lab"), ELayoutError);
  EXPECT_THROW(BindComponent<TLabel>(*form_, "gone"), ELayoutError);
}

// The fonts a layout's texts are foretold in are the fonts its controls get when it is loaded:
// inherited from the parent, changed by the control's own font properties.
TEST_F(LayoutTest, TextSamplesAreInTheFontsTheLoadedControlsHave) {
  const std::string children = R"(
    {"class": "TLabel", "name": "plain", "Caption": "Abc"},
    {"class": "TPanel", "name": "panel", "Font": {"Name": "Verdana", "Height": 13}, "children": [
      {"class": "TLabel", "name": "inherited", "Caption": "Next"},
      {"class": "TLabel", "name": "bold", "Caption": "Back", "Font": {"Style": ["fsBold"], "Color": "clBtnFace"}},
      {"class": "TEdit", "name": "edit", "Text": "Über", "Font": {"Height": 11}}]},
    {"class": "TLabel", "name": "again", "Caption": "Nix", "Font": {"Name": "Verdana", "Height": 13}})";
  Load(children);
  const std::vector<TTextSample> samples = LayoutTextSamples(
      R"({"class": "TestForm", "name": "form_Test", "Width": 400, "Height": 300, "children": [)" + children + "]}");
  for (const char* name : {"plain", "inherited", "bold", "edit", "again"}) {
    const auto* control = Get<TControl>(name);
    const TFont& font = control->GetFont();
    const auto sample = std::find_if(samples.begin(), samples.end(), [&](const TTextSample& s) {
      return s.font.Name() == font.Name() && s.font.Height() == font.Height() && s.font.Style() == font.Style();
    });
    ASSERT_NE(sample, samples.end()) << name << " is in " << font.Name() << " " << font.Height();
    const std::string text = dynamic_cast<const TEdit*>(control) ? Get<TEdit>(name)->Text() : control->Caption();
    for (char c : text) EXPECT_NE(sample->text.find(c), std::string::npos) << name << ": " << c;
  }
  EXPECT_EQ(samples.size(), 4u) << "the form's own font (plain's too), Verdana 13, its bold and its height 11";
}

}  // namespace
