#include "platform/session.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win_api.h"

namespace quorlin::platform {
namespace {

const HANDLE kFakeToken = reinterpret_cast<HANDLE>(0x7770);
constexpr DWORD kShutdownLuidLow = 0x13;

// What the faked session functions saw, in call order, and how they answer.
std::vector<std::string> calls;
struct Answers {
  DWORD platformId = VER_PLATFORM_WIN32_NT;
  BOOL openToken = TRUE;
  BOOL lookup = TRUE;
  BOOL adjust = TRUE;
  DWORD adjustError = ERROR_SUCCESS;
  bool adjustSetsError = true;
  BOOL exitWindows = TRUE;
  BOOL powerState = TRUE;
} answers;

DWORD versionRecordSize = 0;
struct OpenArgs {
  HANDLE process;
  DWORD access;
};
std::vector<OpenArgs> opens;
struct LookupArgs {
  bool systemGiven;
  std::string name;
};
std::vector<LookupArgs> lookups;
struct AdjustArgs {
  HANDLE token;
  BOOL disableAll;
  DWORD count;
  LUID luid;
  DWORD attributes;
  DWORD bufferLength;
  bool previousGiven, returnLengthGiven;
};
std::vector<AdjustArgs> adjusts;

BOOL WINAPI FakeGetVersion(LPOSVERSIONINFOA version) {
  calls.push_back("version");
  versionRecordSize = version->dwOSVersionInfoSize;
  version->dwMajorVersion = 6;
  version->dwMinorVersion = 2;
  version->dwPlatformId = answers.platformId;
  return TRUE;
}

BOOL WINAPI FakeOpenToken(HANDLE process, DWORD access, PHANDLE token) {
  calls.push_back("open token");
  opens.push_back({process, access});
  if (!answers.openToken) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  *token = kFakeToken;
  return TRUE;
}

BOOL WINAPI FakeLookup(LPCSTR system, LPCSTR name, PLUID luid) {
  calls.push_back("lookup");
  lookups.push_back({system != nullptr, name ? name : ""});
  if (!answers.lookup) {
    ::SetLastError(ERROR_NO_SUCH_PRIVILEGE);
    return FALSE;
  }
  luid->LowPart = kShutdownLuidLow;
  luid->HighPart = 0;
  return TRUE;
}

BOOL WINAPI FakeAdjust(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES privileges, DWORD bufferLength,
                       PTOKEN_PRIVILEGES previous, PDWORD returnLength) {
  calls.push_back("adjust");
  adjusts.push_back({token, disableAll, privileges->PrivilegeCount, privileges->Privileges[0].Luid,
                     privileges->Privileges[0].Attributes, bufferLength, previous != nullptr,
                     returnLength != nullptr});
  if (answers.adjustSetsError) ::SetLastError(answers.adjustError);
  return answers.adjust;
}

// Closing sets a last error of its own, so code that read the error after closing would see it.
BOOL WINAPI FakeClose(HANDLE handle) {
  calls.push_back(handle == kFakeToken ? "close token" : "close other");
  ::SetLastError(ERROR_INVALID_HANDLE);
  return TRUE;
}

BOOL WINAPI FakeExitWindows(UINT flags, DWORD reason) {
  calls.push_back("exit windows " + std::to_string(flags) + " " + std::to_string(reason));
  return answers.exitWindows;
}

BOOL WINAPI FakePowerState(BOOL suspend, BOOL force) {
  calls.push_back("power state " + std::to_string(suspend) + " " + std::to_string(force));
  return answers.powerState;
}

const std::vector<std::string> kPrivilegeStep = {"version", "open token", "lookup", "adjust", "close token"};

std::vector<std::string> AfterPrivilegeStep(const std::string& call) {
  std::vector<std::string> expected = kPrivilegeStep;
  expected.push_back(call);
  return expected;
}

// Every session test runs with every session-ending call faked: the real ExitWindowsEx would end
// every program of the session, the test runner included.
class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    opens.clear();
    lookups.clear();
    adjusts.clear();
    versionRecordSize = 0;
    answers = Answers{};
  }

  api::ScopedOverride<api::types::ExitWindowsEx_t> exitWindows_{api::ExitWindowsEx, &FakeExitWindows};
  api::ScopedOverride<api::types::SetSystemPowerState_t> power_{api::SetSystemPowerState, &FakePowerState};
  api::ScopedOverride<api::types::GetVersionExA_t> version_{api::GetVersionExA, &FakeGetVersion};
  api::ScopedOverride<api::types::OpenProcessToken_t> open_{api::OpenProcessToken, &FakeOpenToken};
  api::ScopedOverride<api::types::LookupPrivilegeValueA_t> lookup_{api::LookupPrivilegeValueA, &FakeLookup};
  api::ScopedOverride<api::types::AdjustTokenPrivileges_t> adjust_{api::AdjustTokenPrivileges, &FakeAdjust};
  api::ScopedOverride<api::types::CloseHandle_t> close_{api::CloseHandle, &FakeClose};
};

TEST_F(SessionTest, KindsOutsideOneToFiveDoNothing) {
  for (ExitKind kind : {0, 6, -1, 42}) {
    EXPECT_FALSE(ExitSession(kind, true)) << kind;
    EXPECT_FALSE(ExitSession(kind, false)) << kind;
  }
  EXPECT_TRUE(opens.empty()) << "the token is never opened";
  EXPECT_TRUE(calls.empty());
}

TEST_F(SessionTest, ForcedLogOffEnablesThePrivilegeThenExitsWithFlagsFour) {
  EXPECT_TRUE(ExitSession(kExitLogOff, true));
  EXPECT_EQ(calls, AfterPrivilegeStep("exit windows 4 0"));
}

TEST_F(SessionTest, PrivilegeStepUsesTheDocumentedArguments) {
  ASSERT_TRUE(ExitSession(kExitLogOff, true));
  EXPECT_EQ(versionRecordSize, 148u);
  ASSERT_EQ(opens.size(), 1u);
  EXPECT_EQ(opens[0].process, ::GetCurrentProcess());
  EXPECT_EQ(opens[0].access, 0x28u);
  ASSERT_EQ(lookups.size(), 1u);
  EXPECT_FALSE(lookups[0].systemGiven);
  EXPECT_EQ(lookups[0].name, "SeShutdownPrivilege");
  ASSERT_EQ(adjusts.size(), 1u);
  const AdjustArgs& adjust = adjusts[0];
  EXPECT_EQ(adjust.token, kFakeToken);
  EXPECT_EQ(adjust.disableAll, FALSE);
  EXPECT_EQ(adjust.count, 1u);
  EXPECT_EQ(adjust.luid.LowPart, kShutdownLuidLow) << "the looked-up identifier is the one enabled";
  EXPECT_EQ(adjust.luid.HighPart, 0);
  EXPECT_EQ(adjust.attributes, static_cast<DWORD>(SE_PRIVILEGE_ENABLED));
  EXPECT_EQ(adjust.bufferLength, 0u);
  EXPECT_FALSE(adjust.previousGiven);
  EXPECT_FALSE(adjust.returnLengthGiven);
}

TEST_F(SessionTest, ExitWindowsFlagsForEachKind) {
  const struct {
    ExitKind kind;
    bool force;
    const char* call;
  } cases[] = {
      {kExitLogOff, false, "exit windows 0 0"},  {kExitLogOff, true, "exit windows 4 0"},
      {kExitShutDown, true, "exit windows 12 0"}, {kExitShutDown, false, "exit windows 8 0"},
      {kExitRestart, true, "exit windows 6 0"},  {kExitRestart, false, "exit windows 2 0"},
  };
  for (const auto& c : cases) {
    calls.clear();
    EXPECT_TRUE(ExitSession(c.kind, c.force));
    EXPECT_EQ(calls, AfterPrivilegeStep(c.call)) << "kind " << c.kind << " force " << c.force;
  }
  calls.clear();
  ExitSession(kExitLogOff);
  EXPECT_EQ(calls.back(), "exit windows 0 0") << "force defaults to false";
}

TEST_F(SessionTest, NonNtSystemsSkipThePrivilegeAndShutDownInsteadOfPowerOff) {
  answers.platformId = VER_PLATFORM_WIN32_WINDOWS;
  EXPECT_TRUE(ExitSession(kExitShutDown, true));
  EXPECT_TRUE(opens.empty());
  EXPECT_EQ(calls.back(), "exit windows 5 0");
  EXPECT_TRUE(EnableShutdownPrivilege());
  EXPECT_TRUE(opens.empty());
}

TEST_F(SessionTest, SuspendAndHibernatePassTheForceFlag) {
  EXPECT_TRUE(ExitSession(kExitSuspend, true));
  EXPECT_EQ(calls, AfterPrivilegeStep("power state 1 1"));
  calls.clear();
  EXPECT_TRUE(ExitSession(kExitHibernate, false));
  EXPECT_EQ(calls, AfterPrivilegeStep("power state 0 0"));
  answers.powerState = FALSE;
  EXPECT_FALSE(ExitSession(kExitSuspend)) << "a refused power change is reported";
}

bool AnyExitRequest() {
  for (const std::string& call : calls) {
    if (call.rfind("exit windows", 0) == 0 || call.rfind("power state", 0) == 0) return true;
  }
  return false;
}

TEST_F(SessionTest, MissingPrivilegeReportedOnlyByLastErrorStopsEveryKindButLogOff) {
  answers.adjust = TRUE;
  answers.adjustError = ERROR_NOT_ALL_ASSIGNED;
  EXPECT_FALSE(EnableShutdownPrivilege());
  for (ExitKind kind : {kExitShutDown, kExitRestart, kExitSuspend, kExitHibernate}) {
    calls.clear();
    EXPECT_FALSE(ExitSession(kind, true)) << kind;
    EXPECT_FALSE(AnyExitRequest()) << "kind " << kind << " needs the privilege";
    EXPECT_EQ(calls.back(), "close token") << "the token is closed on failure too";
  }
}

TEST_F(SessionTest, LogOffWithoutThePrivilegeStillAsksForTheForcedLogOff) {
  // A Remote Desktop host or locked-down PC: the adjustment "succeeds" but enables nothing.
  answers.adjust = TRUE;
  answers.adjustError = ERROR_NOT_ALL_ASSIGNED;
  EXPECT_TRUE(ExitSession(kExitLogOff, true));
  EXPECT_EQ(calls, AfterPrivilegeStep("exit windows 4 0"));

  answers.exitWindows = FALSE;
  calls.clear();
  EXPECT_FALSE(ExitSession(kExitLogOff, true)) << "the system's answer is what is reported";
  EXPECT_EQ(calls, AfterPrivilegeStep("exit windows 4 0"));
}

TEST_F(SessionTest, EveryFailedPrivilegeStepStopsAShutDownButNotALogOff) {
  const struct {
    const char* what;
    void (*fail)();
    std::vector<std::string> privilegeCalls;
  } cases[] = {
      {"token not opened", [] { answers.openToken = FALSE; }, {"version", "open token"}},
      {"privilege unknown", [] { answers.lookup = FALSE; }, {"version", "open token", "lookup", "close token"}},
      {"adjustment refused",
       [] {
         answers.adjust = FALSE;
         answers.adjustError = ERROR_INVALID_HANDLE;
       },
       kPrivilegeStep},
  };
  for (const auto& c : cases) {
    answers = Answers{};
    c.fail();
    calls.clear();
    EXPECT_FALSE(ExitSession(kExitShutDown, true)) << c.what;
    EXPECT_EQ(calls, c.privilegeCalls) << c.what;

    calls.clear();
    EXPECT_TRUE(ExitSession(kExitLogOff, true)) << c.what;
    std::vector<std::string> expected = c.privilegeCalls;
    expected.push_back("exit windows 4 0");
    EXPECT_EQ(calls, expected) << c.what;
  }

  answers = Answers{};
  answers.exitWindows = FALSE;
  calls.clear();
  EXPECT_FALSE(ExitSession(kExitLogOff, true)) << "a refused log-off is reported";
  EXPECT_EQ(calls, AfterPrivilegeStep("exit windows 4 0"));
}

TEST_F(SessionTest, LastErrorIsReadBeforeTheTokenIsClosedAndStaleErrorsDoNotCount) {
  // FakeClose leaves ERROR_INVALID_HANDLE behind; reading the error after closing would fail here.
  EXPECT_TRUE(EnableShutdownPrivilege());
  answers.adjustSetsError = false;
  ::SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_TRUE(EnableShutdownPrivilege()) << "an error left by an earlier call is not this call's";
}

TEST(RealSession, ShutdownPrivilegeCanBeEnabled) {
  // Only the privilege step runs for real: it ends nothing.
  EXPECT_TRUE(EnableShutdownPrivilege());
}

// ---- Whose session it is ----

HWND shellWindow = nullptr;
DWORD shellProcessId = 0, openProcessError = 0;  // no error: this process is opened as the shell's
BOOL sameSid = TRUE;
HWND WINAPI FakeShellWindow() { return shellWindow; }
DWORD WINAPI FakeWindowProcess(HWND, LPDWORD processId) {
  *processId = shellProcessId;
  return 1;
}
HANDLE WINAPI FakeOpenProcess(DWORD access, BOOL inherit, DWORD) {
  if (openProcessError == 0) return ::OpenProcess(access, inherit, ::GetCurrentProcessId());
  ::SetLastError(openProcessError);
  return nullptr;
}
BOOL WINAPI FakeEqualSid(PSID a, PSID b) { return sameSid && ::EqualSid(a, b); }

TEST(SessionUser, TheUserOfTheShellsProcessDecides) {
  const HWND kShell = ::GetDesktopWindow();
  const DWORD self = ::GetCurrentProcessId(), other = self + 4;
  const struct {
    const char* what;
    HWND shell;
    DWORD processId, openError;
    BOOL sameSid;
    SessionUser expected;
  } cases[] = {
      {"no shell window", nullptr, other, 0, TRUE, SessionUser::Unknown},
      {"no process behind the shell window", kShell, 0, 0, TRUE, SessionUser::Unknown},
      {"the shell is this process, not asked", kShell, self, ERROR_ACCESS_DENIED, TRUE, SessionUser::Same},
      {"another user's shell refuses to be asked", kShell, other, ERROR_ACCESS_DENIED, TRUE, SessionUser::Different},
      {"the shell cannot be asked for another reason", kShell, other, ERROR_INVALID_PARAMETER, TRUE,
       SessionUser::Unknown},
      {"the same user's token", kShell, other, 0, TRUE, SessionUser::Same},
      {"another user's token", kShell, other, 0, FALSE, SessionUser::Different},
  };
  api::ScopedOverride<api::types::GetShellWindow_t> shell{api::GetShellWindow, &FakeShellWindow};
  api::ScopedOverride<api::types::GetWindowThreadProcessId_t> process{api::GetWindowThreadProcessId,
                                                                      &FakeWindowProcess};
  api::ScopedOverride<api::types::OpenProcess_t> open{api::OpenProcess, &FakeOpenProcess};
  api::ScopedOverride<api::types::EqualSid_t> equal{api::EqualSid, &FakeEqualSid};
  for (const auto& c : cases) {
    shellWindow = c.shell;
    shellProcessId = c.processId;
    openProcessError = c.openError;
    sameSid = c.sameSid;
    EXPECT_EQ(CompareWithShellUser(), c.expected) << c.what;
  }
}

TEST(RealSession, TheToolRunsAsTheUserOfItsSession) { EXPECT_NE(CompareWithShellUser(), SessionUser::Different); }

}  // namespace
}  // namespace quorlin::platform
