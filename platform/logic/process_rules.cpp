#include "platform/logic/process_rules.h"

namespace quorlin::platform {

ShowMode ClampShowMode(ShowMode mode) { return mode < 1 ? 1 : (mode > 6 ? 6 : mode); }

std::uint16_t ShowCommandFor(ShowMode mode) {
  // SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED, SW_SHOWNOACTIVATE, SW_MINIMIZE:
  // the last one is 6, not 5 (SW_SHOW), so the table is not simply mode - 1.
  static constexpr std::uint16_t kShowCommands[] = {0, 1, 2, 3, 4, 6};
  return kShowCommands[ClampShowMode(mode) - 1];
}

ExitSessionPlan PlanExitSession(ExitKind kind, bool force, bool ntFamily) {
  switch (kind) {
    case kExitShutDown:
    case kExitRestart:
    case kExitLogOff: {
      const std::uint32_t flags[] = {ntFamily ? kEwxPowerOff : kEwxShutdown, kEwxReboot, kEwxLogOff};
      return {SessionCall::ExitWindows, flags[kind - kExitShutDown] | (force ? kEwxForce : 0)};
    }
    case kExitSuspend:
    case kExitHibernate: return {SessionCall::SetPowerState, 0, kind == kExitSuspend, force};
    default: return {};
  }
}

}  // namespace quorlin::platform
