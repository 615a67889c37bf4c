#!/usr/bin/env bash
# Builds the native fuzz targets of the window-free core (clang, libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) into build/fuzz and runs each one for N seconds (default 30), one
# process at a time. Exits non-zero on any finding, crash or missing target; the input that
# caused a finding is kept in build/fuzz/findings/. Usage: scripts/fuzz.sh [seconds]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
case "$seconds" in '' | *[!0-9]*) echo "usage: $0 [seconds]" >&2; exit 2;; esac
build=${NOTIWELL_FUZZ_BUILD:-$top/build/fuzz}
seeds="$top/tests/fuzz/corpus"

cxx=$(command -v clang++ || command -v clang++-14 || true)
if [ -z "$cxx" ] || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  "$top/scripts/setup.sh"
  cxx=$(command -v clang++ || command -v clang++-14)
fi

cmake -S "$top/tests/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" >/dev/null
cmake --build "$build" -j 2

# Every target with a seed corpus must have been built, and every built target is run.
targets=()
while IFS= read -r t; do [ -n "$t" ] && targets+=("$t"); done < "$build/fuzz_targets.txt"
status=0
for dir in "$seeds"/*/; do
  t=$(basename "$dir")
  if [[ ! " ${targets[*]} " == *" $t "* ]]; then
    echo "fuzz: $t has seeds but was not built (a source it needs is missing or not portable)" >&2
    status=1
  fi
done

findings="$build/findings"
mkdir -p "$findings" "$build/logs"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
sym=$(command -v llvm-symbolizer || command -v llvm-symbolizer-14 || true)
[ -n "$sym" ] && export ASAN_SYMBOLIZER_PATH="$sym"

for t in "${targets[@]}"; do
  # New inputs go to the working corpus in the build folder; the committed seeds stay as they are.
  work="$build/corpus/$t"
  mkdir -p "$work"
  seed_args=()
  [ -d "$seeds/$t" ] && seed_args+=("$seeds/$t")
  log="$build/logs/$t.log"
  if "$build/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
       -print_final_stats=1 -artifact_prefix="$findings/$t-" "$work" "${seed_args[@]}" >"$log" 2>&1; then
    echo "fuzz: $t ok ($(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs in ${seconds}s)"
  else
    status=1
    echo "fuzz: $t FAILED; log $log" >&2
    grep -E -A12 'property failed|ERROR: (AddressSanitizer|libFuzzer)|runtime error' "$log" | head -n 40 >&2 || true
    grep -E '^artifact_prefix|Test unit written to' "$log" >&2 || true
  fi
done
exit $status
