#include "platform/code_page.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace platform {
namespace {

constexpr int kDefaultCodePage = 1252;

struct LanguageCodePage {
  std::string_view language;
  int code_page;
};

// Languages whose Windows locales carry another ANSI code page than 1252. Languages not listed
// either use 1252 or have no ANSI code page at all; both give 1252.
constexpr LanguageCodePage kLanguages[] = {
    {"bs", 1250}, {"cs", 1250}, {"dsb", 1250}, {"hr", 1250}, {"hsb", 1250}, {"hu", 1250}, {"pl", 1250}, {"ro", 1250},
    {"sk", 1250}, {"sl", 1250}, {"sq", 1250},  {"tk", 1250}, {"ba", 1251},  {"be", 1251}, {"bg", 1251}, {"kk", 1251},
    {"ky", 1251}, {"mk", 1251}, {"mn", 1251},  {"ru", 1251}, {"sah", 1251}, {"sr", 1251}, {"tg", 1251}, {"tt", 1251},
    {"uk", 1251}, {"el", 1253}, {"az", 1254},  {"tr", 1254}, {"uz", 1254},  {"he", 1255}, {"iw", 1255}, {"yi", 1255},
    {"ar", 1256}, {"fa", 1256}, {"ug", 1256},  {"ur", 1256}, {"et", 1257},  {"lt", 1257}, {"lv", 1257}, {"vi", 1258},
    {"th", 874},  {"ja", 932},  {"ko", 949},
};

constexpr int kAnsiCodePages[] = {874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// Chinese follows the script: Traditional in Taiwan, Hong Kong and Macau or when named.
int ChineseCodePage(std::string_view rest) {
  const std::string r = Lower(rest);
  for (std::string_view traditional : {"tw", "hk", "mo", "hant"}) {
    size_t pos = 0;
    while ((pos = r.find(traditional, pos)) != std::string::npos) {
      const bool starts = pos == 0 || r[pos - 1] == '_' || r[pos - 1] == '-';
      const size_t end = pos + traditional.size();
      const bool ends = end == r.size() || r[end] == '_' || r[end] == '-' || r[end] == '.' || r[end] == '@';
      if (starts && ends) return 950;
      pos = end;
    }
  }
  return 936;
}

std::atomic<int> g_fixed_code_page{0};

}  // namespace

bool IsAnsiCodePage(int code_page) {
  return std::find(std::begin(kAnsiCodePages), std::end(kAnsiCodePages), code_page) != std::end(kAnsiCodePages);
}

int CodePageForLocale(std::string_view locale) {
  // language[_territory][.codeset][@modifier]; BCP 47 dashes are taken as well.
  const size_t language_end = locale.find_first_of("_-.@");
  const std::string language = Lower(locale.substr(0, language_end));
  const std::string_view rest =
      language_end == std::string_view::npos ? std::string_view{} : locale.substr(language_end);
  const size_t at = rest.find('@');
  const std::string modifier = at == std::string_view::npos ? std::string{} : Lower(rest.substr(at + 1));

  if (language == "zh") return ChineseCodePage(rest);
  // Serbian and Bosnian default to Cyrillic or Latin by the modifier; Azerbaijani and Uzbek
  // to Latin unless Cyrillic is asked for.
  if (modifier == "latin" && (language == "sr" || language == "bs")) return 1250;
  if (modifier == "cyrillic" && (language == "az" || language == "uz" || language == "bs")) return 1251;
  for (const LanguageCodePage& entry : kLanguages) {
    if (entry.language == language) return entry.code_page;
  }
  return kDefaultCodePage;
}

int CodePageForLocaleVariables(const char* lc_all, const char* lc_ctype, const char* lang) {
  for (const char* value : {lc_all, lc_ctype, lang}) {
    if (value && *value) return CodePageForLocale(value);
  }
  return kDefaultCodePage;
}

int SystemCodePage() {
  if (const int fixed = g_fixed_code_page.load(std::memory_order_relaxed)) return fixed;
  static const int from_locale =
      CodePageForLocaleVariables(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
  return from_locale;
}

void SetSystemCodePage(int code_page) {
  if (code_page != 0 && !IsAnsiCodePage(code_page)) {
    throw std::invalid_argument("not an ANSI code page: " + std::to_string(code_page));
  }
  g_fixed_code_page.store(code_page, std::memory_order_relaxed);
}

}  // namespace platform
