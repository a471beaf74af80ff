// Prints the screen DPI a newly started program gets: "logpixelsx=N".
#include <windows.h>

#include <cstdio>

int main() {
  ::SetProcessDPIAware();  // report the session's real DPI, not a virtualised 96
  HDC screen = ::GetDC(nullptr);
  std::printf("logpixelsx=%d\n", ::GetDeviceCaps(screen, LOGPIXELSX));
  ::ReleaseDC(nullptr, screen);
  return 0;
}
