// Opening, finding, placing, refreshing and closing the windows built from templates.
#include "platform/window_service.h"

#include <memory>

#include "platform/cartoon_box.h"
#include "platform/fatal_error.h"
#include "platform/form_window.h"
#include "platform/text.h"
#include "platform/timer_control.h"
#include "platform/trans_label.h"
#include "platform/window_registry.h"
#include "platform/window_thread.h"

namespace quorlin::platform {

namespace {

HWND CreateControl(HWND parent, const ControlTemplate& design) {
  switch (design.kind) {
    case ControlKind::Button: {
      // A radio has the radio button's type, which is what a screen reader reports as its role.
      const DWORD style = WS_CHILD | (design.radio ? BS_RADIOBUTTON : BS_PUSHBUTTON) |
                          (design.tabStop ? WS_TABSTOP : 0) | (design.visible ? WS_VISIBLE : 0) |
                          (design.disabled ? WS_DISABLED : 0);
      return api::CreateWindowExW(0, L"BUTTON", Widen(design.text).c_str(), style, design.left, design.top,
                                  design.width, design.height, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.id)),
                                  api::GetModuleHandleW(nullptr), nullptr);
    }
    case ControlKind::Timer: return CreateTimerControl(parent, design);
    case ControlKind::TransLabel: return CreateTransLabel(parent, design);
    case ControlKind::CartoonBox:
      return CreateCartoonBox(parent, design.id, design.left, design.top, design.width, design.height, design.visible);
    case ControlKind::CartoonObject: break;
  }
  return nullptr;
}

// The native window of a ref, or the fatal error when the ref names nothing that has one.
HWND HandleOrFail(ControlRef ref) {
  HWND hwnd = WindowHandle(ref);
  if (hwnd == nullptr) FatalError(kNoSuchWindow);
  return hwnd;
}

}  // namespace

Service& service() {
  static Service instance;
  return instance;
}

FormWindow* FindLoaded(std::int32_t windowId) {
  auto it = service().windows.find(windowId);
  return it == service().windows.end() || it->second->hwnd() == nullptr ? nullptr : it->second;
}

const WindowTemplate* FindTemplate(std::int32_t windowId) {
  auto it = service().templates.find(windowId);
  return it == service().templates.end() ? nullptr : &it->second;
}

bool IsWindowRef(ControlRef ref) {
  const WindowTemplate* design = FindTemplate(ref.window);
  return design != nullptr && design->selfId == ref.control;
}

Target FindTarget(ControlRef ref, const char* notLoaded) {
  Target target{FindLoaded(ref.window)};
  if (IsWindowRef(ref)) {
    target.hwnd = target.window ? target.window->hwnd() : nullptr;
    return target;
  }
  if (target.window == nullptr) FatalError(notLoaded);
  auto it = target.window->controls.find(ref.control);
  if (it == target.window->controls.end()) FatalError(kNoSuchWindow);
  target.control = &it->second;
  target.hwnd = LiveHandle(it->second);
  return target;
}

void RegisterWindowTemplate(WindowTemplate window) {
  const std::int32_t id = window.id;
  service().templates.insert_or_assign(id, std::move(window));
}

bool LoadWindow(ControlRef ref, std::optional<ControlRef> parent, bool /*modal*/) {
  ExpectWindowThread("LoadWindow");
  const WindowTemplate* design = FindTemplate(ref.window);
  if (design == nullptr || design->selfId != ref.control) return false;
  if (FindLoaded(ref.window) != nullptr) return true;  // one window per template
  HWND owner = nullptr;
  if (parent) {
    FormWindow* parentWindow = FindLoaded(parent->window);
    if (parentWindow == nullptr) return false;
    owner = parentWindow->hwnd();
  }
  const int left = design->centred ? CentredOrigin(api::GetSystemMetrics(SM_CXSCREEN), design->width) : design->left;
  const int top = design->centred ? CentredOrigin(api::GetSystemMetrics(SM_CYSCREEN), design->height) : design->top;
  DWORD exStyle = (design->showInTaskbar ? WS_EX_APPWINDOW : 0) | (design->layered ? WS_EX_LAYERED : 0);
  DWORD style = WS_POPUP | (design->minimizable ? WS_MINIMIZEBOX | WS_SYSMENU : 0);
  HWND hwnd = FormWindow::Create(std::make_unique<FormWindow>(design), exStyle, Widen(design->title).c_str(),
                                   style, left, top, design->width, design->height, owner);
  FormWindow* loading = FormWindow::FromHandle(hwnd);
  if (loading == nullptr) return false;
  if (service().startupWindowId == 0) service().startupWindowId = design->id;

  for (const ControlTemplate& control : design->controls) {
    ControlState& state = loading->controls[control.id];
    state.design = &control;
    state.hwnd = CreateControl(hwnd, control);
    if (state.hwnd) ApplyStored({design->id, control.id}, state.hwnd);
  }
  ApplyStored(design->Self(), hwnd);
  // Focus cues stay hidden until the keyboard is used (the keys that move the focus show them), as
  // in a dialog box opened with the mouse. The system's "always show keyboard cues" setting is not
  // asked: Wine reports it on by default, which would show a mouse user focus rings.
  api::SendMessageW(hwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);

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
  const Target target = FindTarget(ref, kNoSuchWindow);
  if (target.window == nullptr) FatalError(kNoSuchWindow);
  return target.hwnd;
}

void PlaceWindow(ControlRef ref, std::optional<int> left, std::optional<int> top, std::optional<int> width,
                 std::optional<int> height) {
  ExpectWindowThread("PlaceWindow");
  HWND hwnd = HandleOrFail(ref);
  const Place old = PlaceOf(hwnd);
  const Place place{left.value_or(old[kPropLeft]), top.value_or(old[kPropTop]),
                    width && *width != -1 ? *width : old[kPropWidth],
                    height && *height != -1 ? *height : old[kPropHeight]};
  if (place != old)
    api::MoveWindow(hwnd, place[kPropLeft], place[kPropTop], place[kPropWidth], place[kPropHeight], TRUE);
}

void RefreshNow(ControlRef ref) {
  ExpectWindowThread("RefreshNow");
  api::UpdateWindow(HandleOrFail(ref));
}

void CloseWindow(ControlRef ref, bool immediately) {
  ExpectWindowThread("CloseWindow");
  const Target target = FindTarget(ref, kNoSuchWindow);
  if (target.window == nullptr || target.control != nullptr) FatalError(kNoSuchWindow);
  target.window->closing = true;
  if (immediately)
    api::DestroyWindow(target.hwnd);
  else
    api::PostMessageW(target.hwnd, kDeferredCloseMessage, 0, 0);
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
