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

int Collate(icu::Collator* collator, const icu::UnicodeString& a, const icu::UnicodeString& b) {
  if (!collator) return a.compare(b);
  UErrorCode status = U_ZERO_ERROR;
  const UCollationResult r = collator->compare(a, b, status);
  return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

// The system's comparison is a word sort: the hyphen and the apostrophe weigh almost nothing,
// so that "co-op" stays beside "coop" and "NAS-220" after "NAS120". They count only between
// texts that are otherwise the same, and then the text with fewer of them comes first.
bool WeighsAlmostNothing(char16_t unit) { return unit == u'-' || unit == u'\''; }

icu::UnicodeString WithoutLightMarks(std::u16string_view text, int& marks) {
  icu::UnicodeString out;
  marks = 0;
  for (char16_t unit : text) {
    if (WeighsAlmostNothing(unit)) {
      ++marks;
    } else {
      out.append(static_cast<UChar>(unit));
    }
  }
  return out;
}

}  // namespace

int lstrcmpW(std::u16string_view a, std::u16string_view b) {
  std::lock_guard<std::mutex> lock(g_collator_mutex);
  icu::Collator* collator = UserCollator();
  int marks_a = 0, marks_b = 0;
  if (const int words = Collate(collator, WithoutLightMarks(a, marks_a), WithoutLightMarks(b, marks_b)); words != 0) {
    return words;
  }
  if (marks_a != marks_b) return marks_a < marks_b ? -1 : 1;
  const icu::UnicodeString ua(false, a.data(), static_cast<int32_t>(a.size()));
  const icu::UnicodeString ub(false, b.data(), static_cast<int32_t>(b.size()));
  return Collate(collator, ua, ub);
}

void CharUpperBuffW(std::u16string& text) {
  // Character by character, so that the length stays (the German sharp s keeps its one unit).
  for (char16_t& unit : text) {
    if (unit < 0xD800 || unit > 0xDFFF) unit = static_cast<char16_t>(u_toupper(unit));
  }
}

}  // namespace platform
