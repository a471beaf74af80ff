#!/usr/bin/env bash
# Start-up: the main window appears centred, the overlay lies exactly on it, the version label
# shows through the colour-keyed overlay with its glyphs smoothed over the picture beneath (no fringe
# of the key grey), nothing is drawn outside the window, and the picture is the same whatever the
# system code page.
source "$(dirname "$0")/lib.sh"
e2e_begin startup

start_tool_and_wait
check_windows_at "$WIN_X" "$WIN_Y" "start-up"

shot_stable "$E2E_OUT/startup.png"
check_screen_at "$WIN_X" "$WIN_Y" "$E2E_OUT/startup.png" "start-up"
check_eq "version label pixels blended with the key grey instead of the picture beneath" 0 \
  "$(key_fringe "$E2E_OUT/startup.png" "$WIN_X" "$WIN_Y" intro_background.png VERSION_LABEL "$VERSION_COLOR")"
# The overlay's spare label lies below the window's bottom edge; the overlay is clipped to
# 800 x 540, so the screen below the window stays the bare root.
check_eq "nothing drawn below the window (spare label area)" 0 \
  "$(pix count "$E2E_OUT/startup.png" $((WIN_X + 432)) $((WIN_Y + WIN_H)) 392 40 notblack)"
check_eq "nothing drawn outside the window" \
  "$(pix count "$E2E_OUT/startup.png" 0 0 "$SCREEN_W" "$SCREEN_H" notblack)" \
  "$(pix count "$E2E_OUT/startup.png" "$WIN_X" "$WIN_Y" "$WIN_W" "$WIN_H" notblack)"
check_true "the tool is still running" tool_running
tool_stop

# The same under the Chinese ANSI code page (936, from LANG=zh_CN.UTF-8; the default run has 1252):
# the tool's texts must not depend on the system code page.
LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 start_tool_and_wait
shot_stable "$E2E_OUT/startup-cp936.png"
check_eq "window picture under code page 936 equals the one under 1252 (differing pixels)" 0 \
  "$(pix diff "$E2E_OUT/startup.png" "$E2E_OUT/startup-cp936.png" "$WIN_X" "$WIN_Y" "$WIN_W" "$WIN_H")"
e2e_end
