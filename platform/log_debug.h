#pragma once

#include <functional>
#include <string_view>

// The debug log sink: every trace line of the program goes here and is discarded. Callers format
// their text first, so a call costs the formatting and one relaxed load.
void LogDebug(std::string_view text);

// The system debugger output (OutputDebugStringA): the firewall routines and the two clock lines
// write here instead of LogDebug. Nothing is shown; like LogDebug it discards.
void OutputDebugStringA(std::string_view text);

namespace platform {

// Tests watch the traces through an observer; with none installed both sinks discard.
// `debugger` is true for OutputDebugStringA lines.
using TraceObserver = std::function<void(std::string_view text, bool debugger)>;
void SetTraceObserver(TraceObserver observer);

}  // namespace platform
