// winctl: drives and inspects another program's windows for the end-to-end tests.
// Runs in the same Wine prefix (session) as the program under test.
//
//   winctl list TITLE       the window titled TITLE and every top-level window of its process
//   winctl minimize TITLE   ShowWindow(SW_MINIMIZE) on the window titled TITLE
//   winctl restore TITLE    ShowWindow(SW_RESTORE)
//   winctl sysminimize TITLE  WM_SYSCOMMAND SC_MINIMIZE, as a taskbar button or a system menu sends
//   winctl sysrestore TITLE   WM_SYSCOMMAND SC_RESTORE
//   winctl close TITLE      posts WM_CLOSE
//
// Output: one line per window, "key=value" fields separated by spaces, text fields in UTF-8:
//   window hwnd=0x10050 pid=32 main=1 owner=0x0 visible=1 iconic=0 layered=1 minimizebox=1
//          sysmenu=1 active=1 x=240 y=130 w=800 h=540 class=... title=Quorlin
// (title is last and runs to the end of the line). Exit code 0 on success, 2 when no window has
// the title, 1 on a usage error.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const wchar_t* text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(static_cast<size_t>(n - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  return out;
}

void PrintWindow(HWND hwnd, HWND main) {
  wchar_t title[512] = L"";
  wchar_t cls[256] = L"";
  GetWindowTextW(hwnd, title, 512);
  GetClassNameW(hwnd, cls, 256);
  RECT r{};
  GetWindowRect(hwnd, &r);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  LONG ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
  LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  std::printf("window hwnd=%#lx pid=%lu main=%d owner=%#lx visible=%d iconic=%d layered=%d minimizebox=%d sysmenu=%d "
              "active=%d x=%ld y=%ld w=%ld h=%ld class=%s title=%s\n",
              static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(hwnd)), static_cast<unsigned long>(pid),
              hwnd == main ? 1 : 0,
              static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(GetWindow(hwnd, GW_OWNER))),
              IsWindowVisible(hwnd) ? 1 : 0, IsIconic(hwnd) ? 1 : 0, (ex & WS_EX_LAYERED) ? 1 : 0,
              (style & WS_MINIMIZEBOX) ? 1 : 0, (style & WS_SYSMENU) ? 1 : 0, GetForegroundWindow() == hwnd ? 1 : 0,
              r.left, r.top, r.right - r.left, r.bottom - r.top, Utf8(cls).c_str(), Utf8(title).c_str());
}

struct ProcessWindows {
  DWORD pid;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
  auto* found = reinterpret_cast<ProcessWindows*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == found->pid) found->windows.push_back(hwnd);
  return TRUE;
}

int List(HWND main) {
  ProcessWindows found{0, {}};
  GetWindowThreadProcessId(main, &found.pid);
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
  for (HWND hwnd : found.windows) PrintWindow(hwnd, main);
  return 0;
}

}  // namespace

int main() {
  // Wide arguments without -municode: titles need not be ASCII.
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 3) {
    std::fprintf(stderr, "usage: winctl list|minimize|restore|sysminimize|sysrestore|close TITLE\n");
    return 1;
  }
  const std::wstring command = argv[1];
  HWND main = FindWindowW(nullptr, argv[2]);
  if (!main) {
    std::printf("none title=%s\n", Utf8(argv[2]).c_str());
    return 2;
  }
  int rc = 0;
  if (command == L"list") {
    rc = List(main);
  } else if (command == L"minimize") {
    ShowWindow(main, SW_MINIMIZE);
    PrintWindow(main, main);
  } else if (command == L"restore") {
    ShowWindow(main, SW_RESTORE);
    PrintWindow(main, main);
  } else if (command == L"sysminimize" || command == L"sysrestore") {
    // Sent, not posted: the command has been carried out when winctl returns.
    SendMessageW(main, WM_SYSCOMMAND, command == L"sysminimize" ? SC_MINIMIZE : SC_RESTORE, 0);
    PrintWindow(main, main);
  } else if (command == L"close") {
    PostMessageW(main, WM_CLOSE, 0, 0);
  } else {
    std::fprintf(stderr, "winctl: unknown command\n");
    rc = 1;
  }
  std::fflush(stdout);
  return rc;
}
