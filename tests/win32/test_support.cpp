#include "tests/win32/test_support.h"

namespace quorlin::testing {

void PumpPending() {
  // Bounded in time: with a 10 ms timer and compositions slower than that, the queue is never empty.
  DWORD start = ::GetTickCount();
  MSG message;
  while (::GetTickCount() - start < 50 && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    PumpPending();
  }
  return true;
}

namespace {

// The pixels of a rectangle of a window's client area (the screen's for a null window).
std::vector<std::uint32_t> Capture(HWND window, const RECT& area) {
  int width = area.right - area.left, height = area.bottom - area.top;
  std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
  HDC screen = ::GetDC(window);
  HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  ::GdiFlush();
  const auto* source = static_cast<const std::uint32_t*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = source[i] & 0x00FFFFFF;
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(window, screen);
  return pixels;
}

}  // namespace

std::vector<std::uint32_t> CaptureScreen(const RECT& area) { return Capture(nullptr, area); }

std::vector<std::uint32_t> CaptureClient(HWND window) {
  RECT client;
  ::GetClientRect(window, &client);
  return Capture(window, client);
}

}  // namespace quorlin::testing
