// Waits for the tool's error box (titled "错误"), prints its text (UTF-8) and presses its button.
// Exit code 0 when a box was found, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring text;

BOOL CALLBACK ReadStatic(HWND child, LPARAM) {
  wchar_t name[32] = L"";
  ::GetClassNameW(child, name, 32);
  if (::lstrcmpiW(name, L"Static") == 0) {
    wchar_t buffer[1024] = L"";
    ::GetWindowTextW(child, buffer, 1024);
    if (buffer[0] != L'\0') text += buffer;
  }
  return TRUE;
}

}  // namespace

int main() {
  const wchar_t* title = L"错误";
  for (int i = 0; i < 200; ++i) {
    if (HWND box = ::FindWindowW(L"#32770", title)) {
      ::EnumChildWindows(box, ReadStatic, 0);
      char utf8[4096];
      int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
      std::fwrite(utf8, 1, n > 0 ? static_cast<size_t>(n - 1) : 0, stdout);
      std::fputc('\n', stdout);
      ::SendMessageW(box, WM_COMMAND, IDOK, 0);
      return 0;
    }
    ::Sleep(100);
  }
  return 1;
}
