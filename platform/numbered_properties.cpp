// The numbered properties of windows and controls: stored, applied to the native windows and read back.
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

Place PlaceOf(HWND hwnd) {
  RECT rect{};
  api::GetWindowRect(hwnd, &rect);
  if (HasParentCoordinates(hwnd))
    api::MapWindowPoints(nullptr, api::GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

namespace {

// Applies a common value, as CommonValue gives it, to the native window.
void ApplyCommon(HWND hwnd, int index, std::int32_t value) {
  switch (index) {
    case kPropLeft:
    case kPropTop:
    case kPropWidth:
    case kPropHeight: {
      Place place = PlaceOf(hwnd);
      place[index] = value;
      if (index == kPropLeft || index == kPropTop)
        api::MoveWindow(hwnd, place[kPropLeft], place[kPropTop], place[kPropWidth], place[kPropHeight], TRUE);
      else
        api::SetWindowPos(hwnd, nullptr, 0, 0, place[kPropWidth], place[kPropHeight],
                          SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
      break;
    }
    case kPropVisible:
      // Controls and owned windows are shown without activating them: showing the notice on the
      // overlay, or the overlay itself, must not take the keyboard (and with it Esc) away from the
      // main window.
      api::ShowWindow(hwnd, value == 0                                                     ? SW_HIDE
                            : HasParentCoordinates(hwnd) || api::GetWindow(hwnd, GW_OWNER) ? SW_SHOWNA
                                                                                           : SW_SHOW);
      break;
    case kPropDisabled:
      api::EnableWindow(hwnd, value != 0 ? FALSE : TRUE);
      break;
    default:
      break;
  }
}

// A common value as it is stored: positions and sizes clamped, flags 0 or 1.
std::int32_t CommonValue(int index, const PropertyValue& value) {
  switch (index) {
    case kPropLeft:
    case kPropTop: return ClampPosition(value.Number());
    case kPropWidth:
    case kPropHeight: return ClampSize(value.Number());
    default: return value.Flag();
  }
}

PropertyValue ReadCommon(ControlRef ref, HWND hwnd, int index) {
  if (index == kPropTag) return service().tags[ref];
  if (index == kPropMousePointer) return service().pointers[ref];
  if (index < 0 || index >= kFirstKindProperty) return {};
  if (hwnd) {
    if (index == kPropVisible) return (api::GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (index == kPropDisabled) return !api::IsWindowEnabled(hwnd);
    return PlaceOf(hwnd)[index];
  }
  // Without a native window: the value stored for it, else the template's.
  if (std::optional<std::int32_t> stored = service().stored[ref][index]) return *stored;
  const WindowTemplate* window = FindTemplate(ref.window);
  const ControlTemplate* design = window ? window->FindControl(ref.control) : nullptr;
  if (design == nullptr) return {};
  const std::int32_t designed[] = {design->left, design->top,     design->width,   design->height,
                                   0,            design->visible, design->disabled};
  return designed[index];
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
      return api::IsIconic(window.Handle())  ? kWindowStateMinimized
             : api::IsZoomed(window.Handle()) ? kWindowStateMaximized
                                              : kWindowStateNormal;
    default:
      return {};
  }
}

void SetControlKindProperty(const ControlState& control, int index, const PropertyValue& value) {
  switch (control.design->kind) {
    case ControlKind::TransLabel: SetLabelProperty(control.hwnd, index, value); break;
    case ControlKind::Timer: SetTimerProperty(control.hwnd, index, value); break;
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
    case ControlKind::Timer: return GetTimerProperty(control.hwnd, index);
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
  const StoredCommon stored = it->second;
  service().stored.erase(it);
  for (int index : {kPropLeft, kPropTop, kPropWidth, kPropHeight, kPropDisabled, kPropVisible})
    if (stored[index]) ApplyCommon(hwnd, index, *stored[index]);
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
  const Target target = FindTarget(ref, kWindowNotLoaded);
  if (index < 0) return;
  if (target.hwnd == nullptr) {
    if (index >= kFirstKindProperty) FatalError(kNoNativeWindowYet);
    service().stored[ref][index] = CommonValue(index, value);
  } else if (index < kFirstKindProperty) {
    ApplyCommon(target.hwnd, index, CommonValue(index, value));
  } else if (target.control) {
    SetControlKindProperty(*target.control, index, value);
  } else {
    SetWindowKindProperty(*target.window, index, value);
  }
}

PropertyValue GetControlProperty(ControlRef ref, int index) {
  ExpectWindowThread("GetControlProperty");
  const Target target = FindTarget(ref, kWindowNotLoaded);
  if (index < kFirstKindProperty) return ReadCommon(ref, target.hwnd, index);
  if (target.hwnd == nullptr) FatalError(kNoNativeWindowYet);
  return target.control ? GetControlKindProperty(*target.control, index) : GetWindowKindProperty(*target.window, index);
}

}  // namespace quorlin::platform
