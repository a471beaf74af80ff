#!/usr/bin/env bash
# Esc: right after start-up and with the main window focused it closes the tool, which ends with
# exit code 0. With the overlay focused (a click on a visible pixel of it) Esc closes the overlay alone.
# Focus cues: clicks on the radios leave the picture exactly as it was; the first Tab shows a ring
# around the focused control and changes nothing else.
source "$(dirname "$0")/lib.sh"
e2e_begin esc

SPOT_X=400 SPOT_Y=250 # an empty spot of the main window (client coordinates)

# 0. Right after start-up, with no click at all: the main window is the active one, so Esc closes
#    the tool (not the overlay alone).
start_tool_and_wait
listing=$(winctl list Quorlin)
echo "$listing" >"$E2E_OUT/windows-start.txt"
check_eq "the main window is the active window after start-up" "active=1" "active=$(field "$(main_line "$listing")" active)"
check_eq "the main window offers minimise to the taskbar" "minimizebox=1 sysmenu=1" \
  "minimizebox=$(field "$(main_line "$listing")" minimizebox) sysmenu=$(field "$(main_line "$listing")" sysmenu)"
key Escape
if tool_wait_exit; then
  pass "Esc right after start-up ends the process"
  check_eq "exit code after Esc right after start-up" 0 "$TOOL_EXIT"
else
  fail "Esc right after start-up ends the process (still running after ${E2E_TIMEOUT}s)"
  tool_stop
fi

# 1. Main window focused.
start_tool_and_wait
shot_stable "$E2E_OUT/start.png"
click_at $((WIN_X + SPOT_X)) $((WIN_Y + SPOT_Y))
sleep 0.3
check_windows_at "$WIN_X" "$WIN_Y" "after a click on the main window"
key Escape
if tool_wait_exit; then
  pass "Esc on the main window ends the process"
  check_eq "exit code after Esc" 0 "$TOOL_EXIT"
else
  fail "Esc on the main window ends the process (still running after ${E2E_TIMEOUT}s)"
fi
check_true "no window titled \"Quorlin\" is left" wait_window_gone Quorlin 5

# 1b. Focus cues are for keyboard users only. Clicks on the 125 % and then the 100 % radio give the
#     radio the focus and leave the selection as it was: the picture is the one before, pixel for
#     pixel. Then Tab moves the focus to Apply (552, 437, 160 x 52), which gets its ring.
start_tool_and_wait
settle
shot_stable "$E2E_OUT/focus-before.png"
click_at $((WIN_X + 232 + 11)) $((WIN_Y + 413 + 11))
sleep 0.3
click_at $((WIN_X + 51 + 11)) $((WIN_Y + 413 + 11))
sleep 0.3
xdotool mousemove 0 0
settle
shot_stable "$E2E_OUT/focus-mouse.png"
check_eq "mouse only: the picture after clicks on two radios equals the one before (differing pixels)" 0 \
  "$(pix diff "$E2E_OUT/focus-before.png" "$E2E_OUT/focus-mouse.png" "$WIN_X" "$WIN_Y" "$WIN_W" "$WIN_H")"
key Tab
settle
shot_stable "$E2E_OUT/focus-tab.png"
check_ge "keyboard: white ring pixels two rows above Apply" 300 \
  "$(pix count "$E2E_OUT/focus-tab.png" $((WIN_X + 550)) $((WIN_Y + 435)) 164 2 exact:ffffff)"
check_ge "keyboard: white ring pixels two columns left of Apply" 100 \
  "$(pix count "$E2E_OUT/focus-tab.png" $((WIN_X + 550)) $((WIN_Y + 437)) 2 52 exact:ffffff)"
check_eq "keyboard: Apply itself is unchanged (differing pixels)" 0 \
  "$(pix diff "$E2E_OUT/focus-mouse.png" "$E2E_OUT/focus-tab.png" $((WIN_X + 552)) $((WIN_Y + 437)) 160 52)"
check_eq "keyboard: nothing changed above the ring (differing pixels)" 0 \
  "$(pix diff "$E2E_OUT/focus-mouse.png" "$E2E_OUT/focus-tab.png" "$WIN_X" "$WIN_Y" "$WIN_W" 430)"
check_eq "keyboard: nothing changed left of the ring (differing pixels)" 0 \
  "$(pix diff "$E2E_OUT/focus-mouse.png" "$E2E_OUT/focus-tab.png" "$WIN_X" $((WIN_Y + 430)) 545 110)"
key Escape
if tool_wait_exit; then pass "Esc after Tab ends the process"; else fail "Esc after Tab ends the process"; fi

# 2. Overlay focused: a click on a glyph pixel of the version label reaches the overlay.
start_tool_and_wait
shot_stable "$E2E_OUT/start2.png"
glyph=$(pix brightest "$E2E_OUT/start2.png" $((WIN_X + VERSION_LABEL[0])) $((WIN_Y + VERSION_LABEL[1])) \
  "${VERSION_LABEL[2]}" "${VERSION_LABEL[3]}" "$LIGHT_GREY")
[[ $glyph != none ]] || e2e_abort "the version label shows (a glyph pixel to click)"
read -r gx gy <<<"$glyph"
click_at "$gx" "$gy"
sleep 0.3
key Escape
sleep 0.5
shot_stable "$E2E_OUT/overlay-closed.png"
check_true "the tool keeps running after Esc on the overlay" tool_running
listing=$(winctl list Quorlin)
echo "$listing" >"$E2E_OUT/windows-overlay-closed.txt"
check_eq "overlay windows after Esc on the overlay" 0 "$(count_lines "$(overlay_lines "$listing")")"
check_eq "main window still in place" "$WIN_X $WIN_Y $WIN_W $WIN_H" "$(rect_of "$(main_line "$listing")")"
check_eq "version label gone from the screen" 0 \
  "$(pix count "$E2E_OUT/overlay-closed.png" $((WIN_X + VERSION_LABEL[0])) $((WIN_Y + VERSION_LABEL[1])) \
    "${VERSION_LABEL[2]}" "${VERSION_LABEL[3]}" "$LIGHT_GREY")"
# A drag afterwards finds the overlay closed and leaves it so.
drag_by $((WIN_X + SPOT_X)) $((WIN_Y + SPOT_Y)) 30 20
listing=$(winctl list Quorlin)
check_eq "main window moved by the later drag" "$((WIN_X + 30)) $((WIN_Y + 20)) $WIN_W $WIN_H" "$(rect_of "$(main_line "$listing")")"
check_eq "overlay windows after the later drag" 0 "$(count_lines "$(overlay_lines "$listing")")"
click_at $((WIN_X + 30 + SPOT_X)) $((WIN_Y + 20 + SPOT_Y))
sleep 0.3
key Escape
if tool_wait_exit; then
  pass "then Esc on the main window ends the process"
  check_eq "exit code" 0 "$TOOL_EXIT"
else
  fail "then Esc on the main window ends the process (still running after ${E2E_TIMEOUT}s)"
fi
e2e_end
