// Helpers for the skinned-control layer tests: pictures built in memory, test windows, DCs whose
// pixels can be read, and a recorder of what the layer presents to a layered window.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/handle_owners.h"
#include "platform/win_api.h"
#include "skin/skin_image.h"

namespace quorlin::skin::test {

// Starts the layer once per test run (GDI+, frame dimension, window class).
void EnsureSkinLayer();

// 0xAARRGGBB.
using Argb = std::uint32_t;
inline constexpr Argb kTransparent = 0x00000000;

// A 32bpp ARGB GDI+ bitmap whose pixel (x, y) is pixel(x, y).
platform::UniqueImage MakeBitmap(int width, int height, const std::function<Argb(int, int)>& pixel);
platform::UniqueImage SolidBitmap(int width, int height, Argb color);
// Pixels of an image as 32bpp ARGB, rows top-down.
std::vector<Argb> ReadPixels(SkinImage image, int width, int height);

// A PNG file (colour type 6, no pHYs) of the given ARGB pixels, rows top-down.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<Argb>& pixels);
// A GIF89a file of equally sized frames, each filled with one colour of the palette.
std::vector<std::uint8_t> EncodeSolidGif(int width, int height, const std::vector<Argb>& frameColors);
// An image block: type word, length, then the bytes.
std::vector<std::uint8_t> MakeBlock(const std::vector<std::uint8_t>& bytes, std::uint32_t type = 1);

// A window destroyed at scope end.
class TestWindow {
 public:
  TestWindow() = default;
  explicit TestWindow(HWND hwnd) : hwnd_(hwnd) {}
  ~TestWindow();
  TestWindow(TestWindow&& other) noexcept;
  TestWindow& operator=(TestWindow&& other) noexcept;
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

// A top-level popup of the test class at (x, y) on the screen; its procedure answers the colour,
// command and notify messages with kPreviousResult and records them in ParentMessages().
TestWindow CreateForm(int x, int y, int width, int height);
TestWindow CreateChild(HWND parent, const char* className, int x, int y, int width, int height,
                       DWORD style = WS_CHILD | WS_VISIBLE, DWORD exStyle = 0);
inline constexpr LRESULT kPreviousResult = 0x5A5A;
std::vector<UINT>& ParentMessages();
// The test class's own procedure.
WNDPROC TestFormProc();

// A memory DC with a 32-bit top-down DIB selected, whose pixels can be written and read.
class PixelDc {
 public:
  PixelDc(int width, int height, Argb fill);
  ~PixelDc();
  PixelDc(const PixelDc&) = delete;
  PixelDc& operator=(const PixelDc&) = delete;
  HDC dc() const { return dc_; }
  Argb Pixel(int x, int y) const { return bits_[y * width_ + x]; }
  void SetPixel(int x, int y, Argb color) { bits_[y * width_ + x] = color; }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  Argb* bits_ = nullptr;
  int width_ = 0;
};

// Records every UpdateLayeredWindow the layer makes while it exists: the pixels of the DIB in the
// source DC (premultiplied, top-down), then lets the call through.
class PresentRecorder {
 public:
  PresentRecorder();
  ~PresentRecorder();
  PresentRecorder(const PresentRecorder&) = delete;
  PresentRecorder& operator=(const PresentRecorder&) = delete;

  int count() const { return count_; }
  HWND window() const { return window_; }
  int width() const { return width_; }
  int height() const { return height_; }
  Argb Pixel(int x, int y) const { return pixels_[y * width_ + x]; }
  const BLENDFUNCTION& blend() const { return blend_; }
  DWORD flags() const { return flags_; }

 private:
  static BOOL WINAPI Record(HWND hwnd, HDC dst, POINT* dstPoint, SIZE* size, HDC src, POINT* srcPoint,
                            COLORREF key, BLENDFUNCTION* blend, DWORD flags);
  static PresentRecorder* active_;
  api::ScopedOverride<api::types::UpdateLayeredWindow_t> override_;
  int count_ = 0;
  HWND window_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  std::vector<Argb> pixels_;
  BLENDFUNCTION blend_{};
  DWORD flags_ = 0;
};

// Channel-wise comparison with a tolerance, for blended pixels.
bool NearArgb(Argb actual, Argb expected, int tolerance);

}  // namespace quorlin::skin::test
