#!/usr/bin/env bash
# Builds the 64-bit program and the benchmark, then runs the benchmark under Wine in a session
# of its own and prints its figures: scripts/bench.sh [--quick]
# BENCH_BUILD names another build folder (default build/bench).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BENCH_BUILD:-$top/build/bench}
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-x86_64.cmake" >/dev/null
cmake --build "$build" --target notiwell notiwell_bench nw_procstat >/dev/null
build=$(cd "$build" && pwd)
source "$top/scripts/wine-session.sh"
trap stop_wine_session EXIT
start_wine_session "$build"
python3 "$top/bench/run_bench.py" "$@" --bench "$build/bench/notiwell_bench.exe" \
  --procstat "$build/bench/nw_procstat.exe" --program "$build/notiwell.exe"
