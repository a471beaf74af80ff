// Rules of the process and session services that need no Win32: how a show mode becomes a show
// command, and which system call a session-end request turns into.
#pragma once

#include <cstdint>

namespace quorlin::platform {

// How a started program's first window is shown: 1 hidden .. 6 minimised.
using ShowMode = std::int32_t;
constexpr ShowMode kShowModeHidden = 1;
constexpr ShowMode kShowModeNormal = 2;

ShowMode ClampShowMode(ShowMode mode);
// The Win32 show command (SW_...) for a show mode; out-of-range modes are clamped first.
std::uint16_t ShowCommandFor(ShowMode mode);

// 1 shut down, 2 restart, 3 log off, 4 suspend, 5 hibernate.
using ExitKind = std::int32_t;
constexpr ExitKind kExitShutDown = 1, kExitRestart = 2, kExitLogOff = 3, kExitSuspend = 4,
                   kExitHibernate = 5;

// ExitWindowsEx flags, kept here so this file needs no Windows headers.
constexpr std::uint32_t kEwxLogOff = 0, kEwxShutdown = 1, kEwxReboot = 2, kEwxForce = 4, kEwxPowerOff = 8;

enum class SessionCall { None, ExitWindows, SetPowerState };

struct ExitSessionPlan {
  SessionCall call = SessionCall::None;
  std::uint32_t flags = 0;  // ExitWindowsEx flags (reason is always 0)
  bool suspend = false;     // SetSystemPowerState: true suspend, false hibernate
  bool force = false;       // SetSystemPowerState: force
  bool operator==(const ExitSessionPlan&) const = default;
};

// What ExitSession asks of the system for `kind`; kinds outside 1..5 ask nothing.
ExitSessionPlan PlanExitSession(ExitKind kind, bool force, bool ntFamily);

}  // namespace quorlin::platform
