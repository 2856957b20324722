#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a while, starting
# from the test files or the fuzzer's seeds and every input that once failed, with a
# dictionary of the grammar's words or of the tool's commands and options. A crash, a
# sanitizer report, a broken check, a leak or a hang (an input running longer than 10 s)
# fails the run and prints the input; keep it under tests/fuzz/regressions/ as a regression
# test.
# usage: scripts/run-fuzzers.sh [SECONDS]   (default 60 per target)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build-fuzz

cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZAMO_FUZZ=ON
cmake --build "$build" -j "$(nproc)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
run() {
  local fuzzer=$1 seeds=$2 regressions=$3 dictionary=${4:-}
  local options=()
  [ -n "$dictionary" ] && options+=(-dict="$dictionary")
  mkdir -p "$work/$fuzzer"
  cp "$seeds"/* "$regressions"/* "$work/$fuzzer"/ 2>/dev/null || true
  echo "== $fuzzer: $seconds s"
  if ! "$build/tests/fuzz/$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      "${options[@]}" -print_final_stats=1 -artifact_prefix="$work/$fuzzer-" "$work/$fuzzer" \
      >"$work/$fuzzer.log" 2>&1; then
    tail -n 60 "$work/$fuzzer.log"
    for input in "$work/$fuzzer"-*; do
      [ -e "$input" ] || continue
      echo "-- failing input $(basename "$input") (base64):"
      base64 "$input"
    done
    status=1
  else
    grep -E '^(Done|stat::number_of_executed_units)' "$work/$fuzzer.log" || true
  fi
}

mkdir -p "$work/seeds-project" "$work/seeds-datafile"
cp tests/data/*.zam "$work/seeds-project"/
cp tests/data/*.dat "$work/seeds-datafile"/
run ProjectTextFuzzer "$work/seeds-project" tests/fuzz/regressions/project tests/fuzz/project.dict
run DataFileFuzzer "$work/seeds-datafile" tests/fuzz/regressions/datafile tests/fuzz/project.dict
run ObjectiveFuzzer tests/fuzz/seeds/objective tests/fuzz/regressions/objective
run CommandLineFuzzer tests/fuzz/seeds/commandline tests/fuzz/regressions/commandline tests/fuzz/commandline.dict
exit "$status"
