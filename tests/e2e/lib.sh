# shellcheck shell=bash disable=SC2034 # the variables are read by the test scripts
# Helpers for the end-to-end tests: run the tool under Wine on a virtual display, find and measure
# its windows, read screen pixels, drive the mouse and keyboard, and report checks.
#
# A test script:
#   source "$(dirname "$0")/lib.sh"
#   e2e_begin startup            # display + prefix (or the parent run's), tool path, helper
#   tool_start; main=$(wait_window Quorlin) || e2e_abort "..."
#   check_eq "main window left" 240 "$x"
#   e2e_end                      # summary line; exit status 1 when a check failed
#
# Every check prints "PASS: <test>: <what>" or "FAIL: <test>: <what> (...)". Waits are bounded
# (E2E_TIMEOUT seconds, default 30) only so that a broken tool cannot hang the run; no check
# depends on how fast anything happens.
#
# Environment: QUORLIN_EXE (default dist/quorlin.exe; dist/quorlin64.exe runs in the 64-bit
# prefix), QUORLIN_WINCTL (the winctl.exe helper; built when absent), E2E_TIMEOUT.

# E2E_TRACE=1: trace every command with a time stamp (for finding where a test waits).
if [[ -n ${E2E_TRACE:-} ]]; then
  PS4='+ $EPOCHREALTIME '
  set -x
fi

E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
QUORLIN_ROOT=${QUORLIN_ROOT:-$(cd "$E2E_DIR/../.." && pwd)}
# shellcheck source=../../tools/wine_env.sh
source "$QUORLIN_ROOT/tools/wine_env.sh"

PYTHON=/usr/bin/python3 # the system Python has PIL
IMPORT=/usr/bin/import  # ImageMagick itself, not a stand-in earlier in PATH
E2E_TIMEOUT=${E2E_TIMEOUT:-30}
# The virtual screen and where the tool's 800 x 540 window lands on it when centred.
SCREEN_W=1280 SCREEN_H=800
WIN_W=800 WIN_H=540
WIN_X=$(((SCREEN_W - WIN_W) / 2)) WIN_Y=$(((SCREEN_H - WIN_H) / 2))
KEY_GREY=787878 # the overlay's transparent colour, RGB(120, 120, 120)
# Light grey text such as the version label (0xC0C0C0), anti-aliased against its surroundings.
LIGHT_GREY=grey:150:215:14

E2E_PASSED=0
E2E_FAILED=0
TOOL_PID=
TOOL_EXIT=

# ---- set-up ---------------------------------------------------------------------------------

e2e_begin() {
  E2E_NAME=$1
  QUORLIN_EXE=${QUORLIN_EXE:-$QUORLIN_ROOT/dist/quorlin.exe}
  [[ $QUORLIN_EXE == /* ]] || QUORLIN_EXE=$PWD/$QUORLIN_EXE
  local arch=win32
  if [[ ${QUORLIN_EXE##*/} == *64* ]]; then arch=win64; fi
  E2E_ARCH=${E2E_ARCH:-$arch}
  E2E_OUT=$QUORLIN_BUILD/e2e/$E2E_NAME$([[ $E2E_ARCH == win64 ]] && echo -win64)
  rm -rf "$E2E_OUT"
  mkdir -p "$E2E_OUT"
  [[ -f $QUORLIN_EXE ]] || e2e_abort "no program at $QUORLIN_EXE (build it: cmake --preset win32 && cmake --build --preset win32)"
  wine_env_setup "$E2E_ARCH" || e2e_abort "no Wine environment"
  # End the tool before the environment goes (the display and prefix may be a parent run's).
  trap 'tool_stop; wine_env_cleanup' EXIT
  e2e_winctl_path >/dev/null || e2e_abort "winctl.exe helper unavailable"
  echo "== $E2E_NAME: $(basename "$QUORLIN_EXE") on DISPLAY=$DISPLAY, prefix $WINEPREFIX"
}

# The winctl helper: $QUORLIN_WINCTL, the one CMake builds (build/win32/winctl.exe), or one built
# here from tests/e2e/helpers/winctl.cpp when neither is there or the source is newer.
e2e_winctl_path() {
  if [[ -n ${QUORLIN_WINCTL:-} ]]; then
    echo "$QUORLIN_WINCTL"
    return
  fi
  local src=$E2E_DIR/helpers/winctl.cpp cmake_built=$QUORLIN_BUILD/win32/winctl.exe
  if [[ -f $cmake_built && ! $cmake_built -ot $src ]]; then
    QUORLIN_WINCTL=$cmake_built
  else
    local own=$QUORLIN_BUILD/e2e-helpers/winctl.exe
    if [[ ! -f $own || $own -ot $src ]]; then
      mkdir -p "${own%/*}"
      i686-w64-mingw32-g++-posix -std=c++20 -O1 -static -DUNICODE -D_UNICODE -o "$own" "$src" >&2 || return 1
    fi
    QUORLIN_WINCTL=$own
  fi
  export QUORLIN_WINCTL
  echo "$QUORLIN_WINCTL"
}

# ---- the tool -------------------------------------------------------------------------------

tool_start() {
  TOOL_EXIT=
  # Park the pointer off the window: one left over a button by an earlier test would show it hovered.
  xdotool mousemove 0 0 2>/dev/null
  pushd "$E2E_OUT" >/dev/null || return 1
  # QUORLIN_ARGS: extra arguments, only for trying the harness with stand-in programs.
  # shellcheck disable=SC2086
  wine_start "$QUORLIN_EXE" "$@" ${QUORLIN_ARGS:-} # a child of this shell: wait gives its exit code
  popd >/dev/null || return 1
  TOOL_PID=$WINE_PID
}

# True while the tool's process exists and has not ended (an ended child stays a zombie until
# waited for).
tool_running() {
  [[ -n $TOOL_PID && -r /proc/$TOOL_PID/stat ]] || return 1
  local stat
  stat=$(cat "/proc/$TOOL_PID/stat" 2>/dev/null) && [[ -n $stat ]] || return 1
  stat=${stat##*) }
  [[ ${stat%% *} != Z ]]
}

# Waits for the tool to end; sets TOOL_EXIT to its exit code (the Windows code modulo 256).
# Returns 1 when it is still running after the timeout.
tool_wait_exit() {
  local timeout=${1:-$E2E_TIMEOUT} i
  [[ -n $TOOL_PID ]] || return 1
  for ((i = 0; i < timeout * 10; i++)); do
    if ! tool_running; then
      wait "$TOOL_PID"
      TOOL_EXIT=$?
      TOOL_PID=
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Ends the tool if it still runs: a close request first, then the process itself.
tool_stop() {
  tool_running || return 0
  winctl close Quorlin >/dev/null 2>&1
  local i
  for ((i = 0; i < 30; i++)); do
    tool_running || break
    sleep 0.1
  done
  if tool_running; then kill "$TOOL_PID" 2>/dev/null; fi
  [[ -n $TOOL_PID ]] && wait "$TOOL_PID" 2>/dev/null
  TOOL_PID=
  return 0
}

# ---- windows --------------------------------------------------------------------------------

# Prints the X window id of the window titled exactly TITLE once it is mapped.
wait_window() {
  local title=$1 timeout=${2:-$E2E_TIMEOUT} i id
  for ((i = 0; i < timeout * 10; i++)); do
    id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -1)
    if [[ -n $id ]]; then
      echo "$id"
      return 0
    fi
    tool_running || [[ -z $TOOL_PID ]] || break
    sleep 0.1
  done
  return 1
}

# Waits until no visible window is titled TITLE.
wait_window_gone() {
  local title=$1 timeout=${2:-$E2E_TIMEOUT} i
  for ((i = 0; i < timeout * 10; i++)); do
    [[ -z $(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null) ]] && return 0
    sleep 0.1
  done
  return 1
}

# "X Y W H" of an X window, in screen coordinates.
x_geometry() {
  xwininfo -id "$1" 2>/dev/null | awk '
    /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w, h}'
}

# Runs the winctl helper in the tool's session (same prefix); output without carriage returns.
winctl() {
  wine_run "$QUORLIN_WINCTL" "$@" 2>/dev/null | tr -d '\r'
  return "${PIPESTATUS[0]}"
}

# The value of KEY in one line of winctl output ("title" and "name" run to the end of the line,
# "accname" up to " name=").
field() {
  local line=$1 key=$2
  if [[ $key == title || $key == name ]]; then
    [[ $line == *" $key="* ]] && echo "${line##* $key=}"
    return
  fi
  if [[ $key == accname ]]; then
    line=${line#* accname=}
    echo "${line% name=*}"
    return
  fi
  sed -n "s/.* $key=\([^ ]*\).*/\1/p" <<<" $line"
}

# winctl list lines of the tool's windows: the main window, and every other top-level window
# that is untitled and owned by it (its overlays; hidden ones included).
main_line() { grep ' main=1 ' <<<"$1"; }
overlay_lines() {
  local listing=$1 main_hwnd
  main_hwnd=$(field "$(main_line "$listing")" hwnd)
  [[ -n $main_hwnd ]] || return 0
  grep ' main=0 ' <<<"$listing" | grep " owner=$main_hwnd " | grep -E ' title=$' || true
}
count_lines() { [[ -z $1 ]] && echo 0 || wc -l <<<"$1"; }
rect_of() { echo "$(field "$1" x) $(field "$1" y) $(field "$1" w) $(field "$1" h)"; }

# ---- the screen -----------------------------------------------------------------------------

shot() { "$IMPORT" -display "$DISPLAY" -window root "$1" 2>/dev/null; }

# A screenshot taken once two captures in a row are identical (windows are flushed lazily).
shot_stable() {
  local out=$1 prev=$E2E_OUT/.stable-a.png cur=$E2E_OUT/.stable-b.png i
  sleep 0.2
  shot "$prev" || return 1
  for ((i = 0; i < 40; i++)); do
    sleep 0.2
    shot "$cur" || return 1
    if [[ $(pix diff "$prev" "$cur") == 0 ]]; then
      mv "$cur" "$out"
      rm -f "$prev"
      return 0
    fi
    mv "$cur" "$prev"
  done
  mv "$prev" "$out" # never settled: assert on the last capture
  echo "note: screen did not settle; using the last capture" >&2
}

# Waits until the screen has stopped changing (the tool is idle after the last action).
settle() { shot_stable "$E2E_OUT/.settled.png" && rm -f "$E2E_OUT/.settled.png"; }

pix() { "$PYTHON" "$E2E_DIR/pixels.py" "$@"; }

# Pixels of a label in a screenshot of the window at X,Y that blend its text colour with the key grey
# instead of with the main window's picture beneath (BACKGROUND: a picture in resources/): a fringe.
# LABEL names an array of the label's rectangle.
key_fringe() { # PNG X Y BACKGROUND LABEL COLOR
  local -n label=$5
  pix keyblend "$1" "$QUORLIN_ROOT/resources/$4" "$2" "$3" "${label[@]}" "$6" "$KEY_GREY"
}

# ---- input ----------------------------------------------------------------------------------

click_at() { xdotool mousemove "$1" "$2" sleep 0.1 click 1; }

# Left-button drag from (X, Y) by (DX, DY), in small steps as a hand would.
drag_by() {
  local x=$1 y=$2 dx=$3 dy=$4 steps=8 i
  xdotool mousemove "$x" "$y"
  sleep 0.1
  xdotool mousedown 1
  sleep 0.2
  for ((i = 1; i <= steps; i++)); do
    xdotool mousemove "$((x + dx * i / steps))" "$((y + dy * i / steps))"
    sleep 0.05
  done
  sleep 0.2
  xdotool mouseup 1
  sleep 0.2
}

key() { xdotool key "$@"; }

# ---- checks ---------------------------------------------------------------------------------

pass() {
  E2E_PASSED=$((E2E_PASSED + 1))
  echo "PASS: $E2E_NAME: $1"
}
fail() {
  E2E_FAILED=$((E2E_FAILED + 1))
  echo "FAIL: $E2E_NAME: $1"
}

check_eq() { # WHAT EXPECTED ACTUAL
  if [[ $2 == "$3" ]]; then pass "$1 ($3)"; else fail "$1: expected '$2', got '$3'"; fi
}
check_ge() { # WHAT MIN ACTUAL
  if [[ $3 =~ ^-?[0-9]+$ ]] && (($3 >= $2)); then pass "$1 ($3 >= $2)"; else fail "$1: expected at least $2, got '$3'"; fi
}
check_le() { # WHAT MAX ACTUAL
  if [[ $3 =~ ^-?[0-9]+$ ]] && (($3 <= $2)); then pass "$1 ($3 <= $2)"; else fail "$1: expected at most $2, got '$3'"; fi
}
check_true() { # WHAT COMMAND...
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}

# A failure after which the test cannot go on: recorded, then the script ends.
e2e_abort() {
  fail "$1"
  e2e_end
}

e2e_end() {
  local pngs
  pngs=$(ls "$E2E_OUT"/*.png 2>/dev/null | tr '\n' ' ')
  if ((E2E_FAILED > 0)) && [[ -n $pngs ]]; then echo "screenshots: $pngs"; fi
  echo "$E2E_NAME: $E2E_PASSED checks passed, $E2E_FAILED failed"
  ((E2E_FAILED == 0 && E2E_PASSED > 0))
  exit $?
}

# ---- common scenario steps -------------------------------------------------------------------

# Starts the tool and waits for its main window; aborts the test when it does not come.
start_tool_and_wait() {
  tool_start "$@"
  MAIN_XID=$(wait_window Quorlin) || e2e_abort "a window titled \"Quorlin\" appears"
  pass "a window titled \"Quorlin\" appears"
}

# The labels' rectangles in client coordinates of the overlay, and their text colours.
VERSION_LABEL=(701 493 89 32) VERSION_COLOR=c0c0c0
NOTICE_LABEL=(504 392 264 32) NOTICE_COLOR=ffffff
MIN_LABEL_PIXELS=20 # light grey pixels the label's glyphs cover at least

# Checks the tool's windows through Win32: the main window at X,Y (800 x 540, shown, not minimised)
# and exactly one overlay (untitled, owned by it, layered) lying on it. WHEN names the moment.
check_windows_at() {
  local x=$1 y=$2 when=$3 listing main overlays top i
  settle
  listing=$(winctl list Quorlin)
  echo "$listing" >"$E2E_OUT/windows-${when// /-}.txt"
  main=$(main_line "$listing")
  check_eq "$when: main window rectangle (Win32)" "$x $y $WIN_W $WIN_H" "$(rect_of "$main")"
  check_eq "$when: main window shown, not minimised" "visible=1 iconic=0" \
    "visible=$(field "$main" visible) iconic=$(field "$main" iconic)"
  overlays=$(overlay_lines "$listing")
  check_eq "$when: number of overlay windows (untitled, owned by the main window)" 1 "$(count_lines "$overlays")"
  if [[ $(count_lines "$overlays") == 1 ]]; then
    check_eq "$when: overlay rectangle equals the main window's" "$x $y $WIN_W $WIN_H" "$(rect_of "$overlays")"
    check_eq "$when: overlay shown and layered" "visible=1 layered=1" \
      "visible=$(field "$overlays" visible) layered=$(field "$overlays" layered)"
  fi
  # Wine may replace a window's X window (it does when the window becomes layered): look it up anew.
  MAIN_XID=$(xdotool search --onlyvisible --name '^Quorlin$' 2>/dev/null | head -1)
  check_eq "$when: main window geometry on the X display" "$x $y $WIN_W $WIN_H" "$(x_geometry "$MAIN_XID")"
  # The tool may restack its windows once it is idle again: give it a moment before judging.
  for ((i = 0; i < 20; i++)); do
    top=$(x_topmost_tool_window)
    [[ $top == overlay ]] && break
    sleep 0.2
  done
  check_eq "$when: topmost of the tool's 800x540 X windows is the untitled overlay" overlay "$top"
}

# "overlay" or "main": which of the tool's mapped 800 x 540 X windows is stacked highest
# (xwininfo lists the root's children topmost first; unmapped ones, such as a window Wine replaced,
# are skipped). Owned windows must stay above their owner.
x_topmost_tool_window() {
  local exe line id
  exe=$(basename "$QUORLIN_EXE")
  xwininfo -root -children >"$E2E_OUT/x-stack.txt" 2>/dev/null
  while IFS= read -r line; do
    id=${line%% *}
    xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' || continue
    case $line in
      *"(has no name)"*) echo overlay ;;
      *'"Quorlin"'*) echo main ;;
      *) echo other ;;
    esac
    return
  done < <(grep -iF "(\"$exe\"" "$E2E_OUT/x-stack.txt" | grep -F " ${WIN_W}x${WIN_H}+" | sed 's/^ *//')
  echo none
}

# Checks the tool's controls as an accessibility client reads them (winctl controls: the text sent
# for with WM_GETTEXT, the name from the system's accessibility proxy, the button type, the checked
# state): every button and label is named by its visible caption, the five radios are radio buttons
# and only the one of CHECKED (a control id, 101 to 105) is checked. WHEN names the moment.
check_controls() { # WHEN CHECKED
  local when=$1 checked=$2 listing line entry id expected types="" marks=""
  listing=$(winctl controls Quorlin)
  echo "$listing" >"$E2E_OUT/controls-${when// /-}.txt"
  for entry in "101|正常-100% (默认)" "102|中等-125%" "103|较大-150%" "104|特大-200%" "105|超大-250%" \
    "106|应用" "107|注销" "108|关闭" "202|版本号：V$(cat "$QUORLIN_ROOT/VERSION")"; do
    id=${entry%%|*} expected=${entry#*|}
    line=$(grep -m1 " id=$id " <<<"$listing")
    [[ -z $line && $id == 106 ]] && continue # Apply is gone in the done state
    check_eq "$when: name of control $id read with WM_GETTEXT" "$expected" "$(field "$line" name)"
    check_eq "$when: name of control $id from the accessibility proxy" "$expected" "$(field "$line" accname)"
  done
  for id in 101 102 103 104 105; do
    line=$(grep -m1 " id=$id " <<<"$listing")
    types+="$(field "$line" type) "
    marks+="$(field "$line" checked)"
  done
  check_eq "$when: the five level radios are radio buttons" "radio radio radio radio radio " "$types"
  # Picture boxes have no caption: none is read out with the layer's own text for them.
  check_eq "$when: controls named with the picture boxes' inner text" 0 "$(grep -c 'name=Zephel' <<<"$listing")"
  local want=00000
  want=${want:0:$((checked - 101))}1${want:$((checked - 100))}
  check_eq "$when: checked states of the radios 100 % to 250 %" "$want" "$marks"
}

# The names of the main window's shown picture boxes that have one: the badges' texts, sorted.
badge_names() { winctl controls Quorlin | awk '/ parent=main id=0 class=Static / && / visible=1 / && !/ name=$/ {
  sub(/.* name=/, ""); print }' | LC_ALL=C sort | tr '\n' '|'; }

# Checks a screenshot PNG for the tool's window at X,Y: the version label shows in light grey,
# no pixel of the window area has the overlay's key grey, and the main window shows beneath.
check_screen_at() {
  local x=$1 y=$2 png=$3 when=$4
  check_ge "$when: light grey version label pixels" "$MIN_LABEL_PIXELS" \
    "$(pix count "$png" $((x + VERSION_LABEL[0])) $((y + VERSION_LABEL[1])) "${VERSION_LABEL[2]}" "${VERSION_LABEL[3]}" "$LIGHT_GREY")"
  check_eq "$when: pixels of the key grey RGB(120,120,120) in the window area" 0 \
    "$(pix count "$png" "$x" "$y" "$WIN_W" "$WIN_H" "exact:$KEY_GREY")"
  check_ge "$when: main window pixels visible (not the black root)" $((WIN_W * WIN_H / 2)) \
    "$(pix count "$png" "$x" "$y" "$WIN_W" "$WIN_H" notblack)"
}
