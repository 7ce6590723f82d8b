#pragma once

#include "platform/win_types.h"

namespace platform {

// The calling thread's last error, as the system calls of the layer leave it on failure.
DWORD GetLastError();
void SetLastError(DWORD error);

}  // namespace platform
