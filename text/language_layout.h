#pragma once

#include <string>
#include <vector>

#include "platform/ansi.h"

// The main window's language-dependent layout, applied by every call of the loader: the second
// layout of the settings page's network section for the two Chinese languages (names compared
// without regard to case), and the one web-interface picture of the last page that the language
// name chooses (compared exactly; English for any other name). Does nothing while the main
// window does not exist.
void ApplyLanguageLayout(const platform::AnsiString& languageName);

// The names of the main window's controls that the language-dependent layout moves or shows.
std::vector<std::string> LanguageLayoutControls();
