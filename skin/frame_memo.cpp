#include "skin/frame_memo.h"

#include <unordered_map>
#include <utility>

#include "platform/win_api.h"
#include "skin/composition.h"
#include "skin/skin_control.h"

namespace quorlin::skin {
namespace {

std::uint64_t changes = 1;  // window thread only, like the whole layer

// What a form showed last, made by its first composition.
struct Shown {
  bool valid = false;
  FrameRecord record;
  std::uint64_t keptSerial = 0;  // serial of the FocusComposition it left, 0 if none
  std::uint32_t readAt = 0;      // GetTickCount() when its properties were last read
};
std::unordered_map<HWND, Shown>& shownForms() {
  static std::unordered_map<HWND, Shown> forms;
  return forms;
}
Shown* ShownOf(HWND form) {
  auto it = shownForms().find(form);
  return it == shownForms().end() ? nullptr : &it->second;
}

// The bitmap most recently handed over as FocusComposition, and its serial: another form's
// composition, or a caller, may have put something else there since.
SkinImage keptImage = nullptr;
std::uint64_t keptSerial = 0;

// Whether the message can change what a composition shows. A move, size, z-order change, show or
// hide ends in WM_WINDOWPOSCHANGED; one that changes none of these (a presentation of a layered
// window may send one) changes nothing drawn.
bool ChangesTheLook(const CWPSTRUCT& sent) {
  switch (sent.message) {
    case WM_WINDOWPOSCHANGED: {
      const auto* place = reinterpret_cast<const WINDOWPOS*>(sent.lParam);
      if (place == nullptr || (place->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED)) != 0) return true;
      // A form's children are placed in its client coordinates: moving the form, or raising it
      // among other top-level windows, leaves its picture as it is (a drag composes nothing).
      const bool topLevel = (api::GetWindowLongA(sent.hwnd, GWL_STYLE) & WS_CHILD) == 0;
      const UINT unchanged = topLevel ? SWP_NOSIZE : SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER;
      return (place->flags & unchanged) != unchanged;
    }
    case WM_SHOWWINDOW:
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_ENABLE:
    case WM_STYLECHANGED:
    case WM_UPDATEUISTATE:  // focus cues shown or hidden
    case WM_DESTROY:
      return true;
    case WM_COMMAND:
      return HIWORD(sent.wParam) == EN_CHANGE;
    default:
      return false;
  }
}

// Runs before the window procedure of every message sent to a window of the watched thread.
LRESULT CALLBACK WatchMessages(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && lParam != 0 && ChangesTheLook(*reinterpret_cast<const CWPSTRUCT*>(lParam)))
    NoteChange();
  return api::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Watches the calling thread's windows from now on; false when the watch cannot be set up.
bool WatchThisThread() {
  // The hook goes with the thread when it ends.
  thread_local const bool watched =
      api::SetWindowsHookExA(WH_CALLWNDPROC, WatchMessages, nullptr, api::GetCurrentThreadId()) != nullptr;
  return watched;
}

// A picture of its control's own size is drawn the same by every back type: stretched, fitted and
// at natural size it covers the control exactly.
bool FillsItsControl(HWND control, SkinImage picture) {
  RECT rect{};
  api::GetWindowRect(control, &rect);
  Gdiplus::REAL width = 0;
  Gdiplus::REAL height = 0;
  api::GdipGetImageDimension(picture, &width, &height);
  return width == static_cast<Gdiplus::REAL>(rect.right - rect.left) &&
         height == static_cast<Gdiplus::REAL>(rect.bottom - rect.top);
}

// Whatever code in the process wrote them, with the layer or with SetPropA itself, these are the
// values drawn. Each read is a round trip to the server under Wine, so only these are read (listing
// every property of a window there asks the server again for each name).
ChildLook LookOf(HWND child, bool cues) {
  ChildLook look;
  look.hwnd = child;
  look.type = ControlTypeOf(child);
  const bool button = look.type == ControlType::ImageButton;
  look.picture = button ? StateImage(child) : ReadImageProperty(child, property::kBackImage);
  if (look.picture != nullptr && !FillsItsControl(child, look.picture))
    look.backType = ReadProperty(child, property::kBackType);
  // A button's focus is drawn (and read) only while the form shows focus cues.
  look.focusRing = cues && button && ReadProperty(child, property::kIsFocus) != 0;
  if (look.type == ControlType::TextBox) {
    look.textColor = ReadProperty(child, property::kTextColor);
    look.backColor = ReadProperty(child, property::kBackColor);
    look.backAlpha = ReadProperty(child, property::kBackAlpha);
    look.orderColor = ReadProperty(child, property::kOrderColor);
    look.orderAlpha = ReadProperty(child, property::kOrderAlpha);
  }
  return look;
}

}  // namespace

std::uint64_t ChangeCount() { return changes; }

void NoteChange() { ++changes; }

FrameRecord TakeFrameRecord(HWND form) {
  FrameRecord record;
  record.changes = ChangeCount();  // first: a change while the rest is read counts
  const DWORD thread = api::GetCurrentThreadId();
  record.watched = WatchThisThread() && api::GetWindowThreadProcessId(form, nullptr) == thread;
  record.background = ReadImageProperty(form, property::kBackImage);
  const bool cues = FocusCuesShown(form);
  record.firstChild = api::GetWindow(form, GW_CHILD);
  for (HWND child = record.firstChild; child != nullptr; child = api::GetWindow(child, GW_HWNDNEXT)) {
    ChildLook look = LookOf(child, cues);
    if (look.type == ControlType::None) continue;
    record.children.push_back(look);
    // The watch sees only this thread's windows.
    if (api::GetWindowThreadProcessId(child, nullptr) != thread) record.watched = false;
  }
  return record;
}

void NoteShown(HWND form, FrameRecord record, bool kept) {
  if (kept) {
    keptImage = FocusComposition;
    ++keptSerial;
  }
  Shown& shown = shownForms()[form];
  shown.valid = record.watched;
  shown.record = std::move(record);
  shown.keptSerial = kept ? keptSerial : 0;
  shown.readAt = api::GetTickCount();
}

void ForgetShown(HWND form) {
  if (Shown* shown = ShownOf(form)) shown->valid = false;
}

bool ShowsCurrentFrame(HWND form, bool periodic) {
  Shown* shown = ShownOf(form);
  if (shown == nullptr || !shown->valid || shown->record.changes != ChangeCount()) return false;
  // The focus form's refresh leaves its composition as FocusComposition for the caret: only the
  // bitmap that this form's last composition handed over will do.
  if (form == FocusForm &&
      (shown->keptSerial == 0 || shown->keptSerial != keptSerial || FocusComposition != keptImage)) {
    return false;
  }
  const std::uint32_t now = api::GetTickCount();
  if (periodic && now - shown->readAt < kRereadPeriodMs) return true;
  shown->readAt = now;
  // What no message announces: a window set as the form's child while hidden comes first among its
  // children, a hidden child set elsewhere leaves the form, and other code writes properties.
  const std::vector<ChildLook>& children = shown->record.children;
  if (api::GetWindow(form, GW_CHILD) != shown->record.firstChild ||
      ReadImageProperty(form, property::kBackImage) != shown->record.background) {
    return false;
  }
  const bool cues = FocusCuesShown(form);
  for (const ChildLook& look : children) {
    if (api::GetParent(look.hwnd) != form || !(LookOf(look.hwnd, cues) == look)) return false;
  }
  return true;
}

}  // namespace quorlin::skin
