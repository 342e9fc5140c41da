#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (ASan + UBSan) and runs them.
#   scripts/fuzz.sh [seconds] [target ...]
# Each target runs for the given time (default 600) on its seed corpus
# fuzz/corpus/<target>/, all targets at once, one process each. New inputs go
# to build/fuzz/corpus/<target>/, crashes, leaks and time-outs to
# build/fuzz/findings/. Exits non-zero when any target finds something.
# FUZZ_BUILD_JOBS sets the build's parallel jobs (default: all cores). Warnings
# stay warnings here: clang knows more of them than g++, and the g++ builds of
# scripts/test.sh already treat every warning as an error.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
build=$PWD/build/fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(caprel nandrel_image hex_image project plugin_values loader_replies)
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVANE_WERROR=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKELVANE_FUZZ=ON \
  -DKELVANE_TESTS=OFF -DKELVANE_BENCHMARKS=OFF ${FUZZ_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j "${FUZZ_BUILD_JOBS:-$(nproc)}" --target kelvane_fuzz

export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
mkdir -p "$build/findings" "$build/logs"
pids=()
for t in "${targets[@]}"; do
  mkdir -p "$build/corpus/$t"
  # The program runs from its folder: the project target reads no data files,
  # the others none at all, so the folder only matters for relative paths.
  "$build/bin/fuzz_$t" "$build/corpus/$t" "$PWD/fuzz/corpus/$t" \
    -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -max_len=16384 \
    -print_final_stats=1 -artifact_prefix="$build/findings/$t-" \
    >"$build/logs/$t.log" 2>&1 &
  pids+=($!)
done
failed=0
for i in "${!targets[@]}"; do
  t=${targets[$i]}
  if wait "${pids[$i]}"; then status=ok; else status=FINDING; failed=1; fi
  execs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$build/logs/$t.log" | awk '{print $2}' || true)
  printf '%-16s %-8s %s execs\n' "$t" "$status" "${execs:-?}"
  if [ "$status" != ok ]; then tail -n 60 "$build/logs/$t.log"; fi
done
exit $failed
