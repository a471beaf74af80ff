#include "skin/text_drawing.h"

#include <string>

#include "platform/handle_owners.h"
#include "platform/win_api.h"
#include "skin/control_properties.h"
#include "skin/logic/placement.h"
#include "skin/logic/text_rules.h"
#include "skin/skin_image.h"
#include "skin/text_objects.h"

namespace quorlin::skin {
namespace {

// StringFormatFlagsNoWrap | StringFormatFlagsNoFitBlackBox: one line, clipped at the right edge.
constexpr int kBoxTextFlags = 0x1004;

// The window text as ANSI; empty when the window has none.
std::string WindowText(HWND box) {
  const int length = api::GetWindowTextLengthA(box);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = api::GetWindowTextA(box, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

}  // namespace

// The edit control's own painting never reaches the screen on a layered form, so its text is drawn
// here in its own font: left-aligned and vertically centred on one line. Everything made here is
// released before returning; nothing is cached between compositions.
void DrawBoxText(Gdiplus::GpGraphics* graphics, HWND box, int x, int y, int width, int height) {
  const std::string text = WindowText(box);
  if (text.empty()) return;
  const WideText wide = ToWideText(text.c_str());
  if (wide.Length() <= 0) return;

  const TextRect area = TextLayoutRect(x, y, width, height);
  const Gdiplus::RectF layout(area.x, area.y, area.width, area.height);

  SkinFont font;
  font.FontFromWindow(box);
  SkinStringFormat format;
  format.Create(kBoxTextFlags, 0);
  format.SetAligns(Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentCenter);

  // Always fully opaque, whatever the fill and border alphas are.
  Gdiplus::GpSolidFill* fill = nullptr;
  api::GdipCreateSolidFill(ColorToArgb(static_cast<std::uint32_t>(ReadProperty(box, property::kTextColor)), 255),
                           &fill);
  platform::UniqueGpBrush brush(fill);

  // A box without a font of its own draws nothing (GDI+ refuses a null font).
  api::GdipDrawString(graphics, wide.c_str(), wide.Length(), font.Handle(), &layout, format.Handle(), brush.get());
}

}  // namespace quorlin::skin
