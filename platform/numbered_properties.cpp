// The numbered properties of windows and controls: stored, applied to the native windows and read back.
#include "platform/numbered_properties.h"

#include "platform/animation_service.h"
#include "platform/cartoon_box.h"
#include "platform/fatal_error.h"
#include "platform/timer_control.h"
#include "platform/trans_label.h"
#include "platform/window_registry.h"
#include "platform/window_service.h"
#include "platform/window_thread.h"

namespace quorlin::platform {

bool HasParentCoordinates(HWND hwnd) {
  return (api::GetWindowLongA(hwnd, GWL_STYLE) & WS_POPUP) == 0 && api::GetParent(hwnd) != nullptr;
}

RECT CurrentRect(HWND hwnd) {
  RECT rect{};
  api::GetWindowRect(hwnd, &rect);
  if (HasParentCoordinates(hwnd))
    api::MapWindowPoints(nullptr, api::GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

namespace {

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

void SetWindowKindProperty(FormWindow& window, int index, const PropertyValue& value) {
  if (index == kPropWindowBackColor) {
    window.backColor = static_cast<std::uint32_t>(value.Number());
    api::InvalidateRect(window.Handle(), nullptr, TRUE);
  }
}

PropertyValue GetWindowKindProperty(const FormWindow& window, int index) {
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

}  // namespace

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
  FormWindow* window = FindLoaded(ref.window);
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
  FormWindow* window = FindLoaded(ref.window);
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

}  // namespace quorlin::platform
