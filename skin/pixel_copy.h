// Pixel copies that stand in for GDI+ draws in the layered composition where they give the same
// bytes: an opaque background of the form's own size, and the finished composition into the
// presentation surface.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "skin/skin_image.h"

namespace quorlin::skin {

// Copies the background into the fresh (fully transparent) composition when it is an opaque bitmap
// (a pixel format without alpha) of exactly width x height: the pixels a draw of it at (0, 0, width,
// height) would give. False, with nothing changed, otherwise; then the caller draws it.
bool CopyOpaqueBackground(Gdiplus::GpBitmap* composition, SkinImage background, int width, int height);

// Copies a bitmap of exactly width x height into a 32-bit bottom-up DIB section's bits, every pixel, as
// premultiplied ARGB: the bytes a GDI+ draw of it onto that surface would leave. False, when it is
// no such bitmap or cannot be read; then the caller draws it.
bool CopyToSurface(SkinImage image, void* bits, int width, int height);

}  // namespace quorlin::skin
