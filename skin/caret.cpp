#include "skin/caret.h"

#include "platform/handle_owners.h"
#include "platform/win_api.h"
#include "skin/composition.h"
#include "skin/logic/placement.h"
#include "skin/logic/text_rules.h"

namespace quorlin::skin {

// The edit control keeps its own system caret up to date but that caret is never seen on a layered
// form; the line drawn here stands in for it. Only its x follows the system caret: it is always
// centred vertically in the box.
void DrawCaret(HWND form, HWND textBox, Gdiplus::GpGraphics* graphics) {
  RECT rect{};
  api::GetWindowRect(textBox, &rect);
  POINT corner{rect.left, rect.top};
  api::ScreenToClient(form, &corner);
  POINT caret{0, 0};
  api::GetCaretPos(&caret);
  const CaretLine line = CaretLineAt(corner.x, corner.y, rect.bottom - rect.top, caret.x);

  Gdiplus::GpPen* created = nullptr;
  api::GdipCreatePen1(ColorToArgb(0, 255), 1.0f, Gdiplus::UnitWorld, &created);
  platform::UniquePen pen(created);
  if (!pen) return;
  const auto x = static_cast<Gdiplus::REAL>(line.x);
  const auto top = static_cast<Gdiplus::REAL>(line.top);
  api::GdipDrawLine(graphics, pen.get(), x, top, x, top + kCaretLength);
}

// Re-presents the kept composition of the focus form with the caret shown or hidden, without
// composing again: on for one period, off for the next.
void CALLBACK CaretTick(HWND hwnd, UINT, UINT_PTR id, DWORD) {
  if (id != kCaretTimerId) return;
  if (hwnd != FocusForm || FocusTextBox == nullptr || FocusComposition == nullptr) return;
  CaretShown = 1 - CaretShown;
  PresentLayered(FocusForm, FocusComposition, CaretShown == 1);
}

}  // namespace quorlin::skin
