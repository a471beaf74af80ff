// Window templates: the fixed description of a window, its controls and the handlers bound to their
// events, from which the window service builds real windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorlin::platform {

// Names a window (its window id and the id of its own element) or a control of a window.
struct ControlRef {
  std::int32_t window = 0;
  std::int32_t control = 0;
  auto operator<=>(const ControlRef&) const = default;  // and with it ==
};

using EventHandler = void (*)();

enum class ControlKind {
  Button,         // a system push button; raises clicked
  Timer,          // invisible; raises tick at its period
  TransLabel,     // a text drawn straight onto the window behind it
  CartoonBox,     // an animation box of picture objects
  CartoonObject,  // a design-time animation object: data only, no window of its own
};

struct ControlTemplate {
  std::int32_t id = 0;
  std::string designName;
  ControlKind kind = ControlKind::Button;
  std::int32_t left = 0, top = 0, width = 0, height = 0;
  bool visible = true;
  bool disabled = false;
  std::string text;                   // a button's caption: its accessible name
  // A button that is a radio of a group: consecutive radios of a window form one group, which Tab
  // enters at its checked radio and the arrow keys move through.
  bool radio = false;
  bool tabStop = false;               // Tab and Shift+Tab move the focus to it
  std::int32_t timerPeriod = 0;       // a timer's design period
  std::vector<std::uint8_t> record;   // a label's stored design record
  EventHandler onClick = nullptr;
  EventHandler onTick = nullptr;
};

// A control of `kind` at its design place; every other field keeps its default.
inline ControlTemplate PlacedControl(std::int32_t id, ControlKind kind, std::int32_t left = 0, std::int32_t top = 0,
                                     std::int32_t width = 0, std::int32_t height = 0) {
  ControlTemplate control;
  control.id = id;
  control.kind = kind;
  control.left = left;
  control.top = top;
  control.width = width;
  control.height = height;
  return control;
}

struct WindowTemplate {
  std::int32_t id = 0;       // the window id
  std::int32_t selfId = 0;   // the id of the window's own element
  std::string designName;
  std::string title;
  std::int32_t left = 0, top = 0, width = 0, height = 0;
  bool centred = false;        // placed in the middle of the primary screen at creation
  bool escCloses = false;      // Esc in the window closes it
  bool freeMove = false;       // a press on the window surface drags it
  bool showInTaskbar = false;
  // Minimise and system-menu styles: a borderless window draws nothing for them, but the taskbar
  // (click, Win+M, its menu) and Alt+Space only minimise, restore and close a window that has them.
  bool minimizable = false;
  // Created with WS_EX_LAYERED: such a window shows nothing until its first picture or colour key,
  // so it never appears as an unpainted box.
  bool layered = false;
  bool visible = true;
  std::vector<ControlTemplate> controls;
  // Enter with the focus in a radio group clicks the first of these buttons that is enabled and
  // shown: the default button.
  std::vector<std::int32_t> defaultButtons;
  EventHandler onCreated = nullptr;
  EventHandler onMoved = nullptr;

  ControlRef Self() const { return {id, selfId}; }
  const ControlTemplate* FindControl(std::int32_t controlId) const {
    for (const auto& control : controls)
      if (control.id == controlId) return &control;
    return nullptr;
  }
};

// Where a centred window goes: the screen's middle, each coordinate truncated.
constexpr std::int32_t CentredOrigin(std::int32_t screenExtent, std::int32_t windowExtent) {
  return (screenExtent - windowExtent) / 2;
}

}  // namespace quorlin::platform
