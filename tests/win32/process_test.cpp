#include "platform/process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win_api.h"

namespace quorlin::platform {
namespace {

const HANDLE kFakeProcess = reinterpret_cast<HANDLE>(0x1230);
const HANDLE kFakeThread = reinterpret_cast<HANDLE>(0x4560);

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string SystemDirectory() {
  char directory[MAX_PATH];
  UINT length = ::GetSystemDirectoryA(directory, MAX_PATH);
  return std::string(directory, length);
}

// ---- What the faked process functions saw, in the order they were called. ----
struct CreateCall {
  bool applicationNameGiven = false;
  std::string applicationName;
  std::string commandLine;
  bool securityGiven = false;
  BOOL inherit = TRUE;
  DWORD flags = 0xFFFFFFFF;
  bool environmentGiven = false, directoryGiven = false;
  std::string directory;
  STARTUPINFOA startup{};
};
std::vector<CreateCall> creates;
std::vector<std::string> calls;
bool createSucceeds = true;

std::string NameOf(HANDLE handle) {
  if (handle == kFakeProcess) return "process";
  if (handle == kFakeThread) return "thread";
  return "other";
}

BOOL WINAPI FakeCreateProcess(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processSecurity,
                              LPSECURITY_ATTRIBUTES threadSecurity, BOOL inherit, DWORD flags, LPVOID environment,
                              LPCSTR directory, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION info) {
  CreateCall call;
  call.applicationNameGiven = applicationName != nullptr;
  if (applicationName) call.applicationName = applicationName;
  if (commandLine) call.commandLine = commandLine;
  call.securityGiven = processSecurity != nullptr || threadSecurity != nullptr;
  call.inherit = inherit;
  call.flags = flags;
  call.environmentGiven = environment != nullptr;
  call.directoryGiven = directory != nullptr;
  if (directory) call.directory = directory;
  if (startup) call.startup = *startup;
  creates.push_back(call);
  calls.push_back("create");
  if (!createSucceeds) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  info->hProcess = kFakeProcess;
  info->hThread = kFakeThread;
  info->dwProcessId = 1;
  info->dwThreadId = 2;
  return TRUE;
}

DWORD waitAnswer = WAIT_OBJECT_0;
DWORD WINAPI FakeWait(HANDLE handle, DWORD timeout) {
  calls.push_back("wait " + NameOf(handle) + " " + std::to_string(timeout));
  return waitAnswer;
}

BOOL WINAPI FakeTerminate(HANDLE handle, UINT exitCode) {
  calls.push_back("terminate " + NameOf(handle) + " " + std::to_string(exitCode));
  return TRUE;
}

DWORD WINAPI FakeWaitForInputIdle(HANDLE handle, DWORD timeout) {
  calls.push_back("idle " + NameOf(handle) + " " + std::to_string(timeout));
  return 0;
}

BOOL WINAPI FakeCloseHandle(HANDLE handle) {
  calls.push_back("close " + NameOf(handle));
  return TRUE;
}

DWORD fakeExitCode = 0;
BOOL WINAPI FakeGetExitCode(HANDLE handle, LPDWORD code) {
  calls.push_back("exit code " + NameOf(handle));
  *code = fakeExitCode;
  return TRUE;
}

STARTUPINFOA ExpectedStartup(WORD showCommand) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = showCommand;
  return startup;
}

class FakedProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    creates.clear();
    calls.clear();
    createSucceeds = true;
    fakeExitCode = 0;
    waitAnswer = WAIT_OBJECT_0;
  }

  api::ScopedOverride<api::types::CreateProcessA_t> create_{api::CreateProcessA, &FakeCreateProcess};
  api::ScopedOverride<api::types::WaitForSingleObject_t> wait_{api::WaitForSingleObject, &FakeWait};
  api::ScopedOverride<api::types::WaitForInputIdle_t> idle_{api::WaitForInputIdle, &FakeWaitForInputIdle};
  api::ScopedOverride<api::types::CloseHandle_t> close_{api::CloseHandle, &FakeCloseHandle};
  api::ScopedOverride<api::types::GetExitCodeProcess_t> exitCode_{api::GetExitCodeProcess, &FakeGetExitCode};
  api::ScopedOverride<api::types::TerminateProcess_t> terminate_{api::TerminateProcess, &FakeTerminate};
};

TEST_F(FakedProcessTest, CommandLineIsStartedAsGivenWithOnlyTheShowFieldsSet) {
  const std::string line = "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v LogPixels /t REG_DWORD /d 144 /f";
  EXPECT_TRUE(RunCommandLine(line, true, 1));
  ASSERT_EQ(creates.size(), 1u);
  const CreateCall& call = creates[0];
  EXPECT_FALSE(call.applicationNameGiven) << "the program is found by the ordinary search rules";
  EXPECT_EQ(call.commandLine, line);
  EXPECT_FALSE(call.securityGiven);
  EXPECT_EQ(call.inherit, FALSE);
  EXPECT_EQ(call.flags, 0u);
  EXPECT_FALSE(call.environmentGiven);
  EXPECT_FALSE(call.directoryGiven);
#ifndef _WIN64
  EXPECT_EQ(call.startup.cb, 68u);
#endif
  STARTUPINFOA expected = ExpectedStartup(SW_HIDE);
  EXPECT_EQ(std::memcmp(&call.startup, &expected, sizeof expected), 0) << "every other field is zero";
}

TEST_F(FakedProcessTest, ShowModeReachesTheStartupRecordClampedAndMapped) {
  const std::pair<int, WORD> cases[] = {{-4, SW_HIDE}, {0, SW_HIDE}, {1, SW_HIDE}, {2, SW_SHOWNORMAL},
                                        {3, SW_SHOWMINIMIZED}, {4, SW_SHOWMAXIMIZED}, {5, SW_SHOWNOACTIVATE},
                                        {6, SW_MINIMIZE}, {7, SW_MINIMIZE}, {99, SW_MINIMIZE}};
  for (auto [mode, command] : cases) {
    creates.clear();
    RunCommandLine("cmd.exe", true, mode);
    ASSERT_EQ(creates.size(), 1u);
    EXPECT_EQ(creates[0].startup.wShowWindow, command) << "show mode " << mode;
    EXPECT_EQ(creates[0].startup.dwFlags, static_cast<DWORD>(STARTF_USESHOWWINDOW));
  }
  creates.clear();
  RunCommandLine("cmd.exe");
  ASSERT_EQ(creates.size(), 1u);
  EXPECT_EQ(creates[0].startup.wShowWindow, SW_SHOWNORMAL) << "an omitted show mode shows normally";
}

TEST_F(FakedProcessTest, RunCommandLineWaitsThenClosesThreadBeforeProcess) {
  EXPECT_TRUE(RunCommandLine("reg.exe", true, 1));
  EXPECT_TRUE(RunCommandLine("notepad.exe"));
  EXPECT_EQ(calls, (std::vector<std::string>{"create", "wait process 4294967295", "close thread", "close process",
                                             "create", "idle process 1000", "close thread", "close process"}))
      << "with wait until the end, without it until input idleness, at most one second";
}

TEST_F(FakedProcessTest, FailedCreationReturnsFalseAndTouchesNoHandle) {
  createSucceeds = false;
  EXPECT_FALSE(RunCommandLine("reg.exe", true, 1));
  EXPECT_FALSE(RunCommandLine("reg.exe", false, 1));
  EXPECT_EQ(calls, (std::vector<std::string>{"create", "create"}));

  CommandResult result = RunSystemCommand("reg.exe", "reg.exe", 1);
  EXPECT_FALSE(result.started);
  EXPECT_FALSE(result.exited);
  EXPECT_EQ(calls.size(), 3u) << "no wait, no exit code, no close";
}

TEST_F(FakedProcessTest, SystemCommandNamesTheSystemCopyAndReportsTheExitCode) {
  fakeExitCode = 5;
  const std::string line = "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v Win8DpiScaling /t REG_DWORD /d 1 /f";
  CommandResult result = RunSystemCommand("reg.exe", line, 1);
  EXPECT_TRUE(result.started);
  EXPECT_TRUE(result.exited);
  EXPECT_EQ(result.exitCode, 5u) << "a failed reg.exe is no longer taken for success";
  ASSERT_EQ(creates.size(), 1u);
  EXPECT_EQ(Lower(creates[0].applicationName), Lower(SystemDirectory() + "\\reg.exe"));
  EXPECT_EQ(creates[0].commandLine, line) << "the command line is passed unchanged";
  EXPECT_EQ(creates[0].inherit, FALSE);
  EXPECT_EQ(creates[0].flags, static_cast<DWORD>(CREATE_NO_WINDOW)) << "no console window, not even hidden";
  ASSERT_TRUE(creates[0].directoryGiven) << "not the directory the tool was started from";
  EXPECT_EQ(Lower(creates[0].directory), Lower(SystemDirectory()));
  EXPECT_FALSE(creates[0].environmentGiven);
  STARTUPINFOA expected = ExpectedStartup(SW_HIDE);
  EXPECT_EQ(std::memcmp(&creates[0].startup, &expected, sizeof expected), 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"create", "wait process 30000", "exit code process",
                                             "close thread", "close process"}));
  EXPECT_FALSE(result.timedOut);
  EXPECT_FALSE(result.Succeeded()) << "exit code 5";
}

TEST_F(FakedProcessTest, SystemCommandThatNeverEndsIsTerminatedAndFails) {
  waitAnswer = WAIT_TIMEOUT;
  CommandResult result = RunSystemCommand("reg.exe", "reg.exe add HKCU\\X /f", 1);
  EXPECT_TRUE(result.started);
  EXPECT_FALSE(result.exited);
  EXPECT_TRUE(result.timedOut);
  EXPECT_FALSE(result.Succeeded());
  // Waits its 30 s, ends the program, lets the end take effect, then closes both handles.
  EXPECT_EQ(calls, (std::vector<std::string>{"create", "wait process 30000", "terminate process 1",
                                             "wait process 5000", "close thread", "close process"}));

  calls.clear();
  RunSystemCommand("reg.exe", "reg.exe", 1, 250);
  ASSERT_FALSE(calls.size() < 2);
  EXPECT_EQ(calls[1], "wait process 250") << "the caller's limit is the one waited for";
}

TEST_F(FakedProcessTest, SystemCommandWhoseWaitFailsIsNotASuccessAndIsLeftAlone) {
  waitAnswer = WAIT_FAILED;
  CommandResult result = RunSystemCommand("reg.exe", "reg.exe", 1);
  EXPECT_TRUE(result.started);
  EXPECT_FALSE(result.exited);
  EXPECT_FALSE(result.Succeeded());
  EXPECT_EQ(calls, (std::vector<std::string>{"create", "wait process 30000", "close thread", "close process"}));
}

TEST(CommandResult, OnlyAnExitCodeOfZeroAfterARealEndIsASuccess) {
  const struct {
    CommandResult result;
    bool succeeded;
  } cases[] = {
      {{true, true, false, 0}, true},   {{true, true, false, 1}, false}, {{true, false, true, 0}, false},
      {{true, false, false, 0}, false}, {{false, false, false, 0}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.result.Succeeded(), c.succeeded)
        << c.result.started << c.result.exited << c.result.timedOut << " " << c.result.exitCode;
  }
}

TEST_F(FakedProcessTest, SystemCommandRefusesNamesWithADirectoryPart) {
  for (const char* name : {"", "..\\reg.exe", "C:\\reg.exe", "sub/reg.exe", "C:reg.exe"}) {
    CommandResult result = RunSystemCommand(name, "reg.exe query HKCU", 1);
    EXPECT_FALSE(result.started) << name;
  }
  EXPECT_TRUE(creates.empty()) << "nothing outside the system directory is ever started";
}

// ---- Real processes under the running system. ----

// Forwards to the real CreateProcessA, but only for programs inside the system directory: if the
// system-directory rule ever broke, a planted copy would be refused here instead of run.
api::types::CreateProcessA_t realCreateProcess = nullptr;
std::vector<std::string> startedPrograms;
BOOL WINAPI SystemOnlyCreateProcess(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processSecurity,
                                    LPSECURITY_ATTRIBUTES threadSecurity, BOOL inherit, DWORD flags,
                                    LPVOID environment, LPCSTR directory, LPSTARTUPINFOA startup,
                                    LPPROCESS_INFORMATION info) {
  std::string program = applicationName ? applicationName : "";
  startedPrograms.push_back(program);
  if (Lower(program).rfind(Lower(SystemDirectory() + "\\"), 0) != 0) return FALSE;
  return realCreateProcess(applicationName, commandLine, processSecurity, threadSecurity, inherit, flags, environment,
                           directory, startup, info);
}

// A real program named reg.exe in a fresh folder that is made the current directory. It is a copy of
// this test program (a copy of the prefix's cmd.exe would not do under Wine: its stub starts the
// built-in program of whatever name it is given). Asked for "--gtest_list_tests" the copy lists its
// tests and exits 0, where the system's reg.exe rejects the unknown operation.
class PlantedRegExe {
 public:
  PlantedRegExe() {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "quorlin_planted_" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(folder_.c_str(), nullptr);
    planted_ = folder_ + "\\reg.exe";
    char self[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    copied_ = length > 0 && length < MAX_PATH && ::CopyFileA(self, planted_.c_str(), FALSE) != FALSE;
    char current[MAX_PATH];
    previousDirectory_.assign(current, ::GetCurrentDirectoryA(MAX_PATH, current));
    ::SetCurrentDirectoryA(folder_.c_str());
  }
  ~PlantedRegExe() {
    ::SetCurrentDirectoryA(previousDirectory_.c_str());
    ::DeleteFileA(planted_.c_str());
    ::RemoveDirectoryA(folder_.c_str());
  }
  bool ready() const { return copied_; }

 private:
  std::string folder_, planted_, previousDirectory_;
  bool copied_ = false;
};

// Runs a command line the ordinary way (no program path) and returns its exit code.
DWORD ExitCodeBySearchRules(const char* line) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::string buffer = line;
  if (!::CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return 0xFFFFFFFF;
  }
  ::WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = 0xFFFFFFFF;
  ::GetExitCodeProcess(info.hProcess, &code);
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  return code;
}

TEST(RealProcess, SystemCommandReportsTheRealExitCode) {
  CommandResult result = RunSystemCommand("cmd.exe", "cmd.exe /c exit 3", 1);
  EXPECT_TRUE(result.started);
  EXPECT_TRUE(result.exited);
  EXPECT_EQ(result.exitCode, 3u);
}

TEST(RealProcess, ProgramsMissingFromTheSystemDirectoryDoNotStart) {
  CommandResult result = RunSystemCommand("quorlin_no_such_program.exe", "quorlin_no_such_program.exe", 1);
  EXPECT_FALSE(result.started);
  EXPECT_FALSE(result.exited);
  EXPECT_FALSE(RunCommandLine("quorlin_no_such_program.exe /x", true, 1));
}

TEST(RealProcess, CommandLineStartsAndWaitsForARealProgram) {
  EXPECT_TRUE(RunCommandLine("cmd.exe /c exit 0", true, 1));
  EXPECT_TRUE(RunCommandLine("cmd.exe /c exit 0", false, 1)) << "a console program is never input-idle";
}

TEST(RealProcess, PlantedRegExeInTheCurrentDirectoryIsNeverRun) {
  PlantedRegExe plant;
  ASSERT_TRUE(plant.ready());
  // The ordinary search rules do pick the planted copy: this is the fault being guarded against.
  EXPECT_EQ(ExitCodeBySearchRules("reg.exe --gtest_list_tests --gtest_filter=NoSuchTest"), 0u);

  CommandResult probe = RunSystemCommand("reg.exe", "reg.exe --gtest_list_tests --gtest_filter=NoSuchTest", 1);
  EXPECT_TRUE(probe.started);
  EXPECT_TRUE(probe.exited);
  EXPECT_NE(probe.exitCode, 0u) << "the planted copy ran instead of the system's reg.exe";

  startedPrograms.clear();
  api::ScopedOverride guard(api::CreateProcessA, &SystemOnlyCreateProcess);
  realCreateProcess = guard.Previous();
  CommandResult result = RunSystemCommand("reg.exe", "reg.exe query HKCU\\Software", 1);
  ASSERT_EQ(startedPrograms.size(), 1u);
  EXPECT_EQ(Lower(startedPrograms[0]), Lower(SystemDirectory() + "\\reg.exe"));
  EXPECT_TRUE(result.started);
  EXPECT_TRUE(result.exited);
  EXPECT_EQ(result.exitCode, 0u);
}

// ---- Delay ----

std::vector<DWORD> sleeps;
void WINAPI FakeSleep(DWORD milliseconds) { sleeps.push_back(milliseconds); }

TEST(Delay, NegativeCountsSleepZero) {
  sleeps.clear();
  {
    api::ScopedOverride fake(api::Sleep, &FakeSleep);
    Delay(-5);
    Delay(INT_MIN);
    Delay(0);
    Delay(2000);
  }
  EXPECT_EQ(sleeps, (std::vector<DWORD>{0, 0, 0, 2000}));
  Delay(-5);  // and the real one returns
}

// ---- StartThread ----

std::atomic<std::int32_t> seenParameter{-1};
HANDLE entryRan = nullptr;
void RecordParameter(std::int32_t parameter) {
  seenParameter = parameter;
  ::SetEvent(entryRan);
}

api::types::CreateThread_t realCreateThread = nullptr;
api::types::CloseHandle_t realCloseHandle = nullptr;
std::vector<HANDLE> createdThreads, closedHandles;
bool threadCreationFails = false;
struct ThreadCreateArgs {
  bool securityGiven;
  SIZE_T stack;
  DWORD flags;
};
std::vector<ThreadCreateArgs> threadArgs;

HANDLE WINAPI RecordingCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack, LPTHREAD_START_ROUTINE start,
                                    LPVOID parameter, DWORD flags, LPDWORD id) {
  threadArgs.push_back({security != nullptr, stack, flags});
  if (threadCreationFails) return nullptr;
  HANDLE thread = realCreateThread(security, stack, start, parameter, flags, id);
  createdThreads.push_back(thread);
  return thread;
}
BOOL WINAPI RecordingCloseHandle(HANDLE handle) {
  closedHandles.push_back(handle);
  return realCloseHandle(handle);
}

class StartThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    realCreateThread = create_.Previous();
    realCloseHandle = close_.Previous();
    createdThreads.clear();
    closedHandles.clear();
    threadArgs.clear();
    threadCreationFails = false;
    seenParameter = -1;
    entryRan = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  }
  void TearDown() override { ::CloseHandle(entryRan); }

  // Generous limit only so a broken build cannot hang the run; nothing is measured.
  static bool EntryRan() { return ::WaitForSingleObject(entryRan, 10000) == WAIT_OBJECT_0; }

  api::ScopedOverride<api::types::CreateThread_t> create_{api::CreateThread, &RecordingCreateThread};
  api::ScopedOverride<api::types::CloseHandle_t> close_{api::CloseHandle, &RecordingCloseHandle};
};

TEST_F(StartThreadTest, HandleIsHandedOverWhenAskedFor) {
  HANDLE thread = nullptr;
  ASSERT_TRUE(StartThread(RecordParameter, 42, &thread));
  ASSERT_EQ(createdThreads.size(), 1u);
  EXPECT_EQ(thread, createdThreads[0]);
  EXPECT_TRUE(closedHandles.empty()) << "the caller owns the handle";
  ASSERT_TRUE(EntryRan());
  EXPECT_EQ(seenParameter.load(), 42);
  EXPECT_EQ(::WaitForSingleObject(thread, 10000), WAIT_OBJECT_0) << "the handle is a live thread handle";
  ::CloseHandle(thread);
  ASSERT_EQ(threadArgs.size(), 1u);
  EXPECT_FALSE(threadArgs[0].securityGiven);
  EXPECT_EQ(threadArgs[0].stack, 0u);
  EXPECT_EQ(threadArgs[0].flags, 0u) << "the thread starts at once";
}

TEST_F(StartThreadTest, WithoutAHandleVariableTheHandleIsClosedAtOnce) {
  ASSERT_TRUE(StartThread(RecordParameter));
  ASSERT_EQ(createdThreads.size(), 1u);
  EXPECT_EQ(closedHandles, createdThreads);
  ASSERT_TRUE(EntryRan());
  EXPECT_EQ(seenParameter.load(), 0) << "the omitted parameter is 0";
}

TEST_F(StartThreadTest, FailedCreationReturnsFalseAndLeavesTheVariableAlone) {
  threadCreationFails = true;
  HANDLE thread = kFakeThread;
  EXPECT_FALSE(StartThread(RecordParameter, 1, &thread));
  EXPECT_EQ(thread, kFakeThread);
  EXPECT_FALSE(StartThread(RecordParameter));
  EXPECT_TRUE(closedHandles.empty());
}

TEST_F(StartThreadTest, NullEntryStartsNothing) {
  EXPECT_FALSE(StartThread(nullptr, 3));
  EXPECT_TRUE(threadArgs.empty());
}

}  // namespace
}  // namespace quorlin::platform
