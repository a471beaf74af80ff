#include "skin/skin_control.h"

#include "platform/win_api.h"
#include "skin/subclassing.h"
#include "skin/tooltip.h"

namespace quorlin::skin {
namespace {

// Writes (old AND NOT remove) OR add back into a style word, only when that changes it.
void EditStyle(HWND hwnd, int index, LONG remove, LONG add) {
  const LONG old = api::GetWindowLongA(hwnd, index);
  const LONG updated = (old & ~remove) | add;
  if (updated != old) api::SetWindowLongA(hwnd, index, updated);
}

}  // namespace

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
