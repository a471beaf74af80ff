#!/usr/bin/env bash
# Start-up: the main window appears centred, the overlay lies exactly on it, the version label
# shows through the colour-keyed overlay with its glyphs smoothed over the picture beneath (no fringe
# of the key grey), nothing is drawn outside the window, and the picture is the same whatever the
# system code page and whether the system knows the labels' font by its localized or English name.
# An accessibility client reads every control's name, whatever the code page.
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
