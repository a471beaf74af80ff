#!/usr/bin/env bash
# Dragging: a left-button drag on an empty spot of the main window moves it, and the overlay with
# the version label follows it on every move.
source "$(dirname "$0")/lib.sh"
e2e_begin drag

DX=60 DY=40
# An empty spot of the background: no control, no label (client coordinates).
SPOT_X=400 SPOT_Y=250

start_tool_and_wait
check_windows_at "$WIN_X" "$WIN_Y" "before the drag"
shot_stable "$E2E_OUT/before.png"
label_before=$(pix bbox "$E2E_OUT/before.png" $((WIN_X + VERSION_LABEL[0])) $((WIN_Y + VERSION_LABEL[1])) \
  "${VERSION_LABEL[2]}" "${VERSION_LABEL[3]}" "$LIGHT_GREY")
[[ $label_before != none ]] || e2e_abort "the version label shows before the drag"

drag_by $((WIN_X + SPOT_X)) $((WIN_Y + SPOT_Y)) "$DX" "$DY"
NX=$((WIN_X + DX)) NY=$((WIN_Y + DY))
check_windows_at "$NX" "$NY" "after dragging by ($DX,$DY)"
shot_stable "$E2E_OUT/after.png"
check_screen_at "$NX" "$NY" "$E2E_OUT/after.png" "after the drag"

read -r x0 y0 x1 y1 <<<"$label_before"
check_eq "version label moved by ($DX,$DY)" "$((x0 + DX)) $((y0 + DY)) $((x1 + DX)) $((y1 + DY))" \
  "$(pix bbox "$E2E_OUT/after.png" $((NX + VERSION_LABEL[0])) $((NY + VERSION_LABEL[1])) \
    "${VERSION_LABEL[2]}" "${VERSION_LABEL[3]}" "$LIGHT_GREY")"
# The whole picture (main window and overlay together) moved unchanged; a few pixels may differ
# where the pointer now hovers.
check_le "window picture moved unchanged (differing pixels)" $((WIN_W * WIN_H / 1000)) \
  "$(pix shifted "$E2E_OUT/before.png" "$E2E_OUT/after.png" "$WIN_X" "$WIN_Y" "$WIN_W" "$WIN_H" "$DX" "$DY")"
check_eq "the uncovered part of the old position shows the bare root" 0 \
  "$(pix count "$E2E_OUT/after.png" "$WIN_X" "$WIN_Y" "$WIN_W" "$DY" notblack)"

# And back again: every move takes the overlay along, not only the first.
drag_by $((NX + SPOT_X)) $((NY + SPOT_Y)) $((-DX)) $((-DY))
check_windows_at "$WIN_X" "$WIN_Y" "after dragging back"
shot_stable "$E2E_OUT/back.png"
check_le "picture back in place (differing pixels against the start)" $((WIN_W * WIN_H / 1000)) \
  "$(pix diff "$E2E_OUT/before.png" "$E2E_OUT/back.png")"
check_true "the tool is still running" tool_running
e2e_end
