#include "skin/subclassing.h"

#include <cstring>

#include "platform/win_api.h"
#include "skin/composition.h"
#include "skin/control_properties.h"
#include "skin/window_properties.h"

namespace quorlin::skin {
namespace {

// Colour messages of the static, edit, list box, button, dialog and message box kinds; the scroll
// bar's (0x0137) is deliberately not among them.
bool IsControlColorMessage(UINT message) {
  switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      return true;
    default:
      return false;
  }
}

}  // namespace

// The layer's procedures are installed and chained with the wide functions: a window subclassed with
// the ANSI ones becomes an ANSI window, and its text (the name a screen reader reads) would pass
// through the system code page on every WM_GETTEXT, losing what that code page cannot hold.
void Subclass(HWND hwnd, WNDPROC procedure) {
  if (GetLayerProp(hwnd, property::kWndProc) != nullptr) return;
  const LONG_PTR previous = api::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
  SetLayerProp(hwnd, property::kWndProc, reinterpret_cast<HANDLE>(previous));
}

LRESULT CallProcedure(WNDPROC procedure, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return procedure == nullptr ? api::DefWindowProcW(hwnd, message, wParam, lParam)
                              : api::CallWindowProcW(procedure, hwnd, message, wParam, lParam);
}

LRESULT CallPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallProcedure(reinterpret_cast<WNDPROC>(GetLayerProp(hwnd, property::kWndProc)), hwnd, message, wParam,
                       lParam);
}

LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY && lParam != 0) {
    NMHDR header;
    std::memcpy(&header, reinterpret_cast<const void*>(lParam), sizeof(header));
    if (header.code == static_cast<UINT>(NM_CUSTOMDRAW) &&
        ControlTypeOf(header.hwndFrom) == ControlType::ImageButton) {
      PaintControl(header.hwndFrom, nullptr, StateImage(header.hwndFrom));
    }
  } else if (message == WM_COMMAND) {
    const auto control = reinterpret_cast<HWND>(lParam);
    const int code = static_cast<std::int32_t>(wParam) >> 16;
    if (ControlTypeOf(control) == ControlType::TextBox &&
        (code == EN_VSCROLL || code == EN_HSCROLL || code == EN_CHANGE)) {
      api::InvalidateRect(control, nullptr, TRUE);
    }
  } else if (IsControlColorMessage(message)) {
    const auto control = reinterpret_cast<HWND>(lParam);
    const ControlType type = ControlTypeOf(control);
    if (type != ControlType::None) {
      const auto dc = reinterpret_cast<HDC>(wParam);
      if (type == ControlType::TextBox) {
        api::SetTextColor(dc, static_cast<COLORREF>(ReadProperty(control, property::kTextColor)));
      }
      api::SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(api::GetStockObject(NULL_BRUSH));
    }
  }
  return CallPrevious(hwnd, message, wParam, lParam);
}

}  // namespace quorlin::skin
