#!/usr/bin/env bash
# The main job. The console programmer is not built yet: until it is, this
# builds everything and lists what exists.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc)"
echo
echo "Built in build/release/bin:"
ls -1 build/release/bin
echo
echo "The console programmer is not built yet; see README.md for what exists."
