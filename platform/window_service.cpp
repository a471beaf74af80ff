#include "platform/window_service.h"

#include <map>
#include <memory>
#include <string>

#include "platform/animation_service.h"
#include "platform/cartoon_box.h"
#include "platform/fatal_error.h"
#include "platform/handle_owners.h"
#include "platform/text.h"
#include "platform/timer_control.h"
#include "platform/trans_label.h"
#include "platform/win_api.h"
#include "platform/window_binding.h"
#include "platform/window_thread.h"

namespace quorlin::platform {

namespace {

// Posted when a click or an activation may have raised a window above the windows it owns.
constexpr UINT kRaiseOwnedMessage = WM_APP + 0x52;
constexpr char kWindowNotLoaded[] = "未载入欲访问窗口组件所在的窗口";
constexpr char kNoNativeWindowYet[] = "指定窗口尚未载入";
constexpr char kNoSuchWindow[] = "指定窗口或窗口组件不存在或尚未载入";

// Common values set while a window or control had no native window; applied when it is created.
struct StoredCommon {
  std::optional<std::int32_t> left, top, width, height;
  std::optional<bool> visible, disabled;
};

struct ControlState {
  const ControlTemplate* design = nullptr;
  HWND hwnd = nullptr;
};

// A control's window may be destroyed on its own (a button closed with WM_CLOSE): from then on the
// control has no window, like a control whose window was never created.
HWND LiveHandle(ControlState& control) {
  if (control.hwnd != nullptr && !api::IsWindow(control.hwnd)) control.hwnd = nullptr;
  return control.hwnd;
}

// A window opened from its template; it lives as long as its native window.
class LoadedWindow : public BoundWindow<LoadedWindow> {
 public:
  static constexpr const wchar_t* kClassName = L"QuorlinForm";
  static void DescribeClass(WNDCLASSEXW& windowClass) {
    windowClass.hCursor = api::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hIcon = api::LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(1));  // the program's icon, if any
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  }

  explicit LoadedWindow(const WindowTemplate* design) : design(design) {}
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // The window's native handle while it is loaded; null from its destruction on.
  HWND hwnd() const { return destroyed_ ? nullptr : hwnd_; }

  const WindowTemplate* design;
  bool closing = false;
  bool created = false;  // the created event has been raised; events flow from then on
  std::optional<std::uint32_t> backColor;
  std::map<std::int32_t, ControlState> controls;

 private:
  bool destroyed_ = false;
};

struct Service {
  std::map<std::int32_t, WindowTemplate> templates;
  std::map<std::int32_t, LoadedWindow*> windows;  // each owned by its native window
  std::map<ControlRef, StoredCommon> stored;
  std::map<ControlRef, std::string> tags;
  std::map<ControlRef, std::int32_t> pointers;
  std::int32_t startupWindowId = 0;
};

Service& service() {
  static Service instance;
  return instance;
}

LoadedWindow* FindLoaded(std::int32_t windowId) {
  auto& windows = service().windows;
  auto it = windows.find(windowId);
  return it == windows.end() || it->second->hwnd() == nullptr ? nullptr : it->second;
}

LoadedWindow* LoadedFromHandle(HWND hwnd) {
  LoadedWindow* window = LoadedWindow::FromHandle(hwnd);
  return window != nullptr && window->hwnd() != nullptr ? window : nullptr;
}

const WindowTemplate* FindTemplate(std::int32_t windowId) {
  auto& templates = service().templates;
  auto it = templates.find(windowId);
  return it == templates.end() ? nullptr : &it->second;
}

bool IsWindowRef(ControlRef ref) {
  const WindowTemplate* design = FindTemplate(ref.window);
  return design != nullptr && design->selfId == ref.control;
}

// The native window of a ref, or the fatal error when the ref names nothing that is open.
HWND HandleOrFail(ControlRef ref) {
  LoadedWindow* window = FindLoaded(ref.window);
  if (window == nullptr) FatalError(kNoSuchWindow);
  if (IsWindowRef(ref)) return window->hwnd();
  auto it = window->controls.find(ref.control);
  if (it == window->controls.end() || LiveHandle(it->second) == nullptr) FatalError(kNoSuchWindow);
  return it->second.hwnd;
}

bool HasParentCoordinates(HWND hwnd) {
  return (api::GetWindowLongA(hwnd, GWL_STYLE) & WS_POPUP) == 0 && api::GetParent(hwnd) != nullptr;
}

// The window's rectangle in its parent's client coordinates, or on the screen for a top-level window.
RECT CurrentRect(HWND hwnd) {
  RECT rect{};
  api::GetWindowRect(hwnd, &rect);
  if (HasParentCoordinates(hwnd))
    api::MapWindowPoints(nullptr, api::GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void ApplyCommon(HWND hwnd, int index, const PropertyValue& value) {
  RECT rect = CurrentRect(hwnd);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  switch (index) {
    case kPropLeft:
      api::MoveWindow(hwnd, ClampPosition(value.Number()), rect.top, width, height, TRUE);
      break;
    case kPropTop:
      api::MoveWindow(hwnd, rect.left, ClampPosition(value.Number()), width, height, TRUE);
      break;
    case kPropWidth:
      api::SetWindowPos(hwnd, nullptr, 0, 0, ClampSize(value.Number()), height,
                        SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
      break;
    case kPropHeight:
      api::SetWindowPos(hwnd, nullptr, 0, 0, width, ClampSize(value.Number()),
                        SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
      break;
    case kPropVisible:
      // Controls and owned windows are shown without activating them: showing the notice on the
      // overlay, or the overlay itself, must not take the keyboard (and with it Esc) away from the
      // main window.
      api::ShowWindow(hwnd, !value.Flag()                                                  ? SW_HIDE
                            : HasParentCoordinates(hwnd) || api::GetWindow(hwnd, GW_OWNER) ? SW_SHOWNA
                                                                                           : SW_SHOW);
      break;
    case kPropDisabled:
      api::EnableWindow(hwnd, value.Flag() ? FALSE : TRUE);
      break;
    default:
      break;
  }
}

std::optional<PropertyValue> ReadCommon(ControlRef ref, HWND hwnd, int index) {
  switch (index) {
    case kPropTag: return PropertyValue(service().tags[ref]);
    case kPropMousePointer: return PropertyValue(service().pointers[ref]);
    default: break;
  }
  if (hwnd == nullptr) {
    const StoredCommon& stored = service().stored[ref];
    const WindowTemplate* window = FindTemplate(ref.window);
    const ControlTemplate* design = window ? window->FindControl(ref.control) : nullptr;
    switch (index) {
      case kPropLeft: return PropertyValue(stored.left.value_or(design ? design->left : 0));
      case kPropTop: return PropertyValue(stored.top.value_or(design ? design->top : 0));
      case kPropWidth: return PropertyValue(stored.width.value_or(design ? design->width : 0));
      case kPropHeight: return PropertyValue(stored.height.value_or(design ? design->height : 0));
      case kPropVisible: return PropertyValue(stored.visible.value_or(design ? design->visible : false));
      case kPropDisabled: return PropertyValue(stored.disabled.value_or(design ? design->disabled : false));
      default: return std::nullopt;
    }
  }
  RECT rect = CurrentRect(hwnd);
  switch (index) {
    case kPropLeft: return PropertyValue(static_cast<std::int32_t>(rect.left));
    case kPropTop: return PropertyValue(static_cast<std::int32_t>(rect.top));
    case kPropWidth: return PropertyValue(static_cast<std::int32_t>(rect.right - rect.left));
    case kPropHeight: return PropertyValue(static_cast<std::int32_t>(rect.bottom - rect.top));
    case kPropVisible: return PropertyValue((api::GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE) != 0);
    case kPropDisabled: return PropertyValue(!api::IsWindowEnabled(hwnd));
    default: return std::nullopt;
  }
}

void Store(StoredCommon& stored, int index, const PropertyValue& value) {
  switch (index) {
    case kPropLeft: stored.left = ClampPosition(value.Number()); break;
    case kPropTop: stored.top = ClampPosition(value.Number()); break;
    case kPropWidth: stored.width = ClampSize(value.Number()); break;
    case kPropHeight: stored.height = ClampSize(value.Number()); break;
    case kPropVisible: stored.visible = value.Flag(); break;
    case kPropDisabled: stored.disabled = value.Flag(); break;
    default: break;
  }
}

// Applies what was stored for a ref before its window existed, then forgets it.
void ApplyStored(ControlRef ref, HWND hwnd) {
  auto it = service().stored.find(ref);
  if (it == service().stored.end()) return;
  StoredCommon stored = it->second;
  service().stored.erase(it);
  if (stored.left) ApplyCommon(hwnd, kPropLeft, *stored.left);
  if (stored.top) ApplyCommon(hwnd, kPropTop, *stored.top);
  if (stored.width) ApplyCommon(hwnd, kPropWidth, *stored.width);
  if (stored.height) ApplyCommon(hwnd, kPropHeight, *stored.height);
  if (stored.disabled) ApplyCommon(hwnd, kPropDisabled, *stored.disabled);
  if (stored.visible) ApplyCommon(hwnd, kPropVisible, *stored.visible);
}

void SetWindowKindProperty(LoadedWindow& window, int index, const PropertyValue& value) {
  if (index == kPropWindowBackColor) {
    window.backColor = static_cast<std::uint32_t>(value.Number());
    api::InvalidateRect(window.Handle(), nullptr, TRUE);
  }
}

PropertyValue GetWindowKindProperty(const LoadedWindow& window, int index) {
  switch (index) {
    case kPropWindowBackColor:
      return PropertyValue(window.backColor.value_or(api::GetSysColor(COLOR_BTNFACE)));
    case kPropWindowState:
      if (api::IsIconic(window.Handle())) return PropertyValue(kWindowStateMinimized);
      if (api::IsZoomed(window.Handle())) return PropertyValue(kWindowStateMaximized);
      return PropertyValue(kWindowStateNormal);
    default:
      return {};
  }
}

void SetControlKindProperty(const ControlState& control, int index, const PropertyValue& value) {
  switch (control.design->kind) {
    case ControlKind::TransLabel: SetLabelProperty(control.hwnd, index, value); break;
    case ControlKind::Timer:
      if (index == kPropTimerPeriod) SetTimerPeriod(control.hwnd, value.Number());
      break;
    case ControlKind::CartoonBox:
      if (CartoonBox* box = CartoonBoxFromHandle(control.hwnd); box && index == kPropBoxBackColor)
        box->SetBackColor(static_cast<std::uint32_t>(value.Number()));
      break;
    default: break;
  }
}

PropertyValue GetControlKindProperty(const ControlState& control, int index) {
  switch (control.design->kind) {
    case ControlKind::TransLabel: return GetLabelProperty(control.hwnd, index);
    case ControlKind::Timer: return index == kPropTimerPeriod ? PropertyValue(TimerPeriod(control.hwnd)) : PropertyValue();
    case ControlKind::CartoonBox:
      if (CartoonBox* box = CartoonBoxFromHandle(control.hwnd); box && index == kPropBoxBackColor)
        return PropertyValue(box->BackColor());
      return {};
    default: return {};
  }
}

HWND CreateControl(HWND parent, const ControlTemplate& design) {
  HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.id));
  HINSTANCE instance = api::GetModuleHandleW(nullptr);
  switch (design.kind) {
    case ControlKind::Button: {
      DWORD style = WS_CHILD | BS_PUSHBUTTON | (design.visible ? WS_VISIBLE : 0) | (design.disabled ? WS_DISABLED : 0);
      return api::CreateWindowExW(0, L"BUTTON", Widen(design.text).c_str(), style, design.left, design.top,
                                  design.width, design.height, parent, id, instance, nullptr);
    }
    case ControlKind::Timer:
      return CreateTimerControl(parent, design.id, design.left, design.top, design.width, design.height,
                                design.timerPeriod, design.onTick);
    case ControlKind::TransLabel: {
      LabelProperties properties = ParseLabelRecord(design.record).value_or(LabelProperties());
      return CreateTransLabel(parent, design.id, design.left, design.top, design.width, design.height,
                              design.visible, properties);
    }
    case ControlKind::CartoonBox:
      return CreateCartoonBox(parent, design.id, design.left, design.top, design.width, design.height, design.visible);
    case ControlKind::CartoonObject:
      return nullptr;
  }
  return nullptr;
}

void FillBackground(const LoadedWindow& window, HDC dc) {
  RECT client;
  api::GetClientRect(window.Handle(), &client);
  UniqueBrush brush(api::CreateSolidBrush(*window.backColor));
  api::FillRect(dc, &client, brush.get());
}

// Keeps a window's owned windows above it. Each goes through topmost and back: a real change of place,
// so the window system restacks it even where it already believes it is on top (Wine without a window
// manager raises a clicked owner above its owned windows); it ends just where it belongs.
void RaiseOwnedWindows(HWND owner) {
  static bool raising = false;  // the restacking itself reports z-order changes
  if (raising) return;
  raising = true;
  const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  for (auto& [id, window] : service().windows) {
    HWND owned = window->hwnd();
    if (owned == nullptr || owned == owner || api::GetWindow(owned, GW_OWNER) != owner) continue;
    api::SetWindowPos(owned, HWND_TOPMOST, 0, 0, 0, 0, flags);
    api::SetWindowPos(owned, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
  }
  raising = false;
}

std::optional<LRESULT> LoadedWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      service().windows[design->id] = this;
      return std::nullopt;
    case WM_ERASEBKGND:
      if (!backColor) return std::nullopt;
      FillBackground(*this, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) api::PostMessageW(hwnd_, kRaiseOwnedMessage, 0, 0);
      return std::nullopt;
    case WM_PARENTNOTIFY:
      if (LOWORD(wParam) == WM_LBUTTONDOWN) api::PostMessageW(hwnd_, kRaiseOwnedMessage, 0, 0);
      return std::nullopt;
    case kRaiseOwnedMessage:
      RaiseOwnedWindows(hwnd_);
      return 0;
    case WM_MOVE:
      if (created && design->onMoved) design->onMoved();
      return 0;
    case WM_LBUTTONDOWN:
      if (!design->freeMove) return std::nullopt;
      // Let the system move the window as if its caption had been grabbed.
      api::ReleaseCapture();
      api::SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
      RaiseOwnedWindows(hwnd_);
      return 0;
    case WM_COMMAND: {
      if (HIWORD(wParam) != BN_CLICKED || lParam == 0) return std::nullopt;
      auto it = controls.find(static_cast<std::int32_t>(LOWORD(wParam)));
      if (it != controls.end() && it->second.hwnd == reinterpret_cast<HWND>(lParam) && it->second.design->onClick)
        it->second.design->onClick();
      return 0;
    }
    case kDeferredCloseMessage:
      if (closing) {
        closing = false;
        api::DestroyWindow(hwnd_);
      }
      return 0;
    case WM_DESTROY:
      destroyed_ = true;  // no longer loaded
      return std::nullopt;
    case WM_NCDESTROY: {
      auto& windows = service().windows;
      if (auto it = windows.find(design->id); it != windows.end() && it->second == this) windows.erase(it);
      if (design->id == service().startupWindowId) api::PostQuitMessage(0);
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

// Esc in a window whose template says so, whichever of its controls has the focus, closes it.
bool HandleEscape(const MSG& message) {
  // With no focus at all (the focused Apply button was disabled) keys arrive as system keys.
  bool key = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
  if (!key || message.wParam != VK_ESCAPE || message.hwnd == nullptr) return false;
  HWND root = api::GetAncestor(message.hwnd, GA_ROOT);
  LoadedWindow* window = LoadedFromHandle(root);
  if (window == nullptr || !window->design->escCloses) return false;
  api::SendMessageW(root, WM_CLOSE, 0, 0);
  return true;
}

}  // namespace

void RegisterWindowTemplate(WindowTemplate window) {
  std::int32_t id = window.id;
  service().templates[id] = std::move(window);
}

bool LoadWindow(ControlRef ref, std::optional<ControlRef> parent, bool /*modal*/) {
  ExpectWindowThread("LoadWindow");
  const WindowTemplate* design = FindTemplate(ref.window);
  if (design == nullptr || design->selfId != ref.control) return false;
  if (FindLoaded(ref.window) != nullptr) return true;  // one window per template
  HWND owner = nullptr;
  if (parent) {
    LoadedWindow* parentWindow = FindLoaded(parent->window);
    if (parentWindow == nullptr) return false;
    owner = parentWindow->hwnd();
  }
  int left = design->left, top = design->top;
  if (design->centred) {
    left = CentredOrigin(api::GetSystemMetrics(SM_CXSCREEN), design->width);
    top = CentredOrigin(api::GetSystemMetrics(SM_CYSCREEN), design->height);
  }
  DWORD exStyle = (design->showInTaskbar ? WS_EX_APPWINDOW : 0) | (design->layered ? WS_EX_LAYERED : 0);
  DWORD style = WS_POPUP | (design->minimizable ? WS_MINIMIZEBOX | WS_SYSMENU : 0);
  HWND hwnd = LoadedWindow::Create(std::make_unique<LoadedWindow>(design), exStyle, Widen(design->title).c_str(),
                                   style, left, top, design->width, design->height, owner);
  LoadedWindow* loading = LoadedWindow::FromHandle(hwnd);
  if (loading == nullptr) return false;
  if (service().startupWindowId == 0) service().startupWindowId = design->id;

  for (const ControlTemplate& control : design->controls) {
    ControlState& state = loading->controls[control.id];
    state.design = &control;
    state.hwnd = CreateControl(hwnd, control);
    if (state.hwnd) ApplyStored({design->id, control.id}, state.hwnd);
  }
  ApplyStored(design->Self(), hwnd);

  // Shown once its created handler has set it up (picture, colour key, place), so that nothing of
  // it appears half made. A window of its own is activated; an owned one is not: it must never take
  // the keyboard (and with it Esc) from its owner.
  loading->created = true;
  if (design->onCreated) design->onCreated();
  if (FindLoaded(design->id) != loading) return true;  // the handler closed it
  if (design->visible) api::ShowWindow(hwnd, owner == nullptr ? SW_SHOW : SW_SHOWNA);
  // Showing raised the window; the windows it owns belong above it.
  RaiseOwnedWindows(hwnd);
  return true;
}

bool IsWindowLoaded(ControlRef ref) {
  ExpectWindowThread("IsWindowLoaded");
  return IsWindowRef(ref) && FindLoaded(ref.window) != nullptr;
}

HWND WindowHandle(ControlRef ref) {
  ExpectWindowThread("WindowHandle");
  LoadedWindow* window = FindLoaded(ref.window);
  if (window == nullptr) FatalError(kNoSuchWindow);
  if (IsWindowRef(ref)) return window->hwnd();
  auto it = window->controls.find(ref.control);
  if (it == window->controls.end()) FatalError(kNoSuchWindow);
  return LiveHandle(it->second);
}

void PlaceWindow(ControlRef ref, std::optional<int> left, std::optional<int> top, std::optional<int> width,
                 std::optional<int> height) {
  ExpectWindowThread("PlaceWindow");
  HWND hwnd = HandleOrFail(ref);
  RECT old = CurrentRect(hwnd);
  int newLeft = left.value_or(old.left), newTop = top.value_or(old.top);
  int newWidth = (width && *width != -1) ? *width : old.right - old.left;
  int newHeight = (height && *height != -1) ? *height : old.bottom - old.top;
  if (newLeft == old.left && newTop == old.top && newWidth == old.right - old.left &&
      newHeight == old.bottom - old.top)
    return;
  api::MoveWindow(hwnd, newLeft, newTop, newWidth, newHeight, TRUE);
}

void RefreshNow(ControlRef ref) {
  ExpectWindowThread("RefreshNow");
  api::UpdateWindow(HandleOrFail(ref));
}

void CloseWindow(ControlRef ref, bool immediately) {
  ExpectWindowThread("CloseWindow");
  if (!IsWindowRef(ref)) FatalError(kNoSuchWindow);
  LoadedWindow* window = FindLoaded(ref.window);
  if (window == nullptr) FatalError(kNoSuchWindow);
  window->closing = true;
  if (immediately)
    api::DestroyWindow(window->hwnd());
  else
    api::PostMessageW(window->hwnd(), kDeferredCloseMessage, 0, 0);
}

void SetControlProperty(ControlRef ref, int index, const PropertyValue& value) {
  ExpectWindowThread("SetControlProperty");
  if (index == kPropTag) {
    service().tags[ref] = value.Text();
    return;
  }
  if (index == kPropMousePointer) {
    service().pointers[ref] = value.Number();
    return;
  }
  LoadedWindow* window = FindLoaded(ref.window);
  if (IsWindowRef(ref)) {
    if (window == nullptr) {
      if (index >= kFirstKindProperty) FatalError(kNoNativeWindowYet);
      Store(service().stored[ref], index, value);
      return;
    }
    if (index >= kFirstKindProperty)
      SetWindowKindProperty(*window, index, value);
    else
      ApplyCommon(window->hwnd(), index, value);
    return;
  }
  if (window == nullptr) FatalError(kWindowNotLoaded);
  auto it = window->controls.find(ref.control);
  if (it == window->controls.end()) FatalError(kNoSuchWindow);
  ControlState& control = it->second;
  if (LiveHandle(control) == nullptr) {
    if (index >= kFirstKindProperty) FatalError(kNoNativeWindowYet);
    Store(service().stored[ref], index, value);
    return;
  }
  if (index >= kFirstKindProperty)
    SetControlKindProperty(control, index, value);
  else
    ApplyCommon(control.hwnd, index, value);
}

PropertyValue GetControlProperty(ControlRef ref, int index) {
  ExpectWindowThread("GetControlProperty");
  LoadedWindow* window = FindLoaded(ref.window);
  if (IsWindowRef(ref)) {
    if (window == nullptr) {
      if (index >= kFirstKindProperty) FatalError(kNoNativeWindowYet);
      return ReadCommon(ref, nullptr, index).value_or(PropertyValue());
    }
    if (index >= kFirstKindProperty) return GetWindowKindProperty(*window, index);
    return ReadCommon(ref, window->hwnd(), index).value_or(PropertyValue());
  }
  if (window == nullptr) FatalError(kWindowNotLoaded);
  auto it = window->controls.find(ref.control);
  if (it == window->controls.end()) FatalError(kNoSuchWindow);
  ControlState& control = it->second;
  if (index >= kFirstKindProperty) {
    if (LiveHandle(control) == nullptr) FatalError(kNoNativeWindowYet);
    return GetControlKindProperty(control, index);
  }
  return ReadCommon(ref, LiveHandle(control), index).value_or(PropertyValue());
}

int RunMessageLoop() {
  MSG message;
  while (api::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (HandleEscape(message)) continue;
    api::TranslateMessage(&message);
    api::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

void ResetWindowServiceForTesting() {
  // Each window leaves the list as it is destroyed.
  auto& windows = service().windows;
  while (!windows.empty()) {
    HWND hwnd = windows.begin()->second->Handle();
    if (api::IsWindow(hwnd))
      api::DestroyWindow(hwnd);
    else
      windows.erase(windows.begin());
  }
  service() = Service();
  MSG message;
  while (api::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message != WM_QUIT) api::DispatchMessageW(&message);
  }
}

}  // namespace quorlin::platform
