#!/usr/bin/env bash
# Quorlin's test command: installs what is missing, builds, and runs every test tier.
#
#   tools/test.sh [TIER...] [--win64|--no-win64] [--no-setup]
#
# Tiers (default: all four, in this order):
#   unit   native GoogleTest of the Win32-free logic (preset "native", ctest)
#   fuzz   libFuzzer with ASan/UBSan on the image blocks and the GIF decoder for about 60 s
#          (QUORLIN_FUZZ_SECONDS), from the committed corpus
#   win32  build/win32/quorlin_win32_tests.exe under Wine on a virtual display
#   e2e    every tests/e2e/*.sh against dist/quorlin.exe under Wine on a virtual display
# --win64 also builds the win64 preset and runs its Wine tests and the e2e scripts against
# dist/quorlin64.exe in a 64-bit prefix (QUORLIN_TEST_WIN64=1 does the same).
# Ends with the line "N passed, N failed" over all tiers; exits non-zero on any failure.
# Logs: build/test-logs/.
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT" || exit 1
export QUORLIN_ROOT=$ROOT

# The 64-bit build runs in every run by default (--no-win64 skips it).
WIN64_DEFAULT=1

usage() { sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; }

tiers=()
win64=${QUORLIN_TEST_WIN64:-$WIN64_DEFAULT}
do_setup=1
for arg in "$@"; do
  case $arg in
    unit | fuzz | win32 | e2e) tiers+=("$arg") ;;
    --win64) win64=1 ;;
    --no-win64) win64=0 ;;
    --no-setup) do_setup=0 ;;
    -h | --help) usage; exit 0 ;;
    *) echo "test.sh: unknown argument '$arg'" >&2; usage >&2; exit 2 ;;
  esac
done
((${#tiers[@]})) || tiers=(unit fuzz win32 e2e)
want() { [[ " ${tiers[*]} " == *" $1 "* ]]; }

LOGS=$ROOT/build/test-logs
mkdir -p "$LOGS"
TOTAL_PASSED=0
TOTAL_FAILED=0
SUMMARY=()
START=$SECONDS

note() { echo "---- $*"; }
# record TIER PASSED FAILED [DETAIL]
record() {
  TOTAL_PASSED=$((TOTAL_PASSED + $2))
  TOTAL_FAILED=$((TOTAL_FAILED + $3))
  SUMMARY+=("$(printf '%-12s %4d passed, %4d failed%s' "$1" "$2" "$3" "${4:+  ($4)}")")
}
elapsed() { echo "$((SECONDS - $1))s"; }

# run_logged LOG CMD...: runs quietly into LOG; on failure shows the end of it.
run_logged() {
  local log=$1
  shift
  if "$@" >"$log" 2>&1; then return 0; fi
  echo "     command failed: $* (log: $log); last lines:"
  tail -40 "$log" | sed 's/^/     | /'
  return 1
}

build_preset() { # PRESET -> 0 when configured and built
  local p=$1 t0=$SECONDS
  note "build $p"
  run_logged "$LOGS/configure-$p.log" cmake --preset "$p" &&
    run_logged "$LOGS/build-$p.log" cmake --build --preset "$p" || return 1
  echo "     built $p in $(elapsed "$t0")"
}

if ((do_setup)); then
  note "setup"
  "$ROOT/tools/setup.sh" || { echo "test.sh: setup failed"; echo "0 passed, 1 failed"; exit 1; }
fi

# ---- unit: native ctest ----------------------------------------------------------------------
if want unit; then
  t0=$SECONDS
  if build_preset native; then
    note "unit tests (ctest, native)"
    ctest --test-dir build/native --output-on-failure --timeout 300 -j2 2>&1 | tee "$LOGS/unit.log" |
      grep -vE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed|^ +Start +[0-9]+: ' || true
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$LOGS/unit.log" | tail -1)
    if [[ $line =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
      f=${BASH_REMATCH[1]} n=${BASH_REMATCH[2]}
      record unit $((n - f)) "$f" "$(elapsed "$t0")"
    elif grep -q 'No tests were found' "$LOGS/unit.log"; then
      record unit 0 0 "no tests"
    else
      record unit 0 1 "ctest gave no result"
    fi
  else
    record unit 0 1 "build failed"
  fi
fi

# ---- fuzz: libFuzzer on the image blocks and the GIF decoder, about a minute --------------------
if want fuzz; then
  t0=$SECONDS
  note "fuzz (tools/fuzz.sh ${QUORLIN_FUZZ_SECONDS:-60})"
  tools/fuzz.sh "${QUORLIN_FUZZ_SECONDS:-60}" >"$LOGS/fuzz.log" 2>&1
  line=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$LOGS/fuzz.log" | tail -1)
  if [[ $line =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
    ((BASH_REMATCH[2] == 0)) || tail -30 "$LOGS/fuzz.log" | sed 's/^/     | /'
    record fuzz "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}" "$(elapsed "$t0")"
  else
    tail -30 "$LOGS/fuzz.log" | sed 's/^/     | /'
    record fuzz 0 1 "fuzz.sh gave no result"
  fi
fi

# ---- builds for Windows ------------------------------------------------------------------------
# A failed build is one failure. When only a test failed to compile the tool itself may still
# build: then the e2e tier runs against it all the same.
win32_built=0 win64_built=0
tool_target_builds() { # PRESET
  run_logged "$LOGS/build-$1-tool.log" cmake --build --preset "$1" --target quorlin >/dev/null
}
if want win32 || want e2e; then
  if build_preset win32; then win32_built=2; else
    record "build win32" 0 1 "build failed"
    if tool_target_builds win32; then win32_built=1; echo "     the tool itself builds: its e2e tests run"; fi
  fi
  if ((win64)); then
    if build_preset win64; then win64_built=2; else
      record "build win64" 0 1 "build failed"
      if tool_target_builds win64; then win64_built=1; echo "     the tool itself builds: its e2e tests run"; fi
    fi
  fi
fi

# ---- the Wine environment, shared by the Windows tiers -------------------------------------------
# shellcheck source=wine_env.sh
source "$ROOT/tools/wine_env.sh"
wine_ready=0
if ((win32_built || win64_built)); then
  note "wine environment"
  t0=$SECONDS
  if wine_env_setup win32; then
    wine_ready=1
    echo "     DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX ($(elapsed "$t0"))"
  else
    record wine 0 1 "no Wine environment"
  fi
fi

# run_win_tests LABEL EXE BUILT: one GoogleTest executable under Wine; counts its test cases.
run_win_tests() {
  local label=$1 exe=$2 log=$LOGS/$1.log t0=$SECONDS rc passed failed
  if (($3 != 2)); then
    return # its build failed (already counted)
  fi
  if [[ ! -f $exe ]]; then
    if compgen -G "$ROOT/tests/win32/*.cpp" >/dev/null; then
      record "$label" 0 1 "$exe was not built"
    else
      record "$label" 0 0 "no tests/win32 sources"
    fi
    return
  fi
  note "$label: $(basename "$exe") under Wine"
  (cd "$(dirname "$exe")" && timeout 600 "$ROOT/tools/wine_exec.sh" "$exe" \
    "--gtest_output=xml:$LOGS/$label.xml") >"$log" 2>&1
  rc=$?
  wine_server -k >/dev/null 2>&1 # nothing the tests left running reaches the next tier
  grep -E '^\[  (FAILED|PASSED|  OK|  SKIPPED) ' "$log" | grep -vE '^\[       OK \]' | head -60
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\..*/\1/p' "$log" | tail -1)
  failed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\{0,1\}, listed below.*/\1/p' "$log" | tail -1)
  passed=${passed:-0} failed=${failed:-0}
  if ! grep -qE '^\[==========\] [0-9]+ tests? from .* ran' "$log"; then
    # Crashed or hung: count the cases that finished, and the one that did not as a failure.
    passed=$(grep -cE '^\[       OK \] ' "$log")
    failed=$(grep -cE '^\[  FAILED  \] [^ ]+ \(' "$log")
    local last
    last=$(grep -E '^\[ RUN      \] ' "$log" | tail -1)
    echo "     $label did not finish (exit code $rc${last:+; last started: ${last#*] }}); last lines:"
    tail -30 "$log" | sed 's/^/     | /'
    failed=$((failed + 1))
  elif ((rc != 0 && failed == 0)); then
    echo "     $label exited with code $rc"
    failed=1
  fi
  record "$label" "$passed" "$failed" "$(elapsed "$t0")"
}

# run_e2e LABEL EXE: every tests/e2e/*.sh script (lib.sh aside) against EXE; one count per script.
run_e2e() {
  local label=$1 exe=$2 t0=$SECONDS passed=0 failed=0 script name rc failed_names=()
  if [[ ! -f $exe ]]; then
    record "$label" 0 1 "no $exe"
    return
  fi
  for script in "$ROOT"/tests/e2e/*.sh; do
    name=$(basename "$script" .sh)
    [[ $name == lib ]] && continue
    note "$label: $name"
    QUORLIN_EXE=$exe timeout 600 bash "$script" >"$LOGS/$label-$name.log" 2>&1
    rc=$?
    grep -E '^(FAIL|==|screenshots:|note:)|checks passed' "$LOGS/$label-$name.log" | sed 's/^/     /'
    if ((rc == 0)); then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
      failed_names+=("$name")
      ((rc == 124)) && echo "     $name: timed out"
      grep -qE '^(FAIL|PASS):' "$LOGS/$label-$name.log" ||
        { echo "     $name: exit code $rc; last lines:"; tail -20 "$LOGS/$label-$name.log" | sed 's/^/     | /'; }
    fi
  done
  local detail
  detail=$(elapsed "$t0")
  ((${#failed_names[@]} == 0)) || detail+="; failed: ${failed_names[*]}"
  record "$label" "$passed" "$failed" "$detail"
}

if ((wine_ready)); then
  if want win32 && ((win32_built)); then run_win_tests win32 "$ROOT/build/win32/quorlin_win32_tests.exe" "$win32_built"; fi
  if want e2e && ((win32_built)); then run_e2e e2e "$ROOT/dist/quorlin.exe"; fi
  if ((win64_built)); then
    note "wine environment (64-bit prefix)"
    if wine_env_prefix win64; then
      if want win32; then run_win_tests win64 "$ROOT/build/win64/quorlin_win32_tests.exe" "$win64_built"; fi
      if want e2e; then run_e2e e2e64 "$ROOT/dist/quorlin64.exe"; fi
    else
      record wine64 0 1 "no 64-bit prefix"
    fi
  fi
fi

wine_env_cleanup
trap - EXIT
echo
echo "==== summary ($(elapsed "$START"); logs in build/test-logs)"
for line in "${SUMMARY[@]}"; do echo "  $line"; done
echo "$TOTAL_PASSED passed, $TOTAL_FAILED failed"
((TOTAL_FAILED == 0))
