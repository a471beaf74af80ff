#include "skin/skin_control.h"

#include <cstring>

#include "platform/win_api.h"
#include "skin/composition.h"
#include "skin/tooltip.h"
#include "skin/window_properties.h"

namespace quorlin::skin {
namespace {

// Writes (old AND NOT remove) OR add back into a style word, only when that changes it.
void EditStyle(HWND hwnd, int index, LONG remove, LONG add) {
  const LONG old = api::GetWindowLongA(hwnd, index);
  const LONG updated = (old & ~remove) | add;
  if (updated != old) api::SetWindowLongA(hwnd, index, updated);
}

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

std::intptr_t ReadProperty(HWND hwnd, const char* name) {
  return reinterpret_cast<std::intptr_t>(GetLayerProp(hwnd, name));
}

bool WriteProperty(HWND hwnd, const char* name, std::intptr_t value) {
  return SetLayerProp(hwnd, name, reinterpret_cast<HANDLE>(value));
}

SkinImage ReadImageProperty(HWND hwnd, const char* name) {
  return reinterpret_cast<SkinImage>(GetLayerProp(hwnd, name));
}

bool WriteImageProperty(HWND hwnd, const char* name, SkinImage image) {
  return SetLayerProp(hwnd, name, reinterpret_cast<HANDLE>(image));
}

ControlType ControlTypeOf(HWND hwnd) {
  switch (static_cast<std::int32_t>(ReadProperty(hwnd, property::kType))) {
    case 2: return ControlType::PictureBox;
    case 3: return ControlType::ImageButton;
    case 4: return ControlType::TextBox;
    default: return ControlType::None;
  }
}

SkinImage StateImage(HWND hwnd) { return StateImageFor(hwnd, ReadProperty(hwnd, property::kDrawState)); }

SkinImage StateImageFor(HWND hwnd, std::intptr_t state) {
  const char* name = nullptr;
  switch (static_cast<std::int32_t>(state)) {
    case static_cast<int>(DrawState::Over): name = property::kOverImage; break;
    case static_cast<int>(DrawState::Down): name = property::kDownImage; break;
    case static_cast<int>(DrawState::Disabled): name = property::kDisableImage; break;
    default: break;
  }
  if (name != nullptr) {
    if (SkinImage image = ReadImageProperty(hwnd, name)) return image;
  }
  return ReadImageProperty(hwnd, property::kNormalImage);
}

void Subclass(HWND hwnd, WNDPROC procedure) {
  if (GetLayerProp(hwnd, property::kWndProc) != nullptr) return;
  const LONG_PTR previous = api::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
  SetLayerProp(hwnd, property::kWndProc, reinterpret_cast<HANDLE>(previous));
}

LRESULT CallPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto previous = reinterpret_cast<WNDPROC>(GetLayerProp(hwnd, property::kWndProc));
  // Without a kept procedure the window still needs default handling (creation, destruction).
  return previous == nullptr ? api::DefWindowProcA(hwnd, message, wParam, lParam)
                             : api::CallWindowProcA(previous, hwnd, message, wParam, lParam);
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

LRESULT CALLBACK LoadDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    // The caller handed this window its loader thread, image and memory; they go with it. The
    // caller sets these properties itself, so they are read from the window.
    if (HANDLE thread = api::GetPropA(hwnd, property::kThread)) {
      api::TerminateThread(thread, 0);
      api::CloseHandle(thread);
    }
    if (auto image = static_cast<SkinImage>(api::GetPropA(hwnd, property::kImage))) DisposeSkinImage(image);
    if (HANDLE memory = api::GetPropA(hwnd, property::kStream)) api::GlobalFree(memory);
    return api::DefWindowProcA(hwnd, message, wParam, lParam);
  }
  if (message == WM_LBUTTONDOWN) {
    const LRESULT result = api::DefWindowProcA(hwnd, message, wParam, lParam);
    if (reinterpret_cast<std::intptr_t>(api::GetPropA(hwnd, property::kHitMove)) == 1) {
      // Starts the system's move loop as if the caption had been pressed.
      api::ReleaseCapture();
      api::SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    }
    return result;
  }
  return api::DefWindowProcA(hwnd, message, wParam, lParam);
}

bool SkinControl::Attach(HWND hwnd) {
  if (!api::IsWindow(hwnd)) return false;
  const HWND parent = api::GetParent(hwnd);
  // A parent that is itself a skinned control keeps its own procedure.
  if (parent != nullptr && ControlTypeOf(parent) == ControlType::None) Subclass(parent, ParentProc);
  // Together these make the control's paint DC start out with the parent's pixels under it, which
  // snapshot painting copies.
  EditStyle(hwnd, GWL_STYLE, WS_CLIPSIBLINGS, 0);
  EditStyle(hwnd, GWL_EXSTYLE, 0, WS_EX_TRANSPARENT);
  if (parent != nullptr) EditStyle(parent, GWL_STYLE, WS_CLIPCHILDREN, 0);
  hwnd_ = hwnd;
  return true;
}

HWND SkinControl::ControlHandle() { return hwnd_; }

bool SkinControl::SetProperty(const char* name, std::intptr_t value) { return WriteProperty(hwnd_, name, value); }

std::intptr_t SkinControl::GetProperty(const char* name) { return ReadProperty(hwnd_, name); }

LRESULT SkinControl::SendToControl(UINT message, WPARAM wParam, LPARAM lParam) {
  return api::SendMessageA(hwnd_, message, wParam, lParam);
}

void SkinControl::SetToolTip(const char* text, std::optional<bool> atCursor) {
  SetControlToolTip(hwnd_, text, atCursor.value_or(true));
}

void SkinControl::MoveControl(std::optional<int> x, std::optional<int> y, std::optional<int> width,
                              std::optional<int> height, std::optional<bool> noRedraw) {
  UINT flags = SWP_NOZORDER;
  if (noRedraw.value_or(false)) flags |= SWP_NOREDRAW;
  if (!x && !y) flags |= SWP_NOMOVE;
  if (!width && !height) flags |= SWP_NOSIZE;
  RECT rect{};
  api::GetWindowRect(hwnd_, &rect);
  POINT corner{rect.left, rect.top};
  // Only a child is placed in its parent's client coordinates; GetParent of a popup is its owner.
  const bool child = (api::GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD) != 0;
  if (const HWND parent = child ? api::GetParent(hwnd_) : nullptr) api::ScreenToClient(parent, &corner);
  api::SetWindowPos(hwnd_, nullptr, x.value_or(corner.x), y.value_or(corner.y),
                    width.value_or(rect.right - rect.left), height.value_or(rect.bottom - rect.top), flags);
}

HWND SkinControl::ControlHandle() const { return hwnd_; }

bool SkinControl::IsAlive() { return api::IsWindow(hwnd_) == TRUE; }

void SkinControl::Invalidate() { api::InvalidateRect(hwnd_, nullptr, FALSE); }

LRESULT SkinControl::SendToControl(UINT message, WPARAM wParam, LPARAM lParam) const {
  return api::SendMessageA(hwnd_, message, wParam, lParam);
}

}  // namespace quorlin::skin
