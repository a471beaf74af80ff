// A stand-in for reg.exe. Built as it is, it plays a planted copy: it leaves a marker file where it
// was started from and succeeds, so that only the marker tells it ran. Built with one of these, it
// plays a broken system reg.exe instead (and leaves no marker):
//   -DSTAND_IN_NEVER_ENDS     never ends (a hung reg.exe)
//   -DSTAND_IN_FAILS          refuses with exit code 1, as reg.exe does under a policy against it
//   -DSTAND_IN_WRITES_NOTHING exits 0 without writing anything
#include <windows.h>

int main() {
#if defined(STAND_IN_NEVER_ENDS)
  for (;;) ::Sleep(INFINITE);
#elif defined(STAND_IN_FAILS)
  return 1;
#elif defined(STAND_IN_WRITES_NOTHING)
  return 0;
#else
  HANDLE marker = ::CreateFileW(L"planted-reg-used.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (marker != INVALID_HANDLE_VALUE) ::CloseHandle(marker);
  return 0;
#endif
}
