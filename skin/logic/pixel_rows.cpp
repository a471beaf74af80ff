#include "skin/logic/pixel_rows.h"

namespace quorlin::skin {

void OpaqueRgb24RowToArgb(const std::uint8_t* bgr, std::uint32_t* out, int width) {
  for (int x = 0; x < width; ++x, bgr += 3) {
    out[x] = 0xFF000000u | std::uint32_t{bgr[2]} << 16 | std::uint32_t{bgr[1]} << 8 | bgr[0];
  }
}

void OpaqueRgb32RowToArgb(const std::uint32_t* xrgb, std::uint32_t* out, int width) {
  for (int x = 0; x < width; ++x) out[x] = 0xFF000000u | xrgb[x];
}

}  // namespace quorlin::skin
