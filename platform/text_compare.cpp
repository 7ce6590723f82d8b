#include "platform/text_compare.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <memory>
#include <mutex>
#include <string>

namespace platform {
namespace {

// One collator of the user's locale at tertiary strength, where case tells texts apart.
icu::Collator* UserCollator() {
  static std::unique_ptr<icu::Collator> collator = [] {
    UErrorCode status = U_ZERO_ERROR;
    // The C locale gives ICU "en_US_POSIX", whose collation is the code point order; the system's
    // comparison always follows a language's rules, so that case falls back to the root rules.
    const icu::Locale& user = icu::Locale::getDefault();
    const bool posix = std::string(user.getVariant()) == "POSIX";
    std::unique_ptr<icu::Collator> c(icu::Collator::createInstance(posix ? icu::Locale::getRoot() : user, status));
    if (U_FAILURE(status) || !c) {
      status = U_ZERO_ERROR;
      c.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
    }
    if (c) c->setStrength(icu::Collator::TERTIARY);
    return c;
  }();
  return collator.get();
}

std::mutex g_collator_mutex;

}  // namespace

int lstrcmpW(std::u16string_view a, std::u16string_view b) {
  std::lock_guard<std::mutex> lock(g_collator_mutex);
  icu::Collator* collator = UserCollator();
  const icu::UnicodeString ua(false, a.data(), static_cast<int32_t>(a.size()));
  const icu::UnicodeString ub(false, b.data(), static_cast<int32_t>(b.size()));
  if (!collator) return ua.compare(ub);
  UErrorCode status = U_ZERO_ERROR;
  const UCollationResult r = collator->compare(ua, ub, status);
  return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

void CharUpperBuffW(std::u16string& text) {
  // Character by character, so that the length stays (the German sharp s keeps its one unit).
  for (char16_t& unit : text) {
    if (unit < 0xD800 || unit > 0xDFFF) unit = static_cast<char16_t>(u_toupper(unit));
  }
}

}  // namespace platform
