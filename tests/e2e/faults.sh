#!/usr/bin/env bash
# A broken or hostile system: GdiPlus.dll missing ends the tool with the fatal error and exit code
# -1; a GdiPlus.dll and a reg.exe planted next to the tool and in the current directory are never
# used; a reg.exe that cannot run leads to the failure notice with Apply usable again.
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
e2e_end
