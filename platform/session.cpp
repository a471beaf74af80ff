#include "platform/session.h"

#include <windows.h>

#include <vector>

#include "platform/handle_owners.h"
#include "platform/win_api.h"

namespace quorlin::platform {

namespace {

static_assert(sizeof(OSVERSIONINFOA) == 148);

bool IsNtFamily() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  // Every system this runs on is NT-family; should the query fail, take the path that asks for the
  // privilege rather than skip it.
  if (!api::GetVersionExA(&version)) return true;
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool EnableShutdownPrivilege(bool ntFamily) {
  if (!ntFamily) return true;

  UniqueHandle token;
  if (!api::OpenProcessToken(api::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Put()))
    return false;

  TOKEN_PRIVILEGES privileges{1, {{{}, SE_PRIVILEGE_ENABLED}}};
  if (!api::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return false;

  // AdjustTokenPrivileges reports success even when the account lacks the privilege; only the last
  // error (ERROR_NOT_ALL_ASSIGNED) tells. Clear it first so a stale value is not taken for failure,
  // and read it before the token is closed.
  api::SetLastError(ERROR_SUCCESS);
  const BOOL adjusted = api::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
  return adjusted && api::GetLastError() == ERROR_SUCCESS;
}

// The TOKEN_USER record of a process token, in a buffer of its own size; empty when it cannot be read.
std::vector<unsigned char> UserOfToken(HANDLE process) {
  UniqueHandle token;
  if (!api::OpenProcessToken(process, TOKEN_QUERY, token.Put())) return {};
  DWORD size = 0;
  api::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size < sizeof(TOKEN_USER)) return {};
  std::vector<unsigned char> user(size);
  if (!api::GetTokenInformation(token.get(), TokenUser, user.data(), size, &size)) return {};
  return user;
}

PSID SidOf(std::vector<unsigned char>& user) { return reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid; }

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

  const ExitSessionPlan plan = PlanExitSession(kind, force, ntFamily);
  if (plan.call == SessionCall::SetPowerState) return api::SetSystemPowerState(plan.suspend, plan.force) != FALSE;
  return plan.call == SessionCall::ExitWindows && api::ExitWindowsEx(plan.flags, 0) != FALSE;
}

SessionUser CompareWithShellUser() {
  HWND shell = api::GetShellWindow();
  if (shell == nullptr) return SessionUser::Unknown;
  DWORD shellProcessId = 0;
  api::GetWindowThreadProcessId(shell, &shellProcessId);
  if (shellProcessId == 0) return SessionUser::Unknown;
  if (shellProcessId == api::GetCurrentProcessId()) return SessionUser::Same;

  UniqueHandle shellProcess(api::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellProcessId));
  // A user may always ask about processes of their own: being refused means the shell is another's.
  if (!shellProcess) return api::GetLastError() == ERROR_ACCESS_DENIED ? SessionUser::Different : SessionUser::Unknown;
  std::vector<unsigned char> shellUser = UserOfToken(shellProcess.get());
  std::vector<unsigned char> ownUser = UserOfToken(api::GetCurrentProcess());
  if (shellUser.empty() || ownUser.empty()) return SessionUser::Unknown;
  return api::EqualSid(SidOf(shellUser), SidOf(ownUser)) ? SessionUser::Same : SessionUser::Different;
}

}  // namespace quorlin::platform
