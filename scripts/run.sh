#!/usr/bin/env bash
# The main job: builds the release, then runs the blink example's production
# project (examples/blink/blink.kvnset) through the console programmer against
# the simulated Dravik pod and an MSP430F149. The chip is kept in a state file
# under build/release; the program's settings go to build/release/config.
# The exit code is the programmer's result code, also printed as "Result = N".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVANE_TESTS=OFF \
  -DKELVANE_BENCHMARKS=OFF >/dev/null
cmake --build build/release -j "${KELVANE_JOBS:-$(nproc)}"

state="$PWD/build/release/blink-chip.state"
rm -f "$state"
export XDG_CONFIG_HOME="$PWD/build/release/config"
echo
echo "Running examples/blink/blink.kvnset on a simulated MSP430F149:"
set +e
KELVANE_USB="sim:chip=MSP430F149,state=$state" \
  build/release/bin/CmdLineKelvane examples/blink/blink.kvnset
code=$?
set -e
echo
exit "$code"
