#pragma once

#include <string>

// Empty while the gui tests' X server runs; otherwise why it does not.
const std::string& GuiSkipReason();

#define SKIP_WITHOUT_DISPLAY() \
  if (!GuiSkipReason().empty()) GTEST_SKIP() << GuiSkipReason()
