// Rows of 32-bit pixels on their way from a composition (ARGB) to a presentation surface
// (premultiplied ARGB). Pure arithmetic, built and tested without Win32.
#pragma once

#include <cstdint>

namespace quorlin::skin {

// Copies one row of ARGB pixels as premultiplied ARGB when every pixel is fully opaque or fully
// transparent, the two cases where premultiplying has one exact answer (unchanged, or all zero);
// returns false, leaving `out` partly written, at the first pixel with any other alpha. Rows with
// such pixels are left to the graphics library, whose rounding is the reference.
bool CopyOpaqueOrClearRow(const std::uint32_t* argb, std::uint32_t* out, int width);

// Rows of an opaque picture as fully opaque ARGB: 24-bit rows are B, G, R bytes per pixel; 32-bit
// rows without alpha carry an unused byte where ARGB has its alpha.
void OpaqueRgb24RowToArgb(const std::uint8_t* bgr, std::uint32_t* out, int width);
void OpaqueRgb32RowToArgb(const std::uint32_t* xrgb, std::uint32_t* out, int width);

}  // namespace quorlin::skin
