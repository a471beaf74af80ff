// Ending the user's session: log off, restart, shut down, suspend or hibernate.
#pragma once

#include "platform/logic/process_rules.h"

namespace quorlin::platform {

// Asks the system to end the session in the way `kind` names (1..5); `force` closes running programs
// without asking them. True when the system accepted; the session then ends after this returns.
// Every kind but log-off first needs the shut-down privilege and fails without it.
bool ExitSession(ExitKind kind, bool force = false);

// Enables the shut-down privilege of the process token (needed on NT-family systems only).
bool EnableShutdownPrivilege();

}  // namespace quorlin::platform
