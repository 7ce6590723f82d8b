#pragma once

namespace platform {

// For tools that run until they are told to stop (SIGINT or SIGTERM). BlockStopSignals is called
// first thing in main, before any thread starts, so that every thread inherits the block and the
// signal is taken only by WaitForStopSignal; it returns the signal's name ("SIGINT", "SIGTERM").
void BlockStopSignals();
const char* WaitForStopSignal();

}  // namespace platform
