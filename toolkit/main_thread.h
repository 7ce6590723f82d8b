#pragma once

#include "platform/thread.h"

namespace toolkit_detail {
[[noreturn]] void ReportOffMainThread(const char* what);
}

// Controls and forms are changed on the main thread only; debug builds stop the program at the
// first change made elsewhere, optimized builds do not look.
#ifdef NDEBUG
inline constexpr bool kMainThreadChecks = false;
#define TK_ASSERT_MAIN_THREAD(what) ((void)0)
#else
inline constexpr bool kMainThreadChecks = true;
#define TK_ASSERT_MAIN_THREAD(what) (platform::IsMainThread() ? (void)0 : toolkit_detail::ReportOffMainThread(what))
#endif
