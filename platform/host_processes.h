#pragma once

namespace platform {

// The host's processes and shell start programs that outlive the call (ping, xdg-open); a thread
// of ours follows each until it ends (relaying the ping's output, collecting its exit). Tests
// wait here until every one has ended.
void WaitForHostPrograms();

}  // namespace platform
