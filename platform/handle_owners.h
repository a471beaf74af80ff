// Move-only owners for Win32 handles and GDI/GDI+ objects. Each release goes through the function
// table, like every other system call, and every owner stores all its release needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#include "platform/win_api.h"

namespace quorlin::platform {

// Owns a handle of type H and releases it through `kRelease` (a table entry) when it goes out of scope.
template <typename H, auto& kRelease>
class UniqueOwner {
 public:
  UniqueOwner() = default;
  explicit UniqueOwner(H handle) : handle_(handle) {}
  ~UniqueOwner() { Reset(); }
  UniqueOwner(UniqueOwner&& other) noexcept : handle_(other.Release()) {}
  UniqueOwner& operator=(UniqueOwner&& other) noexcept {  // move-only: no copy is declared
    if (this != &other) Reset(other.Release());
    return *this;
  }

  H get() const { return handle_; }
  explicit operator bool() const { return handle_ != H{}; }
  // For out-parameters: releases the current handle and hands out the slot.
  H* Put() {
    Reset();
    return &handle_;
  }
  H Release() { return std::exchange(handle_, H{}); }
  void Reset(H handle = H{}) {
    if (H old = std::exchange(handle_, handle)) kRelease(old);
  }

 private:
  H handle_{};
};

inline void ReleaseStream(IStream* stream) { stream->Release(); }

using UniqueHandle = UniqueOwner<HANDLE, api::CloseHandle>;
using UniqueMemoryDc = UniqueOwner<HDC, api::DeleteDC>;
using UniqueBitmap = UniqueOwner<HBITMAP, api::DeleteObject>;
using UniqueFont = UniqueOwner<HFONT, api::DeleteObject>;
using UniqueBrush = UniqueOwner<HBRUSH, api::DeleteObject>;
using UniqueGraphics = UniqueOwner<Gdiplus::GpGraphics*, api::GdipDeleteGraphics>;
using UniqueImage = UniqueOwner<Gdiplus::GpImage*, api::GdipDisposeImage>;
using UniqueGpBrush = UniqueOwner<Gdiplus::GpBrush*, api::GdipDeleteBrush>;
using UniquePen = UniqueOwner<Gdiplus::GpPen*, api::GdipDeletePen>;
using UniqueGlobal = UniqueOwner<HGLOBAL, api::GlobalFree>;
using UniqueStream = UniqueOwner<IStream*, ReleaseStream>;

// Locked pixels of a GDI+ bitmap, unlocked at scope end.
class LockedBits {
 public:
  LockedBits(Gdiplus::GpBitmap* bitmap, const Gdiplus::GpRect& area, UINT mode, Gdiplus::PixelFormat format)
      : bitmap_(bitmap), locked_(api::GdipBitmapLockBits(bitmap, &area, mode, format, &data_) == Gdiplus::Ok) {}
  ~LockedBits() {
    if (locked_) api::GdipBitmapUnlockBits(bitmap_, &data_);
  }
  LockedBits(const LockedBits&) = delete;
  LockedBits& operator=(const LockedBits&) = delete;

  explicit operator bool() const { return locked_; }
  std::uint32_t* Row(int y) const {
    return reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(data_.Scan0) +
                                            static_cast<std::ptrdiff_t>(y) * data_.Stride);
  }

 private:
  Gdiplus::GpBitmap* bitmap_;
  Gdiplus::BitmapData data_{};
  bool locked_;
};

// A DC from GetWindowDC or GetDC, released with the window it came from.
class WindowDc {
 public:
  static WindowDc ForWindow(HWND hwnd) { return WindowDc(hwnd, api::GetWindowDC(hwnd)); }
  static WindowDc ForClient(HWND hwnd) { return WindowDc(hwnd, api::GetDC(hwnd)); }
  ~WindowDc() {
    if (dc_ != nullptr) api::ReleaseDC(hwnd_, dc_);
  }
  // Move-constructible only: neither copied nor assigned.
  WindowDc(WindowDc&& other) noexcept : hwnd_(other.hwnd_), dc_(std::exchange(other.dc_, nullptr)) {}
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  WindowDc(HWND hwnd, HDC dc) : hwnd_(hwnd), dc_(dc) {}
  HWND hwnd_;
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back at scope end.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(api::SelectObject(dc, object)) {
    if (previous_ == HGDI_ERROR) previous_ = nullptr;
  }
  ~ScopedSelect() {
    if (previous_ != nullptr) api::SelectObject(dc_, previous_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { dc_ = api::BeginPaint(hwnd, &paint_); }
  ~PaintScope() { api::EndPaint(hwnd_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }
  const RECT& area() const { return paint_.rcPaint; }

 private:
  HWND hwnd_;
  PAINTSTRUCT paint_{};
  HDC dc_ = nullptr;
};

}  // namespace quorlin::platform
