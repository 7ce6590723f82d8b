#pragma once

#include <cstdint>
#include <string>

#include "platform/ansi.h"

// Set by the main window's creation handler before the first load and cleared by its first
// show before the second: while it is nonzero the loader leaves out the targets marked for the
// second call. Main thread only.
extern uint8_t lang_FirstPass;

// Applies the texts of a language to the windows that exist and to the text slots. Every key
// is read from the section of that name (used unchanged) of the language file beside the
// executable; a missing file, section or key gives the key's English text, an empty value an
// empty text. Control captions take the value in full; slots and the joined caption of
// lab_ToWebUIDesc pass through the system's ANSI code page and lose what it lacks. A window that
// does not exist yet is skipped; a control missing from an existing window is a fault of the
// window's layout and raises platform::Exception naming both. Main thread only.
void LoadLanguageStrings(platform::AnsiString languageName);

// The same with the language file given.
void LoadLanguageStringsFrom(const std::string& file, const platform::AnsiString& languageName);

// The language file: "Quillmere.ini" in the executable's folder, whatever the working folder.
std::string LanguageFilePath();
