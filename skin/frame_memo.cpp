#include "skin/frame_memo.h"

#include <memory>
#include <string>
#include <utility>

#include "platform/win_api.h"
#include "skin/child_list_watch.h"
#include "skin/composition.h"
#include "skin/window_properties.h"

namespace quorlin::skin {
namespace {

// The form's FrameMemo, made on its first composition. Like the rest of the layer's per-window
// state it is not released with the window.
constexpr char kFrameMemoProperty[] = "Zephel_LastFrame";

FrameMemo* MemoOf(HWND form) { return static_cast<FrameMemo*>(GetLayerProp(form, kFrameMemoProperty)); }

// Null only when the window cannot take the property; then every refresh simply composes.
FrameMemo* EnsureMemo(HWND form) {
  if (FrameMemo* memo = MemoOf(form)) return memo;
  auto memo = std::make_unique<FrameMemo>();
  if (!SetLayerProp(form, kFrameMemoProperty, memo.get())) return nullptr;
  return memo.release();
}

std::uint64_t presentations = 0;

// The bitmap most recently handed over as FocusComposition, and its serial.
SkinImage keptImage = nullptr;
std::uint64_t keptSerial = 0;

// Serial of what FocusComposition holds now; 0 when something else put it there.
std::uint64_t HeldSerial() { return FocusComposition != nullptr && FocusComposition == keptImage ? keptSerial : 0; }

std::string WindowText(HWND window) {
  const int length = api::GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = api::GetWindowTextA(window, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

void TakeTextBox(HWND box, ChildFingerprint& child) {
  child.text = WindowText(box);
  const auto font = reinterpret_cast<HFONT>(api::SendMessageA(box, WM_GETFONT, 0, 0));
  child.font = reinterpret_cast<std::uintptr_t>(font);
  if (font != nullptr) {
    // The description as well as the handle: a handle value could come back for another font.
    LOGFONTA description{};
    if (api::GetObjectA(font, sizeof(description), &description) == sizeof(description)) {
      const auto* bytes = reinterpret_cast<const unsigned char*>(&description);
      child.fontDescription.assign(bytes, bytes + sizeof(description));
    }
  }
  child.textColor = ReadProperty(box, property::kTextColor);
  child.backColor = ReadProperty(box, property::kBackColor);
  child.backAlpha = ReadProperty(box, property::kBackAlpha);
  child.orderColor = ReadProperty(box, property::kOrderColor);
  child.orderAlpha = ReadProperty(box, property::kOrderAlpha);
}

}  // namespace

FormFingerprint FormPart(HWND form) {
  FormFingerprint fingerprint;
  RECT rect{};
  api::GetWindowRect(form, &rect);
  fingerprint.width = rect.right - rect.left;
  fingerprint.height = rect.bottom - rect.top;
  fingerprint.background = reinterpret_cast<std::uintptr_t>(ReadImageProperty(form, property::kBackImage));
  return fingerprint;
}

// Each window-property read is a round trip to the window server on some systems, so only what can
// change the picture is read: the back type only where it places the picture differently.
void AddChild(FormFingerprint& fingerprint, HWND form, HWND window, ControlType type) {
  ChildFingerprint& child = fingerprint.children.emplace_back();
  child.window = reinterpret_cast<std::uintptr_t>(window);
  child.type = static_cast<int>(type);
  RECT rect{};
  api::GetWindowRect(window, &rect);
  POINT corner{rect.left, rect.top};
  api::ScreenToClient(form, &corner);
  child.left = corner.x;
  child.top = corner.y;
  child.width = rect.right - rect.left;
  child.height = rect.bottom - rect.top;
  child.visible = api::IsWindowVisible(window) != FALSE;
  SkinImage picture = nullptr;
  if (type == ControlType::ImageButton) {
    child.drawState = ReadProperty(window, property::kDrawState);
    picture = StateImageFor(window, child.drawState);
  } else {
    picture = ReadImageProperty(window, property::kBackImage);
  }
  child.picture = reinterpret_cast<std::uintptr_t>(picture);
  if (picture != nullptr) {
    Gdiplus::REAL width = 0;
    Gdiplus::REAL height = 0;
    api::GdipGetImageDimension(picture, &width, &height);
    if (BackTypeMatters(width, height, child.width, child.height))
      child.backType = ReadProperty(window, property::kBackType);
  }
  if (type == ControlType::TextBox) TakeTextBox(window, child);
}

namespace {

// The skinned windows among `first` and the siblings after it, in window order.
std::vector<HWND> WalkSkinnedChildren(HWND first) {
  std::vector<HWND> found;
  for (HWND child = first; child != nullptr; child = api::GetWindow(child, GW_HWNDNEXT)) {
    if (ControlTypeOf(child) != ControlType::None) found.push_back(child);
  }
  return found;
}

}  // namespace

FormFingerprint TakeFingerprint(HWND form) {
  FormFingerprint fingerprint = FormPart(form);
  for (HWND child : WalkSkinnedChildren(api::GetWindow(form, GW_CHILD)))
    AddChild(fingerprint, form, child, ControlTypeOf(child));
  return fingerprint;
}

namespace {

// The same skinned children as before: each still one (a window that went elsewhere or lost its
// type is found), and no other typed window of the process has come to the form (set as its
// child while hidden, which sends it nothing). Asks only this process's own window records.
bool StillSkinnedChildren(HWND form, const std::vector<std::uintptr_t>& windows) {
  std::size_t children = 0;
  for (HWND typed : WindowsWithLayerProp(property::kType)) {
    if (api::IsWindow(typed) && api::GetAncestor(typed, GA_PARENT) == form) ++children;
  }
  if (children != windows.size()) return false;
  for (std::uintptr_t value : windows) {
    const auto window = reinterpret_cast<HWND>(value);
    if (!api::IsWindow(window) || api::GetAncestor(window, GA_PARENT) != form ||
        ControlTypeOf(window) == ControlType::None) {
      return false;
    }
  }
  return true;
}

// The watch sees only this thread's windows, so only a list of them may be reused.
bool AllOfThisThread(const std::vector<HWND>& windows) {
  const DWORD thread = api::GetCurrentThreadId();
  for (HWND window : windows) {
    if (api::GetWindowThreadProcessId(window, nullptr) != thread) return false;
  }
  return true;
}

}  // namespace

std::vector<HWND> SkinnedChildren(HWND form) {
  FrameMemo* memo = WatchThisThread() ? EnsureMemo(form) : nullptr;
  const std::uint64_t generation = ChildListGeneration();  // before looking: a change meanwhile counts
  // A window that comes to the form (created, or set as its child) always comes first in its
  // z-order and is sent nothing when hidden: asking for the first child is the one question the
  // window system must answer, and the walk, if one is needed, starts from it.
  const HWND first = api::GetWindow(form, GW_CHILD);
  if (memo != nullptr && memo->Children().generation == generation &&
      reinterpret_cast<std::uintptr_t>(first) == memo->Children().first &&
      StillSkinnedChildren(form, memo->Children().windows)) {
    std::vector<HWND> known;
    for (std::uintptr_t value : memo->Children().windows) known.push_back(reinterpret_cast<HWND>(value));
    return known;
  }
  std::vector<HWND> found = WalkSkinnedChildren(first);
  if (memo != nullptr) {
    ChildList& list = memo->Children();
    list.first = reinterpret_cast<std::uintptr_t>(first);
    list.windows.clear();
    for (HWND child : found) list.windows.push_back(reinterpret_cast<std::uintptr_t>(child));
    list.generation = AllOfThisThread(found) ? generation : 0;
  }
  return found;
}

void RefreshIfChanged(HWND form, FormFingerprint now) {
  if (!api::IsWindow(form)) return;
  FrameMemo* memo = MemoOf(form);
  const RefreshAction action =
      memo != nullptr ? memo->Decide(now, form == FocusForm, HeldSerial()) : RefreshAction::Compose;
  switch (action) {
    case RefreshAction::Skip:
      return;
    case RefreshAction::PresentKept: {
      // A recomposition would present the same pixels without the caret and leave CaretShown as it
      // was; the kept bitmap stays FocusComposition.
      const std::uint64_t before = presentations;
      PresentLayered(form, FocusComposition, false);
      if (presentations != before) memo->ShownAgain();
      return;
    }
    case RefreshAction::Compose:
      ComposeFormFrom(form, std::move(now));
      return;
  }
}

void ComposeFormIfChanged(HWND form) {
  if (api::IsWindow(form)) RefreshIfChanged(form, TakeFingerprint(form));
}

std::uint64_t PresentationCount() { return presentations; }

void NotePresented(HWND form) {
  ++presentations;
  if (FrameMemo* memo = MemoOf(form)) memo->Presented(presentations);
}

void NoteComposed(HWND form, FormFingerprint fingerprint) {
  if (FrameMemo* memo = EnsureMemo(form)) memo->Composed(std::move(fingerprint), presentations);
}

void NoteKept(HWND form, SkinImage kept, bool presented) {
  keptImage = kept;
  ++keptSerial;
  if (!presented) return;  // the screen does not show it: the form's memo must not point at it
  if (FrameMemo* memo = MemoOf(form)) memo->Kept(keptSerial);
}

void ForgetPresentation(HWND form) {
  if (FrameMemo* memo = MemoOf(form)) memo->Forget();
}

}  // namespace quorlin::skin
