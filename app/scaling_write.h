// Writing a scaling level: the two reg.exe commands, then reading both values back.
#pragma once

#include <cstdint>
#include <optional>

#include "app/logic/dpi_levels.h"
#include "app/logic/scaling_outcome.h"

namespace quorlin::app {

// Runs the LogPixels line of `level` and then, if `mayGoOn` still says so (the user may have closed
// the tool meanwhile), the Win8DpiScaling line, with the system's reg.exe, each hidden and waited
// for, the second only after the first succeeded. Then reads both values back: an exit code of 0
// alone does not prove that anything was written. The registry is written only by reg.exe, so an
// administrator's policy against it is obeyed; the policy is read only to say why a write failed.
// Blocks the calling thread (the Apply worker).
WriteOutcome WriteScaling(DpiLevel level, bool (*mayGoOn)());

// The LogPixels value stored for the next sign-in (HKCU\Control Panel\Desktop); nullopt when there
// is none (or it is not a REG_DWORD).
std::optional<std::uint32_t> StoredLogPixels();

}  // namespace quorlin::app
