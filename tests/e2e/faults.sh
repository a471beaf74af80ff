#!/usr/bin/env bash
# A broken or hostile system: GdiPlus.dll missing ends the tool with the fatal error and exit code
# -1; a GdiPlus.dll and a reg.exe planted next to the tool and in the current directory are never
# used; a reg.exe that cannot run leads to the failure notice with Apply usable again. A system
# reg.exe that never ends is ended after 30 s with the failure notice; one that refuses while the
# policy against registry tools is set gives the policy notice; one that exits 0 without writing
# gives the failure notice, not the done state; the real one afterwards reaches the done state.
source "$(dirname "$0")/lib.sh"
e2e_begin faults
wine_fresh_prefix "$WINE_ENV_DIR/tmp/faults-$$" "$E2E_ARCH" || e2e_abort "a private prefix"

HELPERS=$QUORLIN_BUILD/e2e-helpers
mkdir -p "$HELPERS"
build() { # OUT SOURCE FLAGS...
  local out=$1 src=$2
  shift 2
  [[ -f $out && ! $out -ot $src ]] || i686-w64-mingw32-g++-posix -O1 -static -o "$out" "$src" "$@" ||
    e2e_abort "build $(basename "$out")"
}
build "$HELPERS/msgbox_probe.exe" "$E2E_DIR/helpers/msgbox_probe.cpp" -DUNICODE -D_UNICODE
build "$HELPERS/GdiPlus.dll" "$E2E_DIR/planted/planted_dll.cpp" -shared
build "$HELPERS/reg.exe" "$E2E_DIR/planted/planted_program.cpp"
WHITE=grey:235:255:20
count_in() { pix count "$1" $((WIN_X + $2)) $((WIN_Y + $3)) "$4" "$5" "$6"; }

# 1. GdiPlus.dll missing (disabled for this run): the fatal error, then exit code -1.
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;gdiplus=d" tool_start
box=$(wine_run "$HELPERS/msgbox_probe.exe" 2>/dev/null | tr -d '\r')
expected=$'运行时出错!\n\n错误信息：无法找到指定DLL库文件“GdiPlus.dll”中的输出命令“GdiplusStartup”'
check_eq "the error box's text" "$expected" "$(printf '%s' "$box" | sed -e :a -e '/^\n*$/{$d;N;ba' -e '}')"
if tool_wait_exit; then
  check_eq "exit code after the fatal error (-1, as the shell sees it)" 255 "$TOOL_EXIT"
else
  fail "the tool ends after the error box is dismissed"
fi

# 2. A planted GdiPlus.dll and reg.exe next to the tool and in the current directory.
PLANT=$E2E_OUT/planted
mkdir -p "$PLANT/cwd"
cp "$QUORLIN_EXE" "$PLANT/quorlin.exe"
for dir in "$PLANT" "$PLANT/cwd"; do cp "$HELPERS/GdiPlus.dll" "$HELPERS/reg.exe" "$dir/"; done
wine_run reg.exe add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
QUORLIN_EXE=$PLANT/quorlin.exe
E2E_OUT_SAVED=$E2E_OUT
E2E_OUT=$PLANT/cwd # tool_start runs the tool from here: its current directory
start_tool_and_wait
E2E_OUT=$E2E_OUT_SAVED
settle
shot_stable "$E2E_OUT/planted.png"
check_ge "the window is dressed from the system's GDI+" 1000 \
  "$(pix count "$E2E_OUT/planted.png" $((WIN_X + 552)) $((WIN_Y + 437)) 160 52 near:d84036:80)"
click_at $((WIN_X + 232 + 11)) $((WIN_Y + 413 + 11)) # 125 %
sleep 0.3
click_at $((WIN_X + 552 + 80)) $((WIN_Y + 437 + 26)) # Apply
for _ in $(seq 1 100); do
  shot "$E2E_OUT/planted-done.png"
  (($(count_in "$E2E_OUT/planted-done.png" 504 392 264 32 "$WHITE") > 150)) && break
  sleep 0.2
done
value=$(wine_run reg.exe query 'HKCU\Control Panel\Desktop' /v LogPixels 2>/dev/null | tr -d '\r' | awk '$1 == "LogPixels" {print $3}')
check_eq "the system's reg.exe wrote LogPixels" 0x78 "$value"
for marker in planted-dll-loaded planted-dll-used planted-reg-used; do
  check_true "no $marker marker next to the tool or in the current directory" \
    test ! -e "$PLANT/$marker.txt" -a ! -e "$PLANT/cwd/$marker.txt"
done
tool_stop

# 3. reg.exe cannot run: the failure notice, no log-off, Apply usable again.
QUORLIN_EXE=$QUORLIN_ROOT/dist/quorlin.exe
[[ $E2E_ARCH == win64 ]] && QUORLIN_EXE=$QUORLIN_ROOT/dist/quorlin64.exe
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;reg.exe=d" start_tool_and_wait
settle
shot_stable "$E2E_OUT/ready.png"
click_at $((WIN_X + 552 + 80)) $((WIN_Y + 437 + 26))
notice=0
for _ in $(seq 1 100); do
  shot "$E2E_OUT/failed.png"
  if (($(count_in "$E2E_OUT/failed.png" 504 392 264 32 "$WHITE") > 100)); then notice=1; break; fi
  sleep 0.2
done
check_eq "a notice appears after reg.exe could not run" 1 "$notice"
settle
shot_stable "$E2E_OUT/failed.png"
check_le "the background is still the intro one (no done picture)" 2000 \
  "$(pix diff "$E2E_OUT/ready.png" "$E2E_OUT/failed.png" $((WIN_X + 0)) $((WIN_Y + 54)) 800 290)"
check_ge "the red Apply button is back" 1000 \
  "$(count_in "$E2E_OUT/failed.png" 552 437 160 52 near:d84036:80)"
check_true "the tool keeps running" tool_running
key Escape
tool_wait_exit || fail "Esc closes the tool after the failure"
general_box=$(pix bbox "$E2E_OUT/failed.png" $((WIN_X + 504)) $((WIN_Y + 392)) 264 32 "$WHITE")

# 4. The system's own reg.exe broken: stand-ins in the private prefix's system directory, which
# Wine runs instead of its built-in reg.exe (reg.exe=n,b: the file there first, and Wine's own
# when the file is the prefix's placeholder for it).
for kind in NEVER_ENDS FAILS WRITES_NOTHING; do
  build "$HELPERS/reg-${kind,,}.exe" "$E2E_DIR/planted/planted_program.cpp" -DSTAND_IN_$kind
done
SYSTEM_REG=$WINEPREFIX/drive_c/windows/system32/reg.exe
cp "$SYSTEM_REG" "$E2E_OUT/system-reg.exe" # the prefix's own, to put back
# The file is a hard link into the shared prefix: replace the link, never write through it.
system_reg() { rm -f "$SYSTEM_REG" && cp "$1" "$SYSTEM_REG"; }
policy() { # 1 sets DisableRegistryTools, - removes it (regedit: reg.exe itself is a stand-in now)
  local data='dword:00000001'
  [[ $1 == - ]] && data=-
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System]\r\n"DisableRegistryTools"=%s\r\n' \
    "$data" >"$E2E_OUT/policy.reg"
  wine_run regedit /S "$(winepath -w "$E2E_OUT/policy.reg" 2>/dev/null)" >/dev/null 2>&1
}
# A reg.exe of this prefix still running (read-only look at the processes of this prefix only).
reg_running() {
  local pid
  for pid in $(pgrep -f 'reg\.exe add'); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}
notice_box() { pix bbox "$1" $((WIN_X + 504)) $((WIN_Y + 392)) 264 32 "$WHITE"; }
box_width() { [[ $1 == none ]] && echo 0 || { read -r x0 _ x1 _ <<<"$1"; echo $((x1 - x0 + 1)); }; }
# How much the text in notice box A is wider or narrower than in box B, in pixels.
width_gap() { local d=$(($(box_width "$1") - $(box_width "$2"))); echo $((d < 0 ? -d : d)); }
# Clicks Apply, waits until the notice of an earlier try is gone and a new one shows (at most
# SECS seconds), and leaves the settled screenshot in NAME.png. False when none shows.
apply_until_notice() { # NAME SECS
  local deadline=$((SECONDS + $2)) hidden=0
  click_at $((WIN_X + 552 + 80)) $((WIN_Y + 437 + 26))
  while ((SECONDS < deadline)); do
    shot "$E2E_OUT/$1.png"
    local white
    white=$(count_in "$E2E_OUT/$1.png" 504 392 264 32 "$WHITE")
    ((white < 20)) && hidden=1
    if ((hidden && white > 100)); then
      settle
      shot_stable "$E2E_OUT/$1.png"
      return 0
    fi
    sleep 0.2
  done
  return 1
}

system_reg "$HELPERS/reg-never_ends.exe"
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;reg.exe=n,b" start_tool_and_wait
settle
# 30 s for reg.exe, the 2 s pause, and the usual margin for a busy machine.
( for _ in $(seq 1 100); do reg_running && exit 0; sleep 0.2; done; exit 1 ) &
seen_running=$!
if apply_until_notice hung $((30 + 2 + E2E_TIMEOUT)); then
  pass "a reg.exe that never ends leads to a notice within its time limit"
else
  fail "a reg.exe that never ends leads to a notice within its time limit"
fi
hung_box=$(notice_box "$E2E_OUT/hung.png")
check_le "it is the general failure notice (same text, same width)" 2 "$(width_gap "$hung_box" "$general_box")"
check_ge "the red Apply button is back" 1000 "$(count_in "$E2E_OUT/hung.png" 552 437 160 52 near:d84036:80)"
check_true "a reg.exe ran while the strip was shown" wait "$seen_running"
check_true "the hung reg.exe was ended" eval '! reg_running'

policy 1
system_reg "$HELPERS/reg-fails.exe"
apply_until_notice policy $((2 + E2E_TIMEOUT)) || fail "a notice after reg.exe refused under the policy"
policy_width=$(box_width "$(notice_box "$E2E_OUT/policy.png")")
check_ge "under the policy the notice is the policy one (11 characters, wider than the 9 of the general one)" \
  $(($(box_width "$general_box") + 20)) "$policy_width"
policy -

system_reg "$HELPERS/reg-writes_nothing.exe"
apply_until_notice unwritten $((2 + E2E_TIMEOUT)) || fail "a notice after a reg.exe that wrote nothing"
check_le "exit code 0 without writing: the general notice" 2 \
  "$(width_gap "$(notice_box "$E2E_OUT/unwritten.png")" "$general_box")"
check_le "exit code 0 without writing: no done picture" 2000 \
  "$(pix diff "$E2E_OUT/ready.png" "$E2E_OUT/unwritten.png" $((WIN_X + 0)) $((WIN_Y + 54)) 800 290)"
check_le "exit code 0 without writing: no Log off button" 300 \
  "$(count_in "$E2E_OUT/unwritten.png" 552 437 160 52 near:2fa84f:90)"

# The prefix's own reg.exe again: the next Apply of the same run reaches the done state.
system_reg "$E2E_OUT/system-reg.exe"
click_at $((WIN_X + 552 + 80)) $((WIN_Y + 437 + 26))
done_seen=0
for _ in $(seq 1 100); do
  shot "$E2E_OUT/recovered.png"
  if (($(count_in "$E2E_OUT/recovered.png" 552 437 160 52 near:2fa84f:90) > 3000)); then done_seen=1; break; fi
  sleep 0.2
done
check_eq "after the failures a working reg.exe reaches the done state" 1 "$done_seen"
tool_stop
e2e_end
