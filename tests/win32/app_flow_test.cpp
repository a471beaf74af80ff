// The tool's own story against real windows: start-up, level selection, Apply, failure, log-off.
// reg.exe never really runs here (it would change the test prefix's scaling): each launch is recorded
// and replaced by a harmless stand-in that exits with the code the test chose, and what a successful
// launch would have written goes into a fake registry that RegGetValueW reads back.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/apply_state.h"
#include "app/logic/level_marks.h"
#include "app/logic/tool_ids.h"
#include "app/skin_objects.h"
#include "app/tool_handlers.h"
#include "app/tool_state.h"
#include "app/version.h"
#include "platform/cartoon_box.h"
#include "platform/logic/timer_rules.h"
#include "platform/logic/trans_label_model.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/win_api.h"
#include "platform/window_service.h"
#include "platform/window_thread.h"
#include "resources/image_resources.h"
#include "skin/composition.h"
#include "tests/win32/skin_test_support.h"
#include "tests/win32/test_support.h"

namespace quorlin::app {
namespace {

using namespace platform;
using quorlin::testing::PumpUntil;

std::mutex eventsLock;
std::vector<std::string> events;
std::vector<int> exitCodes;  // for the launches in order; 0 when the list runs out
size_t launchCount = 0;
bool standInWrites = true;  // a successful stand-in writes the value its command line names

// "subkey|value" of HKEY_CURRENT_USER -> REG_DWORD data.
std::map<std::string, DWORD> fakeRegistry;
const std::string kLogPixels = "Control Panel\\Desktop|LogPixels";
const std::string kWin8DpiScaling = "Control Panel\\Desktop|Win8DpiScaling";
const std::string kDisableRegistryTools =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System|DisableRegistryTools";

void Log(const std::string& event) {
  std::lock_guard<std::mutex> lock(eventsLock);
  events.push_back(event);
}

std::vector<std::string> Events() {
  std::lock_guard<std::mutex> lock(eventsLock);
  return events;
}

std::string SystemPath(const char* program) {
  char directory[MAX_PATH];
  UINT length = ::GetSystemDirectoryA(directory, MAX_PATH);
  return std::string(directory, length) + "\\" + program;
}

BOOL WINAPI StandInCreateProcess(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                                 BOOL, DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION info) {
  int code;
  {
    std::lock_guard<std::mutex> lock(eventsLock);
    events.push_back(std::string("run ") + (application ? application : "(none)") + " | " + commandLine);
    code = launchCount < exitCodes.size() ? exitCodes[launchCount] : 0;
    ++launchCount;
    const std::string line = commandLine;
    const size_t name = line.find("/v "), data = line.find("/d ");
    if (code == 0 && standInWrites && name != std::string::npos && data != std::string::npos) {
      fakeRegistry["Control Panel\\Desktop|" + line.substr(name + 3, line.find(' ', name + 3) - name - 3)] =
          std::stoul(line.substr(data + 3));
    }
  }
  if (code < 0) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;  // as if the program could not be started
  }
  std::string standIn = "cmd.exe /c exit " + std::to_string(code);
  std::string cmd = SystemPath("cmd.exe");
  return ::CreateProcessA(cmd.c_str(), standIn.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          startup, info);
}

DWORD WINAPI RecordingWait(HANDLE handle, DWORD timeout) {
  DWORD result = ::WaitForSingleObject(handle, timeout);
  Log(result == WAIT_OBJECT_0 ? "ended" : "still running");
  return result;
}

std::string Ascii(LPCWSTR text) {
  std::string out;
  for (; text != nullptr && *text != L'\0'; ++text) out += static_cast<char>(*text);
  return out;
}

LSTATUS WINAPI FakeRegGetValue(HKEY root, LPCWSTR subKey, LPCWSTR value, DWORD flags, LPDWORD type, PVOID data,
                               LPDWORD size) {
  EXPECT_EQ(root, HKEY_CURRENT_USER);
  EXPECT_EQ(flags, static_cast<DWORD>(RRF_RT_REG_DWORD));
  const std::string name = Ascii(value);
  Log("read " + name);
  std::lock_guard<std::mutex> lock(eventsLock);
  const auto it = fakeRegistry.find(Ascii(subKey) + "|" + name);
  if (it == fakeRegistry.end()) return ERROR_FILE_NOT_FOUND;
  if (type != nullptr) *type = REG_DWORD;
  if (data == nullptr || size == nullptr || *size < sizeof(DWORD)) return ERROR_MORE_DATA;
  *static_cast<DWORD*>(data) = it->second;
  *size = sizeof(DWORD);
  return ERROR_SUCCESS;
}

VOID WINAPI RecordingSleep(DWORD milliseconds) { Log("pause " + std::to_string(milliseconds)); }

int exitWindowsCalls = 0;
UINT exitWindowsFlags = 0;
BOOL exitWindowsAnswer = FALSE;
BOOL WINAPI RecordingExitWindows(UINT flags, DWORD reason) {
  ++exitWindowsCalls;
  exitWindowsFlags = flags;
  EXPECT_EQ(reason, 0u);
  return exitWindowsAnswer;
}

bool shiftDown = false;
SHORT WINAPI FakeKeyState(int key) { return key == VK_SHIFT && shiftDown ? static_cast<SHORT>(0x8000) : 0; }

// What a screen reader is told: the window and its text at that moment.
std::vector<std::pair<HWND, std::wstring>> announced;
void WINAPI RecordingNotifyWinEvent(DWORD event, HWND hwnd, LONG object, LONG child) {
  EXPECT_EQ(object, OBJID_CLIENT);
  EXPECT_EQ(child, CHILDID_SELF);
  if (event != EVENT_OBJECT_NAMECHANGE) return;
  wchar_t text[128] = L"";
  ::GetWindowTextW(hwnd, text, 128);
  std::lock_guard<std::mutex> lock(eventsLock);
  announced.emplace_back(hwnd, text);
}

class AppFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowServiceForTesting();
    state() = ToolState{};
    events.clear();
    exitCodes.clear();
    launchCount = 0;
    standInWrites = true;
    fakeRegistry.clear();
    exitWindowsCalls = 0;
    OpenTool();
    events.clear();  // start-up reads the stored scaling for the badges: no part of any Apply
  }
  void TearDown() override {
    PumpUntil([] { return !state().applying; }, 10000);
    ResetWindowServiceForTesting();
  }

  static void Click(ControlRef button) { ::SendMessageW(WindowHandle(button), BM_CLICK, 0, 0); }
  // A key as the message loop sees it, at the focused window (or the main window without one).
  static bool Key(WPARAM key, bool shift = false) {
    shiftDown = shift;
    HWND target = ::GetFocus() != nullptr ? ::GetFocus() : WindowHandle(MainWindow);
    MSG message{target, WM_KEYDOWN, key, 0, 0, {}};
    return HandleWindowKeys(message);
  }
  static bool FocusCuesHidden() {
    return (::SendMessageW(WindowHandle(MainWindow), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
  }
  static HWND Radio(std::int32_t id) { return WindowHandle({kMainWindowId, id}); }
  static bool Notice(const char* text) {
    return IsWindowLoaded(OverlayWindow) && GetControlProperty(NoticeLabel, kPropVisible).Flag() &&
           GetControlProperty(NoticeLabel, kPropCaption).Text() == text;
  }
  static skin::SkinImage Background() {
    return reinterpret_cast<skin::SkinImage>(::GetPropA(WindowHandle(MainWindow), "PngControl_BackImage"));
  }

  api::ScopedOverride<api::types::CreateProcessA_t> createProcess{api::CreateProcessA, &StandInCreateProcess};
  api::ScopedOverride<api::types::WaitForSingleObject_t> wait{api::WaitForSingleObject, &RecordingWait};
  api::ScopedOverride<api::types::Sleep_t> sleep{api::Sleep, &RecordingSleep};
  api::ScopedOverride<api::types::ExitWindowsEx_t> exitWindows{api::ExitWindowsEx, &RecordingExitWindows};
  api::ScopedOverride<api::types::RegGetValueW_t> regGetValue{api::RegGetValueW, &FakeRegGetValue};
  api::ScopedOverride<api::types::GetKeyState_t> keyState{api::GetKeyState, &FakeKeyState};
};

TEST_F(AppFlowTest, StartUpShowsTheReadyState) {
  EXPECT_TRUE(IsWindowLoaded(OverlayWindow));
  EXPECT_EQ(state().levelFlags, (LevelFlags{1, 0, 0, 0, 0}));
  EXPECT_EQ(GetControlProperty(RefreshTimer, kPropTimerPeriod).Number(), 1000);
  EXPECT_TRUE(GetControlProperty(LogOffButton, kPropDisabled).Flag());
  EXPECT_FALSE(GetControlProperty(NoticeLabel, kPropVisible).Flag());
  EXPECT_TRUE(GetControlProperty(VersionLabel, kPropVisible).Flag());
  EXPECT_EQ(Background(), Picture(resources::IntroBackground()));
  HWND overlay = WindowHandle(OverlayWindow);
  EXPECT_EQ(::GetWindow(overlay, GW_OWNER), WindowHandle(MainWindow));
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(::GetLayeredWindowAttributes(overlay, &key, &alpha, &flags));
  EXPECT_EQ(key, RGB(120, 120, 120));
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY));
}

TEST_F(AppFlowTest, TheMainWindowIsActiveAfterStartUpAndOffersMinimise) {
  HWND main = WindowHandle(MainWindow);
  EXPECT_EQ(::GetActiveWindow(), main) << "Esc right after start-up must reach the main window";
  const LONG style = ::GetWindowLongA(main, GWL_STYLE);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_SYSMENU), WS_MINIMIZEBOX | WS_SYSMENU) << "the taskbar can minimise it";
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
  const LONG exStyle = ::GetWindowLongA(main, GWL_EXSTYLE);
  EXPECT_EQ(exStyle & (WS_EX_LAYERED | WS_EX_APPWINDOW), WS_EX_LAYERED | WS_EX_APPWINDOW)
      << "made a layered form without losing its taskbar button";
  EXPECT_EQ(::GetWindowLongA(WindowHandle(OverlayWindow), GWL_STYLE) & (WS_MINIMIZEBOX | WS_SYSMENU), 0);
}

// What the window system is asked to do with the tool's two windows while they come up, in order.
std::vector<std::string> windowCalls;
bool IsToolWindow(HWND hwnd) {
  wchar_t className[32] = {};
  ::GetClassNameW(hwnd, className, 32);
  return std::wstring(className) == L"QuorlinForm";
}
HWND WINAPI RecordingCreateWindow(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int w,
                                  int h, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  // Recorded before the call: the created event runs inside it.
  const bool tool = std::wstring(className) == L"QuorlinForm";
  if (tool)
    windowCalls.push_back(std::string("create") + ((exStyle & WS_EX_LAYERED) ? " layered" : " plain") +
                          (parent != nullptr ? " owned" : ""));
  return ::CreateWindowExW(exStyle, className, title, style, x, y, w, h, parent, menu, instance, param);
}
BOOL WINAPI RecordingShowWindow(HWND hwnd, int command) {
  if (IsToolWindow(hwnd))
    windowCalls.push_back((::GetWindow(hwnd, GW_OWNER) ? "show owned " : "show ") + std::to_string(command));
  return ::ShowWindow(hwnd, command);
}
BOOL WINAPI RecordingKey(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags) {
  windowCalls.push_back("key");
  return ::SetLayeredWindowAttributes(hwnd, key, alpha, flags);
}
BOOL WINAPI RecordingMove(HWND hwnd, int x, int y, int w, int h, BOOL repaint) {
  if (::GetWindow(hwnd, GW_OWNER) != nullptr)
    windowCalls.push_back("place owned " + std::to_string(x) + "," + std::to_string(y));
  return ::MoveWindow(hwnd, x, y, w, h, repaint);
}

TEST_F(AppFlowTest, WindowsAreLayeredFromTheStartAndTheOverlayIsReadyBeforeItShows) {
  ResetWindowServiceForTesting();
  state() = ToolState{};
  windowCalls.clear();
  {
    api::ScopedOverride<api::types::CreateWindowExW_t> create{api::CreateWindowExW, &RecordingCreateWindow};
    api::ScopedOverride<api::types::ShowWindow_t> show{api::ShowWindow, &RecordingShowWindow};
    api::ScopedOverride<api::types::SetLayeredWindowAttributes_t> key{api::SetLayeredWindowAttributes,
                                                                      &RecordingKey};
    OpenTool();
  }
  // Both windows are shown once set up: the main window with its first picture, the overlay keyed
  // and without taking activation from the main window.
  const std::vector<std::string> startUp = {"create layered", "create layered owned", "key", "show owned 8",
                                            "show 5"};
  EXPECT_EQ(windowCalls, startUp);

  // Reopened after the user closed it and dragged the main window: keyed and in place first.
  CloseWindow(OverlayWindow, true);
  PlaceWindow(MainWindow, 100, 70);
  windowCalls.clear();
  {
    api::ScopedOverride<api::types::CreateWindowExW_t> create{api::CreateWindowExW, &RecordingCreateWindow};
    api::ScopedOverride<api::types::ShowWindow_t> show{api::ShowWindow, &RecordingShowWindow};
    api::ScopedOverride<api::types::SetLayeredWindowAttributes_t> key{api::SetLayeredWindowAttributes,
                                                                      &RecordingKey};
    api::ScopedOverride<api::types::MoveWindow_t> move{api::MoveWindow, &RecordingMove};
    state().wasMinimized = true;  // as the first move after a restore finds it
    OnMainMoved();
  }
  const std::vector<std::string> reopened = {"create layered owned", "key", "place owned 100,70", "show owned 8"};
  EXPECT_EQ(windowCalls, reopened);
  EXPECT_EQ(::GetActiveWindow(), WindowHandle(MainWindow));
}

BOOL WINAPI DifferentSids(PSID, PSID) { return FALSE; }
HWND WINAPI NoShellWindow() { return nullptr; }
// Wine has no shell window; its desktop window belongs to another process of the same user.
HWND WINAPI DesktopAsShell() { return ::GetDesktopWindow(); }
HANDLE WINAPI RefusedOpenProcess(DWORD, BOOL, DWORD) {
  ::SetLastError(ERROR_ACCESS_DENIED);
  return nullptr;
}

TEST_F(AppFlowTest, StartedAsAnotherUserThanTheShellsItWritesNothing) {
  struct Case {
    const char* what;
    bool otherUser;
    std::function<void()> fake;
  };
  std::optional<api::ScopedOverride<api::types::EqualSid_t>> sids;
  std::optional<api::ScopedOverride<api::types::GetShellWindow_t>> shell;
  std::optional<api::ScopedOverride<api::types::OpenProcess_t>> open;
  const Case cases[] = {
      {"the same user's shell", false, [&] { shell.emplace(api::GetShellWindow, &DesktopAsShell); }},
      {"another user's shell", true,
       [&] {
         shell.emplace(api::GetShellWindow, &DesktopAsShell);
         sids.emplace(api::EqualSid, &DifferentSids);
       }},
      {"a shell this user may not ask about", true,
       [&] {
         shell.emplace(api::GetShellWindow, &DesktopAsShell);
         open.emplace(api::OpenProcess, &RefusedOpenProcess);
       }},
      {"no shell window", false, [&] { shell.emplace(api::GetShellWindow, &NoShellWindow); }},
  };
  for (const Case& c : cases) {
    ResetWindowServiceForTesting();
    state() = ToolState{};
    launchCount = 0;
    c.fake();
    OpenTool();
    sids.reset();
    shell.reset();
    open.reset();
    EXPECT_EQ(state().otherUser, c.otherUser) << c.what;
    EXPECT_EQ(GetControlProperty(ApplyButton, kPropDisabled).Flag(), c.otherUser) << c.what;
    EXPECT_EQ(Notice(kOtherUserText), c.otherUser) << c.what;
    if (!c.otherUser) continue;
    Click(ApplyButton);
    OnApplyClick();  // even called directly
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(launchCount, 0u) << c.what << ": nothing is written for the wrong user";
    ::ShowWindow(WindowHandle(MainWindow), SW_MINIMIZE);
    ::ShowWindow(WindowHandle(MainWindow), SW_RESTORE);
    EXPECT_TRUE(Notice(kOtherUserText)) << c.what << ": still said after a restore";
    EXPECT_TRUE(GetControlProperty(ApplyButton, kPropDisabled).Flag()) << c.what;
  }
}

TEST_F(AppFlowTest, ApplyAt150RunsBothCommandsInTurnAndEndsInTheDoneState) {
  Click({kMainWindowId, kRadio150});
  EXPECT_EQ(state().levelFlags, (LevelFlags{0, 0, 1, 0, 0}));
  Click(ApplyButton);
  ASSERT_TRUE(PumpUntil([] { return state().applied; }, 10000));
  const std::string reg = SystemPath("reg.exe");
  std::vector<std::string> expected = {
      "run " + reg + " | reg.exe add \"HKCU\\Control Panel\\Desktop\" /v LogPixels /t REG_DWORD /d 144 /f",
      "ended",
      "run " + reg + " | reg.exe add \"HKCU\\Control Panel\\Desktop\" /v Win8DpiScaling /t REG_DWORD /d 1 /f",
      "ended",
      "read LogPixels",
      "read Win8DpiScaling",
      "pause 2000",
      "read LogPixels",  // the done state's badges
  };
  EXPECT_EQ(Events(), expected) << "both values are read back before the done state";

  EXPECT_EQ(WindowHandle(ApplyButton), nullptr) << "the Apply button window is closed";
  EXPECT_FALSE(GetControlProperty(LogOffButton, kPropDisabled).Flag());
  EXPECT_EQ(GetControlProperty(LogOffButton, kPropLeft).Number(), 552);
  EXPECT_EQ(GetControlProperty(LogOffButton, kPropTop).Number(), 437);
  EXPECT_EQ(::GetPropA(WindowHandle(LogOffButton), "PngControl_NormalImage"), Picture(resources::LogOffNormal()));
  EXPECT_TRUE(Notice(kNoticeText));
  EXPECT_FALSE(GetControlProperty(ProgressBox, kPropVisible).Flag());
  EXPECT_EQ(Background(), Picture(resources::DoneBackground()));
  EXPECT_TRUE(PumpUntil([] { return !state().applying; })) << "the worker's last step ends the Apply";
}

TEST_F(AppFlowTest, TheStripRunsAcrossTheWindowWhileTheCommandsRun) {
  exitCodes = {0, 0};
  // Hold the first command until the strip has been checked.
  static HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ::ResetEvent(release);
  struct Hold {
    static DWORD WINAPI Wait(HANDLE handle, DWORD timeout) {
      ::WaitForSingleObject(release, 10000);
      return RecordingWait(handle, timeout);
    }
  };
  api::ScopedOverride<api::types::WaitForSingleObject_t> hold{api::WaitForSingleObject, &Hold::Wait};
  Click(ApplyButton);
  ASSERT_TRUE(PumpUntil([] { return launchCount == 1; }));
  EXPECT_TRUE(GetControlProperty(ProgressBox, kPropVisible).Flag());
  EXPECT_EQ(GetControlProperty(ProgressBox, kPropLeft).Number(), 0);
  EXPECT_EQ(GetControlProperty(ProgressBox, kPropTop).Number(), 349);
  EXPECT_EQ(GetControlProperty(ProgressBox, kPropWidth).Number(), 800);
  EXPECT_EQ(GetControlProperty(ProgressBox, kPropHeight).Number(), 6);
  EXPECT_EQ(GetControlProperty(RefreshTimer, kPropTimerPeriod).Number(), 10);
  EXPECT_TRUE(GetControlProperty(ApplyButton, kPropDisabled).Flag());
  // The window thread keeps working while reg.exe runs: a radio still reacts, but the level was read.
  Click({kMainWindowId, kRadio250});
  EXPECT_EQ(state().levelFlags, (LevelFlags{0, 0, 0, 0, 1}));
  ::SetEvent(release);
  ASSERT_TRUE(PumpUntil([] { return state().applied; }, 10000));
  EXPECT_NE(Events()[0].find("/d 96 /f"), std::string::npos) << "the level at the time of reading";
}

TEST_F(AppFlowTest, AHangingRegExeLeavesTheWindowResponsiveAndTheToolClosable) {
  static HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ::ResetEvent(release);
  struct Hang {
    static DWORD WINAPI Wait(HANDLE handle, DWORD timeout) {
      ::WaitForSingleObject(release, 20000);  // reg.exe "hangs" until the test lets it go
      return RecordingWait(handle, timeout);
    }
  };
  api::ScopedOverride<api::types::WaitForSingleObject_t> hang{api::WaitForSingleObject, &Hang::Wait};
  Click(ApplyButton);
  ASSERT_TRUE(PumpUntil([] { return launchCount == 1; }));
  Click({kMainWindowId, kRadio200});
  EXPECT_EQ(state().levelFlags, (LevelFlags{0, 0, 0, 1, 0})) << "the radios still react";
  PlaceWindow(MainWindow, 60, 40);
  RECT overlay;
  ::GetWindowRect(WindowHandle(OverlayWindow), &overlay);
  EXPECT_EQ(overlay.left, 60) << "the overlay still follows";
  OnClose();
  EXPECT_TRUE(PumpUntil([] { return !IsWindowLoaded(MainWindow); }));
  ::SetEvent(release);  // reg.exe ends after the tool's window is gone
  EXPECT_TRUE(PumpUntil([] { return !state().applying; }, 10000))
      << "the worker finishes without touching the closed windows";
  EXPECT_FALSE(state().applied);
  EXPECT_EQ(launchCount, 1u) << "once the tool is closed no further command runs";
}

TEST_F(AppFlowTest, ClosingTheToolBeforeTheLevelIsReadWritesNothing) {
  Click(ApplyButton);
  CloseWindow(MainWindow, true);  // before the worker's first step reaches the window thread
  ASSERT_TRUE(PumpUntil([] { return !state().applying; }, 10000));
  EXPECT_EQ(launchCount, 0u) << "no Win8DpiScaling line without its LogPixels line";
}

TEST_F(AppFlowTest, AFailingCommandLeadsBackToApplyWithAFailureNotice) {
  exitCodes = {5};
  Click(ApplyButton);
  ASSERT_TRUE(PumpUntil([] { return Notice(kFailureText); }, 10000));
  PumpUntil([] { return !state().applying; });
  EXPECT_FALSE(state().applied);
  EXPECT_EQ(launchCount, 1u) << "the second command does not run after the first failed";
  EXPECT_FALSE(GetControlProperty(ApplyButton, kPropDisabled).Flag()) << "the user can retry";
  EXPECT_TRUE(GetControlProperty(LogOffButton, kPropDisabled).Flag()) << "no log-off is offered";
  EXPECT_FALSE(GetControlProperty(ProgressBox, kPropVisible).Flag());
  EXPECT_EQ(Background(), Picture(resources::IntroBackground()));

  Click(ApplyButton);  // the retry succeeds
  ASSERT_TRUE(PumpUntil([] { return state().applied; }, 10000));
  EXPECT_EQ(launchCount, 3u);
  EXPECT_TRUE(Notice(kNoticeText));
}

TEST_F(AppFlowTest, EveryRetryReusesTheOneStripObject) {
  exitCodes = {5, 5, 5, 0, 0};
  const auto strip = [] { return CartoonBoxFromHandle(WindowHandle(ProgressBox))->Scene(); };
  for (int attempt = 0; attempt < 3; ++attempt) {
    Click(ApplyButton);
    ASSERT_TRUE(PumpUntil([] { return !state().applying; }, 10000));
    ASSERT_TRUE(Notice(kFailureText));
    ASSERT_EQ(strip().Objects().size(), 1u) << "after attempt " << attempt;
    EXPECT_FALSE(strip().Objects()[0].visible) << "a retry shows no strip before it starts it again";
  }
  Click(ApplyButton);
  ASSERT_TRUE(PumpUntil([] { return state().applied; }, 10000));
  EXPECT_EQ(strip().Objects().size(), 1u);
}

HANDLE WINAPI RefusingCreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD) {
  ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return nullptr;
}

TEST_F(AppFlowTest, AWorkerThatCannotStartLeavesApplyUsable) {
  {
    api::ScopedOverride<api::types::CreateThread_t> refuse{api::CreateThread, &RefusingCreateThread};
    Click(ApplyButton);
  }
  EXPECT_TRUE(Notice(kFailureText));
  EXPECT_FALSE(GetControlProperty(ApplyButton, kPropDisabled).Flag()) << "no dead end";
  EXPECT_FALSE(state().applying);
  Click(ApplyButton);  // a later try starts its worker
  ASSERT_TRUE(PumpUntil([] { return state().applied; }, 10000));
  EXPECT_EQ(launchCount, 2u);
}

// Each hand-off of the worker to the window thread; a restore (minimise, then restore) is put in
// front of hand-off number `restoreBefore`.
int handOffs = 0;
int restoreBefore = -1;
api::ScopedOverride<api::types::SendMessageW_t>* handOffOverride = nullptr;
bool IsHandOffWindow(HWND hwnd) {
  wchar_t className[32] = {};
  ::GetClassNameW(hwnd, className, 32);
  return std::wstring(className) == L"QuorlinWindowThread";
}
LRESULT WINAPI RestoringSend(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!OnWindowThread() && IsHandOffWindow(hwnd) && handOffs++ == restoreBefore) {
    const std::function<void()> restore = [] {
      if (!IsWindowLoaded(MainWindow)) return;
      ::ShowWindow(WindowHandle(MainWindow), SW_MINIMIZE);
      ::ShowWindow(WindowHandle(MainWindow), SW_RESTORE);
    };
    handOffOverride->Previous()(hwnd, message, 0, reinterpret_cast<LPARAM>(&restore));
  }
  return handOffOverride->Previous()(hwnd, message, wParam, lParam);
}

TEST_F(AppFlowTest, ARestoreBetweenAnyTwoStepsOfApplyEndsInTheDoneState) {
  api::ScopedOverride<api::types::SendMessageW_t> send{api::SendMessageW, &RestoringSend};
  handOffOverride = &send;
  handOffs = 0;
  restoreBefore = -1;
  Click(ApplyButton);
  ASSERT_TRUE(PumpUntil([] { return !state().applying; }, 10000));
  const int steps = handOffs;
  ASSERT_GT(steps, 5);
  for (restoreBefore = 0; restoreBefore <= steps; ++restoreBefore) {
    ResetWindowServiceForTesting();
    state() = ToolState{};
    launchCount = 0;
    OpenTool();
    handOffs = 0;
    Click(ApplyButton);
    ASSERT_TRUE(PumpUntil([] { return !state().applying; }, 10000)) << "restore before step " << restoreBefore;
    PumpUntil([] { return false; }, 30);
    EXPECT_TRUE(state().applied) << "restore before step " << restoreBefore;
    EXPECT_EQ(Background(), Picture(resources::DoneBackground())) << "restore before step " << restoreBefore;
    EXPECT_EQ(WindowHandle(ApplyButton), nullptr) << "restore before step " << restoreBefore;
    EXPECT_FALSE(GetControlProperty(LogOffButton, kPropDisabled).Flag()) << "restore before step " << restoreBefore;
    EXPECT_EQ(GetControlProperty(LogOffButton, kPropTop).Number(), 437) << "restore before step " << restoreBefore;
    EXPECT_TRUE(Notice(kNoticeText)) << "restore before step " << restoreBefore;
  }
}

TEST_F(AppFlowTest, AProgramThatCannotStartIsAFailureToo) {
  exitCodes = {0, -1};
  Click(ApplyButton);
  ASSERT_TRUE(PumpUntil([] { return Notice(kFailureText); }, 10000));
  EXPECT_EQ(launchCount, 2u);
  EXPECT_FALSE(state().applied);
}

TEST_F(AppFlowTest, ValuesThatDoNotReadBackAsWrittenAreAFailure) {
  const struct {
    const char* what;
    std::optional<DWORD> logPixels, win8DpiScaling;  // what the registry holds after both commands
  } cases[] = {
      {"exit code 0 but nothing written", std::nullopt, std::nullopt},
      {"LogPixels missing", std::nullopt, 1},
      {"LogPixels of another level", 96, 1},
      {"Win8DpiScaling missing", 144, std::nullopt},
      {"Win8DpiScaling 0", 144, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ResetWindowServiceForTesting();
    state() = ToolState{};
    OpenTool();
    Click({kMainWindowId, kRadio150});
    standInWrites = false;
    {
      std::lock_guard<std::mutex> lock(eventsLock);
      fakeRegistry.clear();
      if (c.logPixels) fakeRegistry[kLogPixels] = *c.logPixels;
      if (c.win8DpiScaling) fakeRegistry[kWin8DpiScaling] = *c.win8DpiScaling;
    }
    launchCount = 0;
    Click(ApplyButton);
    ASSERT_TRUE(PumpUntil([] { return Notice(kFailureText); }, 10000));
    PumpUntil([] { return !state().applying; });
    EXPECT_EQ(launchCount, 2u) << "both commands ran and reported success";
    EXPECT_FALSE(state().applied) << "no done state";
    EXPECT_FALSE(GetControlProperty(ApplyButton, kPropDisabled).Flag()) << "the user can retry";
    EXPECT_EQ(Background(), Picture(resources::IntroBackground()));
  }
}

TEST_F(AppFlowTest, AFailureWhileThePolicyForbidsRegistryChangesSaysSo) {
  const struct {
    std::optional<DWORD> policy;
    const char* notice;
  } cases[] = {
      {1, kPolicyBlockedText}, {2, kPolicyBlockedText}, {0, kFailureText}, {3, kFailureText}, {std::nullopt, kFailureText},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.policy ? std::to_string(*c.policy) : "no policy value");
    ResetWindowServiceForTesting();  // a fresh tool: no notice left from the case before
    state() = ToolState{};
    OpenTool();
    {
      std::lock_guard<std::mutex> lock(eventsLock);
      fakeRegistry.erase(kDisableRegistryTools);
      if (c.policy) fakeRegistry[kDisableRegistryTools] = *c.policy;
    }
    exitCodes = {1};  // reg.exe refuses, as it does under the policy
    launchCount = 0;
    Click(ApplyButton);
    ASSERT_TRUE(PumpUntil([&c] { return Notice(c.notice); }, 10000));
    PumpUntil([] { return !state().applying; });
    EXPECT_FALSE(state().applied);
    EXPECT_EQ(launchCount, 1u);
    EXPECT_FALSE(GetControlProperty(ApplyButton, kPropDisabled).Flag());
  }
  // The policy is only read to explain a failure: the registry is still written through reg.exe,
  // and a write that works (the policy lifted meanwhile) ends in the done state.
  exitCodes.clear();
  launchCount = 0;
  Click(ApplyButton);
  ASSERT_TRUE(PumpUntil([] { return state().applied; }, 10000));
  EXPECT_EQ(launchCount, 2u);
}

std::vector<UINT> terminatedCodes;
BOOL WINAPI RecordingTerminate(HANDLE process, UINT code) {
  terminatedCodes.push_back(code);
  return ::TerminateProcess(process, code);
}

TEST_F(AppFlowTest, ARegExeThatNeverEndsIsEndedAndCountsAsAFailure) {
  struct NeverEnds {
    // The command's own wait runs out; the short wait after the end is answered for real.
    static DWORD WINAPI Wait(HANDLE handle, DWORD timeout) {
      if (timeout == kSystemCommandTimeoutMs) {
        Log("still running");
        return WAIT_TIMEOUT;
      }
      return RecordingWait(handle, timeout);
    }
  };
  terminatedCodes.clear();
  api::ScopedOverride<api::types::WaitForSingleObject_t> never{api::WaitForSingleObject, &NeverEnds::Wait};
  api::ScopedOverride<api::types::TerminateProcess_t> terminate{api::TerminateProcess, &RecordingTerminate};
  Click(ApplyButton);
  ASSERT_TRUE(PumpUntil([] { return Notice(kFailureText); }, 10000));
  PumpUntil([] { return !state().applying; });
  EXPECT_EQ(terminatedCodes.size(), 1u) << "the hanging reg.exe is ended";
  EXPECT_EQ(launchCount, 1u) << "the second command does not run";
  EXPECT_FALSE(state().applied);
  EXPECT_FALSE(GetControlProperty(ApplyButton, kPropDisabled).Flag()) << "Apply is usable again";
  EXPECT_FALSE(GetControlProperty(ProgressBox, kPropVisible).Flag()) << "the strip is gone";
}

TEST_F(AppFlowTest, RapidClicksOnApplyStartOneWorker) {
  Click(ApplyButton);
  Click(ApplyButton);
  Click(ApplyButton);
  ASSERT_TRUE(PumpUntil([] { return state().applied; }, 10000));
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(launchCount, 2u);
}

TEST_F(AppFlowTest, ApplyAfterTheOverlayWasClosedOpensItAgainOnTheMovedMainWindow) {
  CloseWindow(OverlayWindow, true);
  ASSERT_FALSE(IsWindowLoaded(OverlayWindow));
  PlaceWindow(MainWindow, 100, 70);  // dragged while the overlay was closed
  Click(ApplyButton);
  ASSERT_TRUE(PumpUntil([] { return state().applied; }, 10000));
  ASSERT_TRUE(IsWindowLoaded(OverlayWindow));
  EXPECT_TRUE(Notice(kNoticeText));
  EXPECT_EQ(::GetActiveWindow(), WindowHandle(MainWindow)) << "the reopened overlay took no activation";
  RECT mainRect, overlayRect;
  ::GetWindowRect(WindowHandle(MainWindow), &mainRect);
  ::GetWindowRect(WindowHandle(OverlayWindow), &overlayRect);
  EXPECT_EQ(overlayRect.left, 100);
  EXPECT_EQ(overlayRect.top, 70);
  EXPECT_EQ(overlayRect.right, mainRect.right);
  EXPECT_EQ(overlayRect.bottom, mainRect.bottom);
}

TEST_F(AppFlowTest, TheHiddenStripCostsNoTicksInTheDoneState) {
  Click(ApplyButton);
  ASSERT_TRUE(PumpUntil([] { return state().applied; }, 10000));
  const HWND box = WindowHandle(ProgressBox);
  ASSERT_NE(box, nullptr);
  ASSERT_FALSE(::IsWindowVisible(box));
  PumpUntil([] { return false; }, 50);
  ::Sleep(40);  // several periods of the box's 5 ms timer
  MSG message;
  EXPECT_FALSE(::PeekMessageW(&message, box, WM_TIMER, WM_TIMER, PM_NOREMOVE))
      << "the strip loops on in a box nobody sees";
}

TEST_F(AppFlowTest, ARestoreAfterTheDoneStateKeepsIt) {
  Click(ApplyButton);
  ASSERT_TRUE(PumpUntil([] { return state().applied; }, 10000));
  state().wasMinimized = true;  // as the move that follows a restore finds it
  OnMainMoved();
  EXPECT_EQ(Background(), Picture(resources::DoneBackground()));
  EXPECT_FALSE(GetControlProperty(LogOffButton, kPropDisabled).Flag());
  EXPECT_TRUE(Notice(kNoticeText));
  EXPECT_EQ(state().levelFlags, (LevelFlags{1, 0, 0, 0, 0}));
}

int CountOverlays() {
  struct Counter {
    HWND owner;
    int count = 0;
    static BOOL CALLBACK Visit(HWND hwnd, LPARAM lParam) {
      auto* self = reinterpret_cast<Counter*>(lParam);
      if (::GetWindow(hwnd, GW_OWNER) == self->owner) ++self->count;
      return TRUE;
    }
  } counter{WindowHandle(MainWindow)};
  ::EnumThreadWindows(::GetCurrentThreadId(), &Counter::Visit, reinterpret_cast<LPARAM>(&counter));
  return counter.count;
}

TEST_F(AppFlowTest, MinimiseAndRestoreReinitialiseWithOneOverlay) {
  Click({kMainWindowId, kRadio250});
  HWND main = WindowHandle(MainWindow);
  for (int round = 0; round < 2; ++round) {
    ::ShowWindow(main, SW_MINIMIZE);
    ::ShowWindow(main, SW_RESTORE);
    PumpUntil([] { return false; }, 50);
  }
  EXPECT_EQ(state().levelFlags, (LevelFlags{1, 0, 0, 0, 0})) << "back to 100 %";
  EXPECT_EQ(CountOverlays(), 1);
  EXPECT_EQ(::GetActiveWindow(), main);
  RECT mainRect, overlayRect;
  ::GetWindowRect(main, &mainRect);
  ::GetWindowRect(WindowHandle(OverlayWindow), &overlayRect);
  EXPECT_EQ(mainRect.left, overlayRect.left);
  EXPECT_EQ(mainRect.top, overlayRect.top);
}

TEST_F(AppFlowTest, TheOverlayFollowsTheMainWindow) {
  PlaceWindow(MainWindow, 100, 70);
  RECT overlayRect;
  ::GetWindowRect(WindowHandle(OverlayWindow), &overlayRect);
  EXPECT_EQ(overlayRect.left, 100);
  EXPECT_EQ(overlayRect.top, 70);
  EXPECT_EQ(overlayRect.right - overlayRect.left, 800);
}

TEST_F(AppFlowTest, LogOffForcesTheLogOffAndClosesEvenWhenRefused) {
  exitWindowsAnswer = FALSE;
  OnLogOffClick();
  EXPECT_EQ(exitWindowsCalls, 1);
  EXPECT_EQ(exitWindowsFlags, static_cast<UINT>(EWX_LOGOFF | EWX_FORCE));
  EXPECT_TRUE(IsWindowLoaded(MainWindow)) << "the close is deferred";
  PumpUntil([] { return !IsWindowLoaded(MainWindow); });
  EXPECT_FALSE(IsWindowLoaded(MainWindow));
  EXPECT_FALSE(IsWindowLoaded(OverlayWindow));
}

std::vector<std::string> startCalls;
BOOL WINAPI RecordingSetDefaultDllDirectories(DWORD flags) {
  startCalls.push_back("search " + std::to_string(flags));
  return TRUE;
}
api::types::CreateWindowExA_t realCreateWindowExA = nullptr;
api::types::CreateWindowExW_t realCreateWindowExW = nullptr;
HWND WINAPI RecordingCreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int w,
                                     int h, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  startCalls.push_back("window");
  return realCreateWindowExA(exStyle, className, title, style, x, y, w, h, parent, menu, instance, param);
}
HWND WINAPI RecordingCreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int w,
                                     int h, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  startCalls.push_back("window");
  return realCreateWindowExW(exStyle, className, title, style, x, y, w, h, parent, menu, instance, param);
}

TEST_F(AppFlowTest, TheStartLimitsTheDllSearchBeforeAnyWindowExists) {
  ResetWindowServiceForTesting();
  state() = ToolState{};
  startCalls.clear();
  api::ScopedOverride search(api::SetDefaultDllDirectories, &RecordingSetDefaultDllDirectories);
  api::ScopedOverride createA(api::CreateWindowExA, &RecordingCreateWindowExA);
  api::ScopedOverride createW(api::CreateWindowExW, &RecordingCreateWindowExW);
  realCreateWindowExA = createA.Previous();
  realCreateWindowExW = createW.Previous();
  StartTool();
  ASSERT_TRUE(IsWindowLoaded(MainWindow));
  ASSERT_GE(startCalls.size(), 2u);
  EXPECT_EQ(startCalls[0], "search " + std::to_string(LOAD_LIBRARY_SEARCH_SYSTEM32))
      << "the search is limited first, with the system directory only";
  EXPECT_EQ(std::count(startCalls.begin(), startCalls.end(), startCalls[0]), 1);
  EXPECT_EQ(startCalls[1], "window");
}

// Read in the process itself, where the text passes through every procedure of the window: names
// survive any ANSI code page (the tests run under 1252, which has none of these characters).
TEST_F(AppFlowTest, EveryControlIsNamedAndTheRadiosReportTheSelection) {
  const struct {
    ControlRef control;
    std::wstring name;
  } names[] = {
      {{kMainWindowId, kRadio100}, L"正常-100% (默认)"}, {{kMainWindowId, kRadio125}, L"中等-125%"},
      {{kMainWindowId, kRadio150}, L"较大-150%"},        {{kMainWindowId, kRadio200}, L"特大-200%"},
      {{kMainWindowId, kRadio250}, L"超大-250%"},        {ApplyButton, L"应用"},
      {LogOffButton, L"注销"},                           {CloseButton, L"关闭"},
      {VersionLabel, platform::Widen("版本号：V" QUORLIN_VERSION)},
  };
  for (const auto& n : names) {
    wchar_t text[64] = L"";
    ::GetWindowTextW(WindowHandle(n.control), text, 64);
    EXPECT_EQ(std::wstring(text), n.name);
  }
  const std::int32_t radios[] = {kRadio100, kRadio125, kRadio150, kRadio200, kRadio250};
  const auto checked = [&] {
    std::vector<int> result;
    for (std::int32_t id : radios) {
      EXPECT_EQ(::GetWindowLongW(Radio(id), GWL_STYLE) & BS_TYPEMASK, BS_RADIOBUTTON) << "the radio button's role";
      result.push_back(::SendMessageW(Radio(id), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
    }
    return result;
  };
  EXPECT_EQ(checked(), (std::vector<int>{1, 0, 0, 0, 0}));
  Click({kMainWindowId, kRadio250});
  EXPECT_EQ(checked(), (std::vector<int>{0, 0, 0, 0, 1}));
  ::ShowWindow(WindowHandle(MainWindow), SW_MINIMIZE);
  ::ShowWindow(WindowHandle(MainWindow), SW_RESTORE);
  EXPECT_EQ(checked(), (std::vector<int>{1, 0, 0, 0, 0})) << "the restore selects 100 % again";
}

TEST_F(AppFlowTest, TheKeyboardAloneChoosesTwoHundredPercentAppliesAndLogsOff) {
  EXPECT_TRUE(FocusCuesHidden()) << "no focus cue before the keyboard is used";
  ASSERT_TRUE(Key(VK_TAB));
  EXPECT_EQ(::GetFocus(), Radio(kRadio100)) << "the radios are entered at the selected one";
  EXPECT_FALSE(FocusCuesHidden());
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(Key(VK_RIGHT));
  EXPECT_EQ(::GetFocus(), Radio(kRadio200));
  EXPECT_EQ(state().levelFlags, (LevelFlags{0, 0, 0, 1, 0}));
  ASSERT_TRUE(Key(VK_RETURN)) << "Enter in the radios is Apply";
  ASSERT_TRUE(PumpUntil([] { return state().applied; }, 10000));
  const std::vector<std::string> log = Events();
  EXPECT_NE(std::find(log.begin(), log.end(),
                      "run " + SystemPath("reg.exe") +
                          " | reg.exe add \"HKCU\\Control Panel\\Desktop\" /v LogPixels /t REG_DWORD /d 192 /f"),
            log.end());

  // The done state: Log off stands in Apply's place, also for Tab and Enter; an Enter while no
  // control has the focus (Apply lost it when it was disabled) does not log off.
  ::SetFocus(nullptr);
  EXPECT_FALSE(Key(VK_RETURN));
  EXPECT_EQ(exitWindowsCalls, 0);
  ::SetFocus(Radio(kRadio200));
  ASSERT_TRUE(Key(VK_TAB));
  EXPECT_EQ(::GetFocus(), WindowHandle(LogOffButton));
  ASSERT_TRUE(Key(VK_TAB));
  EXPECT_EQ(::GetFocus(), WindowHandle(CloseButton));
  ASSERT_TRUE(Key(VK_TAB));
  EXPECT_EQ(::GetFocus(), Radio(kRadio200));
  ASSERT_TRUE(Key(VK_RETURN));
  EXPECT_EQ(exitWindowsCalls, 1) << "Enter in the radios is Log off now";
}

TEST_F(AppFlowTest, TabSkipsDisabledButtonsAndSpaceOrEnterActivateTheFocusedOne) {
  const auto tab = [](bool shift) {
    EXPECT_TRUE(Key(VK_TAB, shift));
    return ::GetFocus();
  };
  EXPECT_EQ(tab(true), WindowHandle(CloseButton)) << "Shift+Tab from nowhere: the last stop";
  EXPECT_EQ(tab(true), WindowHandle(ApplyButton)) << "the disabled Log off is skipped";
  EXPECT_EQ(tab(true), Radio(kRadio100));
  EXPECT_EQ(tab(false), WindowHandle(ApplyButton));
  EXPECT_EQ(tab(false), WindowHandle(CloseButton));
  EXPECT_EQ(tab(false), Radio(kRadio100)) << "round again";
  EXPECT_FALSE(Key(VK_F5)) << "other keys are the focused control's";

  // Space is the button's own key: the focused Apply starts, like a click.
  ASSERT_TRUE(Key(VK_TAB));
  HWND apply = WindowHandle(ApplyButton);
  ASSERT_EQ(::GetFocus(), apply);
  ::SendMessageW(apply, WM_KEYDOWN, VK_SPACE, 0);
  ::SendMessageW(apply, WM_KEYUP, VK_SPACE, 0);
  EXPECT_TRUE(state().applying);
  ASSERT_TRUE(PumpUntil([] { return state().applied; }, 10000));

  // Enter on the focused close glyph closes.
  ::SetFocus(WindowHandle(CloseButton));
  ASSERT_TRUE(Key(VK_RETURN));
  PumpUntil([] { return !IsWindowLoaded(MainWindow); });
  EXPECT_FALSE(IsWindowLoaded(MainWindow));
}

// A mouse user sees exactly the picture without any focus cue, though a click gives the radio the
// focus; the first Tab shows the ring, drawn around the focused control.
TEST_F(AppFlowTest, MouseClicksShowNoFocusRingTheKeyboardDoes) {
  skin::test::PresentRecorder presented;
  HWND main = WindowHandle(MainWindow);
  const auto picture = [&] {
    skin::ComposeForm(main);
    std::vector<skin::test::Argb> pixels;
    for (int y = 0; y < presented.height(); ++y)
      for (int x = 0; x < presented.width(); ++x) pixels.push_back(presented.Pixel(x, y));
    return pixels;
  };
  const std::vector<skin::test::Argb> before = picture();
  ASSERT_EQ(before.size(), 800u * 540u);
  for (std::int32_t id : {kRadio125, kRadio100}) {
    ::SendMessageW(Radio(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    ::SendMessageW(Radio(id), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  }
  EXPECT_EQ(state().levelFlags, (LevelFlags{1, 0, 0, 0, 0}));
  EXPECT_EQ(::GetFocus(), Radio(kRadio100)) << "the click gave the radio the focus";
  EXPECT_TRUE(before == picture()) << "the mouse-only picture is unchanged";

  ASSERT_TRUE(Key(VK_TAB));
  ASSERT_EQ(::GetFocus(), WindowHandle(ApplyButton));
  const std::vector<skin::test::Argb> after = picture();
  const auto at = [](const std::vector<skin::test::Argb>& p, int x, int y) { return p[y * 800 + x]; };
  EXPECT_EQ(at(after, 550, 435), 0xFFFFFFFFu) << "white ring around Apply (552, 437)";
  EXPECT_EQ(at(after, 549, 434), 0xFF000000u) << "edged with black";
  EXPECT_EQ(at(after, 600, 460), at(before, 600, 460)) << "Apply's own picture is untouched";
  EXPECT_EQ(at(after, 49, 411), at(before, 49, 411)) << "the radio has no ring any more";
}

TEST_F(AppFlowTest, EveryNoticeShownIsAnnouncedWithItsText) {
  announced.clear();
  api::ScopedOverride notify(api::NotifyWinEvent, &RecordingNotifyWinEvent);
  exitCodes = {5};
  Click(ApplyButton);
  ASSERT_TRUE(PumpUntil([] { return Notice(kFailureText); }, 10000));
  PumpUntil([] { return !state().applying; });
  Click(ApplyButton);  // the retry succeeds
  ASSERT_TRUE(PumpUntil([] { return state().applied; }, 10000));
  HWND notice = WindowHandle(NoticeLabel);
  std::lock_guard<std::mutex> lock(eventsLock);
  const std::vector<std::pair<HWND, std::wstring>> expected = {{notice, platform::Widen(kFailureText)},
                                                               {notice, platform::Widen(kNoticeText)}};
  EXPECT_EQ(announced, expected);
}

TEST_F(AppFlowTest, TheCloseGlyphClosesTheTool) {
  Click(CloseButton);
  PumpUntil([] { return !IsWindowLoaded(MainWindow); });
  EXPECT_FALSE(IsWindowLoaded(MainWindow));
}

TEST_F(AppFlowTest, TheTaskbarMenusMinimiseRestoreAndCloseWork) {
  HWND main = WindowHandle(MainWindow);
  ::SendMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(::IsIconic(main));
  ::SendMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(::IsIconic(main));
  ::SendMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  PumpUntil([] { return !IsWindowLoaded(MainWindow); });
  EXPECT_FALSE(IsWindowLoaded(MainWindow)) << "Close closes like Esc";
  EXPECT_FALSE(IsWindowLoaded(OverlayWindow));
}

// ---- The badges of the level in effect and the one waiting, and the warning ----

int sessionDpi = 96;
int WINAPI FakeDeviceCaps(HDC dc, int index) { return index == LOGPIXELSY ? sessionDpi : ::GetDeviceCaps(dc, index); }
BOOL WINAPI OneSmallDisplay(HDC, LPCRECT, MONITORENUMPROC visit, LPARAM data) {
  visit(reinterpret_cast<HMONITOR>(1), nullptr, nullptr, data);
  return TRUE;
}
BOOL WINAPI Laptop1366By768(HMONITOR, LPMONITORINFO info) {
  info->rcMonitor = {0, 0, 1366, 768};
  return TRUE;
}

// The level below whose caption the badge's picture box stands, checking that the static telling
// its text to screen readers is shown at the same place; nullopt when there is no badge.
std::optional<DpiLevel> BadgeLevel(skin::ImageResource picture, const wchar_t* text) {
  std::optional<POINT> drawnAt, textAt;
  for (HWND child = ::GetWindow(WindowHandle(MainWindow), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    POINT corner{rect.left, rect.top};
    ::ScreenToClient(WindowHandle(MainWindow), &corner);
    wchar_t caption[16] = {};
    ::GetWindowTextW(child, caption, 16);
    if (::GetPropA(child, "PngControl_BackImage") == Picture(picture)) drawnAt = corner;
    if (std::wstring(caption) == text && ::IsWindowVisible(child)) textAt = corner;
  }
  EXPECT_EQ(drawnAt.has_value(), textAt.has_value()) << "the static is in step with the badge";
  if (drawnAt && textAt) {
    EXPECT_TRUE(drawnAt->x == textAt->x && drawnAt->y == textAt->y);
  }
  for (const DpiLevelInfo& info : DpiLevels())
    if (drawnAt && BadgeSpotOf(info.level).left == drawnAt->x && BadgeSpotOf(info.level).top == drawnAt->y)
      return info.level;
  EXPECT_FALSE(drawnAt) << "a badge at no level's place";
  return std::nullopt;
}

TEST_F(AppFlowTest, BadgesMarkTheLevelInEffectAndTheOneWaitingForTheNextSignIn) {
  api::ScopedOverride<api::types::GetDeviceCaps_t> screen{api::GetDeviceCaps, &FakeDeviceCaps};
  using L = DpiLevel;
  const struct {
    int session;
    std::optional<DWORD> stored;
    std::optional<DpiLevel> current, waiting, waitingAfterApply150;
  } cases[] = {
      {96, std::nullopt, L::Percent100, std::nullopt, L::Percent150},
      {144, 96, L::Percent150, L::Percent100, std::nullopt},  // Apply at the level in effect: none waits
      {120, 168, L::Percent125, std::nullopt, L::Percent150},  // 175 % stored: none of the five
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.session) + " dpi in effect, stored " + std::to_string(c.stored.value_or(0)));
    ResetWindowServiceForTesting();
    state() = ToolState{};
    fakeRegistry.clear();
    if (c.stored) fakeRegistry[kLogPixels] = *c.stored;
    sessionDpi = c.session;
    OpenTool();
    EXPECT_EQ(BadgeLevel(resources::BadgeCurrent(), L"当前"), c.current);
    EXPECT_EQ(BadgeLevel(resources::BadgeWaiting(), L"待生效"), c.waiting);
    EXPECT_EQ(state().levelFlags, (LevelFlags{1, 0, 0, 0, 0})) << "100 % is selected whatever runs now";
    Click({kMainWindowId, kRadio150});
    Click(ApplyButton);
    ASSERT_TRUE(PumpUntil([] { return state().applied; }, 10000));
    EXPECT_EQ(BadgeLevel(resources::BadgeWaiting(), L"待生效"), c.waitingAfterApply150) << "after Apply";
    ASSERT_TRUE(PumpUntil([] { return !state().applying; }));
    state().wasMinimized = true;  // a restore reads both again
    OnMainMoved();
    EXPECT_EQ(BadgeLevel(resources::BadgeCurrent(), L"当前"), c.current) << "after a restore";
    EXPECT_EQ(BadgeLevel(resources::BadgeWaiting(), L"待生效"), c.waitingAfterApply150) << "after a restore";
  }
}

TEST_F(AppFlowTest, ALevelTooLargeForADisplayIsWarnedOfAsAdviceThatGivesWayToOtherNotices) {
  api::ScopedOverride<api::types::EnumDisplayMonitors_t> enumerate{api::EnumDisplayMonitors, &OneSmallDisplay};
  api::ScopedOverride<api::types::GetMonitorInfoW_t> info{api::GetMonitorInfoW, &Laptop1366By768};
  const ControlRef r125{kMainWindowId, kRadio125}, r150{kMainWindowId, kRadio150}, r250{kMainWindowId, kRadio250};
  ResetWindowServiceForTesting();
  state() = ToolState{};
  OpenTool();
  for (const auto& [radio, warned] : {std::pair{r150, true}, {r250, true}, {r125, false}, {r250, true}}) {
    Click(radio);
    EXPECT_EQ(Notice(kTooLargeText), warned) << radio.control;
    EXPECT_EQ(GetControlProperty(NoticeLabel, kPropVisible).Flag(), warned) << radio.control;
  }
  // Apply works with the warning up; a failure notice then stands whatever is selected.
  exitCodes = {5};
  Click(ApplyButton);
  ASSERT_TRUE(PumpUntil([] { return Notice(kFailureText); }, 10000));
  ASSERT_TRUE(PumpUntil([] { return !state().applying; }));
  Click(r125);
  Click(r150);
  EXPECT_TRUE(Notice(kFailureText));
  // The done notice stands too.
  exitCodes = {0, 0};
  Click(ApplyButton);
  ASSERT_TRUE(PumpUntil([] { return state().applied; }, 10000));
  Click(r250);
  EXPECT_TRUE(Notice(kNoticeText));

  // Another user than the one signed in is told so, whatever is selected.
  ResetWindowServiceForTesting();
  state() = ToolState{};
  {
    api::ScopedOverride<api::types::GetShellWindow_t> shell{api::GetShellWindow, &DesktopAsShell};
    api::ScopedOverride<api::types::EqualSid_t> sids{api::EqualSid, &DifferentSids};
    OpenTool();
  }
  Click(r250);
  EXPECT_TRUE(Notice(kOtherUserText));
}
}  // namespace
}  // namespace quorlin::app
