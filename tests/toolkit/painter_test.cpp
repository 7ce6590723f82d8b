#include "toolkit/painter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

#include "encoded_pictures.h"
#include "pixels.h"
#include "platform/clock.h"
#include "toolkit/grid.h"
#include "toolkit/image_list.h"
#include "toolkit/screenshot.h"
#include "toolkit/std_controls.h"
#include "toolkit/text_block.h"
#include "toolkit/text_metrics.h"
#include "toolkit/timer.h"
#include "toolkit_fixture.h"

namespace {

const TRgb kSkinRgb{0x0B, 0x18, 0x1B};  // the skin's panel colour
const TRgb kWhite{0xFF, 0xFF, 0xFF};

// 20 x 20: the left half opaque red, the right half blue at half opacity.
std::shared_ptr<const TBitmapData> TwoHalves() {
  auto b = std::make_shared<TBitmapData>();
  b->width = 20;
  b->height = 20;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) b->pixels.push_back(x < 10 ? 0xFFFF0000u : 0x80000080u);
  }
  return b;
}

class PainterTest : public ToolkitTest {
 public:
  void DrawRow(TObject* sender, int col, int row, TRect rect, TGridDrawState state) {
    TCanvas* canvas = static_cast<TStringGrid*>(sender)->Canvas();
    canvas->FillRect(rect, (state & gdSelected) ? clRed : clBlue);
    canvas->SetBkMode(TRANSPARENT);
    canvas->Font()->SetColor(clWhite);
    canvas->DrawText(static_cast<TStringGrid*>(sender)->Cell(col, row), rect,
                     DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS);
  }

  PainterTest() { handlers_.Add("DrawRow", this, &PainterTest::DrawRow); }

  void LoadWithPictures(const std::string& children) {
    const std::string text =
        R"({"class": "TestForm", "name": "form_Test", "Width": 220, "Height": 160, "Color": 1775627,
            "children": [)" +
        children + "]}";
    LoadLayout(*form_, text, "test.json", handlers_,
               [](const std::string& file) { return TPictureFile::FromPixels(TwoHalves(), file); });
    form_->SetWindowRegion(TWindowRegion{0, 0, 220, 160, 20, 20});
  }
};

TEST_F(PainterTest, FormShowsPictureLabelsAndOwnerDrawnGridInPlace) {
  LoadWithPictures(R"(
    {"class": "TImage", "name": "picture", "Left": 10, "Top": 10, "Width": 20, "Height": 20, "Picture": "p.png"},
    {"class": "TLabel", "name": "title", "Left": 40, "Top": 8, "Width": 170, "Height": 24, "AutoSize": false,
     "Alignment": "taCenter", "Layout": "tlCenter", "Transparent": true, "Caption": "Setup",
     "Font": {"Name": "Verdana", "Height": 16, "Color": "clBtnHighlight", "Style": ["fsBold"]}},
    {"class": "TLabel", "name": "wrapped", "Left": 10, "Top": 40, "Width": 80, "Height": 100, "AutoSize": false,
     "WordWrap": true, "Transparent": true, "Caption": "one two three four five six seven",
     "Font": {"Name": "Verdana", "Height": 13, "Color": "clBtnFace"}},
    {"class": "TLabel", "name": "cut", "Left": 10, "Top": 142, "Width": 30, "Height": 14, "AutoSize": false,
     "Transparent": true, "Caption": "a caption far longer than its box",
     "Font": {"Name": "Tahoma", "Height": 11, "Color": "clBtnHighlight"}},
    {"class": "TStringGrid", "name": "grid", "Left": 100, "Top": 40, "Width": 110, "Height": 75, "ColCount": 1,
     "RowCount": 3, "DefaultColWidth": 110, "DefaultRowHeight": 24, "GridLineWidth": 1, "OnDrawCell": "DrawRow",
     "Font": {"Name": "Verdana", "Height": 11}})");
  auto* grid = Get<TStringGrid>("grid");
  grid->SetCell(0, 0, "alpha");
  grid->SetCell(0, 1, "beta");
  grid->SetCell(0, 2, "gamma");
  grid->SetRow(1);

  const auto shot = RenderForm(*form_);
  ASSERT_EQ(shot->width, 220);
  ASSERT_EQ(shot->height, 160);

  // Outside the rounded region nothing is painted; inside, the form's colour.
  EXPECT_EQ(AlphaAt(*shot, 0, 0), 0);
  EXPECT_EQ(AlphaAt(*shot, 219, 159), 0);
  EXPECT_EQ(AlphaAt(*shot, 5, 100), 255);
  EXPECT_EQ(RgbAt(*shot, 5, 100), kSkinRgb);

  // The picture at its place, its half-transparent half blended over the form.
  EXPECT_EQ(RgbAt(*shot, 12, 12), (TRgb{0xFF, 0, 0}));
  EXPECT_TRUE(Near(RgbAt(*shot, 25, 25), (TRgb{0x05, 0x0C, 0x8D}), 6)) << "blue over the skin";
  EXPECT_EQ(RgbAt(*shot, 31, 12), kSkinRgb);

  // The bold title: white ink centred in its box, and heavier than the same text plain.
  const TRect title{40, 8, 210, 32};
  int bold_ink = 0;
  InkBox(*shot, title, kWhite, &bold_ink);
  const auto title_ink = InkBoxOn(*shot, title, kSkinRgb);
  ASSERT_TRUE(title_ink);
  EXPECT_NEAR((title_ink->Left + title_ink->Right) / 2.0, (title.Left + title.Right) / 2.0, 2.0);
  EXPECT_NEAR((title_ink->Top + title_ink->Bottom) / 2.0, (title.Top + title.Bottom) / 2.0, 3.0);
  Get<TLabel>("title")->Font()->SetStyle(0);
  int plain_ink = 0;
  InkBox(*RenderForm(*form_), title, kWhite, &plain_ink);
  EXPECT_GT(bold_ink, plain_ink * 5 / 4);

  // The wrapped label: several lines, all inside its 80-pixel width.
  const TRgb face = ColorToRgb(clBtnFace);
  const auto wrapped_ink = InkBox(*shot, {0, 34, 100, 160}, face);
  ASSERT_TRUE(wrapped_ink);
  EXPECT_GE(wrapped_ink->Left, 10);
  EXPECT_LE(wrapped_ink->Right, 90);
  EXPECT_GT(wrapped_ink->Height(), 3 * 13) << "at least three lines";

  // A label's text stops at its box.
  const auto cut_ink = InkBox(*shot, {0, 140, 220, 160}, kWhite);
  ASSERT_TRUE(cut_ink);
  EXPECT_GE(cut_ink->Left, 10);
  EXPECT_LE(cut_ink->Right, 40);

  // The grid's rows as its handler drew them: the selected row red, the others blue, the
  // separating lines silver, each text centred in its cell.
  EXPECT_EQ(RgbAt(*shot, 102, 42), (TRgb{0, 0, 0xFF}));
  EXPECT_EQ(RgbAt(*shot, 102, 40 + 25 + 2), (TRgb{0xFF, 0, 0}));
  EXPECT_EQ(RgbAt(*shot, 102, 40 + 24), (TRgb{0xC0, 0xC0, 0xC0}));
  EXPECT_EQ(RgbAt(*shot, 102, 40 + 50 + 2), (TRgb{0, 0, 0xFF}));
  for (int row = 0; row < 3; ++row) {
    const TRect cell{100, 40 + row * 25, 210, 40 + row * 25 + 24};
    const auto ink = InkBoxOn(*shot, cell, row == 1 ? TRgb{0xFF, 0, 0} : TRgb{0, 0, 0xFF});
    ASSERT_TRUE(ink) << "row " << row;
    EXPECT_NEAR((ink->Left + ink->Right) / 2.0, (cell.Left + cell.Right) / 2.0, 2.0) << "row " << row;
    EXPECT_NEAR((ink->Top + ink->Bottom) / 2.0, (cell.Top + cell.Bottom) / 2.0, 3.0) << "row " << row;
  }

  // The screenshot file holds the same pixels.
  Get<TLabel>("title")->Font()->SetStyle(fsBold);
  const std::string path = ::testing::TempDir() + "painter_test_form.png";
  SaveFormScreenshot(*form_, path);
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::string bytes;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
  std::fclose(f);
  std::remove(path.c_str());
  EXPECT_EQ(DecodePicture(bytes, path)->pixels, shot->pixels);
}

// A form whose pictures come from files that do not decode ("broken.png", 20 x 20), with a red
// panel drawn after the picture's control.
class BrokenPictureTest : public PainterTest {
 public:
  void DrawPicture(TObject* sender, int, int row, TRect rect, TGridDrawState) {
    static_cast<TImageList*>(form_->FindComponent("images"))
        ->Draw(static_cast<TStringGrid*>(sender)->Canvas(), rect.Left, rect.Top, row);
  }

  BrokenPictureTest() { handlers_.Add("DrawPicture", this, &BrokenPictureTest::DrawPicture); }

  void Load(const std::string& picture_control) {
    const std::string text =
        R"({"class": "TestForm", "name": "form_Test", "Width": 100, "Height": 60, "Color": 1775627, "children": [
            {"class": "TImageList", "name": "images", "Width": 20, "Height": 20, "Images": ["broken.png"]},)" +
        picture_control + R"(,
            {"class": "TPanel", "name": "after", "Left": 40, "Top": 10, "Width": 20, "Height": 20,
             "ParentBackground": false, "Color": "clRed"}]})";
    LoadLayout(*form_, text, "test.json", handlers_,
               [](const std::string& file) { return TPictureFile::Owning(PngWhosePixelsDoNotDecode(20, 20), file); });
  }
};

// A picture that does not decode leaves its control unfinished, not the window: the rest is
// drawn and the failure raised at the end, the first time only; from then on the picture draws
// as nothing, so a window drawn again and again reports it once.
TEST_F(BrokenPictureTest, APictureThatDoesNotDecodeIsReportedByTheFirstDrawingOnly) {
  const struct {
    const char* what;
    const char* control;
  } cases[] = {
      {"a picture", R"({"class": "TImage", "name": "picture", "Left": 10, "Top": 10, "Width": 20, "Height": 20,
                        "Picture": "broken.png"})"},
      {"an image list's picture drawn by a grid's handler",
       R"({"class": "TStringGrid", "name": "grid", "Left": 10, "Top": 10, "Width": 20, "Height": 20, "ColCount": 1,
           "RowCount": 1, "DefaultColWidth": 20, "DefaultRowHeight": 20, "GridLineWidth": 0, "Color": 1775627,
           "OnDrawCell": "DrawPicture"})"},
  };
  for (const auto& c : cases) {
    Load(c.control);
    TBitmapData first;
    try {
      RenderForm(*form_, first);
      ADD_FAILURE() << c.what << ": nothing raised";
    } catch (const EPictureError& e) {
      EXPECT_NE(std::string(e.what()).find("broken.png"), std::string::npos) << c.what << ": " << e.what();
    }
    EXPECT_EQ(RgbAt(first, 50, 20), (TRgb{0xFF, 0, 0})) << c.what << ": the controls after it are drawn";
    EXPECT_EQ(RgbAt(first, 20, 20), kSkinRgb) << c.what;
    if (auto* grid = dynamic_cast<TStringGrid*>(form_->FindComponent("grid"))) {
      EXPECT_EQ(grid->Canvas(), nullptr) << "the canvas of a drawing that ended is not kept";
    }
    TBitmapData again;
    EXPECT_NO_THROW(RenderForm(*form_, again)) << c.what;
    EXPECT_EQ(again.pixels, first.pixels) << c.what;
    while (!form_->Controls().empty()) delete form_->Controls().back();
    delete form_->FindComponent("images");
  }
}

// The screen draws the windows that changed before the loop waits; what that drawing raises is
// shown by the application's error display, and the loop goes on. Drawn again at every blink of
// a caret, the broken picture is shown once.
TEST_F(BrokenPictureTest, TheLoopShowsABrokenPictureOnceAndGoesOn) {
  class DrawingScreen : public TEventSource {
   public:
    int drawings = 0;
    bool DispatchPending() override { return false; }
    void WaitIdle(std::optional<uint64_t> deadline_ms) override {
      const uint64_t now = platform::CurrentClock().NowMs();
      if (deadline_ms && *deadline_ms > now) platform::Sleep(static_cast<uint32_t>(*deadline_ms - now));
      for (TForm* form : Screen->Forms()) {
        if (!form->Visible() || !form->Dirty()) continue;
        form->ClearDirty();
        ++drawings;
        RenderForm(*form, pixels_);
      }
    }
    void Wake() override {}

   private:
    TBitmapData pixels_;
  } screen;
  Load(R"({"class": "TImage", "name": "picture", "Left": 10, "Top": 10, "Width": 20, "Height": 20,
           "Picture": "broken.png"})");
  form_->Show();
  TTimer caret(&app_);
  caret.SetInterval(500);
  int blinks = 0;
  caret.OnTimer = [&](TObject*) {
    ++blinks;
    Get<TPanel>("after")->SetVisible(blinks % 2 == 0);
  };
  app_.SetEventSource(&screen);
  while (blinks < 4) app_.HandleMessage();
  app_.SetEventSource(nullptr);
  EXPECT_GE(screen.drawings, 4);
  ASSERT_EQ(app_.ShownExceptions().size(), 1u);
  EXPECT_NE(app_.ShownExceptions()[0].find("broken.png"), std::string::npos) << app_.ShownExceptions()[0];
}

TEST_F(PainterTest, ScreenshotToAnUnwritablePlaceIsAnError) {
  LoadWithPictures("");
  EXPECT_THROW(SaveFormScreenshot(*form_, "/nonexistent-folder/shot.png"), EScreenshotError);
}

TEST_F(PainterTest, WindowsFamiliesAndChineseCaptionsHaveInstalledGlyphs) {
  for (const char* family : {"Verdana", "Tahoma"}) {
    TFont font;
    font.SetName(family);
    font.SetHeight(13);
    const TTextBlock latin(font, "Next");
    EXPECT_EQ(latin.UnknownGlyphs(), 0) << family;
    EXPECT_GT(latin.Size().X, 20) << family;
    const TTextBlock chinese(font, "设置向导下一步");
    EXPECT_EQ(chinese.UnknownGlyphs(), 0) << family << ": Chinese shows as boxes";
  }
}

// Sizes are kept once measured: asked again, in any order, each font still gets its own.
TEST_F(PainterTest, MeasuredSizesBelongToTheFontAndTheText) {
  auto font = [](const char* name, int height, TFontStyles style) {
    TFont f;
    f.SetName(name);
    f.SetHeight(height);
    f.SetStyle(style);
    return f;
  };
  const TFont fonts[] = {font("Verdana", 13, 0), font("Verdana", 13, fsBold), font("Verdana", 16, 0),
                         font("Tahoma", 13, fsItalic)};
  for (int pass = 0; pass < 2; ++pass) {
    for (const TFont& f : fonts) {
      for (const char* text : {"Refresh", "Refresh ", "WWW", ""}) {
        const TPoint measured = MeasureText(f, text), laid_out = TTextBlock(f, text).Size();
        EXPECT_TRUE(measured.X == laid_out.X && measured.Y == laid_out.Y)
            << f.Name() << " " << f.Height() << " " << f.Style() << " '" << text << "', pass " << pass;
      }
    }
  }
  EXPECT_NE(MeasureText(fonts[0], "Refresh").X, MeasureText(fonts[1], "Refresh").X) << "bold is wider";
}

TEST_F(PainterTest, AutoSizedLabelsFitTheirTextAsItIsDrawn) {
  // The measured size and the drawn text agree: the ink fills the box the label took.
  for (const char* caption : {"Next", "Device name", "A\tB", "设置向导"}) {
    LoadWithPictures(std::string(R"({"class": "TLabel", "name": "l", "Left": 10, "Top": 10, "Transparent": true,
                                     "Font": {"Name": "Verdana", "Height": 13, "Color": "clBtnHighlight"},
                                     "Caption": ")") +
                     (std::string(caption) == "A\tB" ? "A\\tB" : caption) + R"("})");
    auto* label = Get<TLabel>("l");
    EXPECT_EQ(label->Width(), MeasureText(label->GetFont(), caption).X);
    const auto ink = InkBoxOn(*RenderForm(*form_), {0, 0, 220, 160}, kSkinRgb);
    ASSERT_TRUE(ink) << caption;
    EXPECT_GE(ink->Left, 10) << caption;
    EXPECT_LE(ink->Right, 10 + label->Width()) << caption;
    EXPECT_GE(ink->Right, 10 + label->Width() - 3) << caption;
    EXPECT_LE(ink->Bottom, 10 + label->Height()) << caption;
    delete label;
  }
}

}  // namespace
