#!/usr/bin/env bash
# Runs Quorlin under Wine.
#
#   tools/run.sh [--win64] [--virtual] [--shot-only [SECONDS]]
#
# Builds dist/quorlin.exe first when it is missing (dist/quorlin64.exe with --win64). With $DISPLAY
# set and answering, the tool opens there and this command returns when it is closed. Otherwise
# (or with --virtual) it runs on a virtual 1280x800 display: once its window is up a screenshot is
# saved to build/screenshots/quorlin.png (quorlin64.png) and its path printed; the command then
# stays until the tool ends, or, with --shot-only, closes it after SECONDS (default 0) and returns.
# The Wine prefix is build/wine/prefix32 (prefix64), created on first use.
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT" || exit 1
export QUORLIN_ROOT=$ROOT

preset=win32 exe=quorlin.exe virtual=0 shot_only=0 linger=0
while (($#)); do
  case $1 in
    --win64) preset=win64 exe=quorlin64.exe ;;
    --virtual) virtual=1 ;;
    --shot-only)
      shot_only=1 virtual=1
      if [[ ${2:-} =~ ^[0-9]+$ ]]; then linger=$2; shift; fi
      ;;
    -h | --help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run.sh: unknown argument '$1'" >&2; exit 2 ;;
  esac
  shift
done

"$ROOT/tools/setup.sh" || exit 1

if [[ ! -f dist/$exe ]]; then
  echo "run.sh: building dist/$exe (preset $preset)"
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
    echo "run.sh: build failed" >&2
    exit 1
  fi
  [[ -f dist/$exe ]] || { echo "run.sh: the build made no dist/$exe" >&2; exit 1; }
fi

# shellcheck source=wine_env.sh
source "$ROOT/tools/wine_env.sh"
wine_env_init
if ((!virtual)) && wine_env_display_alive; then
  wine_env_prefix "$preset" || exit 1
  echo "run.sh: running dist/$exe on $DISPLAY"
  wine_start "$ROOT/dist/$exe"
  wait "$WINE_PID"
  exit $?
fi

wine_env_display || exit 1
wine_env_prefix "$preset" || exit 1
echo "run.sh: running dist/$exe on the virtual display $DISPLAY"
wine_start "$ROOT/dist/$exe"
pid=$WINE_PID

alive() { [[ -r /proc/$pid/stat ]] && [[ $(cut -d' ' -f3 </proc/"$pid"/stat) != Z ]]; }

id=
for ((i = 0; i < 300; i++)); do
  id=$(xdotool search --onlyvisible --name '^Quorlin$' 2>/dev/null | head -1)
  [[ -n $id ]] && break
  alive || break
  sleep 0.1
done
if [[ -z $id ]]; then
  if alive; then echo "run.sh: no window titled Quorlin appeared" >&2; else
    wait "$pid"
    echo "run.sh: the tool ended (exit code $?) before showing its window" >&2
  fi
  exit 1
fi

# Let the first frames reach the screen (windows are flushed lazily), then capture.
mkdir -p build/screenshots
shot=$ROOT/build/screenshots/${exe%.exe}.png
sleep 1.5
/usr/bin/import -display "$DISPLAY" -window root "$shot" || { echo "run.sh: screenshot failed" >&2; exit 1; }
echo "$shot"

if ((shot_only)); then
  for ((i = 0; i < linger * 10; i++)); do
    alive || break
    sleep 0.1
  done
  exit 0 # the EXIT trap ends the tool, the prefix's wineserver and Xvfb
fi
echo "run.sh: the tool runs on $DISPLAY; Ctrl-C ends it"
wait "$pid"
exit $?
