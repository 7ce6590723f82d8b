#pragma once

#include <string_view>

namespace platform {

// The system's ANSI code page, as Windows derives it from the system locale: 1252 for Western
// European languages, 1250 Central European, 1251 Cyrillic, 1253 Greek, 1254 Turkish, 1255
// Hebrew, 1256 Arabic, 1257 Baltic, 1258 Vietnamese, 874 Thai, 932 Japanese, 936 Simplified
// Chinese, 949 Korean, 950 Traditional Chinese. Here the locale is the POSIX one of the
// character type (LC_ALL, else LC_CTYPE, else LANG); a locale that names no language with a
// code page (C, POSIX, a Unicode-only language, nothing set) gives 1252.
int SystemCodePage();

// Fixes the system code page (tests); 0 derives it from the locale again. A code page that is
// not one of the ANSI code pages above raises std::invalid_argument.
void SetSystemCodePage(int code_page);

bool IsAnsiCodePage(int code_page);

// The code page of one POSIX locale name ("de_DE.UTF-8", "sr_RS@latin", "zh_TW").
int CodePageForLocale(std::string_view locale);
// The code page of the locale variables of the character type, the first non-empty one winning.
int CodePageForLocaleVariables(const char* lc_all, const char* lc_ctype, const char* lang);

}  // namespace platform
