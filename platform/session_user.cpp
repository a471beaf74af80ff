#include "platform/session_user.h"

#include <windows.h>

#include <vector>

#include "platform/handle_owners.h"
#include "platform/win_api.h"

namespace quorlin::platform {

namespace {

// The TOKEN_USER record of a process token, in a buffer of its own size; empty when it cannot be read.
std::vector<unsigned char> UserOfToken(HANDLE process) {
  HANDLE rawToken = nullptr;
  if (!api::OpenProcessToken(process, TOKEN_QUERY, &rawToken)) return {};
  UniqueHandle token(rawToken);
  DWORD size = 0;
  api::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size < sizeof(TOKEN_USER)) return {};
  std::vector<unsigned char> user(size);
  if (!api::GetTokenInformation(token.get(), TokenUser, user.data(), size, &size)) return {};
  return user;
}

PSID SidOf(std::vector<unsigned char>& user) { return reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid; }

}  // namespace

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
