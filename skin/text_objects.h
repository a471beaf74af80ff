// Thin wrappers of the GDI+ font, font family and string format used to draw the text of text
// boxes. Each holds one GDI+ handle (null when empty); the virtual operations keep a fixed slot
// order, slot 0 being release (the destructor) and slot 1 copy (the copy constructor).
//
// Copies share the handle. The handle is reference-counted among the copies, so Delete on one copy
// (or its destruction) lets go of that copy's share and the GDI+ object is deleted exactly once,
// when its last holder lets go; no copy is ever left holding a deleted handle.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <utility>

namespace quorlin::skin {

// One GDI+ handle shared by the copies of a wrapper; Release deletes it with the last holder.
template <typename T, Gdiplus::GpStatus (*Release)(T*)>
class SharedGdiplusHandle {
 public:
  T* get() const { return handle_.get(); }
  void Reset(T* handle = nullptr) {
    if (handle == nullptr) {
      handle_.reset();
    } else {
      handle_ = std::shared_ptr<T>(handle, [](T* owned) { Release(owned); });
    }
  }
  // Holders of this very handle, this one included (0 when empty).
  long use_count() const { return handle_.use_count(); }

 private:
  std::shared_ptr<T> handle_;
};

namespace detail {
Gdiplus::GpStatus DeleteFont(Gdiplus::GpFont* font);
Gdiplus::GpStatus DeleteFontFamily(Gdiplus::GpFontFamily* family);
Gdiplus::GpStatus DeleteStringFormat(Gdiplus::GpStringFormat* format);
}  // namespace detail

class SkinFontFamily final {
 public:
  SkinFontFamily() = default;
  SkinFontFamily(const SkinFontFamily&) = default;             // slot 1
  SkinFontFamily& operator=(const SkinFontFamily&) = default;
  virtual ~SkinFontFamily() = default;                         // slot 0

  virtual void Delete();                                       // slot 2
  // A family of the system font collection; the name is ANSI text.
  virtual Gdiplus::GpStatus FromName(const char* name);        // slot 3
  virtual Gdiplus::GpFontFamily* Handle() const;               // slot 4
  virtual void SetHandle(Gdiplus::GpFontFamily* handle);       // slot 5

 private:
  SharedGdiplusHandle<Gdiplus::GpFontFamily, detail::DeleteFontFamily> handle_;
};

class SkinFont final {
 public:
  SkinFont() = default;
  SkinFont(const SkinFont&) = default;                         // slot 1
  SkinFont& operator=(const SkinFont&) = default;
  virtual ~SkinFont() = default;                               // slot 0

  virtual void Delete();                                       // slot 2
  virtual Gdiplus::GpStatus Create(const char* familyName, float emSize, int style, int unit);  // slot 3
  virtual Gdiplus::GpStatus FromDC(HDC dc);                    // slot 4
  // The font the window uses (WM_GETFONT) through FontFromHandle.
  virtual Gdiplus::GpStatus FontFromWindow(HWND window);       // slot 5
  // The GDI font's face, style and size as a GDI+ font in pixels; a null font changes nothing.
  virtual Gdiplus::GpStatus FontFromHandle(HFONT font);        // slot 6
  virtual Gdiplus::GpFont* Handle() const;                     // slot 7
  virtual void SetHandle(Gdiplus::GpFont* handle);             // slot 8
  virtual Gdiplus::GpStatus Style(int& style) const;           // slot 9
  virtual Gdiplus::GpStatus Size(float& size) const;           // slot 10
  virtual Gdiplus::GpStatus Unit(int& unit) const;             // slot 11
  virtual Gdiplus::GpStatus Height(Gdiplus::GpGraphics* graphics, float& height) const;  // slot 12

 private:
  SharedGdiplusHandle<Gdiplus::GpFont, detail::DeleteFont> handle_;
};

class SkinStringFormat final {
 public:
  SkinStringFormat() = default;
  SkinStringFormat(const SkinStringFormat&) = default;         // slot 1
  SkinStringFormat& operator=(const SkinStringFormat&) = default;
  virtual ~SkinStringFormat() = default;                       // slot 0

  virtual void Delete();                                       // slot 2
  virtual Gdiplus::GpStatus Create(int flags, int language);   // slot 3
  virtual Gdiplus::GpStatus SetAlign(Gdiplus::StringAlignment alignment);      // slot 4
  virtual Gdiplus::GpStatus SetLineAlign(Gdiplus::StringAlignment alignment);  // slot 5
  virtual void SetAligns(Gdiplus::StringAlignment alignment, Gdiplus::StringAlignment lineAlignment);  // slot 6
  virtual void SetHandle(Gdiplus::GpStringFormat* handle);     // slot 7
  virtual Gdiplus::GpStringFormat* Handle() const;             // slot 8

 private:
  SharedGdiplusHandle<Gdiplus::GpStringFormat, detail::DeleteStringFormat> handle_;
};

}  // namespace quorlin::skin
