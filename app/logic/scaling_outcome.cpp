#include "app/logic/scaling_outcome.h"

#include "app/apply_state.h"

namespace quorlin::app {

bool WrittenAsAsked(const DesktopValues& values, std::optional<DpiLevel> level) {
  if (level && values.logPixels != static_cast<std::uint32_t>(InfoOf(*level).logPixels)) return false;
  return values.win8DpiScaling == 1u;
}

bool RegistryToolsDisabled(std::optional<std::uint32_t> disableRegistryTools) {
  return disableRegistryTools == 1u || disableRegistryTools == 2u;
}

const char* FailureNoticeFor(WriteOutcome outcome) {
  return outcome == WriteOutcome::BlockedByPolicy ? kPolicyBlockedText : kFailureText;
}

}  // namespace quorlin::app
