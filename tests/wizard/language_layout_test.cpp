#include <gtest/gtest.h>

#include "pages_fixture.h"
#include "text/language_loader.h"

namespace {

const char* const kPictures[] = {"img_ToWebUI_EN", "img_ToWebUI_TC", "img_ToWebUI_SC",
                                 "img_ToWebUI_DE", "img_ToWebUI_FR", "img_ToWebUI_IT",
                                 "img_ToWebUI_RU", "img_ToWebUI_CZ", "img_ToWebUI_PL"};

// The second layout's own places.
const std::pair<std::vector<const char*>, int> kPlaced[] = {
    {{"panel_QForGetIPAuto", "panel_QForGetDNSAuto"}, 180},
    {{"img_radioFixedIP_unselectedNormal", "img_radioFixedIP_unselectedOver", "img_radioFixedIP_selected",
      "img_radioFixedDNS_unselectedNormal", "img_radioFixedDNS_unselectedOver", "img_radioFixedDNS_selected"},
     276},
    {{"lab_radioFixedIP", "lab_radioFixedDNS"}, 299},
    {{"img_radioAutoDNS_unselectedNormal", "img_radioAutoDNS_unselectedOver", "img_radioAutoDNS_selected",
      "img_radioAutoIP_unselectedNormal", "img_radioAutoIP_unselectedOver", "img_radioAutoIP_selected"},
     216},
    {{"lab_radioAutoDNS", "lab_radioAutoIP"}, 239},
    {{"lab_IPAddr", "lab_Mask", "lab_Gateway", "lab_DNS1", "lab_DNS2"}, 70},
    {{"img_editDeviceName"}, 135},
    {{"lab_editDeviceName"}, 146}};

const char* const kAddressLabels[] = {"lab_IPAddr", "lab_Mask", "lab_Gateway", "lab_DNS1", "lab_DNS2"};

// The forty controls of the five address fields: the picture, four octets and three dots each.
std::vector<std::string> AddressFieldControls() {
  std::vector<std::string> names;
  const std::pair<const char*, const char*> rows[] = {{"img_IPAddr", "IPAddr"},
                                                      {"img_IPMask", "IPMask"},
                                                      {"img_IPGateway", "IPGateway"},
                                                      {"img_IPDNS1", "IPDNS1_"},
                                                      {"img_IPDNS2", "IPDNS2_"}};
  for (const auto& [picture, group] : rows) {
    names.push_back(picture);
    for (int k = 1; k <= 4; ++k) names.push_back("lab_" + std::string(group) + std::to_string(k));
    for (int k = 1; k <= 3; ++k) names.push_back("lab_" + std::string(group) + "Dot" + std::to_string(k));
  }
  return names;
}

struct LanguageCase {
  const char* name;
  const char* language;
  bool second_layout;
  const char* picture;
};

class LanguageLayoutTest : public PagesTest, public ::testing::WithParamInterface<LanguageCase> {
 protected:
  TControl* Control(const std::string& name) const { return driver_.Find(name); }
  void ExpectLayout(bool second) const {
    for (const auto& [names, left] : kPlaced) {
      for (const char* name : names) {
        EXPECT_EQ(Control(name)->Left(), second ? left : Control(name)->LayoutBounds().Left) << name;
      }
    }
    for (const char* name : kAddressLabels) {
      EXPECT_EQ(Label(name)->Alignment(), second ? TAlignment::taLeftJustify : TAlignment::taRightJustify) << name;
    }
    const std::vector<std::string> field = AddressFieldControls();
    ASSERT_EQ(field.size(), 40u);
    for (const std::string& name : field) {
      EXPECT_EQ(Control(name)->Left(), Control(name)->LayoutBounds().Left - (second ? 35 : 0)) << name;
    }
  }
};

TEST_P(LanguageLayoutTest, TheLanguageChoosesTheNetworkLayoutAndTheWebInterfacePicture) {
  const LanguageCase& c = GetParam();
  language_ = c.language;
  Start();
  ExpectLayout(c.second_layout);
  for (const char* picture : kPictures) {
    EXPECT_EQ(Picture(picture)->Visible(), std::string(picture) == c.picture) << picture;
  }
  // A further call of the loader moves nothing further.
  LoadLanguageStrings(form_Main->languageName);
  ExpectLayout(c.second_layout);
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageLayoutTest,
                         ::testing::Values(LanguageCase{"traditional", "Chinese(Traditional)", true, "img_ToWebUI_TC"},
                                           LanguageCase{"simplified", "Chinese(Simplified)", true, "img_ToWebUI_SC"},
                                           LanguageCase{"simplified_in_small_letters", "chinese(simplified)", true,
                                                        "img_ToWebUI_EN"},
                                           LanguageCase{"german", "German", false, "img_ToWebUI_DE"},
                                           LanguageCase{"polish", "Polish", false, "img_ToWebUI_PL"},
                                           LanguageCase{"empty", "", false, "img_ToWebUI_EN"}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
