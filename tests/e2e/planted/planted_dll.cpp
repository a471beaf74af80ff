// A stand-in for a planted GdiPlus.dll: if anything loads it and starts GDI+ through it, it leaves a
// marker file in the current directory and fails.
#include <windows.h>

extern "C" __declspec(dllexport) int WINAPI GdiplusStartup(void*, const void*, void*) {
  HANDLE marker = ::CreateFileW(L"planted-dll-used.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (marker != INVALID_HANDLE_VALUE) ::CloseHandle(marker);
  return 18;  // GdiplusNotInitialized
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    HANDLE marker = ::CreateFileW(L"planted-dll-loaded.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (marker != INVALID_HANDLE_VALUE) ::CloseHandle(marker);
  }
  return TRUE;
}
