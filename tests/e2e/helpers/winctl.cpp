// winctl: drives and inspects another program's windows for the end-to-end tests.
// Runs in the same Wine prefix (session) as the program under test.
//
//   winctl list TITLE       the window titled TITLE and every top-level window of its process
//   winctl minimize TITLE   ShowWindow(SW_MINIMIZE) on the window titled TITLE
//   winctl restore TITLE    ShowWindow(SW_RESTORE)
//   winctl sysminimize TITLE  WM_SYSCOMMAND SC_MINIMIZE, as a taskbar button or a system menu sends
//   winctl sysrestore TITLE   WM_SYSCOMMAND SC_RESTORE
//   winctl close TITLE      posts WM_CLOSE
//   winctl controls TITLE   every child window of the process's top-level windows, as a screen
//                           reader sees it: its text read with WM_GETTEXT through the window's own
//                           procedures, its button type, its checked state and, where the system
//                           has an accessibility proxy, the name, role and state that proxy reports
//
// Output: one line per window, "key=value" fields separated by spaces, text fields in UTF-8:
//   window hwnd=0x10050 pid=32 main=1 owner=0x0 visible=1 iconic=0 layered=1 minimizebox=1
//          sysmenu=1 active=1 x=240 y=130 w=800 h=540 class=... title=Quorlin
// (title is last and runs to the end of the line); for controls:
//   control hwnd=0x10060 parent=main id=101 class=Button type=radio checked=1 visible=1 enabled=1
//          role=45 state=0x10 accname=正常-100% (默认) name=正常-100% (默认)
// (role and state -1 and accname empty without a proxy; name is last). Exit code 0 on success, 2
// when no window has the title, 1 on a usage error.
#include <windows.h>
#include <oleacc.h>
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

const char* ButtonType(LONG style) {
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON: return "push";
    case BS_DEFPUSHBUTTON: return "defpush";
    case BS_RADIOBUTTON: return "radio";
    case BS_AUTORADIOBUTTON: return "autoradio";
    case BS_CHECKBOX: return "checkbox";
    case BS_OWNERDRAW: return "ownerdraw";
    default: return "other";
  }
}

// The client object's name, role and state from the system's accessibility proxy, if there is one.
struct Accessible {
  long role = -1;
  long state = -1;
  std::string name;
};

Accessible AccessibleOf(HWND hwnd) {
  Accessible result;
  using FromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
  static HMODULE oleacc = LoadLibraryW(L"oleacc.dll");
  static auto fromWindow =
      oleacc ? reinterpret_cast<FromWindow>(reinterpret_cast<void*>(GetProcAddress(oleacc, "AccessibleObjectFromWindow")))
             : nullptr;
  IAccessible* object = nullptr;
  if (!fromWindow || FAILED(fromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                       reinterpret_cast<void**>(&object))) || !object)
    return result;
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  if (SUCCEEDED(object->get_accName(self, &name)) && name) {
    result.name = Utf8(name);
    SysFreeString(name);
  }
  VARIANT value;
  VariantInit(&value);
  if (SUCCEEDED(object->get_accRole(self, &value)) && value.vt == VT_I4) result.role = value.lVal;
  VariantClear(&value);
  if (SUCCEEDED(object->get_accState(self, &value)) && value.vt == VT_I4) result.state = value.lVal;
  VariantClear(&value);
  object->Release();
  return result;
}

struct ChildList {
  HWND parent;
  std::vector<HWND> children;
};

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
  auto* list = reinterpret_cast<ChildList*>(param);
  if (GetParent(hwnd) == list->parent) list->children.push_back(hwnd);
  return TRUE;
}

void PrintControl(HWND hwnd, bool ofMain) {
  wchar_t cls[256] = L"";
  GetClassNameW(hwnd, cls, 256);
  // Sent, as an accessibility proxy asks: the text passes through the window's procedures.
  wchar_t text[512] = L"";
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied);
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  const bool button = lstrcmpiW(cls, L"Button") == 0;
  DWORD_PTR checked = 0;
  if (button) SendMessageTimeoutW(hwnd, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &checked);
  const Accessible accessible = AccessibleOf(hwnd);
  std::printf("control hwnd=%#lx parent=%s id=%d class=%s type=%s checked=%d visible=%d enabled=%d role=%ld "
              "state=%#lx accname=%s name=%s\n",
              static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(hwnd)), ofMain ? "main" : "other",
              GetDlgCtrlID(hwnd), Utf8(cls).c_str(), button ? ButtonType(style) : "none",
              checked == BST_CHECKED ? 1 : 0, IsWindowVisible(hwnd) ? 1 : 0, IsWindowEnabled(hwnd) ? 1 : 0,
              accessible.role, static_cast<unsigned long>(accessible.state), accessible.name.c_str(),
              Utf8(text).c_str());
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

int Controls(HWND main) {
  ProcessWindows found{0, {}};
  GetWindowThreadProcessId(main, &found.pid);
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
  for (HWND top : found.windows) {
    ChildList list{top, {}};
    EnumChildWindows(top, CollectChild, reinterpret_cast<LPARAM>(&list));
    for (HWND child : list.children) PrintControl(child, top == main);
  }
  return 0;
}

}  // namespace

int main() {
  // Wide arguments without -municode: titles need not be ASCII.
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 3) {
    std::fprintf(stderr, "usage: winctl list|minimize|restore|sysminimize|sysrestore|close|controls TITLE\n");
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
  } else if (command == L"controls") {
    CoInitialize(nullptr);
    rc = Controls(main);
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
