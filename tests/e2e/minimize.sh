#!/usr/bin/env bash
# Minimise and restore with the system commands a taskbar button sends (WM_SYSCOMMAND SC_MINIMIZE
# and SC_RESTORE, from another program): the overlay goes with the main window, and after each
# restore the window is back in place with exactly one overlay on it and the version label showing.
# (Wine hides owned windows on SC_MINIMIZE of the active window, as Windows does on any minimise;
# a bare ShowWindow(SW_MINIMIZE) from outside leaves them shown under Wine.)
source "$(dirname "$0")/lib.sh"
e2e_begin minimize

start_tool_and_wait
check_windows_at "$WIN_X" "$WIN_Y" "start-up"
SPOT_X=400 SPOT_Y=250 # an empty spot of the main window (client coordinates)

for round in 1 2; do
  click_at $((WIN_X + SPOT_X)) $((WIN_Y + SPOT_Y)) # the main window active, as when using the tool
  sleep 0.3
  winctl sysminimize Quorlin >/dev/null || e2e_abort "round $round: winctl finds the window to minimise"
  sleep 0.5
  listing=$(winctl list Quorlin)
  echo "$listing" >"$E2E_OUT/windows-minimised-$round.txt"
  main=$(main_line "$listing")
  check_eq "round $round: main window minimised" "iconic=1" "iconic=$(field "$main" iconic)"
  # The overlay is hidden, or sits off the screen with the minimised window.
  overlays=$(overlay_lines "$listing")
  on_screen=0
  while IFS= read -r o; do
    [[ -z $o ]] && continue
    if [[ $(field "$o" visible) == 1 && $(field "$o" x) -gt -1000 ]]; then on_screen=$((on_screen + 1)); fi
  done <<<"$overlays"
  check_eq "round $round: overlays left on the screen while minimised" 0 "$on_screen"
  shot_stable "$E2E_OUT/minimised-$round.png"
  # Wine without a window manager draws a minimised window as a small box at the bottom left;
  # the place of the window itself must be bare.
  check_eq "round $round: the window's place is bare while minimised" 0 \
    "$(pix count "$E2E_OUT/minimised-$round.png" "$WIN_X" "$WIN_Y" "$WIN_W" "$WIN_H" notblack)"

  winctl sysrestore Quorlin >/dev/null || e2e_abort "round $round: winctl finds the window to restore"
  sleep 0.5
  check_windows_at "$WIN_X" "$WIN_Y" "round $round: after restore"
  shot_stable "$E2E_OUT/restored-$round.png"
  check_screen_at "$WIN_X" "$WIN_Y" "$E2E_OUT/restored-$round.png" "round $round: after restore"
done
check_true "the tool is still running" tool_running
e2e_end
