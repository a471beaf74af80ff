#include "skin/text_objects.h"

#include <cstring>
#include <string>

#include "platform/win_api.h"
#include "skin/logic/text_rules.h"
#include "skin/skin_image.h"

namespace quorlin::skin {

namespace detail {
Gdiplus::GpStatus DeleteFont(Gdiplus::GpFont* font) { return api::GdipDeleteFont(font); }
Gdiplus::GpStatus DeleteFontFamily(Gdiplus::GpFontFamily* family) { return api::GdipDeleteFontFamily(family); }
Gdiplus::GpStatus DeleteStringFormat(Gdiplus::GpStringFormat* format) {
  return api::GdipDeleteStringFormat(format);
}
}  // namespace detail

// ---- SkinFontFamily ----

void SkinFontFamily::Delete() { handle_.Reset(); }

Gdiplus::GpStatus SkinFontFamily::FromName(const char* name) {
  const WideText wide = ToWideText(name);
  Gdiplus::GpFontFamily* family = nullptr;
  // A name that cannot be converted names no family.
  const Gdiplus::GpStatus status = wide.empty()
                                       ? Gdiplus::InvalidParameter
                                       : api::GdipCreateFontFamilyFromName(wide.c_str(), nullptr, &family);
  SetHandle(status == Gdiplus::Ok ? family : nullptr);
  return status;
}

Gdiplus::GpFontFamily* SkinFontFamily::Handle() const { return handle_.get(); }

void SkinFontFamily::SetHandle(Gdiplus::GpFontFamily* handle) { handle_.Reset(handle); }

// ---- SkinFont ----

namespace {

// GdipCreateFont with a family made from the name; a name the system has no family for gives the
// family's status and no font.
Gdiplus::GpStatus CreateFontByName(const char* familyName, float emSize, int style, int unit,
                                   Gdiplus::GpFont** font) {
  *font = nullptr;
  SkinFontFamily family;
  const Gdiplus::GpStatus familyStatus = family.FromName(familyName);
  if (family.Handle() == nullptr) return familyStatus == Gdiplus::Ok ? Gdiplus::GenericError : familyStatus;
  return api::GdipCreateFont(family.Handle(), emSize, style, static_cast<Gdiplus::Unit>(unit), font);
}  // the family is released here: a GDI+ font keeps what it needs of it

}  // namespace

void SkinFont::Delete() { handle_.Reset(); }

Gdiplus::GpStatus SkinFont::Create(const char* familyName, float emSize, int style, int unit) {
  Gdiplus::GpFont* font = nullptr;
  const Gdiplus::GpStatus status = CreateFontByName(familyName, emSize, style, unit, &font);
  SetHandle(status == Gdiplus::Ok ? font : nullptr);
  return status;
}

Gdiplus::GpStatus SkinFont::FromDC(HDC dc) {
  Gdiplus::GpFont* font = nullptr;
  const Gdiplus::GpStatus status = api::GdipCreateFontFromDC(dc, &font);
  SetHandle(status == Gdiplus::Ok ? font : nullptr);
  return status;
}

Gdiplus::GpStatus SkinFont::FontFromWindow(HWND window) {
  const auto font = reinterpret_cast<HFONT>(api::SendMessageA(window, WM_GETFONT, 0, 0));
  return FontFromHandle(font);
}

Gdiplus::GpStatus SkinFont::FontFromHandle(HFONT font) {
  if (font == nullptr) return Gdiplus::Ok;
  LOGFONTA logFont{};
  api::GetObjectA(font, sizeof(logFont), &logFont);
  // The face name up to its first zero byte, never past the field.
  const std::string face(logFont.lfFaceName, strnlen(logFont.lfFaceName, sizeof(logFont.lfFaceName)));
  const int style = FontStyleBits(logFont.lfWeight, logFont.lfItalic, logFont.lfUnderline, logFont.lfStrikeOut);
  Gdiplus::GpFont* created = nullptr;
  const Gdiplus::GpStatus status =
      CreateFontByName(face.c_str(), FontEmSize(logFont.lfHeight), style, kFontUnitPixel, &created);
  // A failed creation leaves the wrapper empty.
  SetHandle(status == Gdiplus::Ok ? created : nullptr);
  return status;
}

Gdiplus::GpFont* SkinFont::Handle() const { return handle_.get(); }

void SkinFont::SetHandle(Gdiplus::GpFont* handle) { handle_.Reset(handle); }

Gdiplus::GpStatus SkinFont::Style(int& style) const {
  INT value = 0;
  const Gdiplus::GpStatus status = api::GdipGetFontStyle(handle_.get(), &value);
  style = value;
  return status;
}

Gdiplus::GpStatus SkinFont::Size(float& size) const {
  Gdiplus::REAL value = 0;
  const Gdiplus::GpStatus status = api::GdipGetFontSize(handle_.get(), &value);
  size = value;
  return status;
}

Gdiplus::GpStatus SkinFont::Unit(int& unit) const {
  Gdiplus::Unit value = Gdiplus::UnitWorld;
  const Gdiplus::GpStatus status = api::GdipGetFontUnit(handle_.get(), &value);
  unit = static_cast<int>(value);
  return status;
}

Gdiplus::GpStatus SkinFont::Height(Gdiplus::GpGraphics* graphics, float& height) const {
  Gdiplus::REAL value = 0;
  const Gdiplus::GpStatus status = api::GdipGetFontHeight(handle_.get(), graphics, &value);
  height = value;
  return status;
}

// ---- SkinStringFormat ----

void SkinStringFormat::Delete() { handle_.Reset(); }

Gdiplus::GpStatus SkinStringFormat::Create(int flags, int language) {
  Gdiplus::GpStringFormat* format = nullptr;
  const Gdiplus::GpStatus status =
      api::GdipCreateStringFormat(flags, static_cast<LANGID>(language), &format);
  SetHandle(status == Gdiplus::Ok ? format : nullptr);
  return status;
}

Gdiplus::GpStatus SkinStringFormat::SetAlign(Gdiplus::StringAlignment alignment) {
  return api::GdipSetStringFormatAlign(handle_.get(), alignment);
}

Gdiplus::GpStatus SkinStringFormat::SetLineAlign(Gdiplus::StringAlignment alignment) {
  return api::GdipSetStringFormatLineAlign(handle_.get(), alignment);
}

void SkinStringFormat::SetAligns(Gdiplus::StringAlignment alignment, Gdiplus::StringAlignment lineAlignment) {
  SetAlign(alignment);
  SetLineAlign(lineAlignment);
}

void SkinStringFormat::SetHandle(Gdiplus::GpStringFormat* handle) { handle_.Reset(handle); }

Gdiplus::GpStringFormat* SkinStringFormat::Handle() const { return handle_.get(); }

}  // namespace quorlin::skin
