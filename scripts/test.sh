#!/usr/bin/env bash
# Builds Kelvane twice (plain, and with AddressSanitizer + UndefinedBehaviorSanitizer,
# whose USB module takes libftdi1 1.4's way) with warnings as errors, and runs
# every test in both builds; runs every fuzz
# target for a minute (clang, ASan + UBSan; any finding fails); then builds the
# tests that run threads with ThreadSanitizer and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)
# Tests whose code runs more than one thread.
threaded_tests='^(EemThread|Eem|EemEdge|EemCloseRace|Closes/EemEdgeClose|Settings/EemEdgeTrace|Event)\.'

run_build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVANE_WERROR=ON "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 600
}

echo "=== plain build ==="
run_build build/ci-plain
echo "=== sanitizer build (ASan + UBSan; the USB module with libftdi1 1.4's purge calls) ==="
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
run_build build/ci-sanitize -DKELVANE_SANITIZE=ON -DKELVANE_BENCHMARKS=OFF \
  -DKELVANE_LIBFTDI1_PURGE_CALLS=ON
echo "=== fuzz targets (libFuzzer, ASan + UBSan), 60 s each ==="
scripts/fuzz.sh 60
echo "=== thread sanitizer build (threaded tests only) ==="
tsan=build/ci-tsan
cmake -S . -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVANE_WERROR=ON \
  -DKELVANE_TSAN=ON -DKELVANE_BENCHMARKS=OFF
cmake --build "$tsan" -j "$jobs" --target nandrel_internal_tests platform_tests
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir "$tsan" -j "$jobs" --output-on-failure --timeout 600 -R "$threaded_tests"
