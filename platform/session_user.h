// Whether the tool runs as the user who is signed in to the session: the user of the shell.
#pragma once

namespace quorlin::platform {

enum class SessionUser {
  Same,       // the process belongs to the user of the shell
  Different,  // started as another user (Run as administrator with another account, Run as)
  Unknown,    // no shell window, or its process cannot be asked
};

// Compares the user of this process's token with the user of the process that owns the shell window
// (GetShellWindow).
SessionUser CompareWithShellUser();

}  // namespace quorlin::platform
