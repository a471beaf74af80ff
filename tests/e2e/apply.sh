#!/usr/bin/env bash
# Keyboard only first: Tab to the radios, three arrows to 200 %, Enter: LogPixels 192 is written.
# Then Apply and log off, the user's whole story with the mouse: choose 150 %, Apply; the amber strip runs across rows
# 349 to 354; the done state follows with the green Log off button at Apply's place and the notice;
# the registry holds LogPixels 144 and Win8DpiScaling 1; a restore from the minimised state keeps the
# done state; Log off ends another program of the session and the tool; a program started in the
# next session gets 144 dots per inch. Runs in a private prefix: the log-off ends its whole session.
source "$(dirname "$0")/lib.sh"
e2e_begin apply
wine_fresh_prefix "$WINE_ENV_DIR/tmp/apply-$$" "$E2E_ARCH" || e2e_abort "a private prefix"
reg_value() { # NAME -> the value's data as reg.exe prints it (0x..)
  wine_run reg.exe query 'HKCU\Control Panel\Desktop' /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n {print $3}'
}
wine_run reg.exe add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
wine_run reg.exe delete 'HKCU\Control Panel\Desktop' /v Win8DpiScaling /f >/dev/null 2>&1
wine_server -w

AMBER=near:e09b41:70           # the strip's band, around RGB(224, 155, 65)
GREEN=near:2fa84f:90           # the Log off button
WHITE=grey:235:255:20          # the notice text
count_in() { pix count "$1" $((WIN_X + $2)) $((WIN_Y + $3)) "$4" "$5" "$6"; }

# The done state has come when the green Log off button stands at Apply's place.
wait_done() { # PNG
  local i
  for i in $(seq 1 100); do
    shot "$1"
    if (($(count_in "$1" 552 437 160 52 "$GREEN") > 3000)); then return 0; fi
    sleep 0.2
  done
  return 1
}

# Keyboard only: no mouse button is pressed.
start_tool_and_wait
settle
key Tab
key Right
key Right
key Right
settle
check_controls "keyboard: after Tab and three arrows" 104
key Return
check_true "keyboard: Enter in the radios applies (the done state comes)" wait_done "$E2E_OUT/keyboard-done.png"
check_eq "keyboard: LogPixels in the registry" 0xc0 "$(reg_value LogPixels)"
check_eq "keyboard: Win8DpiScaling in the registry" 0x1 "$(reg_value Win8DpiScaling)"
check_controls "keyboard: done state" 104
notice_name=$(field "$(winctl controls Quorlin | grep -m1 ' id=201 ')" name)
check_eq "keyboard: the notice label reads as its text" "注销前，请注意保存所有打开的文件！" "$notice_name"
tool_stop
wine_run reg.exe add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
wine_run reg.exe delete 'HKCU\Control Panel\Desktop' /v Win8DpiScaling /f >/dev/null 2>&1
wine_server -w

start_tool_and_wait
settle
shot_stable "$E2E_OUT/before.png"
click_at $((WIN_X + 378 + 11)) $((WIN_Y + 413 + 11)) # the 150 % radio
sleep 0.3
click_at $((WIN_X + 552 + 80)) $((WIN_Y + 437 + 26)) # Apply

# The strip: poll until it shows (the worker sets it up first thing).
strip=0
for _ in $(seq 1 40); do
  shot "$E2E_OUT/strip.png"
  strip=$(count_in "$E2E_OUT/strip.png" 0 350 800 4 "$AMBER")
  ((strip > 1500)) && break
  sleep 0.1
done
check_ge "amber strip pixels across rows 350 to 353" 1500 "$strip"
# The desk in the photograph is amber-ish too: the strip adds nothing above row 349.
check_le "no strip pixels above row 349" 40 "$(pix diff "$E2E_OUT/before.png" "$E2E_OUT/strip.png" \
  $((WIN_X + 0)) $((WIN_Y + 300)) 800 49)"

# The done state.
done_seen=0
for _ in $(seq 1 100); do
  shot "$E2E_OUT/done.png"
  if (($(count_in "$E2E_OUT/done.png" 552 437 160 52 "$GREEN") > 3000)); then done_seen=1; break; fi
  sleep 0.2
done
check_eq "the green Log off button stands at (552, 437)" 1 "$done_seen"
settle
shot_stable "$E2E_OUT/done.png"
check_ge "the notice is shown above it" 150 "$(count_in "$E2E_OUT/done.png" 504 392 264 32 "$WHITE")"
# The labels are drawn over the done background now beneath them, not over the overlay's key grey.
check_eq "notice pixels blended with the key grey instead of the done background" 0 \
  "$(key_fringe "$E2E_OUT/done.png" "$WIN_X" "$WIN_Y" done_background.png NOTICE_LABEL "$NOTICE_COLOR")"
check_eq "version label pixels blended with the key grey instead of the done background" 0 \
  "$(key_fringe "$E2E_OUT/done.png" "$WIN_X" "$WIN_Y" done_background.png VERSION_LABEL "$VERSION_COLOR")"
check_le "the strip is gone" 40 "$(count_in "$E2E_OUT/done.png" 0 350 800 4 "$AMBER")"
check_eq "LogPixels in the registry" 0x90 "$(reg_value LogPixels)"
check_eq "Win8DpiScaling in the registry" 0x1 "$(reg_value Win8DpiScaling)"
# The session still runs at 100 % ("当前", filled amber); 150 % waits for the next sign-in ("待生效",
# an amber outline), just below its caption.
BADGE=near:eaa254:45
check_ge "done: the \"当前\" badge stays below the 100 % caption" 200 "$(count_in "$E2E_OUT/done.png" 76 434 30 14 "$BADGE")"
check_eq "before Apply no level waited" 0 "$(count_in "$E2E_OUT/before.png" 404 434 40 14 "$BADGE")"
check_ge "done: the \"待生效\" badge below the 150 % caption" 30 "$(count_in "$E2E_OUT/done.png" 404 434 40 14 "$BADGE")"
check_eq "done: a screen reader finds both badges by their texts" "当前|待生效|" "$(badge_names)"

# A restore from the minimised state keeps the done state (the user can still log off).
winctl minimize Quorlin >/dev/null
sleep 0.5
winctl restore Quorlin >/dev/null
sleep 0.5
settle
shot_stable "$E2E_OUT/restored.png"
check_ge "after a restore the Log off button is still there" 3000 "$(count_in "$E2E_OUT/restored.png" 552 437 160 52 "$GREEN")"
check_ge "after a restore the notice is still there" 150 "$(count_in "$E2E_OUT/restored.png" 504 392 264 32 "$WHITE")"
check_eq "after a restore the badges are as in the done state (differing pixels)" "0 0" \
  "$(pix diff "$E2E_OUT/done.png" "$E2E_OUT/restored.png" $((WIN_X + 76)) $((WIN_Y + 434)) 30 14) $(
    pix diff "$E2E_OUT/done.png" "$E2E_OUT/restored.png" $((WIN_X + 404)) $((WIN_Y + 434)) 40 14)"
check_eq "after a restore no notice pixels blend with the key grey" 0 \
  "$(key_fringe "$E2E_OUT/restored.png" "$WIN_X" "$WIN_Y" done_background.png NOTICE_LABEL "$NOTICE_COLOR")"

# Log off ends the whole session: another program of it and the tool.
wine_start notepad.exe
OTHER_PID=$WINE_PID
other_running() { [[ -r /proc/$OTHER_PID/stat ]] && [[ $(awk '{print $3}' /proc/$OTHER_PID/stat) != Z ]]; }
wait_window Notepad >/dev/null || wait_window "Untitled - Notepad" >/dev/null || true
sleep 1
check_true "another program runs in the session" other_running
# Bring the tool back on top of the other program and click Log off.
winctl restore Quorlin >/dev/null
sleep 0.3
click_at $((WIN_X + 552 + 80)) $((WIN_Y + 437 + 26))
if tool_wait_exit; then pass "the tool ends after Log off"; else fail "the tool ends after Log off"; fi
gone=0
for _ in $(seq 1 50); do
  if ! other_running; then gone=1; break; fi
  sleep 0.2
done
check_eq "the other program of the session ended too" 1 "$gone"
wine_server -w

# The next session starts at the new scaling.
probe=$QUORLIN_BUILD/e2e-helpers/dpi_probe.exe
if [[ ! -f $probe || $probe -ot $E2E_DIR/helpers/dpi_probe.cpp ]]; then
  mkdir -p "${probe%/*}"
  i686-w64-mingw32-g++-posix -O1 -static -o "$probe" "$E2E_DIR/helpers/dpi_probe.cpp" -lgdi32
fi
check_eq "a program of the next session" "logpixelsx=144" "$(wine_run "$probe" 2>/dev/null | tr -d '\r')"
e2e_end
