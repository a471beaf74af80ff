// Where the keyboard moves the focus among a window's controls: Tab and Shift+Tab from stop to stop,
// the arrow keys within a radio group.
#pragma once

#include <cstddef>
#include <optional>
#include <span>

namespace quorlin::platform {

// One control of a window as the keyboard sees it, in the order of the window's template.
struct KeyStop {
  bool tabStop = false;  // Tab reaches it
  bool radio = false;    // consecutive radios form one group, which is one stop for Tab
  bool usable = false;   // it has a window, shown and enabled: the focus may go there
  bool checked = false;  // a radio that is the selected one
};

// The control Tab (or Shift+Tab, with backward) gives the focus to, from the focused control `from`
// (none when the focus is on no control of the window), going round at either end. A radio group is
// entered at its checked radio, or at its first usable one when none is checked; unusable controls
// are skipped. None when no control can take the focus.
std::optional<std::size_t> TabTarget(std::span<const KeyStop> stops, std::optional<std::size_t> from, bool backward);

// The radio an arrow key moves to from the radio `from`: the next (or, with backward, the previous)
// usable radio of its group, going round within the group. None when `from` is no radio.
std::optional<std::size_t> ArrowTarget(std::span<const KeyStop> stops, std::size_t from, bool backward);

}  // namespace quorlin::platform
