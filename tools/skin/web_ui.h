#pragma once

#include <string>

#include "canvas.h"

// The last page's picture that leads the user to the box's web interface, one per language.
namespace skin {

struct WebUiHint {
  std::string code;      // shown in a small badge: "EN", "DE", ...
  std::string title;     // the hint, in the language of the picture
  std::string subtitle;  // one line that says what waits there
};

void DrawToWebUi(Canvas& c, const WebUiHint& hint);

}  // namespace skin
