#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz (clang, libFuzzer, ASan + LSan + UBSan) and runs each one
# for a bounded time over its committed seed corpus.
#
#   tools/fuzz.sh [SECONDS] [--coverage]
#
# SECONDS is the total for all targets together (default 60), split evenly; e.g. `tools/fuzz.sh 600`
# for a longer run. The working corpus grows in build/fuzz-run/corpus/<target> and is kept between
# runs (tests/fuzz/corpus is only read); crashing inputs land in build/fuzz-run/artifacts/.
# --coverage afterwards replays seeds + working corpus through a source-coverage build
# (build/fuzz-cov) and prints llvm-cov's report for the code under test.
# Ends with "N passed, N failed" (one count per target); exits non-zero when a target failed.
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT" || exit 1

total=60
coverage=0
for arg in "$@"; do
  case $arg in
    --coverage) coverage=1 ;;
    -h | --help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *[!0-9]* | '') echo "fuzz.sh: unknown argument '$arg'" >&2; exit 2 ;;
    *) total=$arg ;;
  esac
done

CXX=${QUORLIN_FUZZ_CXX:-clang++}
BUILD=$ROOT/build/fuzz-build
RUN=$ROOT/build/fuzz-run
SEEDS=$ROOT/tests/fuzz/corpus
DICT=$ROOT/tests/fuzz/gif.dict
mkdir -p "$RUN/artifacts" "$RUN/logs"

command -v "$CXX" >/dev/null 2>&1 || { echo "fuzz.sh: $CXX not found (Debian: clang-14, libclang-rt-14-dev)" >&2; echo "0 passed, 1 failed"; exit 1; }

echo "---- build fuzz targets ($CXX, $BUILD)"
if ! { cmake -S tests/fuzz -B "$BUILD" -DCMAKE_CXX_COMPILER="$CXX" -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
       cmake --build "$BUILD" -j2; } >"$RUN/logs/build.log" 2>&1; then
  tail -30 "$RUN/logs/build.log" | sed 's/^/     | /'
  echo "0 passed, 1 failed"
  exit 1
fi

mapfile -t targets < <(cd tests/fuzz && ls ./*_fuzz.cpp | sed 's|^\./||; s|\.cpp$||' | sort)
((${#targets[@]})) || { echo "fuzz.sh: no fuzz targets in tests/fuzz" >&2; exit 1; }
each=$((total / ${#targets[@]}))
((each > 0)) || each=1

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

passed=0 failed=0 summary=()
for t in "${targets[@]}"; do
  work=$RUN/corpus/$t log=$RUN/logs/$t.log
  mkdir -p "$work"
  echo "---- $t: ${each}s"
  # New inputs go to the first directory only; the seeds stay untouched. The memory limits keep
  # the decoders' budget proven: no single allocation beyond 48 MB (a picture's frames may take
  # 16 MB), and the whole run within 1 GB including the sanitizers' own bookkeeping.
  "$BUILD/$t" -max_total_time="$each" -timeout=25 -rss_limit_mb=1024 -malloc_limit_mb=48 -max_len=16384 \
    -dict="$DICT" -print_final_stats=1 -artifact_prefix="$RUN/artifacts/$t-" \
    "$work" "$SEEDS/$t" >"$log" 2>&1
  rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\) ft: \([0-9]*\) corp: \([^ ]*\) .*/cov \1, features \2, corpus \3/p' <<<"$last")
  if ((rc == 0)); then
    passed=$((passed + 1))
    summary+=("$t: ${execs:-?} runs, ${cov:-no stats}")
  else
    failed=$((failed + 1))
    summary+=("$t: FAILED (exit $rc) after ${execs:-?} runs; log $log")
    grep -E 'ERROR: |runtime error|fuzz property failed|SUMMARY|Test unit written|artifact_prefix' "$log" | head -20 | sed 's/^/     | /'
  fi
done

if ((coverage)); then
  echo "---- source coverage (build/fuzz-cov)"
  COV=$ROOT/build/fuzz-cov
  # The same targets without sanitizers, with clang's source-based coverage; replay only.
  if cmake -S tests/fuzz -B "$COV" -DCMAKE_CXX_COMPILER="$CXX" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQUORLIN_FUZZ_COVERAGE=ON >"$RUN/logs/cov-build.log" 2>&1 &&
     cmake --build "$COV" -j2 >>"$RUN/logs/cov-build.log" 2>&1; then
    profiles=()
    for t in "${targets[@]}"; do
      LLVM_PROFILE_FILE=$COV/$t.profraw "$COV/$t" -runs=0 "$RUN/corpus/$t" "$SEEDS/$t" >"$RUN/logs/cov-$t.log" 2>&1
      profiles+=("$COV/$t.profraw")
    done
    llvm-profdata-14 merge -o "$COV/all.profdata" "${profiles[@]}"
    objects=()
    for t in "${targets[@]}"; do objects+=(-object "$COV/$t"); done
    llvm-cov-14 report -instr-profile="$COV/all.profdata" "${objects[@]:1}" \
      "$ROOT/platform/logic/gif_decoder.cpp" "$ROOT/platform/logic/frame_set.cpp" \
      "$ROOT/skin/logic/image_resource.cpp" | sed "s|$ROOT/||"
  else
    tail -20 "$RUN/logs/cov-build.log" | sed 's/^/     | /'
    failed=$((failed + 1))
  fi
fi

echo
for line in "${summary[@]}"; do echo "  $line"; done
echo "$passed passed, $failed failed"
((failed == 0))
