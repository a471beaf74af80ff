#include "skin/frame_memo.h"

#include <memory>
#include <utility>

#include "platform/win_api.h"
#include "skin/composition.h"
#include "skin/skin_control.h"

namespace quorlin::skin {
namespace {

std::uint64_t changes = 1;  // window thread only, like the whole layer

// What the form showed last, kept on the form itself, made by its first composition. Like
// the rest of the layer's per-window state it is not released with the window. Written with
// SetPropA itself: it is no change of the picture.
constexpr char kShownProperty[] = "Zephel_LastFrame";

struct Shown {
  bool valid = false;
  FrameRecord record;
  std::uint64_t keptSerial = 0;  // serial of the FocusComposition it left, 0 if none
};

Shown* ShownOf(HWND form) { return static_cast<Shown*>(api::GetPropA(form, kShownProperty)); }

// Made before the form's properties are read for the first time, so that it is among them. Null
// only when the window cannot take the property; then every refresh simply composes.
Shown* EnsureShown(HWND form) {
  if (Shown* shown = ShownOf(form)) return shown;
  auto made = std::make_unique<Shown>();
  if (!api::SetPropA(form, kShownProperty, made.get())) return nullptr;
  return made.release();
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

std::uint64_t Mix(std::uint64_t hash, std::uint64_t value) {
  hash ^= value + 0x9E3779B97F4A7C15ull + (hash << 6) + (hash >> 2);
  return hash * 0x100000001B3ull;
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

// What the composition reads from window properties: the form's background and, for each skinned
// child, its type, back type and picture, and a text box's colours. Whatever code in the process
// wrote them, with the layer or with SetPropA itself, a changed value changes the digest. Each read
// is a round trip to the server under Wine, so only these are read (listing every property of a
// window there asks the server again for each name).
std::uint64_t PropertyDigest(HWND form, const std::vector<HWND>& children) {
  std::uint64_t digest = Mix(0, reinterpret_cast<std::uintptr_t>(ReadImageProperty(form, property::kBackImage)));
  const bool cues = FocusCuesShown(form);  // a button's focus is drawn (and read) only then
  digest = Mix(digest, cues ? 1 : 0);
  for (HWND child : children) {
    const ControlType type = ControlTypeOf(child);
    digest = Mix(digest, static_cast<std::uint64_t>(type));
    if (cues && type == ControlType::ImageButton)
      digest = Mix(digest, static_cast<std::uint64_t>(ReadProperty(child, property::kIsFocus)));
    const SkinImage picture = type == ControlType::ImageButton ? StateImage(child)
                                                                : ReadImageProperty(child, property::kBackImage);
    digest = Mix(digest, reinterpret_cast<std::uintptr_t>(picture));
    if (picture != nullptr && !FillsItsControl(child, picture))
      digest = Mix(digest, static_cast<std::uint64_t>(ReadProperty(child, property::kBackType)));
    if (type != ControlType::TextBox) continue;
    for (const char* name : {property::kTextColor, property::kBackColor, property::kBackAlpha, property::kOrderColor,
                             property::kOrderAlpha}) {
      digest = Mix(digest, static_cast<std::uint64_t>(ReadProperty(child, name)));
    }
  }
  return digest;
}

}  // namespace

std::uint64_t ChangeCount() { return changes; }

void NoteChange() { ++changes; }

FrameRecord TakeFrameRecord(HWND form) {
  FrameRecord record;
  record.changes = ChangeCount();  // first: a change while the rest is read counts
  EnsureShown(form);
  const DWORD thread = api::GetCurrentThreadId();
  record.watched = WatchThisThread() && api::GetWindowThreadProcessId(form, nullptr) == thread;
  record.firstChild = api::GetWindow(form, GW_CHILD);
  for (HWND child = record.firstChild; child != nullptr; child = api::GetWindow(child, GW_HWNDNEXT)) {
    if (ControlTypeOf(child) == ControlType::None) continue;
    record.children.push_back(child);
    // The watch sees only this thread's windows.
    if (api::GetWindowThreadProcessId(child, nullptr) != thread) record.watched = false;
  }
  record.properties = PropertyDigest(form, record.children);
  return record;
}

void NoteShown(HWND form, FrameRecord record, bool kept) {
  Shown* shown = ShownOf(form);
  if (shown == nullptr) return;
  if (kept) {
    keptImage = FocusComposition;
    ++keptSerial;
  }
  shown->valid = record.watched;
  shown->record = std::move(record);
  shown->keptSerial = kept ? keptSerial : 0;
}

void ForgetShown(HWND form) {
  if (Shown* shown = ShownOf(form)) shown->valid = false;
}

bool ShowsCurrentFrame(HWND form) {
  const Shown* shown = ShownOf(form);
  if (shown == nullptr || !shown->valid || shown->record.changes != ChangeCount()) return false;
  // The focus form's refresh leaves its composition as FocusComposition for the caret: only the
  // bitmap that this form's last composition handed over will do.
  if (form == FocusForm &&
      (shown->keptSerial == 0 || shown->keptSerial != keptSerial || FocusComposition != keptImage)) {
    return false;
  }
  // What no message announces: a window set as the form's child while hidden comes first among its
  // children, and a hidden child set elsewhere leaves the form.
  if (api::GetWindow(form, GW_CHILD) != shown->record.firstChild) return false;
  for (HWND child : shown->record.children) {
    if (api::GetParent(child) != form) return false;
  }
  // Properties written by other code, with SetPropA itself.
  return PropertyDigest(form, shown->record.children) == shown->record.properties;
}

}  // namespace quorlin::skin
