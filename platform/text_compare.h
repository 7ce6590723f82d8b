#pragma once

#include <string>
#include <string_view>

namespace platform {

// The system's comparison of UTF-16 texts (lstrcmpW): by the user's locale's collation rules,
// case-sensitive (a lower-case letter sorts before its capital), as a word sort (hyphens and
// apostrophes count only between texts that are the same without them). Negative, zero or
// positive.
int lstrcmpW(std::u16string_view a, std::u16string_view b);

// The system's upper-casing of UTF-16 text in place (CharUpperBuffW): every letter that has one
// gets its upper-case form, beyond ASCII too; the length does not change.
void CharUpperBuffW(std::u16string& text);

}  // namespace platform
