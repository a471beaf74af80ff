// Rows of an opaque picture widened to 32-bit pixels for the presentation surface. Pure
// arithmetic, built and tested without Win32.
#pragma once

#include <cstdint>

namespace quorlin::skin {

// Rows of an opaque picture as fully opaque ARGB: 24-bit rows are B, G, R bytes per pixel; 32-bit
// rows without alpha carry an unused byte where ARGB has its alpha.
void OpaqueRgb24RowToArgb(const std::uint8_t* bgr, std::uint32_t* out, int width);
void OpaqueRgb32RowToArgb(const std::uint32_t* xrgb, std::uint32_t* out, int width);

}  // namespace quorlin::skin
