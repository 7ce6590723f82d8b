#include "text/language_layout.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/exception.h"
#include "platform/unicode.h"
#include "toolkit/form.h"
#include "toolkit/std_controls.h"

namespace {

TForm* MainWindow() {
  for (TForm* f : Screen->Forms()) {
    if (f->Name() == "form_Main") return f;
  }
  return nullptr;
}

TControl* Control(TForm& window, const std::string& name) {
  if (auto* c = dynamic_cast<TControl*>(window.FindComponent(name))) return c;
  throw platform::Exception("language layout: form_Main has no control " + name);
}

bool SameIgnoringCase(const std::string& a, const char* b) {
  return platform::NamesEqual(platform::Utf8ToUtf16(a), platform::Utf8ToUtf16(b));
}

// The controls that the second layout places at a Left of their own.
const std::vector<std::pair<const char*, int>>& Placed() {
  static const std::vector<std::pair<const char*, int>> placed = {
      {"panel_QForGetIPAuto", 180},
      {"panel_QForGetDNSAuto", 180},
      {"img_radioFixedIP_unselectedNormal", 276},
      {"img_radioFixedIP_unselectedOver", 276},
      {"img_radioFixedIP_selected", 276},
      {"img_radioFixedDNS_unselectedNormal", 276},
      {"img_radioFixedDNS_unselectedOver", 276},
      {"img_radioFixedDNS_selected", 276},
      {"lab_radioFixedIP", 299},
      {"lab_radioFixedDNS", 299},
      {"img_radioAutoDNS_unselectedNormal", 216},
      {"img_radioAutoDNS_unselectedOver", 216},
      {"img_radioAutoDNS_selected", 216},
      {"img_radioAutoIP_unselectedNormal", 216},
      {"img_radioAutoIP_unselectedOver", 216},
      {"img_radioAutoIP_selected", 216},
      {"lab_radioAutoDNS", 239},
      {"lab_radioAutoIP", 239},
      {"lab_IPAddr", 70},
      {"lab_Mask", 70},
      {"lab_Gateway", 70},
      {"lab_DNS1", 70},
      {"lab_DNS2", 70},
      {"img_editDeviceName", 135},
      {"lab_editDeviceName", 146},
  };
  return placed;
}

// The forty controls of the address fields, which move 35 pixels left of their layout place.
const std::vector<std::string>& AddressRows() {
  static const std::vector<std::string> row = [] {
    std::vector<std::string> names = {"img_IPAddr", "img_IPMask", "img_IPGateway", "img_IPDNS1", "img_IPDNS2"};
    const std::pair<const char*, const char*> groups[] = {{"lab_IPAddr", "lab_IPAddrDot"},
                                                          {"lab_IPMask", "lab_IPMaskDot"},
                                                          {"lab_IPGateway", "lab_IPGatewayDot"},
                                                          {"lab_IPDNS1_", "lab_IPDNS1_Dot"},
                                                          {"lab_IPDNS2_", "lab_IPDNS2_Dot"}};
    for (const auto& [octet, dot] : groups) {
      for (int i = 1; i <= 4; ++i) names.push_back(octet + std::to_string(i));
      for (int i = 1; i <= 3; ++i) names.push_back(dot + std::to_string(i));
    }
    return names;
  }();
  return row;
}

const std::pair<const char*, const char*> kPictures[] = {{"Chinese(Traditional)", "img_ToWebUI_TC"},
                                                         {"Chinese(Simplified)", "img_ToWebUI_SC"},
                                                         {"German", "img_ToWebUI_DE"},
                                                         {"French", "img_ToWebUI_FR"},
                                                         {"Italian", "img_ToWebUI_IT"},
                                                         {"Russian", "img_ToWebUI_RU"},
                                                         {"Czech", "img_ToWebUI_CZ"},
                                                         {"Polish", "img_ToWebUI_PL"}};
constexpr const char* kEnglishPicture = "img_ToWebUI_EN";

void SecondLayout(TForm& window) {
  for (const auto& [name, left] : Placed()) {
    Control(window, name)->SetLeft(left);
  }
  for (const char* name : {"lab_IPAddr", "lab_Mask", "lab_Gateway", "lab_DNS1", "lab_DNS2"}) {
    if (auto* label = dynamic_cast<TLabel*>(Control(window, name))) label->SetAlignment(TAlignment::taLeftJustify);
  }
  for (const std::string& name : AddressRows()) {
    // From the layout's position, so that applying the layout again moves nothing further.
    TControl* c = Control(window, name);
    c->SetLeft(c->LayoutBounds().Left - 35);
  }
}

void ChoosePicture(TForm& window, const std::string& language) {
  const char* shown = kEnglishPicture;
  for (const auto& [name, picture] : kPictures) {
    if (language == name) {
      shown = picture;
      break;
    }
  }
  Control(window, shown)->Show();
}

}  // namespace

void ApplyLanguageLayout(const platform::AnsiString& languageName) {
  TForm* window = MainWindow();
  if (!window) return;
  const std::string language = platform::FromAnsi(languageName);
  if (SameIgnoringCase(language, "Chinese(Traditional)") || SameIgnoringCase(language, "Chinese(Simplified)")) {
    SecondLayout(*window);
  }
  ChoosePicture(*window, language);
}

std::vector<std::string> LanguageLayoutControls() {
  std::vector<std::string> names;
  for (const auto& [name, left] : Placed()) names.push_back(name);
  names.insert(names.end(), AddressRows().begin(), AddressRows().end());
  for (const auto& [language, picture] : kPictures) names.push_back(picture);
  names.push_back(kEnglishPicture);
  return names;
}
