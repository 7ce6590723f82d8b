#pragma once

#include <cstdint>

// No box sends from the PC itself. Only a program of this PC, another user's as well, can send
// from the loopback range (127.0.0.0/8) or from one of the PC's own addresses, and no real box has
// either; a discovery or disk-command reply from there is never taken for a box's. A box simulator
// run on the wizard's own machine (nas-sim) is let through only when the environment asks for it.

constexpr const char* kLocalBoxesVariable = "ORVO_LOCAL_BOXES";

// Takes the PC's own addresses anew and reads kLocalBoxesVariable ("1" lets local senders through).
// OpenUdpSocket calls it for each discovery round and each disk command.
void TakeThisPcsAddresses();

// Whether a datagram from `address` (network byte order) came from this PC and is to be dropped:
// false for every sender while local boxes are let through. The addresses are those taken last
// (taken now when they never were).
bool IsFromThisPc(uint32_t address);
