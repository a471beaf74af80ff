// What came of writing a scaling level, and what the tool tells the user about it.
#pragma once

#include <cstdint>
#include <optional>

#include "app/logic/dpi_levels.h"

namespace quorlin::app {

enum class WriteOutcome {
  Written,          // both values were written and read back as asked
  Failed,           // a command failed, hung, or the values read back differ
  BlockedByPolicy,  // it failed while the administrator has disabled the registry tools
};

// The values under HKCU\Control Panel\Desktop as read back after the commands; nullopt: missing.
struct DesktopValues {
  std::optional<std::uint32_t> logPixels;
  std::optional<std::uint32_t> win8DpiScaling;
};

// True when the values are what the commands for `level` write (without a level, LogPixels is not
// written and not looked at).
bool WrittenAsAsked(const DesktopValues& values, std::optional<DpiLevel> level);

// DisableRegistryTools 1 and 2 both make reg.exe refuse to change the registry (2 also stops
// regedit from running silently); 0, any other value or no value leaves it allowed.
bool RegistryToolsDisabled(std::optional<std::uint32_t> disableRegistryTools);

// The notice shown after a write that did not succeed (UTF-8).
const char* FailureNoticeFor(WriteOutcome outcome);

}  // namespace quorlin::app
