// The user's session: ending it (log off, restart, shut down, suspend or hibernate), and whether the
// tool runs as the user who is signed in to it.
#pragma once

#include "platform/logic/process_rules.h"

namespace quorlin::platform {

// Asks the system to end the session in the way `kind` names (1..5); `force` closes running programs
// without asking them. True when the system accepted; the session then ends after this returns.
// Every kind but log-off first needs the shut-down privilege and fails without it.
bool ExitSession(ExitKind kind, bool force = false);

// Enables the shut-down privilege of the process token (needed on NT-family systems only).
bool EnableShutdownPrivilege();

enum class SessionUser {
  Same,       // the process belongs to the user of the shell
  Different,  // started as another user (Run as administrator with another account, Run as)
  Unknown,    // no shell window, or its process cannot be asked
};

// Compares the user of this process's token with the user of the process that owns the shell window
// (GetShellWindow).
SessionUser CompareWithShellUser();

}  // namespace quorlin::platform
