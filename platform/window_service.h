// Windows and controls built from templates, addressed by ControlRef, with numbered properties.
// All of it runs on the window thread (platform/window_thread.h).
#pragma once

#include <windows.h>

#include <optional>

#include "platform/logic/property_rules.h"
#include "platform/logic/property_value.h"
#include "platform/logic/window_template.h"

namespace quorlin::platform {

// Makes a template known to the service; LoadWindow builds windows from the registered templates.
void RegisterWindowTemplate(WindowTemplate window);

// Opens a window from its template with all its controls and raises its created event. A window that
// is already open stays the one window of its template: the call only returns true.
bool LoadWindow(ControlRef window, std::optional<ControlRef> parent = std::nullopt, bool modal = false);
bool IsWindowLoaded(ControlRef window);
// The native handle of a window or control; 0 while a control has no window of its own.
HWND WindowHandle(ControlRef ref);
void PlaceWindow(ControlRef ref, std::optional<int> left, std::optional<int> top,
                 std::optional<int> width = std::nullopt, std::optional<int> height = std::nullopt);
void RefreshNow(ControlRef window);
void CloseWindow(ControlRef window, bool immediately = false);

void SetControlProperty(ControlRef ref, int index, const PropertyValue& value);
PropertyValue GetControlProperty(ControlRef ref, int index);

// Dispatches messages until the window opened first has been destroyed; returns the exit code.
int RunMessageLoop();
// The keys the message loop handles before dispatching: Esc in a window that closes on it; Tab,
// Shift+Tab, the arrow keys and Enter among the controls that the keyboard reaches (as a dialog
// box moves its focus). True when the message was used and must not be dispatched.
bool HandleWindowKeys(const MSG& message);

// The private message that carries a deferred close.
constexpr UINT kDeferredCloseMessage = 0x8065;

// For tests: closes every open window at once and forgets templates and stored values.
void ResetWindowServiceForTesting();

}  // namespace quorlin::platform
