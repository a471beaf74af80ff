#!/usr/bin/env bash
# Start-up: the main window appears centred, the overlay lies exactly on it, the version label
# shows through the colour-keyed overlay with its glyphs smoothed over the picture beneath (no fringe
# of the key grey), nothing is drawn outside the window, and the picture is the same whatever the
# system code page and whether the system knows the labels' font by its localized or English name;
# an accessibility client reads every control's name, whatever the code page; the level the session
# runs at carries its badge, and a level too large for the screen is warned of.
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
check_controls "start-up" 101
tool_stop

# The same under the Chinese ANSI code page (936, from LANG=zh_CN.UTF-8; the default run has 1252):
# the tool's texts must not depend on the system code page.
LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 start_tool_and_wait
shot_stable "$E2E_OUT/startup-cp936.png"
check_eq "window picture under code page 936 equals the one under 1252 (differing pixels)" 0 \
  "$(pix diff "$E2E_OUT/startup.png" "$E2E_OUT/startup-cp936.png" "$WIN_X" "$WIN_Y" "$WIN_W" "$WIN_H")"
check_controls "code page 936" 101
tool_stop

# The level in effect carries the amber badge "当前" below its caption (nothing else is stored, so no
# level waits) and 100 % stays selected. Wine reads LogPixels when a session starts: a session each.
# On the 1280 x 800 screen 125 % leaves 1024 x 640 effective pixels, 200 % only 640 x 400: warned of.
AMBER=near:eaa254:45 # the badge's and the selected radio's amber
in_window() { pix count "$1" $((WIN_X + $2)) $((WIN_Y + $3)) "$4" "$5" "$6"; }
notice() { in_window "$1" "${NOTICE_LABEL[@]}" grey:235:255:20; }
for dpi in 96 144; do
  wine_fresh_prefix "$WINE_ENV_DIR/tmp/startup-dpi$dpi-$$" "$E2E_ARCH" || e2e_abort "a private prefix"
  wine_reg_import '[HKEY_CURRENT_USER\Control Panel\Desktop]' "\"LogPixels\"=dword:$(printf '%08x' "$dpi")"
  wine_server -w
  start_tool_and_wait
  shot="$E2E_OUT/session-$dpi.png"
  shot_stable "$shot"
  at=(76 404 "100 %" "150 %")
  ((dpi == 144)) && at=(404 76 "150 %" "100 %")
  check_ge "session at $dpi dpi: the badge below ${at[2]}" 200 "$(in_window "$shot" "${at[0]}" 434 30 14 "$AMBER")"
  check_eq "session at $dpi dpi: no badge below ${at[3]}" 0 "$(in_window "$shot" "${at[1]}" 434 40 14 "$AMBER")"
  check_ge "session at $dpi dpi: the 100 % radio is selected" 150 "$(in_window "$shot" 51 413 22 22 "$AMBER")"
  check_eq "session at $dpi dpi: the 150 % radio is not" 0 "$(in_window "$shot" 378 413 22 22 "$AMBER")"
  check_eq "session at $dpi dpi: no warning at 100 %" 0 "$(notice "$shot")"
  check_eq "session at $dpi dpi: a screen reader finds the one badge by its text" "当前|" "$(badge_names)"
  if ((dpi == 96)); then
    click_at $((WIN_X + 243)) $((WIN_Y + 424)) # 125 %
    shot_stable "$E2E_OUT/select-125.png"
    check_eq "125 % fits the 1280 x 800 screen: no warning" 0 "$(notice "$E2E_OUT/select-125.png")"
    click_at $((WIN_X + 62)) $((WIN_Y + 474)) # 200 %
    shot_stable "$E2E_OUT/select-200.png"
    check_ge "200 % does not fit the 1280 x 800 screen: the warning" 100 "$(notice "$E2E_OUT/select-200.png")"
    click_at $((WIN_X + 243)) $((WIN_Y + 424)) # 125 % again
    shot_stable "$E2E_OUT/select-125-again.png"
    check_eq "back at 125 % the notice area is as at start-up (differing pixels)" 0 \
      "$(pix diff "$shot" "$E2E_OUT/select-125-again.png" $((WIN_X + 504)) $((WIN_Y + 392)) 264 32)"
    click_at $((WIN_X + 91)) $((WIN_Y + 441)) # on the badge, inside the 100 % radio's button
    shot_stable "$E2E_OUT/badge-clicked.png"
    check_ge "a click on the badge selects its level" 150 "$(in_window "$E2E_OUT/badge-clicked.png" 51 413 22 22 "$AMBER")"
  fi
  tool_stop
done
# Only the badges differ between the two sessions: everything else looks as it did.
badges=$(($(pix diff "$E2E_OUT/session-96.png" "$E2E_OUT/session-144.png" $((WIN_X + 76)) $((WIN_Y + 434)) 30 14) +
  $(pix diff "$E2E_OUT/session-96.png" "$E2E_OUT/session-144.png" $((WIN_X + 404)) $((WIN_Y + 434)) 30 14)))
check_eq "the sessions at 96 and 144 dpi differ at the two badges only (pixels there: $badges)" "$badges" \
  "$(pix diff "$E2E_OUT/session-96.png" "$E2E_OUT/session-144.png" "$WIN_X" "$WIN_Y" "$WIN_W" "$WIN_H")"

# A system that knows the labels' font only by its English name "Microsoft YaHei" (GDI matches the
# localized name "微软雅黑" on a Chinese system only): the labels ask for the English name and draw
# in the same font as before.
wine_fresh_prefix "$WINE_ENV_DIR/tmp/startup-english-$$" "$E2E_ARCH" || e2e_abort "a private prefix"
wine_reg_import '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' '"微软雅黑"=-' \
  '"Microsoft YaHei"="WenQuanYi Micro Hei"'
wine_server -w
no_localized_name() { ! grep -qF '"\x5fae\x8f6f\x96c5\x9ed1"=' "$WINEPREFIX/user.reg"; }
check_true "the private prefix maps \"Microsoft YaHei\" and no longer \"微软雅黑\"" no_localized_name
start_tool_and_wait
shot_stable "$E2E_OUT/startup-english-name.png"
check_eq "version label with only the English face name known equals the normal run's (differing pixels)" 0 \
  "$(pix diff "$E2E_OUT/startup.png" "$E2E_OUT/startup-english-name.png" $((WIN_X + VERSION_LABEL[0])) \
    $((WIN_Y + VERSION_LABEL[1])) "${VERSION_LABEL[2]}" "${VERSION_LABEL[3]}")"
e2e_end
