// The header of a 32-bit device-independent bitmap without compression, as every DIB the program
// makes has.
#pragma once

#include <windows.h>

namespace quorlin::platform {

// A negative height lays the rows out top-down.
inline BITMAPINFO Dib32Info(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  return info;
}

}  // namespace quorlin::platform
