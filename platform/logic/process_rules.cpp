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
  ExitSessionPlan plan;
  switch (kind) {
    case kExitShutDown:
      plan.flags = ntFamily ? kEwxPowerOff : kEwxShutdown;
      break;
    case kExitRestart:
      plan.flags = kEwxReboot;
      break;
    case kExitLogOff:
      plan.flags = kEwxLogOff;
      break;
    case kExitSuspend:
    case kExitHibernate:
      plan.call = SessionCall::SetPowerState;
      plan.suspend = kind == kExitSuspend;
      plan.force = force;
      return plan;
    default:
      return plan;
  }
  plan.call = SessionCall::ExitWindows;
  if (force) plan.flags |= kEwxForce;
  return plan;
}

}  // namespace quorlin::platform
