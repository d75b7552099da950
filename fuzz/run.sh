#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for a fixed time, seeded from
# the test data and the examples. Findings are left as crash-* files in
# $CORVANE_FUZZ_DIR/findings.
#   bash fuzz/run.sh [seconds per target, default 300] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-300}
shift || true
build=${CORVANE_FUZZ_DIR:-build-fuzz}
jobs=${CORVANE_JOBS:-1}
all=(model_file overlay_lines sidero_model body_file borehole_file field_data field_roundtrip dialog_numbers point_file segy_section picture)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCORVANE_FUZZ=ON -DBUILD_TESTING=OFF -DCORVANE_BENCHMARKS=OFF
cmake --build "$build" --parallel "$jobs" --target "${targets[@]/#/fuzz_}"

# Seeds: the files a reader is meant to take, plus the other readers' files
# (a good seed for one is a hostile input for another).
seed() {
  local dir="$build/corpus/$1"; shift
  mkdir -p "$dir"
  for f in "$@"; do [ -f "$f" ] && cp -n "$f" "$dir/"; done
  return 0
}
seed model_file tests/data/*.mod examples/*.mod
seed overlay_lines fuzz/seeds/overlay/*
seed sidero_model tests/data/*.mod examples/*.mod fuzz/seeds/sidero/*
seed body_file examples/*.bod fuzz/seeds/body/* tests/data/*.dta
seed borehole_file examples/*.hol fuzz/seeds/borehole/* tests/data/*.dta
seed field_data tests/data/*.dta fuzz/seeds/field/*
seed field_roundtrip fuzz/seeds/roundtrip/*
seed dialog_numbers fuzz/seeds/numbers/*
seed point_file examples/hypocentres.txt fuzz/seeds/points/* fuzz/seeds/field/*
seed segy_section fuzz/seeds/segy/*
seed picture fuzz/seeds/picture/*

mkdir -p "$build/findings"
status=0
for t in "${targets[@]}"; do
  echo "== fuzz_$t for ${seconds}s"
  # Qt needs no display here: the readers draw nothing.
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  QT_QPA_PLATFORM=offscreen \
    "$build/fuzz/fuzz_$t" "$build/corpus/$t" -max_total_time="$seconds" -rss_limit_mb=4096 \
      -max_len=131072 -print_final_stats=1 -artifact_prefix="$build/findings/$t-" \
      2>&1 | tee "$build/findings/$t.log" | grep -E '^(#[0-9]+ *DONE|stat::|==[0-9]+==ERROR|SUMMARY|model invariant)' || true
  if ls "$build/findings/$t-"* >/dev/null 2>&1; then
    echo "   findings: $(ls "$build/findings/$t-"*)"
    status=1
  fi
done
exit $status
