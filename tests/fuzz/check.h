#pragma once

#include <cstdlib>

namespace fuzz {

// A property that holds for every input; a broken one ends the run, and the fuzzer keeps the input.
inline void Check(bool holds) {
  if (!holds) std::abort();
}

}  // namespace fuzz
