#include "platform/session.h"

#include <windows.h>

#include "platform/handle_owners.h"
#include "platform/win_api.h"

namespace quorlin::platform {

namespace {

constexpr DWORD kVersionRecordSize = 148;  // sizeof(OSVERSIONINFOA)
static_assert(sizeof(OSVERSIONINFOA) == kVersionRecordSize);

bool IsNtFamily() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = kVersionRecordSize;
  // Every system this runs on is NT-family; should the query fail, take the path that asks for the
  // privilege rather than skip it.
  if (!api::GetVersionExA(&version)) return true;
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool EnableShutdownPrivilege(bool ntFamily) {
  if (!ntFamily) return true;

  HANDLE rawToken = nullptr;
  if (!api::OpenProcessToken(api::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken)) {
    return false;
  }
  UniqueHandle token(rawToken);

  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  if (!api::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
    return false;
  }
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;

  // AdjustTokenPrivileges reports success even when the account lacks the privilege; only the last
  // error (ERROR_NOT_ALL_ASSIGNED) tells. Clear it first so a stale value is not taken for failure,
  // and read it before the token is closed.
  api::SetLastError(ERROR_SUCCESS);
  BOOL adjusted = api::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
  DWORD error = api::GetLastError();
  return adjusted && error == ERROR_SUCCESS;
}

}  // namespace

bool EnableShutdownPrivilege() { return EnableShutdownPrivilege(IsNtFamily()); }

bool ExitSession(ExitKind kind, bool force) {
  if (kind < kExitShutDown || kind > kExitHibernate) return false;
  bool ntFamily = IsNtFamily();
  // Ending one's own session needs no privilege: accounts that cannot enable it (Remote Desktop
  // hosts, locked-down PCs) can still log off. Shutting the machine down or changing its power
  // state does need it.
  bool privileged = EnableShutdownPrivilege(ntFamily);
  if (!privileged && kind != kExitLogOff) return false;

  ExitSessionPlan plan = PlanExitSession(kind, force, ntFamily);
  switch (plan.call) {
    case SessionCall::ExitWindows:
      return api::ExitWindowsEx(plan.flags, 0) != FALSE;
    case SessionCall::SetPowerState:
      return api::SetSystemPowerState(plan.suspend, plan.force) != FALSE;
    case SessionCall::None:
      break;
  }
  return false;
}

}  // namespace quorlin::platform
