#!/usr/bin/env bash
# Start-up: the main window appears centred, the overlay lies exactly on it, the version label
# shows through the colour-keyed overlay with its glyphs smoothed over the picture beneath (no fringe
# of the key grey), nothing is drawn outside the window, and the picture is the same whatever the
# system code page and whether the system knows the labels' font by its localized or English name.
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
tool_stop

# The level in effect carries the amber badge "当前" just below its caption; nothing stored for the
# next sign-in that differs from it, so no level carries the outlined "待生效" badge. The session's
# dots per inch come from LogPixels, which Wine reads when a session's first program starts: each
# case gets a session of its own. 100 % stays selected whatever the session runs at.
BADGE_SPOTS=("76 434" "257 434" "404 434" "76 484" "256 484") # 100, 125, 150, 200, 250 %
RADIO_SPOTS=("51 413" "232 413" "378 413" "51 463" "232 463")
AMBER=near:eaa254:45 # the badges' and the selected radio's amber, RGB(246, 190, 108) to (222, 142, 52)
WHITE=grey:235:255:20 # the notice text
amber_at() { # PNG "X Y" W H -> amber pixels of that rectangle of the window
  local x y
  read -r x y <<<"$2"
  pix count "$1" $((WIN_X + x)) $((WIN_Y + y)) "$3" "$4" "$AMBER"
}
# badges_at PNG WHEN LEVEL: the badge at LEVEL (index in BADGE_SPOTS) and at no other level.
badges_at() {
  local png=$1 when=$2 level=$3 i
  check_ge "$when: the \"当前\" badge below caption $level" 200 "$(amber_at "$png" "${BADGE_SPOTS[level]}" 30 14)"
  for i in 0 1 2 3 4; do
    ((i == level)) && continue
    check_eq "$when: no badge below caption $i" 0 "$(amber_at "$png" "${BADGE_SPOTS[i]}" 40 14)"
  done
  check_ge "$when: the 100 % radio is the selected one" 150 "$(amber_at "$png" "${RADIO_SPOTS[0]}" 22 22)"
  for i in 1 2 3 4; do
    check_eq "$when: radio $i is not selected" 0 "$(amber_at "$png" "${RADIO_SPOTS[i]}" 22 22)"
  done
}
notice_pixels() { pix count "$1" $((WIN_X + NOTICE_LABEL[0])) $((WIN_Y + NOTICE_LABEL[1])) "${NOTICE_LABEL[2]}" "${NOTICE_LABEL[3]}" "$WHITE"; }
click_radio() { # INDEX
  local x y
  read -r x y <<<"${RADIO_SPOTS[$1]}"
  click_at $((WIN_X + x + 11)) $((WIN_Y + y + 11))
}

for dpi in 96 144; do
  wine_fresh_prefix "$WINE_ENV_DIR/tmp/startup-dpi$dpi-$$" "$E2E_ARCH" || e2e_abort "a private prefix"
  wine_reg_import '[HKEY_CURRENT_USER\Control Panel\Desktop]' "\"LogPixels\"=dword:$(printf '%08x' "$dpi")"
  wine_server -w
  start_tool_and_wait
  shot_stable "$E2E_OUT/session-$dpi.png"
  if ((dpi == 96)); then
    badges_at "$E2E_OUT/session-$dpi.png" "session at 96 dpi" 0
    # On the 1280 x 800 screen 125 % leaves 1024 x 640 effective pixels, 200 % only 640 x 400.
    check_eq "at start-up (100 %) no warning" 0 "$(notice_pixels "$E2E_OUT/session-$dpi.png")"
    click_radio 1
    shot_stable "$E2E_OUT/select-125.png"
    check_eq "125 % fits the 1280 x 800 screen: no warning" 0 "$(notice_pixels "$E2E_OUT/select-125.png")"
    click_radio 3
    shot_stable "$E2E_OUT/select-200.png"
    check_ge "200 % does not fit the 1280 x 800 screen: the warning" 100 "$(notice_pixels "$E2E_OUT/select-200.png")"
    check_ge "the 200 % radio is selected now" 150 "$(amber_at "$E2E_OUT/select-200.png" "${RADIO_SPOTS[3]}" 22 22)"
    check_ge "the badge stays with the level in effect" 200 "$(amber_at "$E2E_OUT/select-200.png" "${BADGE_SPOTS[0]}" 30 14)"
    click_radio 1
    shot_stable "$E2E_OUT/select-125-again.png"
    check_eq "back at 125 % the warning is gone" 0 "$(notice_pixels "$E2E_OUT/select-125-again.png")"
    check_eq "back at 125 % the notice area is the start-up picture again (differing pixels)" 0 \
      "$(pix diff "$E2E_OUT/startup.png" "$E2E_OUT/select-125-again.png" $((WIN_X + NOTICE_LABEL[0])) \
        $((WIN_Y + NOTICE_LABEL[1])) "${NOTICE_LABEL[2]}" "${NOTICE_LABEL[3]}")"
  else
    badges_at "$E2E_OUT/session-$dpi.png" "session at 144 dpi" 2
    check_eq "session at 144 dpi: at start-up (100 %) no warning" 0 "$(notice_pixels "$E2E_OUT/session-$dpi.png")"
  fi
  tool_stop
done
# Only the badges differ between the two sessions: everything else looks as it did.
all=$(pix diff "$E2E_OUT/session-96.png" "$E2E_OUT/session-144.png" "$WIN_X" "$WIN_Y" "$WIN_W" "$WIN_H")
at_100=$(pix diff "$E2E_OUT/session-96.png" "$E2E_OUT/session-144.png" $((WIN_X + 76)) $((WIN_Y + 434)) 30 14)
at_150=$(pix diff "$E2E_OUT/session-96.png" "$E2E_OUT/session-144.png" $((WIN_X + 404)) $((WIN_Y + 434)) 30 14)
check_ge "the sessions at 96 and 144 dpi differ at the two badges' places" 200 "$((at_100 + at_150))"
check_eq "... and nowhere else (differing pixels in the whole window)" "$((at_100 + at_150))" "$all"

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
