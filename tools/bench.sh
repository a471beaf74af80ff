#!/usr/bin/env bash
# Prints Quorlin's performance figures under Wine, one "name: median (min..max, n runs)" line each.
#
#   tools/bench.sh [--win64] [BENCH OPTIONS...]
#
# Builds dist/quorlin-bench.exe (quorlin-bench64.exe with --win64) when it is missing or older than
# the sources, then runs it on a virtual display in the test prefix (build/wine/prefix32 or
# prefix64), with Wine already running. Every figure is the median of several repetitions, with the
# smallest and largest beside it. A full run takes about 4 minutes; options are passed on:
# --quick (about 30 s), --repeats N (default 5), --frames N, --ticks N, --cpu-seconds S,
# --startups N (default 7), --clicks N, --soak-seconds S.
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT" || exit 1
export QUORLIN_ROOT=$ROOT

preset=win32 exe=quorlin-bench.exe
if [[ ${1:-} == --win64 ]]; then
  preset=win64 exe=quorlin-bench64.exe
  shift
fi
[[ ${1:-} == -h || ${1:-} == --help ]] && { sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0; }

"$ROOT/tools/setup.sh" || exit 1
# The build is incremental: quick when nothing changed.
if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" --target quorlin_bench >/dev/null; }; then
  echo "bench.sh: build failed (cmake --build --preset $preset --target quorlin_bench)" >&2
  exit 1
fi

# shellcheck source=wine_env.sh
source "$ROOT/tools/wine_env.sh"
wine_env_init
wine_env_display || exit 1
wine_env_prefix "$preset" || exit 1
# Start-up is measured with Wine running, as when a user starts the tool a second time.
wine_server -p
wine_run cmd.exe /c exit 0 >/dev/null 2>&1
wine_run "$ROOT/dist/$exe" "$@"
