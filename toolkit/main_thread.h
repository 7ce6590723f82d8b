#pragma once

#include "platform/thread.h"

namespace toolkit_detail {
[[noreturn]] void ReportOffMainThread(const char* what);
}

// Controls and forms are changed on the main thread only; debug and test builds stop the
// program at the first change made elsewhere.
#ifdef NDEBUG
#define TK_ASSERT_MAIN_THREAD(what) ((void)0)
#else
#define TK_ASSERT_MAIN_THREAD(what) (platform::IsMainThread() ? (void)0 : toolkit_detail::ReportOffMainThread(what))
#endif
