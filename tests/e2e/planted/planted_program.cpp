// A stand-in for a planted reg.exe: leaves a marker file where it was started from and succeeds, so
// that only the marker tells it ran.
#include <windows.h>

int main() {
  HANDLE marker = ::CreateFileW(L"planted-reg-used.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (marker != INVALID_HANDLE_VALUE) ::CloseHandle(marker);
  return 0;
}
